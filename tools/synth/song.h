// The shape of a song as the renderer reads it: instruments, one-bar patterns
// written like tracker rows, an order list that names the pattern each track
// plays in each bar, and filter sweeps over ranges of bars.
#pragma once

#include "synth.h"

namespace synth {

constexpr int rowsPerBar = 16;  // one row is a sixteenth note
constexpr int maxTracks = 12;

// Written with designated initialisers: a field left out keeps the value given here.
struct Instrument {
  const char* name = nullptr;
  Wave wave1 = waveSine;    // main oscillator
  int unison = 0;           // 1..3 copies of wave1: centre, then left and right detuned
  float detuneCents = 0;    // detune of the left/right copies, +- cents
  float width = 0;          // pulse duty cycle for wavePulse 0.05..0.95
  Wave wave2 = waveSine;    // second oscillator, mixed into the centre
  float osc2Semitones = 0;  // pitch of the second oscillator relative to the note
  float osc2Level = 0;      // 0..1, 0 switches it off
  float noiseLevel = 0;     // 0..1 white noise mixed in
  float noiseDecay = 0;     // s, time constant of the noise level; 0 = follows the amp envelope only
  int baseNote = 0;         // MIDI note played by an "x" cell
  float pitchDrop = 0;      // semitones added at the note start, decaying away
  float pitchDecay = 0;     // s, time constant of that drop
  EnvShape amp = {};        // amplitude envelope
  FilterMode filter = filterLow;
  float cutoff = 0;            // Hz at note 60 with the filter envelope closed
  float q = 0;                 // 0.5..10, 0.707 = no resonance peak
  float filterEnvOctaves = 0;  // how far the filter envelope opens the cutoff, octaves
  EnvShape filterEnv = {};
  float keyTrack = 0;    // 0..1, cutoff follows the note by this fraction of its octaves
  float drive = 0;       // 0 = clean; > 0 saturates after the filter by this input gain
  float gate = 0;        // s a note is held before it releases; 0 = until the next note or "="
  float volume = 0;      // linear gain into the mix
  float pan = 0;         // -1 left .. +1 right
  float delaySend = 0;   // 0..1 into the ping-pong delay
  float reverbSend = 0;  // 0..1 into the reverb
  float duck = 0;        // 0..1 dip of the level at each kick (sidechain pump)
};

// A one-bar pattern: 16 whitespace-separated cells. A cell is "." (nothing),
// "=" (release the held note), "x" (the instrument's base note) or a note such
// as "A4", "C#5", "Bb3"; either may end in ":1".. ":9" for a softer velocity
// (9 = full, the default).
struct Pattern {
  const char* name;
  const char* cells;
};

struct Track {
  const char* name;
  const char* instrument;  // Instrument::name
  int voices;              // 1..8 overlapping notes (release tails)
};

// Pattern name per track for one bar; "" leaves the track silent for that bar
// (a held note is released at the bar start).
struct OrderRow {
  const char* pattern[maxTracks];
};

// Moves a track's filter cutoff by `fromOctaves` at the start of bar `fromBar`
// to `toOctaves` at the start of bar `toBar`, linearly per row.
struct Sweep {
  const char* track;
  int fromBar, toBar;
  float fromOctaves, toOctaves;
};

// Written with designated initialisers, like the instruments.
struct Song {
  int samplesPerRow = 0;  // 44100 * 60 / bpm / 4
  const Instrument* instruments = nullptr;
  int instrumentCount = 0;
  const Track* tracks = nullptr;
  int trackCount = 0;  // <= maxTracks
  const Pattern* patterns = nullptr;
  int patternCount = 0;
  const OrderRow* order = nullptr;
  int orderCount = 0;  // bars
  const Sweep* sweeps = nullptr;
  int sweepCount = 0;
  float delayRows = 0;  // delay time in rows
  float delayFeedback = 0;
  float reverbRoom = 0;   // 0..1
  float reverbDamp = 0;   // 0..1
  float reverbLevel = 0;  // linear gain of the reverb return
  float delayLevel = 0;   // linear gain of the delay return
  // Linear gain of the mix into the limiter when mastering: fixed here, so that a render
  // need not hear the whole song first. measureMasterGain (synth --gain) finds it again.
  float masterGain = 1;
};

// The show's piece.
extern const Song ninjaSong;

}  // namespace synth
