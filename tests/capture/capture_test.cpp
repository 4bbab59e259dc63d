// kessivar-capture as a user runs it: options, frame counts, identical frames run to
// run, a late start drawn as a run from 0 draws it, the video with its music in sync,
// and reference frames of what a viewer sees.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "glrig.h"
#include "images/images.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out, err;
};

// A scratch directory of this test's own (ctest runs tests side by side).
std::string scratch() {
  const std::string dir =
      std::string("scratch-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::remove_all(dir);
  fs::create_directories(dir);
  return fs::absolute(dir).string();
}

// Runs a shell command line, capturing both output streams.
Outcome shell(const std::string& command, const std::string& dir) {
  const std::string out = dir + "/stdout.txt", err = dir + "/stderr.txt";
  const int raw = std::system((command + " >" + out + " 2>" + err).c_str());
  Outcome r;
  if (WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  r.out = readBytes(out);
  r.err = readBytes(err);
  return r;
}

// Runs the capture from the show folder with the given options.
Outcome capture(const std::string& options, const std::string& dir) {
  unsetenv("VIEWING_GAMMA");  // the pictures as the files hold them
  return shell(std::string("cd ") + SHOW_DIR + " && " + CAPTURE_PROGRAM + " " + options, dir);
}

std::vector<std::string> framesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool readPng(const std::string& path, Pixels* p) {
  TestImage image = readTestPng(path);
  if (image.colourType != PNG_COLOR_TYPE_RGB || image.bitDepth != 8) return false;
  p->width = image.width;
  p->height = image.height;
  p->rgb = std::move(image.pixels);
  return true;
}

int lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST(CaptureOptions, HelpDescribesEveryOptionAndSync) {
  const std::string dir = scratch();
  const Outcome r = capture("--help", dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  for (const char* word : {"--fps", "--start", "--end", "--at", "--frames", "--video", "--show-dir", "--size",
                           "--help", "default 60", "Sync:", "music"})
    EXPECT_NE(r.out.find(word), std::string::npos) << "help lacks " << word << ":\n" << r.out;
}

TEST(CaptureOptions, BadOptionsSayOneLineAndExit2WithoutOutput) {
  const std::string dir = scratch();
  const char* cases[] = {"--bogus --frames x",
                         "--fps 0 --frames x",
                         "--fps 12.5 --frames x",
                         "--fps abc --frames x",
                         "--fps",
                         "--start -1 --frames x",
                         "--start 10 --end 9 --frames x",
                         "--end 1e9 --frames x",
                         "--start 70 --frames x",
                         "--end 0.001 --frames x",
                         "--frames a --video b.mp4",
                         "--start 1",
                         "--frames x extra",
                         "--at 5 --video a.mp4",
                         "--at 5,,6 --frames x",
                         "--size 8x8 --frames x",
                         "--size 640 --frames x",
                         "--size 641x480 --video a.mp4",
                         "--frames ''",
                         "-q --frames x"};
  for (const char* options : cases) {
    const Outcome r = capture(std::string(options), dir);
    EXPECT_EQ(r.status, 2) << options;
    EXPECT_EQ(lines(r.err), 1) << options << " said:\n" << r.err;
    EXPECT_EQ(r.err.rfind("kessivar-capture: ", 0), 0u) << options << " said: " << r.err;
    EXPECT_EQ(r.out, "") << options;
  }
  EXPECT_FALSE(fs::exists(std::string(SHOW_DIR) + "/x")) << "a refused run made its output";
}

TEST(CaptureOptions, MissingShowFilesFailWithStatus1) {
  const std::string dir = scratch();
  Outcome r = capture("--show-dir " + dir + " --at 5 --frames " + dir + "/f", dir);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("none of the show's pictures"), std::string::npos) << r.err;
  r = capture("--show-dir " + dir + "/nowhere --at 5 --frames " + dir + "/f", dir);
  EXPECT_EQ(r.status, 1) << r.err;
}

TEST(CaptureFrames, OneFilePerFrameOfTheRangeNumberedFromZero) {
  const std::string dir = scratch();
  struct Case {
    const char* options;
    size_t frames;
  } cases[] = {
      {"--fps 30 --start 10 --end 10.5", 15},      // 300..314
      {"--fps 24 --start 0.02 --end 1", 24},       // round(0.48) = 0 .. 23
      {"--fps 60 --start 61.99 --end 62.005", 1},  // round(3719.4) .. round(3720.3)
      {"--fps 7 --start 3 --end 4", 7},
  };
  for (const Case& c : cases) {
    const std::string out = dir + "/frames";
    fs::remove_all(out);
    const Outcome r = capture(std::string(c.options) + " --frames " + out, dir);
    ASSERT_EQ(r.status, 0) << c.options << ": " << r.err;
    const std::vector<std::string> names = framesIn(out);
    EXPECT_EQ(names.size(), c.frames) << c.options;
    char last[32];
    snprintf(last, sizeof last, "frame-%06zu.png", c.frames - 1);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "frame-000000.png") << c.options;
    EXPECT_EQ(names.back(), last) << c.options;
    Pixels p;
    ASSERT_TRUE(readPng(out + "/" + names.back(), &p)) << c.options;
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 480);
  }
}

// The rate re-rolls (every 4 s of ticks) and the scroller carry history; a capture
// that starts late must still draw the frame a capture from show time 0 draws.
TEST(CaptureFrames, LateStartDrawsWhatARunFromZeroDraws) {
  const std::string dir = scratch();
  ASSERT_EQ(capture("--fps 10 --start 0 --end 23 --frames " + dir + "/whole", dir).status, 0);
  ASSERT_EQ(capture("--fps 10 --start 22.2 --end 23 --frames " + dir + "/late", dir).status, 0);
  ASSERT_EQ(capture("--fps 10 --at 14,22.9 --frames " + dir + "/stills", dir).status, 0);
  const std::vector<std::string> late = framesIn(dir + "/late");
  ASSERT_EQ(late.size(), 8u);
  for (size_t k = 0; k < late.size(); ++k) {
    char whole[32];
    snprintf(whole, sizeof whole, "frame-%06zu.png", 222 + k);
    EXPECT_TRUE(readBytes(dir + "/late/" + late[k]) == readBytes(dir + "/whole/" + whole))
        << "late frame " << k << " differs from show frame " << 222 + k;
  }
  EXPECT_TRUE(readBytes(dir + "/stills/frame-000000.png") == readBytes(dir + "/whole/frame-000140.png"));
  EXPECT_TRUE(readBytes(dir + "/stills/frame-000001.png") == readBytes(dir + "/whole/frame-000229.png"));
}

// The scroller moves 100 columns per second of show time whatever the frame rate: at
// the same moment captures at different rates show the strip (rows 0..9) alike.
TEST(CaptureFrames, ScrollerStandsAlikeAtEveryFrameRate) {
  const std::string dir = scratch();
  std::vector<uint8_t> reference;
  for (int fps : {60, 24, 30, 144}) {
    const std::string out = dir + "/fps" + std::to_string(fps);
    ASSERT_EQ(capture("--fps " + std::to_string(fps) + " --at 30,47.5 --frames " + out, dir).status, 0);
    for (int k = 0; k < 2; ++k) {
      const std::string name = k == 0 ? "/frame-000000.png" : "/frame-000001.png";
      Pixels p;
      ASSERT_TRUE(readPng(out + name, &p));
      const std::vector<uint8_t> strip(p.rgb.begin(), p.rgb.begin() + 640 * 10 * 3);
      if (fps == 60) {
        reference.insert(reference.end(), strip.begin(), strip.end());
        continue;
      }
      const size_t at = k * strip.size();
      EXPECT_TRUE(std::equal(strip.begin(), strip.end(), reference.begin() + at))
          << "at " << fps << " fps the strip of " << name << " differs from 60 fps";
    }
  }
}

TEST(CaptureFrames, SizeScalesTheWholeScreenKeepingItsShape) {
  const std::string dir = scratch();
  ASSERT_EQ(capture("--size 320x240 --at 27 --frames " + dir + "/small", dir).status, 0);
  ASSERT_EQ(capture("--at 27 --frames " + dir + "/full", dir).status, 0);
  Pixels small, full;
  ASSERT_TRUE(readPng(dir + "/small/frame-000000.png", &small));
  ASSERT_TRUE(readPng(dir + "/full/frame-000000.png", &full));
  ASSERT_EQ(small.width, 320);
  ASSERT_EQ(small.height, 240);
  // Pixel centres of the half-size frame sample the full frame at odd coordinates,
  // where flat areas (footer, card, logo) agree.
  int agree = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      agree += std::equal(small.at(x, y), small.at(x, y) + 3, full.at(2 * x + 1, 2 * y + 1));
  EXPECT_GT(agree, 320 * 240 * 8 / 10) << agree << " of " << 320 * 240 << " pixels agree";

  // A 16:9 video: the picture 1440x1080 (2.25 times) between black bars 240 wide.
  ASSERT_EQ(capture("--size 1920x1080 --at 27 --frames " + dir + "/wide", dir).status, 0);
  Pixels wide;
  ASSERT_TRUE(readPng(dir + "/wide/frame-000000.png", &wide));
  ASSERT_EQ(wide.width, 1920);
  int barsLit = 0;
  agree = 0;
  for (int y = 0; y < 1080; ++y)
    for (int x = 0; x < 1920; ++x) {
      const int px = int((x - 240 + 0.5) / 2.25), py = int((y + 0.5) / 2.25);
      if (x < 240 || x >= 1680)
        barsLit += wide.r(x, y) || wide.g(x, y) || wide.b(x, y);
      else
        agree += std::equal(wide.at(x, y), wide.at(x, y) + 3, full.at(px, py));
    }
  EXPECT_EQ(barsLit, 0) << "pixels of the bars not black";
  EXPECT_GT(agree, 1440 * 1080 * 8 / 10) << agree << " of " << 1440 * 1080 << " pixels agree";
}

// Reference frames: per channel at most 2 apart in at least 99.9 % of the pixels
// (room for another build of the software rasteriser, none for a moved layer).
TEST(GoldenFrames, CaptureDrawsTheReferenceFrames) {
  const std::string dir = scratch();
  std::ifstream list(std::string(GOLDEN_DIR) + "/frames.txt");
  std::vector<std::string> names, times;
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, seconds;
    fields >> name >> seconds;
    names.push_back(name);
    times.push_back(seconds);
  }
  ASSERT_GE(names.size(), 5u);
  std::string at;
  for (const std::string& t : times) at += (at.empty() ? "" : ",") + t;
  const Outcome r = capture("--fps 60 --at " + at + " --frames " + dir, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  for (size_t k = 0; k < names.size(); ++k) {
    char file[32];
    snprintf(file, sizeof file, "/frame-%06zu.png", k);
    Pixels got, want;
    ASSERT_TRUE(readPng(dir + file, &got));
    ASSERT_TRUE(readPng(std::string(GOLDEN_DIR) + "/" + names[k] + ".png", &want)) << names[k];
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    int off = 0, worst = 0, worstX = 0, worstY = 0;
    for (int y = 0; y < got.height; ++y)
      for (int x = 0; x < got.width; ++x) {
        int d = 0;
        for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(got.at(x, y)[c] - want.at(x, y)[c]));
        off += d > 2;
        if (d > worst) worst = d, worstX = x, worstY = y;
      }
    const int allowed = got.width * got.height / 1000;
    EXPECT_LE(off, allowed) << names[k] << " (show time " << times[k] << " s): " << off
                            << " pixels more than 2 apart (allowed " << allowed << "), worst " << worst
                            << " at (" << worstX << ", " << worstY << "); this run drew " << dir << file;
  }
}

// Mono 16-bit samples at 44100 Hz of the first audio stream of a file, via ffmpeg.
std::vector<int16_t> decodeAudio(const std::string& file, const std::string& dir) {
  const std::string raw = dir + "/audio.raw";
  const Outcome r =
      shell("ffmpeg -v error -y -i '" + file + "' -map 0:a:0 -ac 1 -ar 44100 -f s16le '" + raw + "'", dir);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string bytes = readBytes(raw);
  std::vector<int16_t> s(bytes.size() / 2);
  memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

// Lag (samples) within +-maxLag at which got[at..] best matches want[from..], and the
// normalised correlation there.
int bestLag(const std::vector<int16_t>& got, size_t at, const std::vector<int16_t>& want, size_t from,
            int maxLag, double* correlation) {
  const int window = 4096;
  int best = 0;
  *correlation = -2;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (int i = 0; i < window; ++i) {
      const double x = got[at + i], y = want[from + lag + i];
      xy += x * y, xx += x * x, yy += y * y;
    }
    const double c = xy / std::sqrt(xx * yy + 1e-9);
    if (c > *correlation) *correlation = c, best = lag;
  }
  return best;
}

TEST(CaptureVideo, LengthRateAndMusicInSyncAcrossTheLoop) {
  const std::string dir = scratch();
  const std::string video = dir + "/clip.mp4";
  // The music (82.29 s) loops at show time 82.29: this clip hears its end and start.
  const Outcome r = capture("--fps 30 --start 80 --end 84 --video " + video, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const Outcome probe = shell(
      "ffprobe -v error -show_entries stream=codec_type,r_frame_rate,nb_frames"
      ":format=duration -of default=nw=1 '" +
          video + "'",
      dir);
  ASSERT_EQ(probe.status, 0) << probe.err;
  EXPECT_NE(probe.out.find("codec_type=video\nr_frame_rate=30/1\nnb_frames=120\n"), std::string::npos)
      << probe.out;
  EXPECT_NE(probe.out.find("codec_type=audio"), std::string::npos) << probe.out;
  const size_t at = probe.out.find("duration=");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::stod(probe.out.substr(at + 9)), 4.0, 0.03) << probe.out;

  const std::vector<int16_t> heard = decodeAudio(video, dir);
  const std::vector<int16_t> music = decodeAudio(std::string(SHOW_DIR) + "/" + musicFileName, dir);
  ASSERT_GT(heard.size(), size_t(3.5 * 44100));
  ASSERT_GT(music.size(), size_t(82 * 44100));
  // Video time 1 s is show time 81 s; video time 3 s is 83 s, past the loop.
  const double loop = double(music.size()) / 44100;
  for (double videoTime : {1.0, 3.0}) {
    const double musicTime = std::fmod(80.0 + videoTime, loop);
    double correlation;
    const int lag =
        bestLag(heard, size_t(videoTime * 44100), music, size_t(musicTime * 44100), 2205, &correlation);
    EXPECT_GT(correlation, 0.9) << "at video time " << videoTime << " s";
    EXPECT_LE(std::abs(lag), 44) << "at video time " << videoTime << " s the music is off by " << lag / 44.1
                                 << " ms";
  }
}
