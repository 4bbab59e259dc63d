// Fills a folder with the show's eight files of the given kinds (see bad_files.h).
// usage: make_bad_files <folder> <picture kind> <font kind> <music kind>
#include <cstdio>
#include <string>

#include "bad_files.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: make_bad_files <folder> <picture kind> <font kind> <music kind>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  bool ok = writeMusic(folder + showFiles[0], argv[4]) && writePicture(folder + showFiles[1], argv[3]);
  for (int i = 2; i < 8; ++i) ok = ok && writePicture(folder + showFiles[i], argv[2]);
  if (!ok) fprintf(stderr, "make_bad_files: unknown kind\n");
  return ok ? 0 : 1;
}
