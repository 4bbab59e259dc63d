// The freeglut header for the browser: emscripten's GLUT plus the calls it lacks
// (defined in web/glut_stubs.cpp), so the shell compiles unchanged.
#pragma once
#include <GL/freeglut_std.h>

#define GLUT_ACTION_ON_WINDOW_CLOSE 0x01F9
#define GLUT_ACTION_GLUTMAINLOOP_RETURNS 1
#ifndef GLUT_GAME_MODE_ACTIVE
#define GLUT_GAME_MODE_ACTIVE 0x0000
#endif

extern "C" void glutSetOption(GLenum what, int value);
