// The text scroller: a luminance buffer typeset from the font, moved with scene time,
// shown through a texture as a strip across the top, with the footer bar.
#pragma once

// Start-up step after the images: zeroes the buffer, creates the scroller texture,
// typesets the first text. Needs a current GL context.
void initScroller();

// Moves the buffer to scene time t (seconds) and typesets further.
void advanceScroller(float t);

// Scene time's origin moved forward by seconds (the composer keeps the time it passes
// small): the time of the previous move follows, so the motion goes on unbroken.
void rebaseScrollerClock(float seconds);

// The footer bar and the scroller strip; the last layer of every scene frame.
void drawFooterAndScroller(float sceneTime);
