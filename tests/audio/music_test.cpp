// The music as a listener hears it, captured through SDL's disk audio driver.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "audio/music.h"

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
  const int frames = 11025;  // a quarter of a second
  writeCountingWav("ninja.wav", frames);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "music_out.raw", 1);

  openMusic();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  startMusic();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  closeMusic();

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

TEST(Music, MissingFileOrDeviceLeavesTheShowSilent) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "missing_out.raw", 1);
  unlink("ninja.wav");
  testing::internal::CaptureStderr();
  openMusic();
  startMusic();
  closeMusic();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ninja.wav"), std::string::npos);

  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  testing::internal::CaptureStderr();
  openMusic();
  startMusic();
  closeMusic();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no sound output"), std::string::npos);
}
