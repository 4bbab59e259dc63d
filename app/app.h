// Application shell: start-up pieces, the toolkit callbacks, the frame composer and
// the state the layers share (texture names, the cross-fade switch, the raw font).
#pragma once
#include "images/images.h"

// Texture names bound at start-up; 0 means the image failed to load (its layer then
// draws untextured). Written once by loadShowImages, read by the layers.
extern unsigned titleTexture, layerTexture, writerTexture, logoTexture, footerTexture, cardsTexture;

// "font.png" loaded raw; Data is null when it failed. Written by loadShowImages.
extern pngRawInfo fontImage;

// 1 while the animation's cross-fade is off; toggled by space (onKeyboard).
extern int noFade;

// Animation frames per second of scene time: 5.0 until the first re-roll, then a
// whole number 5..20. Written by drawScene.
extern float animationRate;

// Start-up step 6: the raw font and the six textures, in the show's order.
// Needs a current GL context. Says one line on stderr per file that fails.
void loadShowImages();

// Puts the composer's clocks and rate generator back to their state at launch
// (the next drawScene is a "first frame" again).
void resetComposer();

// Draws one whole frame at the clocks' current readings (see app/clock.h).
void drawScene();

// One textured quad from (x, y) to (x + w, y + h) on the 640x480 virtual screen,
// (u0, v0) at the top-left corner and (u1, v1) at the bottom-right. Changes no state.
void drawQuad(float x, float y, int w, int h, float u0, float v0, float u1, float v1);

// Toolkit callbacks.
void onDisplay();
void onIdle();
void onKeyboard(unsigned char key, int x, int y);
void onReshape(int width, int height);
