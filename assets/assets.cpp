#include "assets/assets.h"

#include <GL/gl.h>

#include "assets/files.h"

unsigned titleTexture, layerTexture, writerTexture, logoTexture, footerTexture, cardsTexture;
pngRawInfo fontImage;

// Where each picture's texture name goes, by role; the font has none.
static unsigned* const pictureTextures[showPictureCount] = {
    nullptr, &titleTexture, &layerTexture, &writerTexture, &logoTexture, &footerTexture, &cardsTexture};

void loadShowImages() {
  for (int p = 0; p < showPictureCount; ++p) {
    const ShowPictureFile& file = showPictureFiles[p];
    if (file.mode == pictureRaw) {
      pngLoadRaw(showFilePath(file.name), &fontImage);
      continue;
    }
    pngInfo info;
    const int trans = file.mode == pictureSolid ? PNG_SOLID : PNG_ALPHA;
    *pictureTextures[p] =
        pngBind(showFilePath(file.name), PNG_NOMIPMAPS, trans, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
  }
}
