// The renderer: plays a Song through the building blocks as a stream, or as one loop,
// of interleaved stereo samples, and writes 16-bit PCM WAV files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "song.h"

namespace synth {

struct MasterSettings {
  double targetLufs = -14.0;  // integrated loudness of the finished loop (measureMasterGain)
  double ceilingDbfs = -1.3;  // true peak (4x oversampled) after limiting
};

// Empty if the song can be played; otherwise one line naming the first fault
// (an unknown instrument or pattern, a cell that does not parse, ...).
std::string songCheck(const Song& song);

// Frames (stereo sample pairs) in one pass of the order list.
long songFrames(const Song& song);

// The song as it plays on from silence, pass after pass of the order list: notes
// and effect tails ring on from each pass into the next. soloTrack >= 0 plays only
// that track (with its effect returns). With master set, the music is multiplied by
// song.masterGain and limited to settings.ceilingDbfs; without it the raw mix comes.
// Every stage runs forward; the limiter looks a few milliseconds ahead, which the
// stream covers at the open, so its frame k is always the song's frame k.
// nullptr if the song fails songCheck; the song must outlive the stream.
struct SongStream;
SongStream* openStream(const Song& song, int soloTrack, bool master,
                       const MasterSettings& settings = MasterSettings{});
// The stream's next `frames` frames, interleaved stereo; allocates nothing.
void streamRender(SongStream* stream, float* out, long frames);
void closeStream(SongStream* stream);

// One pass of the song made to loop, songFrames() frames: the stream's second pass,
// which carries the first one's tails at its start just as the third will carry its
// own. Arguments as for openStream; an empty buffer if the song fails songCheck.
std::vector<float> renderSong(const Song& song, int soloTrack, bool master,
                              const MasterSettings& settings = MasterSettings{});

// The masterGain that brings the song's mastered loop to settings.targetLufs (within
// 0.05 LU, or the third try): the raw mix is measured, mastered, measured again and the
// gain corrected for what the limiter took. 1 for a silent song or one that fails
// songCheck.
float measureMasterGain(const Song& song, const MasterSettings& settings = MasterSettings{});

// Samples as 16-bit PCM: rounded and saturated, as wavBytes writes them.
void toPcm16(const float* in, int16_t* out, long count);

// A complete 44-byte-header PCM WAV image: stereo, 16 bit, sampleRate Hz.
// Samples are rounded and saturated to the 16-bit range.
std::vector<uint8_t> wavBytes(const std::vector<float>& stereo);

// Writes wavBytes(stereo) to path; false (and one line on stderr) if it fails.
bool writeWav(const char* path, const std::vector<float>& stereo);

}  // namespace synth
