// Overlay layers: the title screen and the two layers on the phase clock. What each
// draws depends only on the time it is given (and the pictures loaded at start-up);
// each sets its own colour, modelview matrix and texture. The GL state each expects
// and leaves is tabled in app/composer.h.
#pragma once

// The phase clock: scene time cut into phaseCount phases of phaseLength seconds.
extern const float phaseLength;  // 8.0 s
extern const int phaseCount;     // 7

// Title picture with the six amber bars; t is show time, 0 <= t < 10.
void drawTitleScreen(float t);

// Layer picture in phase 0, cards 0-4 in phases 2-6; s is scene time >= 0.
void drawSlideshow(float s);

// The seven sliding text strips in phases 1-6; s is scene time >= 0.
void drawWriterStrips(float s);
