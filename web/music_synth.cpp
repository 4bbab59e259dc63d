// The show's music for the page, streamed in a Web Worker (web/music_worker.js) by the
// synthesizer the native build renders ninja.wav with: the same song, renderer and 16-bit
// rounding, so the page plays the WAV's own samples, from its first pass on.
#include <emscripten.h>

#include <cstdint>

#include "render.h"

namespace {
constexpr int maxFrames = synth::sampleRate;  // per webMusicNext call
synth::SongStream* stream = nullptr;          // opened by webMusicOpen
float mix[2 * maxFrames];
int16_t pcm[2 * maxFrames];
}  // namespace

extern "C" {

// Frames (stereo sample pairs) in one pass of the song; 0 if it cannot be played.
EMSCRIPTEN_KEEPALIVE int webMusicFrames() {
  return synth::songCheck(synth::ninjaSong).empty() ? int(synth::songFrames(synth::ninjaSong)) : 0;
}

// Opens the finished music's stream at its start: 1, or 0 if the song cannot be played.
EMSCRIPTEN_KEEPALIVE int webMusicOpen() {
  if (stream) synth::closeStream(stream);
  stream = synth::openStream(synth::ninjaSong, -1, true);
  return stream ? 1 : 0;
}

// The stream's next `frames` frames (at most a second's worth), 16-bit stereo
// interleaved; valid until the next call. Null before webMusicOpen succeeded.
EMSCRIPTEN_KEEPALIVE const int16_t* webMusicNext(int frames) {
  if (!stream || frames < 0 || frames > maxFrames) return nullptr;
  synth::streamRender(stream, mix, frames);
  synth::toPcm16(mix, pcm, 2L * frames);
  return pcm;
}

}  // extern "C"
