// Building blocks of the music synthesizer; see synth.h for the contracts.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {
constexpr double pi = 3.14159265358979323846;


}  // namespace

double noteToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// ---- random numbers --------------------------------------------------------------

void rngInit(Rng& r, uint32_t seed) { r.state = seed ? seed : 0x9e3779b9u; }


// ---- oscillator --------------------------------------------------------------

void oscInit(Osc& o, double startPhase, uint32_t seed) {
  o.phase = detail::wrapPhase(startPhase);
  rngInit(o.rng, seed);
}


// ---- envelope ----------------------------------------------------------------

void envPrepare(EnvShape& s) {
  double fs = sampleRate;
  s.attackStep = float(1.0 / std::max(1.0, s.attack * fs));
  s.decayCoef = float(std::exp(std::log(0.01) / std::max(1.0, s.decay * fs)));
  s.releaseCoef = float(std::exp(std::log(0.001) / std::max(1.0, s.release * fs)));
}

void envInit(Env& e) {
  e.level = 0.0f;
  e.stage = envIdle;
}

void envGate(Env& e, bool on) {
  if (on) e.stage = envAttack;
  else if (e.stage != envIdle) e.stage = envRelease;
}


// ---- filter --------------------------------------------------------------------

void svfInit(Svf& f) {
  f = Svf{};
  svfTune(f, 1000.0f, 0.707f);
}

void svfTune(Svf& f, float cutoffHz, float q) {
  double fc = std::clamp(double(cutoffHz), 10.0, 0.45 * sampleRate);
  double g = std::tan(pi * fc / sampleRate);
  f.k = 1.0f / std::max(q, 0.1f);
  double a1 = 1.0 / (1.0 + g * (g + f.k));
  f.a1 = float(a1);
  f.a2 = float(g * a1);
  f.a3 = float(g * g * a1);
}


// ---- delay ---------------------------------------------------------------------

void delayInit(Delay& d, int samples, float feedback, float damp) {
  d.length = std::max(1, samples);
  d.bufL.assign(d.length, 0.0f);
  d.bufR.assign(d.length, 0.0f);
  d.pos = 0;
  d.feedback = std::clamp(feedback, 0.0f, 0.95f);
  d.damp = std::clamp(damp, 0.0f, 0.99f);
  d.lpL = d.lpR = 0.0f;
}

void delayStep(Delay& d, float inL, float inR, float& outL, float& outR) {
  float yL = d.bufL[d.pos], yR = d.bufR[d.pos];
  d.lpL = flushTiny(yL * (1.0f - d.damp) + d.lpL * d.damp);
  d.lpR = flushTiny(yR * (1.0f - d.damp) + d.lpR * d.damp);
  // The input enters on the left; each echo crosses to the other side.
  d.bufL[d.pos] = 0.5f * (inL + inR) + d.lpR * d.feedback;
  d.bufR[d.pos] = d.lpL * d.feedback;
  if (++d.pos == d.length) d.pos = 0;
  outL = yL;
  outR = yR;
}

// ---- reverb --------------------------------------------------------------------

namespace {
constexpr int combLengths[reverbCombs] = {1097, 1171, 1259, 1327, 1409, 1483, 1549, 1621};
constexpr int allpassLengths[reverbAllpasses] = {557, 439, 347, 227};
constexpr int stereoSpread = 29;  // samples added to every line of the right side
constexpr float reverbInputGain = 0.03f;
}  // namespace

void reverbInit(Reverb& r, float roomSize, float damp) {
  for (int s = 0; s < 2; ++s) {
    for (int i = 0; i < reverbCombs; ++i) {
      r.comb[s][i].assign(combLengths[i] + s * stereoSpread, 0.0f);
      r.combPos[s][i] = 0;
      r.combLp[s][i] = 0.0f;
    }
    for (int i = 0; i < reverbAllpasses; ++i) {
      r.allpass[s][i].assign(allpassLengths[i] + s * stereoSpread, 0.0f);
      r.allpassPos[s][i] = 0;
    }
  }
  r.feedback = 0.7f + 0.28f * std::clamp(roomSize, 0.0f, 1.0f);
  r.damp = std::clamp(damp, 0.0f, 1.0f);
}

namespace {
// One side of the reverb: input sample in, wet sample out.
float reverbSide(Reverb& r, int s, float in) {
  float sum = 0.0f;
  for (int i = 0; i < reverbCombs; ++i) {
    std::vector<float>& buf = r.comb[s][i];
    int& pos = r.combPos[s][i];
    float y = buf[pos];
    r.combLp[s][i] = flushTiny(y * (1.0f - r.damp) + r.combLp[s][i] * r.damp);
    buf[pos] = in + r.combLp[s][i] * r.feedback;
    if (++pos == int(buf.size())) pos = 0;
    sum += y;
  }
  for (int i = 0; i < reverbAllpasses; ++i) {
    std::vector<float>& buf = r.allpass[s][i];
    int& pos = r.allpassPos[s][i];
    float b = buf[pos];
    buf[pos] = flushTiny(sum + b * 0.5f);
    sum = b - sum;
    if (++pos == int(buf.size())) pos = 0;
  }
  return sum;
}
}  // namespace

void reverbStep(Reverb& r, float inL, float inR, float& outL, float& outR) {
  float in = (inL + inR) * reverbInputGain;
  outL = reverbSide(r, 0, in);
  outR = reverbSide(r, 1, in);
}

// ---- mastering -------------------------------------------------------------------

namespace {
struct Biquad {
  double b0, b1, b2, a1, a2;  // normalised coefficients (a0 = 1)
  double z1, z2;              // transposed direct form II states
};

double biquadStep(Biquad& q, double x) {
  double y = q.b0 * x + q.z1;
  q.z1 = q.b1 * x - q.a1 * y + q.z2;
  q.z2 = q.b2 * x - q.a2 * y;
  return y;
}

// The two stages of the K-weighting curve at the synthesizer's sample rate: a
// +4 dB high shelf above about 1.7 kHz and a high-pass at about 38 Hz.
void kWeighting(Biquad& shelf, Biquad& highPass) {
  double fs = sampleRate;
  double k = std::tan(pi * 1681.974450955533 / fs);
  double q = 0.7071752369554196;
  double vh = std::pow(10.0, 3.999843853973347 / 20.0);
  double vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  shelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
           2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0, 0.0, 0.0};
  k = std::tan(pi * 38.13547087602444 / fs);
  q = 0.5003270373238773;
  a0 = 1.0 + k / q + k * k;
  highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0, 0.0, 0.0};
}

double powerToLufs(double power) { return power > 0.0 ? -0.691 + 10.0 * std::log10(power) : -200.0; }
}  // namespace

double loudnessLufs(const std::vector<float>& stereo) {
  const size_t frames = stereo.size() / 2;
  const size_t step = sampleRate / 10;  // 100 ms: a quarter of a gating block
  std::vector<double> quarter(frames / step, 0.0);
  Biquad shelf[2], hp[2];
  kWeighting(shelf[0], hp[0]);
  kWeighting(shelf[1], hp[1]);
  for (size_t i = 0; i < quarter.size() * step; ++i) {
    for (int c = 0; c < 2; ++c) {
      double y = biquadStep(hp[c], biquadStep(shelf[c], stereo[2 * i + c]));
      quarter[i / step] += y * y;
    }
  }
  std::vector<double> blocks;  // mean power of each 400 ms block, channels summed
  for (size_t i = 0; i + 3 < quarter.size(); ++i)
    blocks.push_back((quarter[i] + quarter[i + 1] + quarter[i + 2] + quarter[i + 3]) / (4.0 * step));
  auto gatedMean = [&](double gateLufs) {
    double sum = 0.0;
    int n = 0;
    for (double p : blocks)
      if (powerToLufs(p) > gateLufs) sum += p, ++n;
    return n ? sum / n : 0.0;
  };
  double relativeGate = powerToLufs(gatedMean(-70.0)) - 10.0;
  return powerToLufs(gatedMean(std::max(-70.0, relativeGate)));
}

double peakDbfs(const std::vector<float>& stereo) {
  float peak = 0.0f;
  for (float s : stereo) peak = std::max(peak, std::fabs(s));
  return peak > 0.0f ? 20.0 * std::log10(peak) : -200.0;
}

namespace {
// 4x oversampling: the waveform at i + k/4 (k = 1..3) from samples i-7 .. i+8,
// windowed sinc. Built on first use.
constexpr int interpTaps = 16;
struct Interpolator {
  float h[3][interpTaps];  // [k - 1][j + 7]
};

const Interpolator& interpolator() {
  static const Interpolator table = [] {
    Interpolator t{};
    for (int k = 1; k <= 3; ++k)
      for (int j = -7; j <= 8; ++j) {
        double x = k / 4.0 - j;  // distance from sample i + j, in samples
        double window = 0.5 + 0.5 * std::cos(pi * x / 8.0);
        t.h[k - 1][j + 7] = float(std::sin(pi * x) / (pi * x) * window);
      }
    return t;
  }();
  return table;
}

// Largest |value| of channel c between frames i and i + 1 (both excluded),
// indices taken around the loop.
float peakBetween(const std::vector<float>& stereo, long frames, long i, int c) {
  const Interpolator& t = interpolator();
  float window[interpTaps];
  for (int j = 0; j < interpTaps; ++j) window[j] = stereo[2 * ((i + j - 7 + frames) % frames) + c];
  float peak = 0.0f;
  for (int k = 0; k < 3; ++k) {
    float y = 0.0f;
    for (int j = 0; j < interpTaps; ++j) y += t.h[k][j] * window[j];
    peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

// Peak of frame i and the waveform up to frame i + 1, both channels. Between
// samples the waveform can rise at most a few dB above them, so it is only
// read where a neighbouring sample reaches above `floor`.
float framePeak(const std::vector<float>& stereo, long frames, long i, float floor) {
  float peak = 0.0f;
  long next = (i + 1) % frames;
  for (int c = 0; c < 2; ++c) {
    float a = std::fabs(stereo[2 * i + c]), b = std::fabs(stereo[2 * next + c]);
    peak = std::max(peak, a);
    if (std::max(a, b) > floor) peak = std::max(peak, peakBetween(stereo, frames, i, c));
  }
  return peak;
}

// Circular sliding minimum: out[n] = min of in[n - radius .. n + radius], indices
// mod size. Van Herk / Gil-Werman: running minima within blocks of the window's
// width, forwards and backwards, so each output is the smaller of two look-ups.
std::vector<float> loopMinimum(const std::vector<float>& in, int radius) {
  const long n = long(in.size()), w = 2L * radius + 1;
  const long padded = ((n + 2 * radius + w - 1) / w) * w;  // whole blocks covering every window
  std::vector<float> ext(padded), fwd(padded), bwd(padded);
  for (long i = 0; i < padded; ++i) ext[i] = in[((i - radius) % n + n) % n];
  for (long i = 0; i < padded; ++i) fwd[i] = i % w ? std::min(fwd[i - 1], ext[i]) : ext[i];
  for (long i = padded - 1; i >= 0; --i)
    bwd[i] = (i + 1) % w && i + 1 < padded ? std::min(bwd[i + 1], ext[i]) : ext[i];
  std::vector<float> out(n);
  for (long i = 0; i < n; ++i) out[i] = std::min(bwd[i], fwd[i + w - 1]);  // window ext[i .. i+w-1]
  return out;
}
}  // namespace

double truePeakDbfs(const std::vector<float>& stereo) {
  const long frames = long(stereo.size() / 2);
  float peak = 0.0f;
  for (long i = 0; i < frames; ++i) peak = std::max(peak, framePeak(stereo, frames, i, 0.0f));
  return peak > 0.0f ? 20.0 * std::log10(peak) : -200.0;
}

void limitLoop(std::vector<float>& stereo, float ceiling, int lookahead, float releaseSeconds) {
  const size_t frames = stereo.size() / 2;
  if (frames == 0) return;
  std::vector<float> need(frames);
  for (size_t i = 0; i < frames; ++i) {
    float peak = framePeak(stereo, long(frames), long(i), 0.5f * ceiling);
    need[i] = peak > ceiling ? ceiling / peak : 1.0f;
  }
  std::vector<float> gain = loopMinimum(need, lookahead);
  // Slow recovery; two laps so the start inherits the state at the end.
  const double recover = 1.0 - std::exp(-1.0 / (releaseSeconds * sampleRate));
  double g = 1.0;  // double: in float the recovery would stall just short of 1
  for (int lap = 0; lap < 2; ++lap)
    for (size_t i = 0; i < frames; ++i) {
      g = std::min(double(gain[i]), g + (1.0 - g) * recover);
      if (lap == 1) gain[i] = float(g);
    }
  // Box average over +-lookahead: every frame within reach of a peak already
  // holds a gain no larger than that peak needs, so the average cannot exceed it.
  std::vector<double> prefix(frames + 1, 0.0);
  for (size_t i = 0; i < frames; ++i) prefix[i + 1] = prefix[i] + gain[i];
  const long n = long(frames), w = lookahead;
  auto sumTo = [&](long end) {  // sum of gain[0 .. end) for end possibly outside 0..n
    long laps = (end >= 0 ? end / n : -((-end + n - 1) / n));
    return laps * prefix[n] + prefix[end - laps * n];
  };
  for (long i = 0; i < n; ++i) {
    float smooth = float((sumTo(i + w + 1) - sumTo(i - w)) / double(2 * w + 1));
    for (int c = 0; c < 2; ++c) {
      float& s = stereo[2 * i + c];
      s = std::clamp(s * smooth, -ceiling, ceiling);
    }
  }
}

}  // namespace synth
