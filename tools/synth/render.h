// The renderer: plays a Song through the building blocks into one loop of
// interleaved stereo samples, and writes 16-bit PCM WAV files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "song.h"

namespace synth {

struct MasterSettings {
  double targetLufs = -14.0;   // integrated loudness of the finished loop (measureMasterGain)
  double ceilingDbfs = -1.3;   // true peak (4x oversampled) after limiting
};

// Empty if the song can be played; otherwise one line naming the first fault
// (an unknown instrument or pattern, a cell that does not parse, ...).
std::string songCheck(const Song& song);

// Frames (stereo sample pairs) in one pass of the order list.
long songFrames(const Song& song);

// One pass of the song as interleaved stereo floats, songFrames() frames long,
// made to loop: notes and effect tails that ring past the end are carried into
// the start. soloTrack >= 0 renders only that track (with its effect returns).
// With master set, the loop is multiplied by song.masterGain and limited to
// settings.ceilingDbfs; without it the raw mix is returned. The song must pass
// songCheck; otherwise an empty buffer is returned.
std::vector<float> renderSong(const Song& song, int soloTrack, bool master,
                              const MasterSettings& settings = MasterSettings{});

// The masterGain that brings the song's mastered loop to settings.targetLufs (within
// 0.05 LU, or the third try): the raw mix is measured, mastered, measured again and the
// gain corrected for what the limiter took. 1 for a silent song or one that fails
// songCheck.
float measureMasterGain(const Song& song, const MasterSettings& settings = MasterSettings{});

// A complete 44-byte-header PCM WAV image: stereo, 16 bit, sampleRate Hz.
// Samples are rounded and saturated to the 16-bit range.
std::vector<uint8_t> wavBytes(const std::vector<float>& stereo);

// Writes wavBytes(stereo) to path; false (and one line on stderr) if it fails.
bool writeWav(const char* path, const std::vector<float>& stereo);

}  // namespace synth
