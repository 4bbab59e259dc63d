// The show's one piece of music, "ninja.wav", streamed and looped without a gap.
// Every call is safe when the sound library, the device or the file is missing:
// the show then runs silently (one line on stderr says why).
#pragma once

// Start-up, first thing: sets up the library and opens the stream, silent.
void openMusic();

// Start-up, immediately before the main loop: the music becomes audible and from
// then on restarts from its beginning whenever it ends.
void startMusic();

// Shutdown: closes the stream, then the library.
void closeMusic();
