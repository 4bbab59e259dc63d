// The renderer: sequencer, voices, effect returns and mastering.
#include "render.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace synth {

namespace {
constexpr double pi = 3.14159265358979323846;
constexpr int controlBlock = 32;      // samples between pitch/cutoff/duck updates
constexpr double duckSeconds = 0.22;  // length of the dip after each kick
constexpr double duckAttack = 0.004;  // the dip's way down: fast, but not a click
constexpr const char* duckSource = "kick";
// Stereo width, 0 = mono .. 1 = hard left/right: of the unison copies of a
// voice, of the delay's ping-pong and of the reverb. Kept modest so the mix
// holds together in mono.
constexpr float unisonWidth = 0.5f, delayWidth = 0.6f, reverbWidth = 0.5f;

// ---- parsed song ---------------------------------------------------------------

enum CellKind : uint8_t { cellNone, cellNote, cellOff };
struct Cell {
  CellKind kind;
  uint8_t note;    // MIDI note for cellNote
  float velocity;  // 0..1
};
struct ParsedPattern {
  Cell cells[rowsPerBar];
};

// Parses one cell token; false if it is not a cell.
bool parseCell(const std::string& tok, int baseNote, Cell& c) {
  c = {cellNone, 0, 1.0f};
  std::string body = tok;
  size_t colon = tok.find(':');
  if (colon != std::string::npos) {
    if (colon + 2 != tok.size() || tok[colon + 1] < '1' || tok[colon + 1] > '9') return false;
    c.velocity = float(tok[colon + 1] - '0') / 9.0f;
    body = tok.substr(0, colon);
  }
  if (body == ".") return colon == std::string::npos;
  if (body == "=") return colon == std::string::npos ? (c.kind = cellOff, true) : false;
  c.kind = cellNote;
  if (body == "x") return c.note = uint8_t(baseNote), true;
  static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (body.size() < 2 || body[0] < 'A' || body[0] > 'G') return false;
  int note = steps[body[0] - 'A'];
  size_t i = 1;
  if (body[i] == '#')
    note++, i++;
  else if (body[i] == 'b')
    note--, i++;
  if (i + 1 != body.size() || !std::isdigit(uint8_t(body[i]))) return false;
  c.note = uint8_t(note + 12 * (body[i] - '0' + 1));
  return true;
}

// Parses a pattern's 16 cells; empty string on success, else the reason.
std::string parsePattern(const Pattern& p, int baseNote, ParsedPattern& out) {
  int n = 0;
  const char* s = p.cells;
  while (*s) {
    while (*s && std::isspace(uint8_t(*s))) s++;
    if (!*s) break;
    const char* start = s;
    while (*s && !std::isspace(uint8_t(*s))) s++;
    std::string tok(start, s);
    if (n == rowsPerBar) return std::string("pattern ") + p.name + " has more than 16 cells";
    if (!parseCell(tok, baseNote, out.cells[n]))
      return std::string("pattern ") + p.name + ": bad cell \"" + tok + "\"";
    n++;
  }
  if (n != rowsPerBar) return std::string("pattern ") + p.name + " has fewer than 16 cells";
  return "";
}

int findInstrument(const Song& song, const char* name) {
  for (int i = 0; i < song.instrumentCount; ++i)
    if (std::strcmp(song.instruments[i].name, name) == 0) return i;
  return -1;
}

int findPattern(const Song& song, const char* name) {
  for (int i = 0; i < song.patternCount; ++i)
    if (std::strcmp(song.patterns[i].name, name) == 0) return i;
  return -1;
}

int findTrack(const Song& song, const char* name) {
  for (int i = 0; i < song.trackCount; ++i)
    if (std::strcmp(song.tracks[i].name, name) == 0) return i;
  return -1;
}

// Every bar's cells per track, resolved from the order list.
struct Score {
  std::vector<Instrument> instrument;           // per track, envelopes prepared
  std::vector<std::vector<ParsedPattern>> bar;  // [track][bar]
  std::vector<std::vector<bool>> playing;       // [track][bar]: false for an empty slot
};

std::string buildScore(const Song& song, Score& score) {
  if (song.trackCount < 1 || song.trackCount > maxTracks) return "track count out of range";
  if (song.orderCount < 1 || song.samplesPerRow < 1) return "empty song";
  score.instrument.assign(song.trackCount, Instrument{});
  score.bar.assign(song.trackCount, std::vector<ParsedPattern>(song.orderCount));
  score.playing.assign(song.trackCount, std::vector<bool>(song.orderCount, false));
  for (int t = 0; t < song.trackCount; ++t) {
    const Track& tr = song.tracks[t];
    int ins = findInstrument(song, tr.instrument);
    if (ins < 0) return std::string("track ") + tr.name + ": unknown instrument " + tr.instrument;
    if (tr.voices < 1 || tr.voices > 8) return std::string("track ") + tr.name + ": voices out of 1..8";
    score.instrument[t] = song.instruments[ins];
    envPrepare(score.instrument[t].amp);
    envPrepare(score.instrument[t].filterEnv);
    for (int b = 0; b < song.orderCount; ++b) {
      const char* name = song.order[b].pattern[t];
      if (!name || !*name) continue;
      int p = findPattern(song, name);
      if (p < 0) return std::string("bar ") + std::to_string(b) + ": unknown pattern " + name;
      std::string err = parsePattern(song.patterns[p], song.instruments[ins].baseNote, score.bar[t][b]);
      if (!err.empty()) return err;
      score.playing[t][b] = true;
    }
  }
  for (int i = 0; i < song.sweepCount; ++i)
    if (findTrack(song, song.sweeps[i].track) < 0)
      return std::string("sweep on unknown track ") + song.sweeps[i].track;
  return "";
}

// ---- voices ----------------------------------------------------------------------

struct Voice {
  bool active;     // sounding (until its amp envelope finishes)
  long age;        // samples since the note started; used to pick a voice to steal
  double note;     // MIDI note
  float velocity;  // 0..1
  long gateLeft;   // samples until an automatic release; < 0 when none pending
  float drop;      // current pitch drop, semitones
  float noise;     // current noise level
  Osc osc[3];      // unison copies of wave1: centre, left, right
  Osc osc2, noiseOsc;
  Env amp, fenv;
  Svf filter[2];  // left/centre and right
};

void voiceStart(Voice& v, const Instrument& ins, const Cell& c, uint32_t seed) {
  v = Voice{};
  v.active = true;
  v.note = c.note;
  v.velocity = c.velocity;
  v.gateLeft = ins.gate > 0.0f ? long(ins.gate * sampleRate) : -1;
  v.drop = ins.pitchDrop;
  v.noise = ins.noiseLevel;
  // Fixed start phases: a drum hit sounds the same every time; unison copies start apart.
  for (int i = 0; i < 3; ++i) oscInit(v.osc[i], i * 0.37, seed + i);
  oscInit(v.osc2, 0.5, seed + 7);
  oscInit(v.noiseOsc, 0.0, seed * 2654435761u + 1);
  envGate(v.amp, true);
  envGate(v.fenv, true);
  svfInit(v.filter[0]);
  svfInit(v.filter[1]);
}

void voiceRelease(Voice& v) {
  envGate(v.amp, false);
  envGate(v.fenv, false);
  v.gateLeft = -1;
}

// Level of the sidechain dip `since` samples after a kick: down to 1 - duck
// over duckAttack seconds, then back to 1 by duckSeconds.
float duckGain(float duck, long since) {
  double t = double(since) / sampleRate;
  if (duck <= 0.0f || t >= duckSeconds) return 1.0f;
  if (t < duckAttack) return float(1.0 - duck * t / duckAttack);
  double back = (t - duckAttack) / (duckSeconds - duckAttack);
  return float(1.0 - duck * (1.0 - back) * (1.0 - back));
}

// Pulls a stereo pair towards its middle: width 1 leaves it, 0 makes it mono.
void narrow(float& l, float& r, float width) {
  const float keep = 0.5f * (1.0f + width), cross = 0.5f * (1.0f - width);
  const float nl = keep * l + cross * r;
  r = keep * r + cross * l;
  l = nl;
}

float saturate(float x, float drive) {
  if (drive <= 0.0f) return x;
  float y = x * drive;
  return y / (1.0f + std::fabs(y)) * (1.0f + drive) / drive;
}

// Everything that holds for one control block of a voice.
struct BlockParams {
  double hz;           // main oscillator pitch
  float detune;        // frequency ratio of the right copy (left uses its inverse)
  float gainL, gainR;  // pan, volume, velocity and duck together, at the block start
  float stepL, stepR;  // gain change per sample, so the duck moves without zipper steps
};

// One control block (n <= controlBlock samples) of a voice, added into the
// interleaved stereo buffer `out`.
void voiceBlock(Voice& v, const Instrument& ins, const BlockParams& p, float cutoffOct, int n, float* out) {
  float cutoff = ins.cutoff * std::exp2(cutoffOct + ins.filterEnvOctaves * v.fenv.level +
                                        ins.keyTrack * float(v.note - 60.0) / 12.0f);
  bool wide = ins.unison > 1;
  svfTune(v.filter[0], cutoff, ins.q);
  if (wide) svfTune(v.filter[1], cutoff, ins.q);
  const double inc = oscIncrement(p.hz), inc2 = oscIncrement(p.hz * std::exp2(ins.osc2Semitones / 12.0));
  const double incL = oscIncrement(p.hz / p.detune), incR = oscIncrement(p.hz * p.detune);
  float noiseCoef = ins.noiseDecay > 0.0f ? std::exp(-1.0f / (ins.noiseDecay * sampleRate)) : 1.0f;
  for (int i = 0; i < n; ++i) {
    float centre = oscStep(v.osc[0], ins.wave1, inc, ins.width);
    if (ins.osc2Level > 0.0f) centre += ins.osc2Level * oscStep(v.osc2, ins.wave2, inc2, ins.width);
    if (v.noise > 0.0f) centre += v.noise * oscStep(v.noiseOsc, waveNoise, 0.0, 0.5f);
    v.noise *= noiseCoef;
    float left = centre, right = centre;
    if (wide) {
      float l = oscStep(v.osc[1], ins.wave1, incL, ins.width);
      float r = oscStep(v.osc[2], ins.wave1, incR, ins.width);
      narrow(l, r, unisonWidth);
      left += l;
      right += r;
    }
    float a = envStep(v.amp, ins.amp);
    envStep(v.fenv, ins.filterEnv);
    float outL = saturate(svfStep(v.filter[0], ins.filter, left), ins.drive) * a;
    float outR = wide ? saturate(svfStep(v.filter[1], ins.filter, right), ins.drive) * a : outL;
    out[2 * i] += outL * (p.gainL + p.stepL * float(i));
    out[2 * i + 1] += outR * (p.gainR + p.stepR * float(i));
  }
}

// A voice over `count` samples added into the interleaved stereo buffer `out`,
// honouring its gate time.
void voiceRun(Voice& v, const Instrument& ins, float cutoffOct, long kickAge, long count, float* out) {
  const float panAngle = (std::clamp(ins.pan, -1.0f, 1.0f) + 1.0f) * float(pi) / 4.0f;
  const float detune = float(std::exp2(ins.detuneCents / 1200.0));
  const float pitchCoef =
      ins.pitchDecay > 0.0f ? std::exp(-float(controlBlock) / (ins.pitchDecay * sampleRate)) : 0.0f;
  for (long done = 0; done < count && v.active;) {
    int n = int(std::min<long>(controlBlock, count - done));
    if (v.gateLeft >= 0 && v.gateLeft < n) n = std::max<long>(1, v.gateLeft);
    const float g0 = ins.volume * v.velocity * duckGain(ins.duck, kickAge + done);
    const float dg = (ins.volume * v.velocity * duckGain(ins.duck, kickAge + done + n) - g0) / float(n);
    const float panL = std::cos(panAngle), panR = std::sin(panAngle);
    BlockParams p{noteToHz(v.note + v.drop), detune, g0 * panL, g0 * panR, dg * panL, dg * panR};
    voiceBlock(v, ins, p, cutoffOct, n, out + 2 * done);
    v.drop *= pitchCoef;
    done += n;
    v.age += n;
    if (v.gateLeft >= 0 && (v.gateLeft -= n) <= 0) voiceRelease(v);
    if (v.amp.stage == envIdle) v.active = false;
  }
}

// ---- sequencing -------------------------------------------------------------------

struct TrackState {
  std::vector<Voice> voices;
  int held;  // index of the voice the track's current note plays on, -1 if none
};

// A free voice, or else the one that started longest ago.
int pickVoice(const TrackState& ts) {
  int best = 0;
  for (int i = 0; i < int(ts.voices.size()); ++i) {
    if (!ts.voices[i].active) return i;
    if (ts.voices[i].age > ts.voices[best].age) best = i;
  }
  return best;
}

void releaseHeld(TrackState& ts) {
  if (ts.held >= 0) voiceRelease(ts.voices[ts.held]);
  ts.held = -1;
}

// Applies one row's cell of a track.
void playCell(TrackState& ts, const Instrument& ins, const Cell& c, uint32_t seed) {
  if (c.kind == cellNone) return;
  releaseHeld(ts);
  if (c.kind == cellOff) return;
  ts.held = pickVoice(ts);
  voiceStart(ts.voices[ts.held], ins, c, seed);
}

// Cutoff offset in octaves of track t at a row, from the song's sweeps.
float sweepOffset(const Song& song, int t, long row) {
  float off = 0.0f;
  for (int i = 0; i < song.sweepCount; ++i) {
    const Sweep& s = song.sweeps[i];
    if (std::strcmp(s.track, song.tracks[t].name) != 0) continue;
    long from = long(s.fromBar) * rowsPerBar, to = long(s.toBar) * rowsPerBar;
    if (row < from || row >= to) continue;
    off += s.fromOctaves + (s.toOctaves - s.fromOctaves) * float(row - from) / float(to - from);
  }
  return off;
}

// Applies the cells of one row to every track. Rows go on past the order list's end,
// pass after pass: each pass plays the same cells, sweeps and noise, and at its start
// every note still held from the pass before is released.
void playRow(const Song& song, const Score& score, long row, std::vector<TrackState>& ts, long& kickAge) {
  const long rows = long(song.orderCount) * rowsPerBar, r = row % rows;
  const int kick = findTrack(song, duckSource);
  for (int t = 0; t < song.trackCount; ++t) {
    if (r == 0) releaseHeld(ts[t]);
    const long bar = r / rowsPerBar;
    if (!score.playing[t][bar]) {
      if (r % rowsPerBar == 0) releaseHeld(ts[t]);
      continue;
    }
    const Cell& c = score.bar[t][bar].cells[r % rowsPerBar];
    playCell(ts[t], score.instrument[t], c, uint32_t(r * 131 + t * 7919 + 1));
    if (t == kick && c.kind == cellNote) kickAge = 0;
  }
}

// One row of the song: its dry mix and effect sends, interleaved stereo.
struct RowBuses {
  std::vector<float> dry, delay, reverb, scratch;
};

// Renders one row of track t's voices and adds it to the dry mix and the effect sends.
void renderRow(const Song& song, const Score& score, int t, long row, long kickAge, TrackState& ts,
               RowBuses& out) {
  bool silent = true;
  for (const Voice& v : ts.voices) silent = silent && !v.active;
  if (silent) return;
  const Instrument& ins = score.instrument[t];
  const float off = sweepOffset(song, t, row % (long(song.orderCount) * rowsPerBar));
  std::fill(out.scratch.begin(), out.scratch.end(), 0.0f);
  for (Voice& v : ts.voices)
    if (v.active) voiceRun(v, ins, off, kickAge, song.samplesPerRow, out.scratch.data());
  for (size_t i = 0; i < out.scratch.size(); ++i) {
    out.dry[i] += out.scratch[i];
    out.delay[i] += out.scratch[i] * ins.delaySend;
    out.reverb[i] += out.scratch[i] * ins.reverbSend;
  }
}

int16_t pcm16Sample(float x) {
  return int16_t(std::clamp(std::lround(double(x) * 32767.0), -32768L, 32767L));
}

void putLe(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
}  // namespace

// The song from silence on, pass after pass, every stage stepped forward.
struct SongStream {
  const Song* song;
  Score score;
  int solo;
  bool master;
  std::vector<TrackState> ts;
  long row;      // the row in `bus`
  long rowPos;   // frames of it already taken
  long kickAge;  // samples since the last kick, at the row's start
  RowBuses bus;
  Delay delay;
  Reverb reverb;
  float dcCoef, dcIn[2], dcOut[2];  // one-pole high-pass at 12 Hz: removes DC
  Limiter limiter;
};

namespace {
// The next row into the stream's buses.
void nextRow(SongStream& s) {
  const Song& song = *s.song;
  s.row++;
  s.rowPos = 0;
  s.kickAge = std::min(s.kickAge + song.samplesPerRow, 1L << 30);
  for (std::vector<float>* b : {&s.bus.dry, &s.bus.delay, &s.bus.reverb})
    std::fill(b->begin(), b->end(), 0.0f);
  playRow(song, s.score, s.row, s.ts, s.kickAge);
  for (int t = 0; t < song.trackCount; ++t)
    if (s.solo < 0 || t == s.solo) renderRow(song, s.score, t, s.row, s.kickAge, s.ts[t], s.bus);
}

// The next `frames` frames of the mix (dry signal and effect returns, DC removed),
// before mastering.
void mixFrames(SongStream& s, float* out, long frames) {
  const Song& song = *s.song;
  for (long i = 0; i < frames; ++i) {
    if (s.rowPos == song.samplesPerRow) nextRow(s);
    const long at = 2 * s.rowPos++;
    float dl, dr, rl, rr;
    delayStep(s.delay, s.bus.delay[at], s.bus.delay[at + 1], dl, dr);
    narrow(dl, dr, delayWidth);
    reverbStep(s.reverb, s.bus.reverb[at], s.bus.reverb[at + 1], rl, rr);
    narrow(rl, rr, reverbWidth);
    const float mix[2] = {s.bus.dry[at] + song.delayLevel * dl + song.reverbLevel * rl,
                          s.bus.dry[at + 1] + song.delayLevel * dr + song.reverbLevel * rr};
    for (int c = 0; c < 2; ++c) {
      s.dcOut[c] = flushTiny(mix[c] - s.dcIn[c] + s.dcCoef * s.dcOut[c]);
      s.dcIn[c] = mix[c];
      out[2 * i + c] = s.dcOut[c];
    }
  }
}

// Mastering: `frames` frames of mix, in place, times gain and through the limiter.
void masterFrames(Limiter& limiter, float gain, float* buf, long frames) {
  for (long i = 0; i < 2 * frames; i += 2)
    limiterStep(limiter, buf[i] * gain, buf[i + 1] * gain, buf[i], buf[i + 1]);
}

void limiterFor(Limiter& limiter, const MasterSettings& s) {
  limiterInit(limiter, float(std::pow(10.0, s.ceilingDbfs / 20.0)), sampleRate / 400, 0.08f);
}

// Renders `frames` frames of the stream and drops them, a scratch buffer at a time.
void skipFrames(SongStream* s, long frames, std::vector<float>& scratch) {
  for (long done = 0; done < frames;) {
    const long n = std::min<long>(frames - done, long(scratch.size() / 2));
    streamRender(s, scratch.data(), n);
    done += n;
  }
}
}  // namespace

std::string songCheck(const Song& song) {
  Score score;
  return buildScore(song, score);
}

long songFrames(const Song& song) { return long(song.orderCount) * rowsPerBar * song.samplesPerRow; }

SongStream* openStream(const Song& song, int soloTrack, bool doMaster, const MasterSettings& settings) {
  SongStream* s = new SongStream{};
  if (!buildScore(song, s->score).empty()) {
    delete s;
    return nullptr;
  }
  s->song = &song;
  s->solo = soloTrack;
  s->master = doMaster;
  s->ts.resize(song.trackCount);
  for (int t = 0; t < song.trackCount; ++t) s->ts[t] = {std::vector<Voice>(song.tracks[t].voices), -1};
  s->row = -1;
  s->rowPos = song.samplesPerRow;
  s->kickAge = 1L << 30;
  for (std::vector<float>* b : {&s->bus.dry, &s->bus.delay, &s->bus.reverb, &s->bus.scratch})
    b->assign(2 * song.samplesPerRow, 0.0f);
  delayInit(s->delay, int(std::lround(song.delayRows * song.samplesPerRow)), song.delayFeedback, 0.35f);
  reverbInit(s->reverb, song.reverbRoom, song.reverbDamp);
  s->dcCoef = float(std::exp(-2.0 * pi * 12.0 / sampleRate));
  limiterFor(s->limiter, settings);
  if (doMaster) {
    // The limiter holds the music back by its latency: it is fed that far ahead.
    std::vector<float> ahead(2 * limiterLatency(s->limiter));
    mixFrames(*s, ahead.data(), limiterLatency(s->limiter));
    masterFrames(s->limiter, song.masterGain, ahead.data(), limiterLatency(s->limiter));
  }
  return s;
}

void streamRender(SongStream* s, float* out, long frames) {
  mixFrames(*s, out, frames);
  if (s->master) masterFrames(s->limiter, s->song->masterGain, out, frames);
}

void closeStream(SongStream* s) { delete s; }

std::vector<float> renderSong(const Song& song, int soloTrack, bool doMaster,
                              const MasterSettings& settings) {
  SongStream* s = openStream(song, soloTrack, doMaster, settings);
  if (!s) return {};
  const long frames = songFrames(song);
  std::vector<float> out(2 * frames);
  skipFrames(s, frames, out);
  streamRender(s, out.data(), frames);
  closeStream(s);
  return out;
}

float measureMasterGain(const Song& song, const MasterSettings& s) {
  // Two passes of the raw mix and the limiter's latency: the second pass, mastered,
  // is the loop.
  SongStream* stream = openStream(song, -1, false);
  if (!stream) return 1.0f;
  Limiter limiter;
  limiterFor(limiter, s);
  const long frames = songFrames(song), latency = limiterLatency(limiter);
  std::vector<float> mix(2 * (2 * frames + latency));
  streamRender(stream, mix.data(), 2 * frames + latency);
  closeStream(stream);
  const double raw = loudnessLufs(std::vector<float>(mix.begin() + 2 * frames, mix.end() - 2 * latency));
  if (raw < -150.0) return 1.0f;
  // The limiter lowers the loudness a little, so the gain is corrected and tried again.
  double gainDb = s.targetLufs - raw;
  float gain = 1.0f;
  std::vector<float> out(2 * frames);
  for (int pass = 0; pass < 3; ++pass) {
    gain = float(std::pow(10.0, gainDb / 20.0));
    limiterFor(limiter, s);
    for (long i = 0; i < 2 * frames + latency; ++i) {  // as masterFrames, keeping the second pass
      float l, r;
      limiterStep(limiter, mix[2 * i] * gain, mix[2 * i + 1] * gain, l, r);
      if (const long o = i - latency - frames; o >= 0) out[2 * o] = l, out[2 * o + 1] = r;
    }
    const double got = loudnessLufs(out);
    if (std::fabs(got - s.targetLufs) < 0.05) break;  // usually after the second pass
    gainDb += s.targetLufs - got;
  }
  return gain;
}

void toPcm16(const float* in, int16_t* out, long count) {
  for (long i = 0; i < count; ++i) out[i] = pcm16Sample(in[i]);
}

std::vector<uint8_t> wavBytes(const std::vector<float>& stereo) {
  const uint32_t dataBytes = uint32_t(stereo.size() * 2);
  std::vector<uint8_t> b;
  b.reserve(44 + dataBytes);
  for (char ch : std::string("RIFF")) b.push_back(uint8_t(ch));
  putLe(b, 36 + dataBytes, 4);
  for (char ch : std::string("WAVEfmt ")) b.push_back(uint8_t(ch));
  putLe(b, 16, 4);  // fmt chunk size
  putLe(b, 1, 2);   // PCM
  putLe(b, 2, 2);   // channels
  putLe(b, sampleRate, 4);
  putLe(b, sampleRate * 2 * 2, 4);  // bytes per second
  putLe(b, 4, 2);                   // bytes per frame
  putLe(b, 16, 2);                  // bits per sample
  for (char ch : std::string("data")) b.push_back(uint8_t(ch));
  putLe(b, dataBytes, 4);
  b.resize(44 + dataBytes);
  uint8_t* p = b.data() + 44;
  for (float x : stereo) {
    const uint16_t v = uint16_t(pcm16Sample(x));
    *p++ = uint8_t(v & 0xff);
    *p++ = uint8_t(v >> 8);
  }
  return b;
}

bool writeWav(const char* path, const std::vector<float>& stereo) {
  std::vector<uint8_t> bytes = wavBytes(stereo);
  FILE* f = std::fopen(path, "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "synth: cannot write %s\n", path);
  return ok;
}

}  // namespace synth
