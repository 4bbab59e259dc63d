// kessivar_art OUTDIR: paints the show's seven pictures and its icons into OUTDIR.
// kessivar_art --texts OUTDIR: writes the invitation as text instead (invitation.cpp).
#include "art.h"
#include "assets/assets.h"

#include <cstdio>

const char* const eventName = "KESSIVAR";
const char* const eventYear = "2002";
const char* const eventDates = "01.-04. AUGUST 2002";
const char* const eventPlace = "OSTRAKKA HALL, VELMOLA";

// The picture of the given role (a ShowPicture), whatever its place in the list.
static Picture paintShowPicture(int picture) {
  switch (picture) {
    case fontPicture:
      return paintFont();
    case titlePicture:
      return paintTitle();
    case layerPicture:
      return paintLayer();
    case writerPicture:
      return paintWriter();
    case logoPicture:
      return paintLogo();
    case footerPicture:
      return paintFooter();
    case cardsPicture:
      return paintCards();
  }
  return Picture{};
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--texts") return writeInvitation(argv[2]) ? 0 : 1;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s [--texts] OUTDIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (int p = 0; p < showPictureCount; p++)
    if (!writePng(dir + "/" + showPictureFiles[p].name, paintShowPicture(p))) return 1;
  if (!writePng(dir + "/kessivar.png", paintIcon())) return 1;  // the desktop icon
  for (int side : iconSides)
    if (!writePng(dir + "/kessivar-" + std::to_string(side) + ".png", paintIcon(side))) return 1;
  return 0;
}
