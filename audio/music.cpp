// The music stream on SDL2_mixer. The mixer loops the stream itself, seamlessly,
// so the restart at the end needs no callback of ours.
#include "audio/music.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <cstdio>

static bool audioOpen;          // the mixer has an output device
static Mix_Music* musicStream;  // null when the device or the file is missing

void openMusic() {
  // SDL would otherwise take SIGINT and SIGTERM for its event queue, which nobody reads:
  // Ctrl+C in the console and a plain kill would no longer end the show.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
      Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
    fprintf(stderr, "kessivar: no sound output (%s), the show runs silently\n", SDL_GetError());
    return;
  }
  audioOpen = true;
  // Opened by content, not by name: any encoding the mixer knows plays, whatever the name says.
  SDL_RWops* file = SDL_RWFromFile("ninja.wav", "rb");
  musicStream = file ? Mix_LoadMUS_RW(file, 1) : nullptr;
  if (!musicStream) fprintf(stderr, "kessivar: ninja.wav: %s, the show runs silently\n", Mix_GetError());
}

void startMusic() {
  if (musicStream) Mix_PlayMusic(musicStream, -1);
}

void closeMusic() {
  if (musicStream) {
    Mix_HaltMusic();
    Mix_FreeMusic(musicStream);
    musicStream = nullptr;
  }
  if (audioOpen) {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioOpen = false;
  }
}
