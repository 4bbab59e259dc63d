// The synthesizer's building blocks do what a musician expects of them: pitch,
// envelope times, filter slopes, echoes, loudness readings and limiting.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "synth.h"

using namespace synth;

namespace {
constexpr double pi = 3.14159265358979323846;

std::vector<float> oscillate(Wave w, double hz, int samples, float width = 0.5f) {
  Osc o;
  oscInit(o, 0.0, 1);
  std::vector<float> out(samples);
  for (float& s : out) s = oscStep(o, w, oscIncrement(hz), width);
  return out;
}

// Frequency from the upward zero crossings (interpolated between samples).
double measuredHz(const std::vector<float>& x) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = 1; i < x.size(); ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      double t = double(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      if (first < 0) first = t;
      last = t;
      crossings++;
    }
  }
  return (crossings - 1) * double(sampleRate) / (last - first);
}

// Amplitude of the component at hz (Goertzel over the whole buffer).
double amplitudeAt(const std::vector<float>& x, double hz) {
  double w = 2.0 * pi * hz / sampleRate, c = 2.0 * std::cos(w), s1 = 0, s2 = 0;
  for (float v : x) {
    double s0 = v + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return 2.0 * std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2) / double(x.size());
}

double db(double ratio) { return 20.0 * std::log10(ratio); }

// Steady-state gain of the filter for a sine at hz, in dB.
double filterGainDb(FilterMode m, float cutoff, float q, double hz) {
  Svf f;
  svfInit(f);
  svfTune(f, cutoff, q);
  double peak = 0;
  for (int i = 0; i < sampleRate; ++i) {
    float y = svfStep(f, m, float(std::sin(2.0 * pi * hz * i / sampleRate)));
    if (i > sampleRate / 2) peak = std::max(peak, double(std::fabs(y)));
  }
  return db(peak);
}
}  // namespace

TEST(Oscillator, PlaysInTuneWithinACent) {
  EXPECT_DOUBLE_EQ(noteToHz(69), 440.0);
  EXPECT_NEAR(noteToHz(57), 220.0, 1e-9);
  EXPECT_NEAR(noteToHz(72), 523.2511, 1e-3);
  const Wave waves[] = {waveSine, waveSaw, wavePulse, waveTriangle};
  const char* names[] = {"sine", "saw", "pulse", "triangle"};
  for (int w = 0; w < 4; ++w) {
    for (double note : {33.0, 57.0, 69.0, 93.0}) {
      double want = noteToHz(note);
      std::vector<float> x = oscillate(waves[w], want, sampleRate);
      double got = measuredHz(x);
      double cents = 1200.0 * std::log2(got / want);
      EXPECT_LT(std::fabs(cents), 1.0) << names[w] << " note " << note << ": want " << want << " Hz, got "
                                       << got << " Hz (" << cents << " cents)";
    }
  }
}

TEST(Oscillator, StaysInRangeAndKeepsAliasesDown) {
  // A saw at 3520 Hz: its 13th harmonic (45760 Hz) would fold back to 1660 Hz.
  // A naive saw has it at -22 dB below the fundamental; band-limited it must be far lower.
  for (Wave w : {waveSaw, wavePulse}) {
    std::vector<float> x = oscillate(w, 3520.0, sampleRate);
    float peak = 0;
    for (float s : x) peak = std::max(peak, std::fabs(s));
    EXPECT_LE(peak, 1.3f) << "wave " << int(w);
    double fundamental = amplitudeAt(x, 3520.0);
    double alias = amplitudeAt(x, 45760.0 - sampleRate);
    EXPECT_LT(db(alias / fundamental), -40.0)
        << "wave " << int(w) << ": alias at 1660 Hz is " << db(alias / fundamental) << " dB";
  }
  std::vector<float> noise = oscillate(waveNoise, 0.0, sampleRate);
  double mean = 0, power = 0;
  for (float s : noise) mean += s, power += s * s;
  EXPECT_NEAR(mean / sampleRate, 0.0, 0.01);
  EXPECT_NEAR(power / sampleRate, 1.0 / 3.0, 0.01) << "white noise uniform in [-1, 1)";
}

TEST(Envelope, AttackDecayAndReleaseTakeTheirTimes) {
  EnvShape s{0.010f, 0.100f, 0.5f, 0.200f};
  envPrepare(s);
  Env e;
  envInit(e);
  EXPECT_EQ(envStep(e, s), 0.0f) << "silent before the gate";
  envGate(e, true);
  int peakAt = 0;
  for (int i = 1; i <= 1000 && e.stage == envAttack; ++i) {
    envStep(e, s);
    peakAt = i;
    if (i == 220) {
      EXPECT_NEAR(e.level, 0.5f, 0.01f) << "half way up after 5 ms";
    }
  }
  EXPECT_NEAR(peakAt, 441, 1) << "attack of 10 ms reaches full level after 441 samples";
  for (int i = 0; i < 4410 / 2; ++i) envStep(e, s);
  EXPECT_NEAR(e.level, 0.55f, 0.003f) << "exponential: 90 % of the way down after half the decay";
  for (int i = 0; i < 4410 / 2; ++i) envStep(e, s);
  EXPECT_NEAR(e.level, 0.5f, 0.5f * 0.01f + 1e-4f) << "99 % of the way to sustain after 100 ms";
  for (int i = 0; i < sampleRate; ++i) envStep(e, s);
  EXPECT_NEAR(e.level, 0.5f, 1e-4f) << "holds the sustain level";
  envGate(e, false);
  for (int i = 0; i < 6615; ++i) envStep(e, s);
  EXPECT_GT(e.level, 0.5f * 0.001f) << "150 ms into a 200 ms release";
  for (int i = 0; i < 2205; ++i) envStep(e, s);
  EXPECT_NEAR(db(e.level / 0.5f), -60.0, 0.5) << "60 dB down after 200 ms";
  for (int i = 0; i < sampleRate && e.stage != envIdle; ++i) envStep(e, s);
  EXPECT_EQ(e.stage, envIdle);
  EXPECT_EQ(envStep(e, s), 0.0f) << "exact silence once finished";
}

TEST(Envelope, OneShotDiesAwayWithoutAGateOff) {
  EnvShape s{0.001f, 0.2f, 0.0f, 0.1f};
  envPrepare(s);
  Env e;
  envInit(e);
  envGate(e, true);
  int n = 0;
  while (e.stage != envIdle && n < 10 * sampleRate) envStep(e, s), ++n;
  EXPECT_LT(n, sampleRate / 2) << "a drum hit with sustain 0 must finish by itself";
}

TEST(Filter, CutoffAndSlopeAsDesigned) {
  // Low-pass at 1 kHz: flat below, -3 dB at the cutoff, -12 dB per octave above.
  EXPECT_NEAR(filterGainDb(filterLow, 1000, 0.707f, 125), 0.0, 0.3);
  EXPECT_NEAR(filterGainDb(filterLow, 1000, 0.707f, 1000), -3.0, 0.3);
  EXPECT_NEAR(filterGainDb(filterLow, 1000, 0.707f, 4000), -24.0, 1.5);
  EXPECT_LT(filterGainDb(filterLow, 1000, 0.707f, 16000), -45.0);
  // High-pass mirrors it.
  EXPECT_NEAR(filterGainDb(filterHigh, 1000, 0.707f, 8000), 0.0, 0.3);
  EXPECT_NEAR(filterGainDb(filterHigh, 1000, 0.707f, 1000), -3.0, 0.3);
  EXPECT_NEAR(filterGainDb(filterHigh, 1000, 0.707f, 250), -24.0, 1.5);
  // Resonance: q = 4 lifts the cutoff by 12 dB; band-pass peaks at 0 dB there.
  EXPECT_NEAR(filterGainDb(filterLow, 1000, 4.0f, 1000), 12.04, 0.3);
  EXPECT_NEAR(filterGainDb(filterBand, 1000, 4.0f, 1000), 0.0, 0.3);
  EXPECT_LT(filterGainDb(filterBand, 1000, 4.0f, 4000), -20.0);
  // Stays stable with the cutoff asked beyond Nyquist and a screaming q.
  EXPECT_LT(filterGainDb(filterLow, 40000, 10.0f, 15000), 40.0);
}

TEST(Effects, DelayEchoesPingPongAndDiesAway) {
  Delay d;
  delayInit(d, 100, 0.5f, 0.0f);
  std::vector<float> l(1000), r(1000);
  for (int i = 0; i < 1000; ++i) delayStep(d, i == 0 ? 1.0f : 0.0f, i == 0 ? 1.0f : 0.0f, l[i], r[i]);
  EXPECT_FLOAT_EQ(l[100], 1.0f) << "first echo, left, after the delay time";
  EXPECT_FLOAT_EQ(r[100], 0.0f);
  EXPECT_FLOAT_EQ(r[200], 0.5f) << "second echo crosses to the right at the feedback level";
  EXPECT_FLOAT_EQ(l[300], 0.25f);
  for (int i : {50, 150, 250}) EXPECT_EQ(l[i] + r[i], 0.0f) << "nothing between echoes at " << i;

  Reverb rv;
  reverbInit(rv, 0.75f, 0.45f);
  double early = 0, late = 0;
  float ol, orr;
  for (int i = 0; i < 4 * sampleRate; ++i) {
    reverbStep(rv, i == 0 ? 1.0f : 0.0f, i == 0 ? 1.0f : 0.0f, ol, orr);
    if (i < sampleRate / 2) early += ol * ol + orr * orr;
    if (i >= 3 * sampleRate) late += ol * ol + orr * orr;
  }
  EXPECT_GT(early, 1e-6) << "the reverb answers an impulse";
  EXPECT_LT(late, early * 1e-4) << "and has died away by 40 dB after three seconds";
}

TEST(Mastering, LoudnessReadsLikeTheStandard) {
  // A 1 kHz sine at full scale in both channels reads 0 LUFS (BS.1770 calibration);
  // each -20 dB of level is -20 LU.
  for (double amp : {1.0, 0.1}) {
    std::vector<float> x(2 * 5 * sampleRate);
    for (size_t i = 0; i < x.size() / 2; ++i)
      x[2 * i] = x[2 * i + 1] = float(amp * std::sin(2.0 * pi * 1000.0 * double(i) / sampleRate));
    EXPECT_NEAR(loudnessLufs(x), db(amp), 0.1) << "sine amplitude " << amp;
    EXPECT_NEAR(peakDbfs(x), db(amp), 0.01);
  }
  EXPECT_EQ(loudnessLufs(std::vector<float>(2 * sampleRate, 0.0f)), -200.0);
  // A tone at a quarter of the sample rate, sampled 45 degrees off its crests:
  // every sample is at -3 dB, the wave itself reaches 0 dB between them.
  std::vector<float> q(2 * 4400);  // whole periods: the buffer is read as a loop
  for (size_t i = 0; i < q.size() / 2; ++i)
    q[2 * i] = q[2 * i + 1] = float(std::sin(pi / 2 * double(i) + pi / 4));
  EXPECT_NEAR(peakDbfs(q), -3.01, 0.01);
  EXPECT_NEAR(truePeakDbfs(q), 0.0, 0.1);
}

TEST(Mastering, LimiterHoldsTheCeilingSmoothlyAndLetsGo) {
  // Quiet 100 Hz tone with one loud burst half a second in, through the limiter; its
  // output, read limiterLatency() frames late, lines up with the input.
  const int n = 2 * sampleRate, burst = sampleRate / 2;
  std::vector<float> x(2 * n);
  for (int i = 0; i < n; ++i) {
    float a = i >= burst && i < burst + 50 ? 1.5f : 0.3f;
    x[2 * i] = x[2 * i + 1] = a * float(std::sin(2.0 * pi * 100.0 * i / sampleRate));
  }
  const float ceiling = 0.87f;
  Limiter lim;
  limiterInit(lim, ceiling, 110, 0.08f);
  const int latency = limiterLatency(lim);
  std::vector<float> y(2 * n);
  for (int i = 0; i < n + latency; ++i) {
    float l, r;
    limiterStep(lim, i < n ? x[2 * i] : 0.0f, i < n ? x[2 * i + 1] : 0.0f, l, r);
    if (i >= latency) y[2 * (i - latency)] = l, y[2 * (i - latency) + 1] = r;
  }
  float peak = 0, worstJump = 0, prevGain = -1;
  for (int i = 0; i < n; ++i) {
    peak = std::max(peak, std::fabs(y[2 * i]));
    if (std::fabs(x[2 * i]) > 0.01f) {  // the gain can be read off where the tone is not near 0
      float g = y[2 * i] / x[2 * i];
      if (prevGain >= 0) worstJump = std::max(worstJump, std::fabs(g - prevGain));
      prevGain = g;
    }
  }
  EXPECT_LE(peak, ceiling);
  EXPECT_LE(truePeakDbfs(y), db(ceiling) + 0.01) << "between the samples too";
  EXPECT_LT(worstJump, 0.05f) << "gain moves in small steps, no clicks";
  EXPECT_LT(y[2 * (burst - 20)] / x[2 * (burst - 20)], 0.99f) << "the gain is down before the burst comes";
  const int before = 110, after = n - 441 + 110;  // crests of the tone, far from the burst
  EXPECT_NEAR(y[2 * before], x[2 * before], 1e-6f) << "far from the burst nothing changes";
  EXPECT_NEAR(y[2 * after], x[2 * after], 1e-5f) << "and a second after it the gain is back";
}
