// The show's pictures, each painted from code in this folder. Every painter is a pure
// function of nothing: the same build gives byte-identical files.
#pragma once

#include "canvas.h"

// Shared palette: dark navy grounds, amber accents (the title bars' colour), ice-blue type.
const Rgb inkNavy = {0.03, 0.05, 0.14};
const Rgb inkBlack = {0.0, 0.0, 0.0};
const Rgb amber = {1.0, 0.72, 0.22};
const Rgb amberDeep = {0.85, 0.45, 0.08};
const Rgb iceBlue = {0.62, 0.84, 1.0};
const Rgb paper = {0.93, 0.95, 1.0};

// Invitation facts used on several pictures.
extern const char* const eventName;   // "KESSIVAR"
extern const char* const eventYear;   // "2002"
extern const char* const eventDates;  // "01.-04. AUGUST 2002"
extern const char* const eventPlace;  // hall and town

Picture paintFont();    // "font.png": 1024x16 grey, scroller glyphs in rows 2-9
Picture paintTitle();   // "trainer.png": 1024x512 RGB
Picture paintLogo();    // "logo.png": 256x128 RGBA wordmark
Picture paintLayer();   // "ksvlayer.png": 512x256 RGBA
Picture paintCards();   // "kortit5.png": 1024x1024 RGBA, five 256x364 cards
Picture paintWriter();  // "writer2.png": 256x1024 RGBA, 42 text bands of 20 rows
Picture paintFooter();  // "footer.png": 512x64 RGB
// "kessivar.png": the 256x256 RGBA desktop icon (not read by the show); with another side
// (iconSides, from the build), "kessivar-<side>.png", the Windows program's smaller icons.
Picture paintIcon(int side = 256);
const int iconSides[] = {ICON_SIDES};

// The words on the cards and writer strips (cards.cpp), for the invitation as text.
const char* cardText(int card, int line);     // card 0..4; line -1 is the title; nullptr past the end
const char* writerText(int block, int line);  // block 0..writerBlockCount - 1, line 0 the heading
// Writes the invitation as text into dir (invitation.cpp): the party's facts, the cards, the
// writer blocks and the scroll texts; false, with a line on standard error, if it cannot.
bool writeInvitation(const std::string& dir);
