// The animation's source picture: four procedural shots drawn with Cairo.
#pragma once
#include <cairo.h>

constexpr int sceneWidth = 640;  // source frame size in pixels, the show's screen
constexpr int sceneHeight = 480;
constexpr int sceneFrameCount = 200;

// One shot: frames [first, first + length) of the loop.
struct Shot {
  const char* name;
  int first, length;
};
constexpr int shotCount = 4;
extern const Shot shots[shotCount];

// Draws source frame (0..sceneFrameCount-1) into a sceneWidth x sceneHeight context,
// black background included. Deterministic: the same frame always gives the same pixels.
void drawSceneFrame(cairo_t* cr, int frame);
