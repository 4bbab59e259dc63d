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

static int pictureInProgress = -1;  // the picture loadShowImagePart has begun, else -1
static pngInfo pictureInfo;         // its sizes

bool loadShowImagePart(int picture, unsigned pixels) {
  const ShowPictureFile& file = showPictureFiles[picture];
  if (file.mode == pictureRaw) {
    pngLoadRaw(showFilePath(file.name), &fontImage);
    return false;
  }
  unsigned* texture = textureOf(picture);
  if (pictureInProgress != picture) {
    const int trans = file.mode == pictureSolid ? PNG_SOLID : PNG_ALPHA;
    *texture = 0;
    if (!pngBindStart(showFilePath(file.name), trans, &pictureInfo, GL_CLAMP, GL_NEAREST, GL_NEAREST))
      return false;
    pictureInProgress = picture;
  }
  if (pngBindRows(pixels / pictureInfo.Width, texture)) return true;
  pictureInProgress = -1;
  return false;
}

void loadShowImage(int picture) {
  while (loadShowImagePart(picture, ~0u)) {
  }
}

void loadShowImages() {
  for (int p = 0; p < showPictureCount; ++p) loadShowImage(p);
  freeImageBuffer();
}
