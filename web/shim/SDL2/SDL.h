// SDL for the browser: emscripten's built-in SDL, whose audio plays through Web Audio.
#pragma once
#include <SDL/SDL.h>

#ifndef SDL_HINT_NO_SIGNAL_HANDLERS
#define SDL_HINT_NO_SIGNAL_HANDLERS "SDL_NO_SIGNAL_HANDLERS"
#endif
// A page has no signals, and the built-in SDL keeps its audio context for the page's
// life: both calls have nothing to do (the latter would only log that it is ignored).
#define SDL_SetHint(name, value) ((void)(name), (void)(value), SDL_TRUE)
#define SDL_QuitSubSystem(flags) ((void)(flags))
