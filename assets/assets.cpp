#include "assets/assets.h"

#include <GL/gl.h>

#include "assets/files.h"

unsigned titleTexture, layerTexture, writerTexture, logoTexture, footerTexture, cardsTexture;
pngRawInfo fontImage;

// Where a picture's texture name goes, by its role; null for the font, which has none.
static unsigned* textureOf(int picture) {
  switch (picture) {
    case titlePicture:
      return &titleTexture;
    case layerPicture:
      return &layerTexture;
    case writerPicture:
      return &writerTexture;
    case logoPicture:
      return &logoTexture;
    case footerPicture:
      return &footerTexture;
    case cardsPicture:
      return &cardsTexture;
  }
  return nullptr;
}

void loadShowImage(int picture) {
  const ShowPictureFile& file = showPictureFiles[picture];
  if (file.mode == pictureRaw) {
    pngLoadRaw(showFilePath(file.name), &fontImage);
    return;
  }
  pngInfo info;
  const int trans = file.mode == pictureSolid ? PNG_SOLID : PNG_ALPHA;
  *textureOf(picture) =
      pngBind(showFilePath(file.name), PNG_NOMIPMAPS, trans, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
}

void loadShowImages() {
  for (int p = 0; p < showPictureCount; ++p) loadShowImage(p);
  freeImageBuffer();
}
