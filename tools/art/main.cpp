// kessivar_art OUTDIR: paints the show's seven pictures and its desktop icon into OUTDIR.
#include "art.h"
#include "assets/assets.h"

#include <cstdio>

const char* const eventName = "KESSIVAR";
const char* const eventYear = "2002";
const char* const eventDates = "01.-04. AUGUST 2002";
const char* const eventPlace = "OSTRAKKA HALL, VELMOLA";

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  // The painter of each of the show's pictures, in the order of showPictureFiles.
  Picture (*const painters[showPictureCount])() = {paintFont, paintTitle,  paintLayer, paintWriter,
                                                   paintLogo, paintFooter, paintCards};
  for (int p = 0; p < showPictureCount; p++)
    if (!writePng(dir + "/" + showPictureFiles[p].name, painters[p]())) return 1;
  if (!writePng(dir + "/kessivar.png", paintIcon())) return 1;  // the desktop icon
  return 0;
}
