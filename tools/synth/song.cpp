// The show's piece: 48 bars at 140 BPM in A minor (Am F C G, two bars each),
// about 82 s, built to loop. Tracker-style data: instruments, one-bar
// patterns, the order list and the filter sweeps.
#include "song.h"

#include <iterator>

namespace synth {

namespace {

// clang-format off
// Named fields, so that a new one cannot shift the others; a field left out is 0 (off,
// centred, no send). Envelopes are {attack, decay, sustain, release}.
const Instrument instruments[] = {
  {.name = "kick", .wave1 = waveSine, .unison = 1, .width = 0.5f, .noiseLevel = 0.25f,
   .noiseDecay = 0.004f, .baseNote = 33, .pitchDrop = 40, .pitchDecay = 0.022f,
   .amp = {0.0005f, 0.5f, 0, 0.05f}, .filter = filterLow, .cutoff = 6000, .q = 0.7f,
   .filterEnv = {0.001f, 0.1f, 0, 0.1f}, .drive = 1.5f, .volume = 0.85f, .reverbSend = 0.02f},
  {.name = "snare", .wave1 = waveSine, .unison = 1, .width = 0.5f, .noiseLevel = 0.9f,
   .baseNote = 55, .pitchDrop = 12, .pitchDecay = 0.015f, .amp = {0.001f, 0.22f, 0, 0.05f},
   .filter = filterHigh, .cutoff = 220, .q = 0.7f, .filterEnv = {0.001f, 0.1f, 0, 0.1f},
   .volume = 0.4f, .reverbSend = 0.25f},
  {.name = "hat", .wave1 = waveNoise, .unison = 1, .width = 0.5f, .baseNote = 60,
   .amp = {0.0005f, 0.045f, 0, 0.03f}, .filter = filterHigh, .cutoff = 7500, .q = 0.9f,
   .filterEnv = {0.001f, 0.1f, 0, 0.1f}, .volume = 0.3f, .pan = 0.25f, .reverbSend = 0.05f},
  {.name = "openhat", .wave1 = waveNoise, .unison = 1, .width = 0.5f, .baseNote = 60,
   .amp = {0.001f, 0.25f, 0, 0.05f}, .filter = filterHigh, .cutoff = 6500, .q = 0.9f,
   .filterEnv = {0.001f, 0.1f, 0, 0.1f}, .volume = 0.2f, .pan = -0.25f, .reverbSend = 0.1f},
  {.name = "bass", .wave1 = waveSaw, .unison = 1, .width = 0.5f, .wave2 = wavePulse,
   .osc2Semitones = -12, .osc2Level = 0.6f, .baseNote = 33, .amp = {0.002f, 0.25f, 0.5f, 0.04f},
   .filter = filterLow, .cutoff = 220, .q = 1.6f, .filterEnvOctaves = 3.2f,
   .filterEnv = {0.001f, 0.14f, 0, 0.1f}, .keyTrack = 0.5f, .drive = 0.8f, .gate = 0.085f,
   .volume = 0.5f, .reverbSend = 0.03f, .duck = 0.3f},
  {.name = "arp", .wave1 = wavePulse, .unison = 1, .width = 0.3f, .baseNote = 69,
   .amp = {0.002f, 0.16f, 0.25f, 0.08f}, .filter = filterLow, .cutoff = 1500, .q = 2.8f,
   .filterEnvOctaves = 1.8f, .filterEnv = {0.001f, 0.09f, 0, 0.1f}, .keyTrack = 0.5f, .gate = 0.06f,
   .volume = 0.22f, .pan = -0.15f, .delaySend = 0.45f, .reverbSend = 0.25f, .duck = 0.45f},
  {.name = "lead", .wave1 = waveSaw, .unison = 3, .detuneCents = 12, .width = 0.5f,
   .wave2 = waveSaw, .osc2Semitones = 12, .osc2Level = 0.25f, .baseNote = 69,
   .amp = {0.004f, 0.5f, 0.75f, 0.22f}, .filter = filterLow, .cutoff = 2200, .q = 1.2f,
   .filterEnvOctaves = 1.2f, .filterEnv = {0.002f, 0.35f, 0.2f, 0.3f}, .keyTrack = 0.6f,
   .volume = 0.2f, .delaySend = 0.35f, .reverbSend = 0.35f, .duck = 0.25f},
  {.name = "pad", .wave1 = waveSaw, .unison = 3, .detuneCents = 10, .width = 0.5f, .baseNote = 57,
   .amp = {0.5f, 1.0f, 0.85f, 1.3f}, .filter = filterLow, .cutoff = 1300, .q = 0.9f,
   .filterEnvOctaves = 0.6f, .filterEnv = {0.8f, 1.5f, 0.5f, 1.3f}, .keyTrack = 0.3f,
   .volume = 0.13f, .reverbSend = 0.55f, .duck = 0.55f},
  {.name = "crash", .wave1 = waveNoise, .unison = 1, .width = 0.5f, .baseNote = 60,
   .amp = {0.001f, 2.2f, 0, 0.5f}, .filter = filterHigh, .cutoff = 3500, .q = 0.7f,
   .filterEnv = {0.001f, 0.1f, 0, 0.1f}, .volume = 0.18f, .reverbSend = 0.35f},
  {.name = "riser", .wave1 = waveNoise, .unison = 1, .width = 0.5f, .baseNote = 60,
   .amp = {6.5f, 1.0f, 1.0f, 0.25f}, .filter = filterBand, .cutoff = 500, .q = 3.0f,
   .filterEnv = {0.001f, 0.1f, 0, 0.1f}, .volume = 0.6f, .delaySend = 0.2f, .reverbSend = 0.4f},
};

const Track tracks[] = {
  {"kick", "kick", 2},     {"snare", "snare", 2},   {"hat", "hat", 2},
  {"openhat", "openhat", 2}, {"bass", "bass", 3},   {"arp", "arp", 4},
  {"lead", "lead", 3},     {"padlow", "pad", 3},    {"padmid", "pad", 3},
  {"padhigh", "pad", 3},   {"crash", "crash", 2},   {"riser", "riser", 2},
};

const Pattern patterns[] = {
  // drums
  {"kick",      "x . . . x . . . x . . . x . . ."},
  {"kickFill",  "x . . . x . . . x . . . x . x:7 x:8"},
  {"snare",     ". . . . x . . . . . . . x . . ."},
  {"snareFill", ". . . . x . . . x:6 . x:7 x:7 x . x:8 x"},
  {"roll8",     "x:3 . x:3 . x:4 . x:4 . x:5 . x:5 . x:6 . x:6 ."},
  {"roll16",    "x:6 x:6 x:6 x:7 x:7 x:7 x:7 x:8 x:8 x:8 x:8 x x x x x"},
  {"hatIntro",  ". . x:6 . . . x:6 . . . x:6 . . . x:6 x:3"},
  {"hat",       "x:4 x:3 x:7 x:3 x:4 x:3 x:7 x:3 x:4 x:3 x:7 x:3 x:4 x:3 x:7 x:5"},
  {"ohat",      ". . x . . . x . . . x . . . x ."},
  {"crash",     "x . . . . . . . . . . . . . . ."},
  {"riser",     "A4 . . . . . . . . . . . . . . ."},
  {"hold",      ". . . . . . . . . . . . . . . ."},
  // offbeat bass, one pattern per chord root
  {"bassA",     ". . A1 A1:5 . . A1 A2:6 . . A1 A1:5 . . A1 A2:6"},
  {"bassF",     ". . F1 F1:5 . . F1 F2:6 . . F1 F1:5 . . F1 F2:6"},
  {"bassC",     ". . C2 C2:5 . . C2 C3:6 . . C2 C2:5 . . C2 C3:6"},
  {"bassG",     ". . G1 G1:5 . . G1 G2:6 . . G1 G1:5 . . G1 G2:6"},
  // sixteenth arpeggios, three notes against the four beats
  {"arpA",      "A4 C5 E5 A4 C5 E5 A4 C5 E5 A4 C5 E5 A4 C5 A5 E5"},
  {"arpF",      "F4 A4 C5 F4 A4 C5 F4 A4 C5 F4 A4 C5 F4 A4 F5 C5"},
  {"arpC",      "G4 C5 E5 G4 C5 E5 G4 C5 E5 G4 C5 E5 G4 C5 G5 E5"},
  {"arpG",      "G4 B4 D5 G4 B4 D5 G4 B4 D5 G4 B4 D5 G4 B4 G5 D5"},
  // pad chord tones: Am = A3 C4 E4, F = F3 A3 C4, C = G3 C4 E4, G = G3 B3 D4
  {"lowA",      "A3 . . . . . . . . . . . . . . ."},
  {"lowF",      "F3 . . . . . . . . . . . . . . ."},
  {"lowC",      "G3 . . . . . . . . . . . . . . ."},
  {"lowG",      "G3 . . . . . . . . . . . . . . ."},
  {"midA",      "C4 . . . . . . . . . . . . . . ."},
  {"midF",      "A3 . . . . . . . . . . . . . . ."},
  {"midC",      "C4 . . . . . . . . . . . . . . ."},
  {"midG",      "B3 . . . . . . . . . . . . . . ."},
  {"highA",     "E4 . . . . . . . . . . . . . . ."},
  {"highF",     "C4 . . . . . . . . . . . . . . ."},
  {"highC",     "E4 . . . . . . . . . . . . . . ."},
  {"highG",     "D4 . . . . . . . . . . . . . . ."},
  // the tune, first statement
  {"leadA1",    "E5 . . E5 . . D5 . C5 . . . A4 . C5 ."},
  {"leadA2",    "D5 . . C5 . . B4 . C5 . . . E5 . . ."},
  {"leadA3",    "F5 . . E5 . . C5 . A4 . . . C5 . F5 ."},
  {"leadA4",    "E5 . . . D5 . . . C5 . . . . . = ."},
  {"leadA5",    "E5 . . G5 . . E5 . C5 . . . D5 . E5 ."},
  {"leadA6",    "G5 . . . E5 . . . C5 . D5 . E5 . . ."},
  {"leadA7",    "D5 . . B4 . . G4 . B4 . . . D5 . G5 ."},
  {"leadA8",    "G5 . . F5 . . E5 . D5 . . . B4 . = ."},
  // the tune an octave-ish higher, answering
  {"leadB1",    "A5 . . A5 . . G5 . E5 . . . C5 . E5 ."},
  {"leadB2",    "G5 . . E5 . . D5 . E5 . . . A5 . . ."},
  {"leadB3",    "A5 . . G5 . . F5 . C5 . . . F5 . A5 ."},
  {"leadB4",    "G5 . . . F5 . . . E5 . . . C5 . D5 ."},
  {"leadB5",    "E5 . . G5 . . C6 . G5 . . . E5 . G5 ."},
  {"leadB6",    "C6 . . . B5 . . . G5 . A5 . B5 . . ."},
  {"leadB7",    "B5 . . G5 . . D5 . G5 . . . B5 . D6 ."},
  {"leadB8",    "C6 . . B5 . . A5 . G5 . . . E5 . D5 ."},
};

// Columns: kick, snare, hat, openhat, bass, arp, lead, padlow, padmid, padhigh, crash, riser.
const OrderRow order[] = {
    // intro: beat, bass, arp opening up, pads
    {{"kick", "", "hatIntro", "", "bassA", "arpA", "", "lowA", "midA", "highA", "crash", ""}},  // bar 0
    {{"kick", "", "hatIntro", "", "bassA", "arpA", "", "hold", "hold", "hold", "", ""}},  // bar 1
    {{"kick", "", "hatIntro", "", "bassF", "arpF", "", "lowF", "midF", "highF", "", ""}},  // bar 2
    {{"kick", "", "hatIntro", "", "bassF", "arpF", "", "hold", "hold", "hold", "", ""}},  // bar 3
    {{"kick", "snare", "hat", "", "bassC", "arpC", "", "lowC", "midC", "highC", "", ""}},  // bar 4
    {{"kick", "snare", "hat", "", "bassC", "arpC", "", "hold", "hold", "hold", "", ""}},  // bar 5
    {{"kick", "snare", "hat", "", "bassG", "arpG", "", "lowG", "midG", "highG", "", ""}},  // bar 6
    {{"kick", "snareFill", "hat", "", "bassG", "arpG", "", "hold", "hold", "hold", "", ""}},  // bar 7
    // lead enters
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadA1", "lowA", "midA", "highA", "crash", ""}},  // bar 8
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadA2", "hold", "hold", "hold", "", ""}},  // bar 9
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadA3", "lowF", "midF", "highF", "", ""}},  // bar 10
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadA4", "hold", "hold", "hold", "", ""}},  // bar 11
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadA5", "lowC", "midC", "highC", "", ""}},  // bar 12
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadA6", "hold", "hold", "hold", "", ""}},  // bar 13
    {{"kick", "snare", "hat", "ohat", "bassG", "arpG", "leadA7", "lowG", "midG", "highG", "", ""}},  // bar 14
    {{"kick", "snareFill", "hat", "ohat", "bassG", "arpG", "leadA8", "hold", "hold", "hold", "", ""}},  // bar 15
    // lead, second half of the tune
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadB1", "lowA", "midA", "highA", "crash", ""}},  // bar 16
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadB2", "hold", "hold", "hold", "", ""}},  // bar 17
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadB3", "lowF", "midF", "highF", "", ""}},  // bar 18
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadB4", "hold", "hold", "hold", "", ""}},  // bar 19
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadB5", "lowC", "midC", "highC", "", ""}},  // bar 20
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadB6", "hold", "hold", "hold", "", ""}},  // bar 21
    {{"kick", "snare", "hat", "ohat", "bassG", "arpG", "leadB7", "lowG", "midG", "highG", "", ""}},  // bar 22
    {{"kick", "snareFill", "hat", "ohat", "bassG", "arpG", "leadB8", "hold", "hold", "hold", "", ""}},  // bar 23
    // breakdown: pads, lead, riser and snare roll
    {{"", "", "", "", "", "arpA", "leadA1", "lowA", "midA", "highA", "crash", ""}},  // bar 24
    {{"", "", "", "", "", "arpA", "leadA2", "hold", "hold", "hold", "", ""}},  // bar 25
    {{"", "", "", "", "", "arpF", "leadA3", "lowF", "midF", "highF", "", ""}},  // bar 26
    {{"", "", "", "", "", "arpF", "leadA4", "hold", "hold", "hold", "", ""}},  // bar 27
    {{"", "", "", "", "", "arpC", "leadA5", "lowC", "midC", "highC", "", "riser"}},  // bar 28
    {{"", "", "", "", "", "arpC", "leadA6", "hold", "hold", "hold", "", "hold"}},  // bar 29
    {{"", "roll8", "", "", "", "arpG", "leadA7", "lowG", "midG", "highG", "", "hold"}},  // bar 30
    {{"", "roll16", "", "", "", "arpG", "leadA8", "hold", "hold", "hold", "", "hold"}},  // bar 31
    // drop
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadA1", "lowA", "midA", "highA", "crash", ""}},  // bar 32
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadA2", "hold", "hold", "hold", "", ""}},  // bar 33
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadA3", "lowF", "midF", "highF", "", ""}},  // bar 34
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadA4", "hold", "hold", "hold", "", ""}},  // bar 35
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadA5", "lowC", "midC", "highC", "", ""}},  // bar 36
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadA6", "hold", "hold", "hold", "", ""}},  // bar 37
    {{"kick", "snare", "hat", "ohat", "bassG", "arpG", "leadA7", "lowG", "midG", "highG", "", ""}},  // bar 38
    {{"kick", "snareFill", "hat", "ohat", "bassG", "arpG", "leadA8", "hold", "hold", "hold", "", ""}},  // bar 39
    // last round; the arp closes again for the restart
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadB1", "lowA", "midA", "highA", "crash", ""}},  // bar 40
    {{"kick", "snare", "hat", "ohat", "bassA", "arpA", "leadB2", "hold", "hold", "hold", "", ""}},  // bar 41
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadB3", "lowF", "midF", "highF", "", ""}},  // bar 42
    {{"kick", "snare", "hat", "ohat", "bassF", "arpF", "leadB4", "hold", "hold", "hold", "", ""}},  // bar 43
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadB5", "lowC", "midC", "highC", "", ""}},  // bar 44
    {{"kick", "snare", "hat", "ohat", "bassC", "arpC", "leadB6", "hold", "hold", "hold", "", ""}},  // bar 45
    {{"kick", "snare", "hat", "ohat", "bassG", "arpG", "leadB7", "lowG", "midG", "highG", "", ""}},  // bar 46
    {{"kickFill", "snareFill", "hat", "ohat", "bassG", "arpG", "leadB8", "hold", "hold", "hold", "", ""}},  // bar 47
};

const Sweep sweeps[] = {
  {"arp", 0, 8, -2.0f, 0.0f},        // the intro opens the arp up ...
  {"arp", 24, 32, -2.5f, 0.0f},      // ... the breakdown again ...
  {"arp", 44, 48, 0.0f, -2.0f},      // ... and the last bars close it for the restart
  {"riser", 28, 32, 0.0f, 4.0f},
  {"padlow", 24, 31, -1.0f, 0.5f},   {"padlow", 31, 32, 0.5f, 0.0f},
  {"padmid", 24, 31, -1.0f, 0.5f},   {"padmid", 31, 32, 0.5f, 0.0f},
  {"padhigh", 24, 31, -1.0f, 0.5f},  {"padhigh", 31, 32, 0.5f, 0.0f},
};
// clang-format on

}  // namespace

const Song ninjaSong = {
    .samplesPerRow = 4725,  // 140 BPM
    .instruments = instruments,
    .instrumentCount = int(std::size(instruments)),
    .tracks = tracks,
    .trackCount = int(std::size(tracks)),
    .patterns = patterns,
    .patternCount = int(std::size(patterns)),
    .order = order,
    .orderCount = int(std::size(order)),
    .sweeps = sweeps,
    .sweepCount = int(std::size(sweeps)),
    .delayRows = 3.0f,  // a dotted eighth
    .delayFeedback = 0.42f,
    .reverbRoom = 0.75f,
    .reverbDamp = 0.45f,
    .reverbLevel = 1.0f,
    .delayLevel = 0.8f,
    // Brings the loop to -14 LUFS after the limiter; the song's tests keep it equal to what
    // measureMasterGain finds.
    .masterGain = 0x1.32ad12p-1f,  // 0.598976672, measured by synth --gain
};

}  // namespace synth
