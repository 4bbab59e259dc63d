// The show's screen layout: the numbers the show and the picture tool (tools/art) must
// agree on, so that each picture has its parts where the layers cut them out. No
// dependencies; units are given with each.
#pragma once

// The virtual screen every layer draws on: origin top-left, y downwards.
constexpr int screenWidth = 640;
constexpr int screenHeight = 480;

// The title phase runs from show time 0 to this; the scene starts at it (scene time =
// show time - titleSeconds).
constexpr int titleMs = 10000;
constexpr float titleSeconds = titleMs / 1000.0f;

// Scroller font "font.png": 8-bit grey, fontWidth wide; the scroller copies rows
// 0..fontGlyphRows-1. The 36 glyph names in font order (m stands before l) and their 37
// ascending font columns: glyph k covers columns glyphBounds[k] .. glyphBounds[k+1]-1.
constexpr int fontWidth = 1024;
constexpr int fontGlyphRows = 10;
constexpr char glyphAlphabet[] = "0123456789abcdefghijkmlnopqrstuvwxyz";
constexpr int glyphCount = sizeof glyphAlphabet - 1;
constexpr int glyphBounds[glyphCount + 1] = {0,   4,   7,   12,  17,  22,  27,  32,  37,  42,  47,  52,  57,
                                             62,  67,  72,  77,  82,  87,  89,  94,  99,  105, 109, 114, 119,
                                             124, 129, 134, 139, 143, 148, 154, 162, 167, 173, 178};

// Card atlas "kortit5.png": cardAtlasSize square, cells of cardWidth x cardHeight pixels,
// cards 0-3 in the top row and card 4 below card 0. Shown at the same size on screen.
constexpr int cardAtlasSize = 1024;
constexpr int cardWidth = 256;
constexpr int cardHeight = 364;
constexpr int cardCount = 5;
constexpr float cardCellWidth = float(cardWidth) / cardAtlasSize;    // 0.25 of the atlas
constexpr float cardCellHeight = float(cardHeight) / cardAtlasSize;  // 0.35546875, exact
// A card slides up from the bottom edge and rests with its top at this y.
constexpr int cardRestTop = 60;

// The footer bar: the last 64 rows of the screen. It covers the bottom rows of a card
// at rest, which the card picture keeps free of text.
constexpr int footerTop = 416;
constexpr int footerHeight = screenHeight - footerTop;
constexpr int cardHiddenRows = cardRestTop + cardHeight - footerTop;  // 8

// Writer strip image "writer2.png": writerImageWidth x writerImageHeight, bands of
// writerBandRows rows; block b (0..5) is the writerStripCount bands from band 7 * b.
// Each band is shown as one 256 x 20 strip.
constexpr int writerImageWidth = 256;
constexpr int writerImageHeight = 1024;
constexpr int writerBandRows = 20;
constexpr int writerStripCount = 7;
constexpr int writerBlockCount = 6;
constexpr int writerBlockRows = writerStripCount * writerBandRows;             // 140
constexpr float writerBandHeight = float(writerBandRows) / writerImageHeight;  // 0.01953125, exact
