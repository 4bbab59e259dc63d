// The music stream on SDL2's audio device: a WAV file of plain samples (8-, 16- or 32-bit
// integers, 32-bit floats; the show's own is 16-bit PCM) is read straight from the file
// in the device's callback and wrapped to its first sample at the end of its data, so the
// loop has no gap. SDL converts the file's rate, channels and sample type to the device's.
// Any other file leaves the show silent.
#include "audio/music.h"

#include <SDL2/SDL.h>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "assets/files.h"

// On Linux SDL2 is opened at run time, RTLD_LOCAL, rather than linked: it brings some
// fifty shared libraries, and linked in, every symbol that the GL driver binds in glutInit
// was first searched for through all of them; opened locally they stay out of that search.
// The Windows build links SDL statically.
// clang-format off
#define SOUND_CALLS(X)                                                                          \
  X(SDL_SetHint) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_GetError) X(SDL_RWFromFile)  \
  X(SDL_RWread) X(SDL_RWseek) X(SDL_RWsize) X(SDL_RWclose) X(SDL_OpenAudioDevice)              \
  X(SDL_PauseAudioDevice) X(SDL_CloseAudioDevice)
// clang-format on
#ifdef __linux__
#include <dlfcn.h>

#define SOUND_POINTER(name) static decltype(&::name) name;
namespace sound {
SOUND_CALLS(SOUND_POINTER)
}  // namespace sound
#define SOUND(name) sound::name
#define SOUND_LOOKUP(name) \
  if (found) found = (sound::name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)));

// Takes SDL2's calls, once. False after saying on stderr why the show runs silently.
static bool loadSoundLibrary() {
  static void* library;
  if (library) return true;
  library = dlopen("libSDL2-2.0.so.0", RTLD_LOCAL | RTLD_LAZY);
  bool found = library;
  SOUND_CALLS(SOUND_LOOKUP)
  if (found) return true;
  fprintf(stderr, "kessivar: no sound library (%s), the show runs silently\n", dlerror());
  if (library) dlclose(library);
  library = nullptr;
  return false;
}
#else
#define SOUND(name) name
static bool loadSoundLibrary() { return true; }
#endif

// Where the samples are in a WAV file, and their layout.
struct WavData {
  SDL_AudioFormat format;  // SDL's name for the sample type
  int channels, rate;      // as the file's format chunk says
  Sint64 start;            // offset of the first sample, bytes
  Sint64 bytes;            // whole frames of samples held by the file, > 0 when it plays
  Sint64 declared, held;   // bytes of samples the data chunk declares, and the file holds
};

static bool audioOpen;            // the audio subsystem is up
static SDL_AudioDeviceID device;  // the device the stream plays on; 0 when none
static SDL_RWops* musicFile;      // the file the callback reads; null when none
static WavData wav;               // musicFile's samples; written before the device opens
static Sint64 played;             // bytes of wav played in the current pass: audio thread only

static uint32_t littleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// Finds the format and data chunks of a RIFF WAVE file. True when its samples are a type
// that SDL converts (integers of 8, 16 or 32 bits, floats of 32; 1 to 8 channels, 1 to
// 384 kHz) and at least one frame is there; the file is then at the first sample.
// found->declared and held are set whenever there is a data chunk.
static bool findWavData(SDL_RWops* file, WavData* found) {
  unsigned char header[12], chunk[8], format[40];
  int type = 0, bits = 0, frameBytes = 0;
  *found = WavData{};
  if (SOUND(SDL_RWread)(file, header, 12, 1) != 1 || memcmp(header, "RIFF", 4) != 0 ||
      memcmp(header + 8, "WAVE", 4) != 0)
    return false;
  while (SOUND(SDL_RWread)(file, chunk, 8, 1) == 1) {
    const uint32_t size = littleEndian(chunk + 4, 4);
    const Sint64 next = SOUND(SDL_RWseek)(file, 0, RW_SEEK_CUR) + size + (size & 1);  // padded to even
    if (memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
      if (SOUND(SDL_RWread)(file, format, size < 40 ? size : 40, 1) != 1) return false;
      type = int(littleEndian(format, 2));
      if (type == 0xFFFE && size >= 26)
        type = int(littleEndian(format + 24, 2));  // extensible: its sub-format
      found->channels = int(littleEndian(format + 2, 2));
      found->rate = int(littleEndian(format + 4, 4));
      frameBytes = int(littleEndian(format + 12, 2));
      bits = int(littleEndian(format + 14, 2));
    } else if (memcmp(chunk, "data", 4) == 0) {
      found->start = next - size - (size & 1);
      found->declared = size;
      found->held = SOUND(SDL_RWsize)(file) - found->start;
      const bool integers = type == 1 && (bits == 8 || bits == 16 || bits == 32),
                 floats = type == 3 && bits == 32;
      if (!(integers || floats) || found->channels < 1 || found->channels > 8 || found->rate < 1000 ||
          found->rate > 384000 || frameBytes != found->channels * bits / 8)
        return false;
      found->format = floats ? AUDIO_F32LSB : bits == 8 ? AUDIO_U8 : bits == 16 ? AUDIO_S16LSB : AUDIO_S32LSB;
      found->bytes =
          (found->held < found->declared ? found->held : found->declared) / frameBytes * frameBytes;
      return found->bytes > 0 && SOUND(SDL_RWseek)(file, found->start, RW_SEEK_SET) == found->start;
    }
    if (SOUND(SDL_RWseek)(file, next, RW_SEEK_SET) != next) return false;
  }
  return false;
}

// The device's callback, on SDL's audio thread: the next bytes of the file's samples, from
// its first again after its last. A read that fails (the file changed under the show)
// leaves the rest of the buffer silent.
static void SDLCALL fillFromFile(void* silence, Uint8* out, int length) {
  while (length > 0) {
    if (played == wav.bytes) {
      SOUND(SDL_RWseek)(musicFile, wav.start, RW_SEEK_SET);
      played = 0;
    }
    const Sint64 left = wav.bytes - played;
    const size_t got = SOUND(SDL_RWread)(musicFile, out, 1, size_t(left < length ? left : length));
    if (got == 0) {
      memset(out, *static_cast<Uint8*>(silence), size_t(length));
      return;
    }
    out += got;
    length -= int(got);
    played += Sint64(got);
  }
}

// Opens the device, paused, for the samples found in musicFile. False after saying why.
static bool openDevice() {
  static Uint8 silence;
  SDL_AudioSpec wanted{}, obtained{};
  wanted.freq = wav.rate;
  wanted.format = wav.format;
  wanted.channels = Uint8(wav.channels);
  wanted.samples = 2048;
  wanted.callback = fillFromFile;
  wanted.userdata = &silence;
  silence = wav.format == AUDIO_U8 ? 0x80 : 0;
  device = SOUND(SDL_OpenAudioDevice)(nullptr, 0, &wanted, &obtained, 0);  // converts to the device's own
  if (device == 0)
    fprintf(stderr, "kessivar: no sound output (%s), the show runs silently\n", SOUND(SDL_GetError)());
  return device != 0;
}

void openMusic() {
  if (!loadSoundLibrary()) return;
  // SDL would otherwise take SIGINT and SIGTERM for its event queue, which nobody reads:
  // Ctrl+C in the console and a plain kill would no longer end the show.
  SOUND(SDL_SetHint)(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SOUND(SDL_InitSubSystem)(SDL_INIT_AUDIO) != 0) {
    fprintf(stderr, "kessivar: no sound output (%s), the show runs silently\n", SOUND(SDL_GetError)());
    return;
  }
  audioOpen = true;
  // Read by content, not by name: whatever the name says, a WAV file of plain samples plays.
  const char* path = showFilePath(musicFileName);
  musicFile = SOUND(SDL_RWFromFile)(path, "rb");
  if (!musicFile) {
    fprintf(stderr, "kessivar: %s: %s, the show runs silently\n", path, SOUND(SDL_GetError)());
  } else if (!findWavData(musicFile, &wav)) {
    fprintf(stderr, "kessivar: %s: not a WAV file of plain samples, the show runs silently\n", path);
    SOUND(SDL_RWclose)(musicFile);
    musicFile = nullptr;
  } else if (!openDevice()) {
    SOUND(SDL_RWclose)(musicFile);
    musicFile = nullptr;
  } else if (wav.held < wav.declared) {  // a cut file: what is there plays, and loops
    fprintf(stderr,
            "kessivar: %s: cut short: the header declares %lld bytes of sound, the file holds %lld; "
            "playing what is there\n",
            path, (long long)wav.declared, (long long)wav.held);
  }
}

void startMusic() {
  if (device) SOUND(SDL_PauseAudioDevice)(device, 0);
}

void closeMusic() {
  if (device) {
    SOUND(SDL_CloseAudioDevice)(device);  // the callback has returned for good
    device = 0;
  }
  if (musicFile) {
    SOUND(SDL_RWclose)(musicFile);
    musicFile = nullptr;
    played = 0;
  }
  if (audioOpen) {
    SOUND(SDL_QuitSubSystem)(SDL_INIT_AUDIO);
    audioOpen = false;
  }
}
