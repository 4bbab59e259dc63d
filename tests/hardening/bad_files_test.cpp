// Damaged and unusual files in the show's folder: each damaged file is named once on
// stderr, its layer goes untextured (or silent, or blank), and the show draws on.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/clock.h"
#include "app/composer.h"
#include "assets/assets.h"
#include "audio/music.h"
#include "bad_files.h"
#include "glrig.h"
#include "scroller/scroller.h"
#include "scroller/typeset.h"

namespace fs = std::filesystem;

namespace {

int linesNaming(const std::string& said, const std::string& file) {
  int n = 0;
  const std::string head = "kessivar: " + file + ": ";
  for (size_t at = 0; at < said.size();) {
    const size_t end = said.find('\n', at);
    if (said.compare(at, head.size(), head) == 0) ++n;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return n;
}

int lineCount(const std::string& said) { return int(std::count(said.begin(), said.end(), '\n')); }

bool bufferBlank() {
  return std::all_of(scrollBuffer, scrollBuffer + scrollBufferSize, [](unsigned char b) { return b == 0; });
}

// Each test works in a folder of its own, as the show does in its working directory.
class Folder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen());
    home = fs::current_path();
    dir = fs::temp_directory_path() / ("kessivar-hardening-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    resetComposer();
  }
  void TearDown() override {
    fs::current_path(home);
    fs::remove_all(dir);
  }
  // The six pictures as the given kind, the font as fontKind.
  void writePictures(const std::string& kind, const std::string& fontKind) {
    for (int i = 2; i < 8; ++i) ASSERT_TRUE(writePicture(showFiles[i], kind)) << kind;
    ASSERT_TRUE(writePicture(showPictureFiles[fontPicture].name, fontKind)) << fontKind;
  }
  // Start-up's image and scroller steps, then title and scene frames; what stderr got.
  std::string startUpAndDraw() {
    testing::internal::CaptureStderr();
    loadShowImages();
    initScroller();
    for (uint32_t ms : {0u, 500u, 9500u, 10000u, 10400u, 26500u, 33000u, 40000u, 66000u, 70000u}) {
      setVirtualClock(ms, ms);
      drawScene();
    }
    return testing::internal::GetCapturedStderr();
  }
  fs::path home, dir;
};

using BadPictures = Folder;
using Music = Folder;

}  // namespace

TEST_F(BadPictures, EachDamagedFileIsNamedOnceAndItsLayerDrawsUntextured) {
  for (const char* kind : {"missing", "empty", "truncated", "text", "wav", "huge_header", "too_many_pixels",
                           "zero_width", "bad_crc", "corrupt_data"}) {
    writePictures(kind, kind);
    const std::string said = startUpAndDraw();
    for (int i = 1; i < 8; ++i)
      EXPECT_EQ(linesNaming(said, showFiles[i]), 1) << kind << " " << showFiles[i] << ":\n" << said;
    EXPECT_EQ(lineCount(said), 7) << kind << ":\n" << said;
    for (unsigned name :
         {titleTexture, layerTexture, writerTexture, logoTexture, footerTexture, cardsTexture})
      EXPECT_EQ(name, 0u) << kind;
    EXPECT_EQ(fontImage.Data, nullptr) << kind;
    EXPECT_TRUE(bufferBlank()) << kind << ": no font, no letters";
    // Scene frame at 70 s: the logo's quad, untextured, is plain white.
    const Pixels p = readScreen();
    EXPECT_EQ(std::vector<int>({p.r(600, 100), p.g(600, 100), p.b(600, 100)}),
              std::vector<int>({255, 255, 255}))
        << kind << ": logo corner";
  }
}

TEST_F(BadPictures, SixteenBitInterlacedPaletteAndGreyAlphaLoadSilently) {
  const char* fonts[] = {"font_deep", "font_interlaced", "font", "font"};
  int i = 0;
  for (const char* kind : {"deep", "interlaced", "palette_trns", "grey_alpha"}) {
    writePictures(kind, fonts[i++]);
    const std::string said = startUpAndDraw();
    EXPECT_EQ(said, "") << kind;
    for (unsigned name :
         {titleTexture, layerTexture, writerTexture, logoTexture, footerTexture, cardsTexture})
      EXPECT_NE(name, 0u) << kind;
    scrollCursor = 0;
    typesetText("kessivar", -1);
    EXPECT_FALSE(bufferBlank()) << fonts[i - 1] << ": the scroller typesets from the font";
  }
}

TEST_F(BadPictures, FontOfTheWrongLayoutSaysWhyAndTheScrollerStaysBlank) {
  for (const char* kind : {"font_narrow", "font_wide", "font_short", "font_1bit", "font_rgb", "palette_trns",
                           "grey_alpha", "deep"}) {
    writePictures("rgb", kind);
    const std::string said = startUpAndDraw();
    EXPECT_EQ(linesNaming(said, showPictureFiles[fontPicture].name), 1) << kind << ":\n" << said;
    EXPECT_EQ(lineCount(said), 1) << kind << ":\n" << said;
    EXPECT_NE(titleTexture, 0u);
    for (int k = 1; k <= 600; ++k) advanceScroller(70.0f + k / 60.0f);  // ten more seconds
    EXPECT_TRUE(bufferBlank()) << kind;
    EXPECT_GE(scrollCursor, 0);
    EXPECT_LE(scrollCursor, 709);
  }
}

// Damaged files and other encodings than plain samples say one line and the show runs
// silently; plain WAV files of every sample type are heard (SDL's disk driver writes what
// the device would play).
TEST_F(Music, DamagedFilesAndOtherEncodingsSayOneLinePlainSamplesPlay) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "heard.raw", 1);
  auto heard = [] { return readBytes("heard.raw").find_first_not_of('\0') != std::string::npos; };
  struct Case {
    const char* kind;
    bool plays;
  };
  for (Case c : {Case{"missing", false},
                 {"empty", false},
                 {"truncated", false},
                 {"text", false},
                 {"png", false},
                 {"unknown_codec", false},
                 {"zero_length", false},
                 {"flac", false},
                 {"stereo16", true},
                 {"mono", true},
                 {"8bit", true},
                 {"22050", true},
                 {"float", true}}) {
    ASSERT_TRUE(writeMusic(musicFileName, c.kind)) << c.kind;
    std::remove("heard.raw");
    testing::internal::CaptureStderr();
    openMusic();
    startMusic();
    EXPECT_EQ(c.plays ? waitUntil(heard, 5) : heard(), c.plays) << c.kind << ": heard";
    closeMusic();
    std::string said = testing::internal::GetCapturedStderr();
    for (size_t at; (at = said.find("CRITICAL: ")) != std::string::npos;)  // the disk driver's own
      said.erase(at, said.find('\n', at) + 1 - at);
    EXPECT_EQ(lineCount(said), c.plays ? 0 : 1) << c.kind << ":\n" << said;
    if (c.plays) continue;
    EXPECT_EQ(linesNaming(said, musicFileName), 1) << c.kind << ":\n" << said;
    EXPECT_EQ(said.find(": not a WAV file of plain samples, the show runs silently\n") == std::string::npos,
              c.kind == std::string("missing"))
        << said;
  }
}

TEST_F(Music, NoSoundDeviceSaysOneLine) {
  ASSERT_TRUE(writeMusic(musicFileName, "stereo16"));
  setenv("SDL_AUDIODRIVER", "nowhere", 1);
  testing::internal::CaptureStderr();
  openMusic();
  startMusic();
  closeMusic();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lineCount(said), 1) << said;
  EXPECT_NE(said.find("no sound output"), std::string::npos) << said;
  unsetenv("SDL_AUDIODRIVER");
}
