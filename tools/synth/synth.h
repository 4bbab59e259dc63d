// Building blocks of the music synthesizer: oscillators, envelopes, a resonant
// filter, delay, reverb, a loudness meter and a peak limiter.
//
// Every block is a plain struct with an explicit init and a per-sample step
// function. Nothing here reads the clock or seeds from the outside world: the
// same calls give the same samples on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace synth {

constexpr int sampleRate = 44100;  // Hz, everywhere in the synthesizer

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz), fractional notes allowed.
double noteToHz(double note);

// x, or 0 when it is so small (< 1e-20) that it would decay into the slow
// denormal range inside a feedback loop.
inline float flushTiny(float x) { return std::fabs(x) < 1e-20f ? 0.0f : x; }

// ---- random numbers --------------------------------------------------------

// xorshift32 generator; state must never be 0.
struct Rng {
  uint32_t state;  // current state, written only by rngNext
};
void rngInit(Rng& r, uint32_t seed);  // seed 0 is replaced by a fixed non-zero value
inline float rngNext(Rng& r);         // uniform in [-1, 1)

// ---- oscillator --------------------------------------------------------------

enum Wave : uint8_t { waveSine, waveSaw, wavePulse, waveTriangle, waveNoise };

struct Osc {
  double phase;  // 0..1, position in the current cycle
  Rng rng;       // noise source for waveNoise
};
void oscInit(Osc& o, double startPhase, uint32_t seed);
// Phase increment per sample of a pitch in Hz, for oscStep; at most 0.5 (Nyquist).
inline double oscIncrement(double hz) { return std::min(hz * (1.0 / sampleRate), 0.5); }
// One sample in [-1, 1] (band-limited edges for saw and pulse), then advances the
// phase by `inc` (from oscIncrement). width: pulse duty cycle 0.05..0.95, else ignored.
inline float oscStep(Osc& o, Wave w, double inc, float width);

// ---- envelope ----------------------------------------------------------------

// ADSR. Attack rises linearly from 0 to 1 in `attack` seconds. Decay falls
// exponentially towards `sustain` and has covered 99 % of the way after `decay`
// seconds. Release falls exponentially and is down by 60 dB after `release`
// seconds; below -80 dB the envelope is finished and outputs exact 0. With
// sustain 0 the same happens at the end of the decay (a one-shot).
struct EnvShape {
  float attack;   // s, >= 0
  float decay;    // s, > 0
  float sustain;  // level 0..1
  float release;  // s, > 0
  // Per-sample rates derived by envPrepare; zero until then.
  float attackStep = 0, decayCoef = 0, releaseCoef = 0;
};
void envPrepare(EnvShape& s);  // fills the derived rates; call after setting the times
enum EnvStage : uint8_t { envIdle, envAttack, envDecay, envRelease };
struct Env {
  float level;     // current output 0..1
  EnvStage stage;  // envIdle once the release has finished
};
void envInit(Env& e);
void envGate(Env& e, bool on);  // on: restart the attack from the current level; off: release
inline float envStep(Env& e, const EnvShape& s);

// ---- filter --------------------------------------------------------------------

// Two-pole state-variable filter (trapezoidal integration, stable at every cutoff).
// Low-pass and high-pass fall by 12 dB per octave; at the cutoff the response is
// q times the pass-band gain (q = 0.707 gives -3 dB, higher q resonates).
// Band-pass peaks at 0 dB at the cutoff; higher q narrows it.
enum FilterMode : uint8_t { filterLow, filterHigh, filterBand };
struct Svf {
  float ic1, ic2;    // integrator states
  float a1, a2, a3;  // coefficients from svfTune
  float k;           // 1 / q
};
void svfInit(Svf& f);
void svfTune(Svf& f, float cutoffHz, float q);  // cutoff clamped to 10 Hz .. 0.45 * sampleRate
inline float svfStep(Svf& f, FilterMode m, float x);

// ---- effects -------------------------------------------------------------------

// Stereo ping-pong delay with a damped feedback path. Buffers are allocated by
// delayInit; stepping never allocates.
struct Delay {
  std::vector<float> bufL, bufR;  // circular lines, `length` samples each
  int length;                     // delay time in samples, >= 1
  int pos;                        // write index 0..length-1
  float feedback;                 // 0..0.95
  float damp;                     // one-pole low-pass state coefficient 0..1 (0 = no damping)
  float lpL, lpR;                 // low-pass states in the feedback path
};
void delayInit(Delay& d, int samples, float feedback, float damp);
void delayStep(Delay& d, float inL, float inR, float& outL, float& outR);

// Stereo reverb: parallel damped comb filters into series all-pass filters per
// side, the right side tuned slightly apart from the left for width.
constexpr int reverbCombs = 8, reverbAllpasses = 4;
struct Reverb {
  std::vector<float> comb[2][reverbCombs];  // comb delay lines per side
  std::vector<float> allpass[2][reverbAllpasses];
  int combPos[2][reverbCombs];
  int allpassPos[2][reverbAllpasses];
  float combLp[2][reverbCombs];  // damping filter states
  float feedback;                // comb feedback 0..0.98 (room size)
  float damp;                    // 0..1, high-frequency damping
};
void reverbInit(Reverb& r, float roomSize, float damp);  // roomSize 0..1
void reverbStep(Reverb& r, float inL, float inR, float& outL, float& outR);

// ---- mastering -------------------------------------------------------------------

// Integrated loudness in LUFS of an interleaved stereo buffer, after ITU-R BS.1770:
// K-weighting, 400 ms blocks with 75 % overlap, absolute gate at -70 LUFS and a
// relative gate 10 LU below. Returns -200 for silence.
double loudnessLufs(const std::vector<float>& stereo);

// Peak of an interleaved buffer in dBFS (0 dBFS = 1.0); -200 for silence.
double peakDbfs(const std::vector<float>& stereo);

// True peak in dBFS: the peak of the waveform between the samples as well,
// read 4x oversampled (the buffer taken as a loop); -200 for silence.
double truePeakDbfs(const std::vector<float>& stereo);

// Look-ahead peak limiter, stepped frame by frame: no sample, and no point of the
// waveform between samples (4x oversampled), leaves it above `ceiling` (linear).
// The gain moves smoothly: it ramps down over `lookahead` frames ahead of a peak
// and recovers with a `releaseSeconds` time constant. To see the peaks coming it
// holds the signal back: limiterStep returns the frame fed limiterLatency() steps
// earlier (silence before the first). Buffers are allocated by limiterInit.
struct Limiter {
  std::vector<float> input;    // ring of the last input frames, interleaved stereo
  std::vector<float> need;     // ring: gain each frame needs to stay under the ceiling
  std::vector<int64_t> queue;  // ring of frame numbers whose need is a running minimum
  std::vector<float> gain;     // ring: the gain after recovery, for the box average
  int64_t fed;                 // frames fed so far
  int64_t queueHead, queueTail;
  double gainSum;  // sum of the `gain` ring
  double g;        // gain of the latest frame, recovering towards 1
  double recover;  // share of the way back to 1 per frame
  float ceiling;
  int lookahead;
};
void limiterInit(Limiter& l, float ceiling, int lookahead, float releaseSeconds);
void limiterStep(Limiter& l, float inL, float inR, float& outL, float& outR);
int limiterLatency(const Limiter& l);  // frames

// ---- per-sample steps, inline: they run millions of times per render ------------

namespace detail {
// Residual of a unit step smoothed over one sample period either side of the
// discontinuity; t is the phase 0..1, dt the phase increment per sample.
inline float polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return float(t + t - t * t - 1.0);
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return float(t * t + t + t + 1.0);
  }
  return 0.0f;
}

// A phase wrapped back into 0..1.
inline double wrapPhase(double p) { return p - std::floor(p); }
}  // namespace detail

inline float rngNext(Rng& r) {
  uint32_t x = r.state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  r.state = x;
  return float(int32_t(x)) * (1.0f / 2147483648.0f);
}

[[gnu::always_inline]] inline float oscStep(Osc& o, Wave w, double inc, float width) {
  const double dt = inc;
  double t = o.phase;
  float y = 0.0f;
  switch (w) {
    case waveSine:
      y = float(std::sin(6.283185307179586 * t));
      break;
    case waveSaw:
      y = float(2.0 * t - 1.0) - detail::polyBlep(t, dt);
      break;
    case wavePulse: {
      double pw = std::clamp(double(width), 0.05, 0.95);
      y = t < pw ? 1.0f : -1.0f;
      y += detail::polyBlep(t, dt);
      y -= detail::polyBlep(detail::wrapPhase(t - pw + 1.0), dt);
      break;
    }
    case waveTriangle:
      y = float(t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t);
      break;
    case waveNoise:
      y = rngNext(o.rng);
      break;
  }
  o.phase = t + dt;
  if (o.phase >= 1.0) o.phase -= 1.0;
  return y;
}

[[gnu::always_inline]] inline float envStep(Env& e, const EnvShape& s) {
  switch (e.stage) {
    case envIdle:
      return 0.0f;
    case envAttack:
      e.level += s.attackStep;
      if (e.level >= 1.0f) {
        e.level = 1.0f;
        e.stage = envDecay;
      }
      break;
    case envDecay:
      e.level = s.sustain + (e.level - s.sustain) * s.decayCoef;
      if (s.sustain == 0.0f && e.level < 1e-4f) envInit(e);  // a one-shot has died away
      break;
    case envRelease:
      e.level *= s.releaseCoef;
      if (e.level < 1e-4f) envInit(e);
      break;
  }
  return e.level;
}

[[gnu::always_inline]] inline float svfStep(Svf& f, FilterMode m, float x) {
  float v3 = x - f.ic2;
  float v1 = f.a1 * f.ic1 + f.a2 * v3;
  float v2 = f.ic2 + f.a2 * f.ic1 + f.a3 * v3;
  f.ic1 = 2.0f * v1 - f.ic1;
  f.ic2 = 2.0f * v2 - f.ic2;
  switch (m) {
    case filterLow:
      return v2;
    case filterBand:
      return f.k * v1;  // normalised: 0 dB at the centre
    case filterHigh:
      return x - f.k * v1 - v2;
  }
  return v2;
}

}  // namespace synth
