// The music as a listener hears it, captured through SDL's disk audio driver.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "assets/assets.h"
#include "audio/music.h"
#include "glrig.h"

namespace {

// A short stereo 16-bit 44.1 kHz WAV whose left channel counts 1, 2, 3, ... so that
// every sample tells where in the file it came from; right channel = -left.
void writeCountingWav(const char* file, int frames) {
  std::ofstream out(file, std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out << "RIFF";
  u32(36 + frames * 4);
  out << "WAVEfmt ";
  u32(16), u16(1), u16(2), u32(44100), u32(44100 * 4), u16(4), u16(16);
  out << "data";
  u32(frames * 4);
  for (int i = 1; i <= frames; ++i) u16(uint16_t(i)), u16(uint16_t(-i));
}

// Waits until the file holds at least `bytes` bytes (deadline in seconds, stretched by
// the time factor). Returns its size then, or 0 at the deadline.
off_t waitForBytes(const char* file, off_t bytes, double seconds) {
  struct stat info;
  const bool grew = waitUntil([&] { return stat(file, &info) == 0 && info.st_size >= bytes; }, seconds);
  return grew ? info.st_size : 0;
}

std::vector<int16_t> readLeftChannel(const char* file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<int16_t> left;
  int16_t frame[2];
  while (in.read(reinterpret_cast<char*>(frame), 4)) left.push_back(frame[0]);
  return left;
}

}  // namespace

// Silent while start-up runs, the file's samples once started, and the beginning again
// right after the end, with no sample lost or repeated at the loop point.
TEST(Music, SilentUntilStartedThenLoopsWithoutGap) {
  enterScratchFolder("SilentUntilStarted");
  const int frames = 11025;  // a quarter of a second
  writeCountingWav(musicFileName, frames);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "music_out.raw", 1);

  testing::internal::CaptureStderr();
  openMusic();
  // Start-up takes a while: 300 ms of output before the music is started.
  const off_t beforeStart = waitForBytes("music_out.raw", 44100 * 4 * 3 / 10, 5);
  ASSERT_GT(beforeStart, 0);
  startMusic();
  ASSERT_GT(waitForBytes("music_out.raw", beforeStart + frames * 4 * 4, 10), 0);
  closeMusic();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.find("kessivar: "), std::string::npos) << "a whole file plays without a word: " << said;

  const std::vector<int16_t> left = readLeftChannel("music_out.raw");
  ASSERT_GT(left.size(), size_t(frames * 3));
  size_t first = 0;
  while (first < left.size() && left[first] == 0) ++first;
  EXPECT_GE(first, size_t(44100 * 0.1)) << "sound before the music was started (300 ms of start-up)";
  ASSERT_LT(first + frames * 3, left.size());
  EXPECT_EQ(left[first], 1) << "music starts at its first sample";
  int broken = 0;
  for (size_t i = first; i < first + frames * 3; ++i) {
    const int expected = int((i - first) % frames) + 1;
    if (left[i] != expected && ++broken <= 5)
      ADD_FAILURE() << "output sample " << i - first << ": expected " << expected << ", got " << left[i];
  }
  EXPECT_EQ(broken, 0) << "three passes play back to back, sample for sample";
}

// A file cut short (its header still declares the whole piece) is named with both lengths
// on stderr, and what is there plays, looped.
TEST(Music, CutFileIsNamedAndWhatIsThereLoops) {
  enterScratchFolder("CutFile");
  const int frames = 11025, kept = frames / 3;
  writeCountingWav(musicFileName, frames);
  ASSERT_EQ(truncate(musicFileName, 44 + kept * 4), 0);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "cut_out.raw", 1);

  testing::internal::CaptureStderr();
  openMusic();
  startMusic();
  ASSERT_GT(waitForBytes("cut_out.raw", 44100 * 4 / 2, 10), 0);
  closeMusic();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(std::string("kessivar: ") + musicFileName +
                      ": cut short: the header declares 44100 bytes of sound, the file "
                      "holds 14700; playing what is there\n"),
            std::string::npos)
      << said;
  const std::vector<int16_t> left = readLeftChannel("cut_out.raw");
  size_t first = 0;
  while (first < left.size() && left[first] == 0) ++first;
  ASSERT_LT(first + kept + 1, left.size());
  EXPECT_EQ(std::vector<int>({left[first], left[first + kept - 1], left[first + kept]}),
            std::vector<int>({1, kept, 1}))
      << "the part that is there, then the loop back to its start";
}

TEST(Music, MissingFileOrDeviceLeavesTheShowSilent) {
  enterScratchFolder("MissingFileOrDevice");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "missing_out.raw", 1);
  unlink(musicFileName);
  testing::internal::CaptureStderr();
  openMusic();
  startMusic();
  closeMusic();
  EXPECT_NE(testing::internal::GetCapturedStderr().find(musicFileName), std::string::npos);

  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  testing::internal::CaptureStderr();
  openMusic();
  startMusic();
  closeMusic();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no sound output"), std::string::npos);
}
