// An offscreen OpenGL context for drawing the show without a window: an EGL pbuffer on
// Mesa (the surfaceless platform, so no display server is needed), with a
// compatibility-profile context for the show's immediate-mode drawing. Used by the
// capture program and by the pixel tests.
#pragma once

// Creates a width x height context and makes it current; the show's virtual screen
// (onReshape) is not set here. Returns false, having said one line on stderr, when no
// context can be had. Each call creates a new context; the old one is left alive.
bool openOffscreenContext(int width, int height);

// Copies the colour buffer of the current context into rgb, top row first (screen y
// downwards, like the virtual screen), width * height * 3 bytes, rows back to back.
// Waits for drawing to finish. rgb must hold width * height * 3 bytes; scratch must
// hold one row (width * 3 bytes).
void readPixelsTopFirst(int width, int height, unsigned char* rgb, unsigned char* scratch);
