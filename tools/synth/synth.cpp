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
  if (on)
    e.stage = envAttack;
  else if (e.stage != envIdle)
    e.stage = envRelease;
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
  shelf = {(vh + vb * k / q + k * k) / a0,
           2.0 * (k * k - vh) / a0,
           (vh - vb * k / q + k * k) / a0,
           2.0 * (k * k - 1.0) / a0,
           (1.0 - k / q + k * k) / a0,
           0.0,
           0.0};
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

// Largest |value| of the waveform between window[7] and window[8] (both excluded),
// from 16 consecutive samples of one channel.
float peakBetween(const float* window) {
  const Interpolator& t = interpolator();
  float peak = 0.0f;
  for (int k = 0; k < 3; ++k) {
    float y = 0.0f;
    for (int j = 0; j < interpTaps; ++j) y += t.h[k][j] * window[j];
    peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

// Peak of a frame and the waveform up to the next one, both channels; sample(j, c)
// is channel c of the frame j frames on (j = -7 .. 8). Between samples the waveform
// can rise at most a few dB above them, so it is only read where a neighbouring
// sample reaches above `floor`.
template <class Sample>
float framePeak(Sample sample, float floor) {
  float peak = 0.0f;
  for (int c = 0; c < 2; ++c) {
    float a = std::fabs(sample(0, c)), b = std::fabs(sample(1, c));
    peak = std::max(peak, a);
    if (std::max(a, b) <= floor) continue;
    float window[interpTaps];
    for (int j = 0; j < interpTaps; ++j) window[j] = sample(j - 7, c);
    peak = std::max(peak, peakBetween(window));
  }
  return peak;
}
}  // namespace

double truePeakDbfs(const std::vector<float>& stereo) {
  const long frames = long(stereo.size() / 2);
  float peak = 0.0f;
  for (long i = 0; i < frames; ++i) {
    auto sample = [&](int j, int c) { return stereo[2 * ((i + j + frames) % frames) + c]; };
    peak = std::max(peak, framePeak(sample, 0.0f));
  }
  return peak > 0.0f ? 20.0 * std::log10(peak) : -200.0;
}

// Frames as they pass through the limiter, numbered from the first one fed; with
// `now` the one just fed and w the lookahead:
//   p = now - 8    the newest whose 4x-oversampled peak can be read (8 frames ahead);
//   q = p - w      the newest whose minimum need over +-w is known, so its gain;
//   o = q - w      the newest whose gains over +-w are known: it is output.
namespace {
constexpr int peakAhead = 8;
int64_t wrap(int64_t i, int64_t n) { return (i % n + n) % n; }
}  // namespace

void limiterInit(Limiter& l, float ceiling, int lookahead, float releaseSeconds) {
  const int w = std::max(1, lookahead);
  l.input.assign(2 * (2 * w + 2 * peakAhead + 2), 0.0f);
  l.need.assign(2 * w + 2, 1.0f);
  l.queue.assign(2 * w + 2, 0);
  l.gain.assign(2 * w + 1, 1.0f);
  l.fed = 0;
  l.queueHead = l.queueTail = 0;
  l.gainSum = 2 * w + 1;
  l.g = 1.0;
  l.recover = 1.0 - std::exp(-1.0 / (releaseSeconds * sampleRate));
  l.ceiling = ceiling;
  l.lookahead = w;
}

int limiterLatency(const Limiter& l) { return 2 * l.lookahead + peakAhead; }

void limiterStep(Limiter& l, float inL, float inR, float& outL, float& outR) {
  const int64_t ring = int64_t(l.input.size() / 2), w = l.lookahead;
  auto at = [&](int64_t frame, int c) -> float& { return l.input[2 * (frame % ring) + c]; };
  const int64_t now = l.fed++;
  at(now, 0) = inL;
  at(now, 1) = inR;
  // The gain frame p needs; frames before the first are silence, needing none.
  const int64_t p = now - peakAhead;
  float need = 1.0f;
  if (p >= 0) {
    auto sample = [&](int j, int c) { return p + j >= 0 ? at(p + j, c) : 0.0f; };
    float peak = framePeak(sample, 0.5f * l.ceiling);
    if (peak > l.ceiling) need = l.ceiling / peak;
  }
  // Running minimum over need[p - 2w .. p]: the queue keeps the frames that can still
  // be the minimum, their needs rising from head to tail.
  const int64_t qn = int64_t(l.queue.size()), nn = int64_t(l.need.size());
  l.need[wrap(p, nn)] = need;
  while (l.queueTail > l.queueHead && l.need[wrap(l.queue[(l.queueTail - 1) % qn], nn)] >= need)
    --l.queueTail;
  l.queue[l.queueTail++ % qn] = p;
  if (l.queue[l.queueHead % qn] < p - 2 * w) ++l.queueHead;
  const float least = l.need[wrap(l.queue[l.queueHead % qn], nn)];
  // Frame q = p - w: at most what the peaks around it need, else on its way back to 1.
  // In double: in float the recovery would stall just short of 1.
  l.g = std::min(double(least), l.g + (1.0 - l.g) * l.recover);
  const int64_t q = p - w, gn = int64_t(l.gain.size());
  float& slot = l.gain[wrap(q, gn)];
  l.gainSum += double(float(l.g)) - double(slot);  // exact: no drift however long it runs
  slot = float(l.g);
  // Box average of the gains over +-w around frame o = q - w. Every frame within reach
  // of a peak already holds a gain no larger than that peak needs, so the average
  // cannot exceed it.
  const int64_t o = q - w;
  const float smooth = float(l.gainSum / double(gn));
  outL = o >= 0 ? std::clamp(at(o, 0) * smooth, -l.ceiling, l.ceiling) : 0.0f;
  outR = o >= 0 ? std::clamp(at(o, 1) * smooth, -l.ceiling, l.ceiling) : 0.0f;
}

}  // namespace synth
