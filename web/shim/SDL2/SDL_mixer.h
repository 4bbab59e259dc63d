// SDL_mixer for the browser: emscripten's built-in mixer (music decoded and looped by
// Web Audio).
#pragma once
#include <SDL/SDL_mixer.h>

// SDL2's form takes a second argument (free the source when done); the built-in mixer
// reads the file whole at once and takes only the source.
#define Mix_LoadMUS_RW(rw, freesrc) ((void)(freesrc), Mix_LoadMUS_RW(rw))
