// The music stream on SDL2_mixer. The mixer loops the stream itself, seamlessly,
// so the restart at the end needs no callback of ours.
#include "audio/music.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "assets/files.h"

// On Linux the mixer is opened at run time, RTLD_LOCAL, rather than linked: its decoders
// bring some sixty shared libraries, and linked in, every symbol that the GL driver binds
// in glutInit was first searched for through all of them (25 M of the start-up's 366 M
// instructions). Opened locally they stay out of that search. The Windows build
// links SDL statically and the page has its own SDL: both call the library directly.
#ifdef __linux__
#include <dlfcn.h>

// clang-format off
#define SOUND_CALLS(X)                                                                         \
  X(SDL_SetHint) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_GetError) X(SDL_RWFromFile) \
  X(Mix_OpenAudio) X(Mix_CloseAudio) X(Mix_LoadMUS_RW) X(Mix_FreeMusic) X(Mix_PlayMusic)     \
  X(Mix_HaltMusic)
// clang-format on
#define SOUND_POINTER(name) static decltype(&::name) name;
namespace sound {
SOUND_CALLS(SOUND_POINTER)
}
#define SOUND(name) sound::name

// Takes the calls above from the mixer (and the SDL it loads with it). False, having
// said why on stderr, when the library or one of the calls is missing.
static bool loadSoundLibrary() {
  static void* library;
  if (library) return true;
  void* opened = dlopen("libSDL2_mixer-2.0.so.0", RTLD_LOCAL | RTLD_LAZY);
  bool complete = opened != nullptr;
#define SOUND_LOOKUP(name) \
  if (complete) complete = (sound::name = reinterpret_cast<decltype(&::name)>(dlsym(opened, #name)));
  SOUND_CALLS(SOUND_LOOKUP)
  if (!complete) {
    fprintf(stderr, "kessivar: no sound library (%s), the show runs silently\n", dlerror());
    if (opened) dlclose(opened);
    return false;
  }
  library = opened;
  return true;
}
#else
#define SOUND(name) name
static bool loadSoundLibrary() { return true; }
#endif

static bool audioOpen;          // the mixer has an output device
static Mix_Music* musicStream;  // null when the device or the file is missing

// Says on stderr when a WAV file's data chunk holds fewer bytes than it declares (a cut
// file): the mixer then plays what is there, and loops it, without a word of its own.
static void reportCutWav(const char* path) {
  FILE* file = fopen(path, "rb");
  if (!file) return;
  unsigned char header[12], chunk[8];
  if (fread(header, 1, 12, file) == 12 && memcmp(header, "RIFF", 4) == 0 && memcmp(header + 8, "WAVE", 4) == 0) {
    while (fread(chunk, 1, 8, file) == 8) {
      const uint32_t declared = chunk[4] | chunk[5] << 8 | chunk[6] << 16 | uint32_t(chunk[7]) << 24;
      if (memcmp(chunk, "data", 4) == 0) {
        const off_t start = ftello(file);
        if (fseeko(file, 0, SEEK_END) != 0) break;
        const long long held = (long long)(ftello(file) - start);
        if (held < (long long)declared)
          fprintf(stderr, "kessivar: %s: cut short: the header declares %u bytes of sound, the file holds %lld; "
                          "playing what is there\n", path, declared, held);
        break;
      }
      if (fseeko(file, off_t(declared) + (declared & 1), SEEK_CUR) != 0) break;  // chunks are padded to even sizes
    }
  }
  fclose(file);
}

void openMusic() {
  if (!loadSoundLibrary()) return;
  // SDL would otherwise take SIGINT and SIGTERM for its event queue, which nobody reads:
  // Ctrl+C in the console and a plain kill would no longer end the show.
  SOUND(SDL_SetHint)(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SOUND(SDL_InitSubSystem)(SDL_INIT_AUDIO) != 0 ||
      SOUND(Mix_OpenAudio)(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
    fprintf(stderr, "kessivar: no sound output (%s), the show runs silently\n", SOUND(SDL_GetError)());
    return;
  }
  audioOpen = true;
  // Opened by content, not by name: any encoding the mixer knows plays, whatever the name says.
  const char* path = showFilePath(musicFileName);
  SDL_RWops* file = SOUND(SDL_RWFromFile)(path, "rb");
  musicStream = file ? SOUND(Mix_LoadMUS_RW)(file, 1) : nullptr;
  if (!musicStream) fprintf(stderr, "kessivar: %s: %s, the show runs silently\n", path, SOUND(SDL_GetError)());
  else reportCutWav(path);
}

void startMusic() {
  if (musicStream) SOUND(Mix_PlayMusic)(musicStream, -1);
}

void closeMusic() {
  if (musicStream) {
    SOUND(Mix_HaltMusic)();
    SOUND(Mix_FreeMusic)(musicStream);
    musicStream = nullptr;
  }
  if (audioOpen) {
    SOUND(Mix_CloseAudio)();
    SOUND(SDL_QuitSubSystem)(SDL_INIT_AUDIO);
    audioOpen = false;
  }
}
