// What start-up loads besides the music: the raw font and six pictures as textures,
// from one table of file name, role and loading mode, made from assets/show_files.txt.
// The layers and the scroller read what it loaded; the capture, the picture tool and
// the tests take the file names from here.
#pragma once
#include "images/images.h"

// Loading mode of a picture: kept in memory as the file has it, or bound as a texture
// without alpha or with the file's alpha.
enum PictureMode { pictureRaw, pictureSolid, pictureAlpha };

struct ShowPictureFile {
  const char* name;  // file name, read from the show's folder
  PictureMode mode;
};

// Made at configuration time from assets/show_files.txt, the one list of the show's files:
// musicFileName (the music, streamed by audio/), the enum ShowPicture (fontPicture,
// titlePicture, layerPicture, writerPicture, logoPicture, footerPicture, cardsPicture, in
// the order start-up loads them, then showPictureCount) and showPictureFiles, indexed by it.
#include "assets/show_files.inc"

// Texture names of the six bound pictures; 0 means the file failed to load (its layer
// then draws untextured). Written once by loadShowImages.
extern unsigned titleTexture, layerTexture, writerTexture, logoTexture, footerTexture, cardsTexture;

// The font picture, loaded raw; Data is null when it failed. Written by loadShowImages.
extern pngRawInfo fontImage;

// Loads every picture of the table, in its order: the font raw, the others as textures
// (level 0, clamped, nearest filtering). Needs a current GL context. Says one line on
// stderr per file that fails, and goes on.
void loadShowImages();
// One step of loadShowImages: picture `picture` of the table (0..showPictureCount - 1).
// For a caller that spreads the loading over several turns of its event loop (the page),
// which calls freeImageBuffer (images/) after the last, as loadShowImages does.
void loadShowImage(int picture);
// loadShowImage in parts, each decoding and binding at most about `pixels` pixels (whole
// rows, one at least): returns true while the picture has more. The parts of one picture
// follow each other, with nothing else of the loader between them.
bool loadShowImagePart(int picture, unsigned pixels);
