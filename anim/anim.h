// The polygon animation renderer.
#pragma once

// Draws frame n mod animationFrameCount (0..count-1 for every n, negative ones
// included) of the embedded animation as flat triangles with opacity alpha (0..1).
// Expects blending (GL_SRC_ALPHA, GL_ONE), texturing off and the modelview matrix
// scaled so that grid 0..255 spans the virtual screen.
void drawAnimationFrame(int n, float alpha);

// One 8-bit channel of colour-cube value c (0..255): level (c / step) mod 6 times 51.
// step 36 gives red, 6 green, 1 blue; 215 is white, 180 red, 172 (204, 204, 204).
constexpr int cubeChannel(int c, int step) { return c / step % 6 * 51; }
