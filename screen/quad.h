// The one drawing primitive the layers share.
#pragma once

// One textured quad from (x, y) to (x + w, y + h) on the 640x480 virtual screen,
// (u0, v0) at the top-left corner and (u1, v1) at the bottom-right. Changes no state.
void drawQuad(float x, float y, int w, int h, float u0, float v0, float u1, float v1);
