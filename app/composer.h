// The frame composer: reads the two clocks (app/clock.h), re-rolls the animation rate,
// and draws the title screen or the scene's layers in their fixed order.
//
// OpenGL state around each layer of a scene frame (the title frame is the title layer
// alone: entered with blending and texturing off, left with both off, colour white).
// "tex" is GL_TEXTURE_2D, "blend" GL_BLEND with its function, "mv" the modelview matrix.
//
//   layer                entered with                          leaves
//   animation frames     blend on (SRC_ALPHA, ONE), tex off,   the same; colour of its
//                        mv scaled grid 0..255 -> 640x480      last triangle
//   logo (in drawScene)  tex on, blend (SRC_ALPHA,             logoTexture bound,
//                        ONE_MINUS_SRC_ALPHA), mv identity     colour white
//   slideshow            as the logo left it                   the same, its own colour
//                                                              and texture; mv identity
//   writer strips        as the slideshow left it              the same (no GL call at
//                                                              all in phase 0)
//   footer + scroller    blend off, tex off, the colour the    blend off, tex off,
//                        layer before left (it tints the       colour white
//                        footer)
//
// The sequence of GL calls is part of what the show is (the frames are compared
// byte for byte), so some switches repeat a state already set; each says so where it
// stands.
#pragma once

// 1 while the animation's cross-fade is off; toggled by space (onKeyboard).
extern int noFade;

// Animation frames per second of scene time: 5.0 until the first re-roll, then a
// whole number 5..20. Written by drawScene.
extern float animationRate;

// Puts the composer's clocks and rate generator back to their state at launch
// (the next drawScene is a "first frame" again).
void resetComposer();

// Draws one whole frame at the clocks' current readings (see app/clock.h).
void drawScene();
