// The show's music for the page, made in a Web Worker (web/music_worker.js) by the
// synthesizer the native build renders ninja.wav with: the same song, renderer and 16-bit
// rounding, so the page plays the WAV's own samples.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "render.h"

static std::vector<uint8_t> wav;  // the rendered loop as a WAV image; written by webRenderMusic

extern "C" {

EMSCRIPTEN_KEEPALIVE int webMusicFrames();

// Renders the whole loop (the loop's start depends on its end: the notes and echoes that
// ring on across it); returns the address of its samples, 16-bit stereo interleaved,
// webMusicFrames() frames. 0 if the song cannot be played.
EMSCRIPTEN_KEEPALIVE const int16_t* webRenderMusic() {
  wav = synth::wavBytes(synth::renderSong(synth::ninjaSong, -1, true));
  return webMusicFrames() > 0 ? reinterpret_cast<const int16_t*>(wav.data() + 44) : nullptr;
}

// Frames (stereo sample pairs) of the loop webRenderMusic made.
EMSCRIPTEN_KEEPALIVE int webMusicFrames() { return wav.size() > 44 ? int((wav.size() - 44) / 4) : 0; }

}  // extern "C"
