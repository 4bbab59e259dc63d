// kessivar_art OUTDIR: paints the show's seven pictures and its desktop icon into OUTDIR.
#include "art.h"

#include <cstdio>

const char* const eventName = "KESSIVAR";
const char* const eventYear = "2002";
const char* const eventDates = "01.-04. AUGUST 2002";
const char* const eventPlace = "OSTRAKKA HALL, VELMOLA";

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    struct Job {
        const char* file;
        Picture (*paint)();
    };
    const Job jobs[] = {
        {"font.png", paintFont},     {"trainer.png", paintTitle}, {"ksvlayer.png", paintLayer},
        {"writer2.png", paintWriter}, {"logo.png", paintLogo},     {"footer.png", paintFooter},
        {"kortit5.png", paintCards}, {"kessivar.png", paintIcon},
    };
    for (const Job& job : jobs)
        if (!writePng(dir + "/" + job.file, job.paint())) return 1;
    return 0;
}
