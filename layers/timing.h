// Where the overlay layers put things and how opaque they are, as pure functions of
// time, so that the layers and their tests read the very same numbers. Units are
// virtual-screen units (640x480, y downwards) and seconds.
#pragma once
#include "screen/layout.h"

// The phase clock at one scene time s >= 0, all single precision.
struct PhaseClock {
  int index;      // trunc(s / phaseLength) mod phaseCount, 0..6
  float time;     // seconds into the phase, fmod(s, phaseLength), 0 <= time < phaseLength
  float slide;    // 1 - min(time, 1): 1 as the phase starts, 0 from time 1 s on
  float fadeIn;   // min(time, 2) / 2: 0..1 over the phase's first 2 s
  float fadeOut;  // (phaseLength - max(time, phaseLength - 2)) / 2: 1..0 over its last 2 s
};
PhaseClock readPhaseClock(float s);

// Title screen, show time t in [0, 10).
float titleBrightness(float t);       // 1 up to and including t = 9, then 10 - t
float titleBarTop(int bar, float t);  // top edge of bar 0..5, in [76, 364]

// Card slideshow.
float cardTop(float slide);                              // 480 at slide 1 .. 60 at slide 0
float cardOpacity(float fadeOut);                        // fadeOut^2
float layerPictureOpacity(float fadeIn, float fadeOut);  // sqrt(fadeIn * fadeOut)
// Top-left texture corner of card 0..4 in the atlas (cells cardCellWidth x cardCellHeight).
void cardCell(int card, float* u0, float* v0);

// Writer strips.
// (writerStripCount and writerBandHeight: screen/layout.h)
int writerBlock(int phaseIndex);                 // phase index - 1; -1 means nothing drawn
float writerAlpha(float fadeIn, float fadeOut);  // (fadeOut * fadeIn)^0.7
// Top-left corner of strip 0..6 (256 x 20) for the given fades.
void writerStripCorner(int strip, float fadeIn, float fadeOut, float* x, float* y);
// Texture v of the top edge of strip 0..6 of block 0..5 (band 7 * block + strip).
float writerBandTop(int block, int strip);
