// The rendered music as the show plays it: the WAV the build made (SHOW_WAV) is
// well-formed, of the right length, loud enough but never clipping, loops without a
// click, and the stream gives the same bytes pass after pass; the gain the song keeps
// is the measured one. Also the song data's checks and the loop wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "render.h"

using namespace synth;

namespace {
uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(b[at + i]) << (8 * i);
  return v;
}

std::vector<int16_t> samplesOf(const std::vector<uint8_t>& wav) {
  std::vector<int16_t> s((wav.size() - 44) / 2);
  std::memcpy(s.data(), wav.data() + 44, s.size() * 2);
  return s;
}

// The given quantile of |x[i] - 2 x[i-1] + x[i-2]| (order 2) or |x[i] - x[i-1]|
// (order 1) over one channel, away from the loop point.
double stepQuantile(const std::vector<int16_t>& s, int channel, int order, double q) {
  std::vector<int> d;
  for (size_t i = 2 * 2 + channel; i < s.size(); i += 2)
    d.push_back(order == 1 ? std::abs(s[i] - s[i - 2]) : std::abs(s[i] - 2 * s[i - 2] + s[i - 4]));
  std::nth_element(d.begin(), d.begin() + long(q * double(d.size())), d.end());
  return d[long(q * double(d.size()))];
}

// A two-bar song whose only note starts late in the last bar and rings on.
const Instrument testPad = {.name = "pad",
                            .wave1 = waveSaw,
                            .unison = 1,
                            .width = 0.5f,
                            .baseNote = 57,
                            .amp = {0.05f, 0.5f, 0.8f, 1.5f},
                            .filter = filterLow,
                            .cutoff = 2000,
                            .q = 0.707f,
                            .filterEnv = {0.001f, 0.1f, 0, 0.1f},
                            .volume = 0.5f,
                            .delaySend = 0.3f,
                            .reverbSend = 0.5f};
const Track testTrack[] = {{"pad", "pad", 2}};
const Pattern testPatterns[] = {{"late", ". . . . . . . . . . . . A3 . . ."}};
const OrderRow testOrder[] = {{{""}}, {{"late"}}};

// A song of one instrument with the show's effect settings, `bars` bars of `order`.
Song oneInstrumentSong(const Instrument* instrument, const Track* track, const Pattern* patterns,
                       const OrderRow* order, int bars) {
  return {.samplesPerRow = 4725,
          .instruments = instrument,
          .instrumentCount = 1,
          .tracks = track,
          .trackCount = 1,
          .patterns = patterns,
          .patternCount = 1,
          .order = order,
          .orderCount = bars,
          .delayRows = 3.0f,
          .delayFeedback = 0.4f,
          .reverbRoom = 0.7f,
          .reverbDamp = 0.4f,
          .reverbLevel = 1.0f,
          .delayLevel = 0.8f};
}

Song testSong() { return oneInstrumentSong(&testPad, testTrack, testPatterns, testOrder, 2); }

// The music as the build rendered it for the show.
std::vector<uint8_t> showWav() {
  std::ifstream in(SHOW_WAV, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

TEST(SongData, ChecksOutAndNamesTheFirstFault) {
  EXPECT_EQ(songCheck(ninjaSong), "");
  Song s = testSong();
  EXPECT_EQ(songCheck(s), "");

  Pattern bad[] = {{"late", ". . . . H4 . . . . . . . . . . ."}};
  s.patterns = bad;
  EXPECT_EQ(songCheck(s), "pattern late: bad cell \"H4\"");
  EXPECT_TRUE(renderSong(s, -1, true).empty()) << "a faulty song renders nothing";
  EXPECT_EQ(openStream(s, -1, true), nullptr) << "and opens no stream";
  Pattern shortBar[] = {{"late", "A3 . . ."}};
  s.patterns = shortBar;
  EXPECT_EQ(songCheck(s), "pattern late has fewer than 16 cells");
  Pattern loudness[] = {{"late", "A3:0 . . . . . . . . . . . . . . ."}};
  s.patterns = loudness;
  EXPECT_NE(songCheck(s), "") << "velocity digits run 1..9";

  s = testSong();
  OrderRow order[] = {{{"nope"}}};
  s.order = order;
  s.orderCount = 1;
  EXPECT_EQ(songCheck(s), "bar 0: unknown pattern nope");
  Track track[] = {{"pad", "organ", 2}};
  s = testSong();
  s.tracks = track;
  EXPECT_EQ(songCheck(s), "track pad: unknown instrument organ");
}

TEST(SongData, NoteAtTheEndRingsOnIntoTheStart) {
  Song s = testSong();
  std::vector<float> x = renderSong(s, -1, false);
  const long frames = songFrames(s);
  ASSERT_EQ(long(x.size()), 2 * frames);
  // Nothing is played in the first bar, yet the note from the end is still heard there.
  double startPower = 0;
  for (int i = 0; i < 2 * 2205; ++i) startPower += x[i] * x[i];
  EXPECT_GT(startPower / 4410, 1e-4) << "release and reverb tail wrapped to the start";
  // And the seam is as smooth as the signal around it.
  float seam = std::fabs(x[0] - x[2 * (frames - 1)]), around = 0;
  for (long i = frames - 200; i < frames; ++i)
    around = std::max(around, std::fabs(x[2 * i] - x[2 * (i - 1)]));
  EXPECT_LE(seam, 1.5f * around) << "step across the loop point " << seam << ", largest step before it "
                                 << around;
}

TEST(SongData, NotesSoundAtTheirPitchOnTheirRows) {
  const Instrument sine = {.name = "sine",
                           .wave1 = waveSine,
                           .unison = 1,
                           .width = 0.5f,
                           .baseNote = 60,
                           .amp = {0.001f, 0.1f, 1.0f, 0.005f},
                           .filter = filterLow,
                           .cutoff = 20000,
                           .q = 0.707f,
                           .filterEnv = {0.001f, 0.1f, 0, 0.1f},
                           .volume = 0.5f};
  const Track track[] = {{"sine", "sine", 2}};
  const Pattern pattern[] = {{"tune", ". . . . A4 . . = . . . . C#5 . Bb3:3 ="}};
  const OrderRow order[] = {{{"tune"}}};
  Song s = oneInstrumentSong(&sine, track, pattern, order, 1);
  std::vector<float> x = renderSong(s, -1, false);
  ASSERT_EQ(x.size(), 2u * 16 * 4725);
  auto rows = [&](int from, int to, int skip = 0) {  // rows [from, to), less `skip` frames at the start
    return std::vector<float>(x.begin() + 2 * (from * 4725 + skip), x.begin() + 2 * to * 4725);
  };
  const int settle = 441;  // 10 ms: the previous note's release is over
  auto level = [](const std::vector<float>& v) {
    float m = 0;
    for (size_t i = 0; i < v.size(); i += 2) m = std::max(m, std::fabs(v[i]));
    return m;
  };
  auto hz = [](const std::vector<float>& v) {  // from upward zero crossings of the left channel
    double first = -1, last = 0;
    int n = 0;
    for (size_t i = 2; i < v.size(); i += 2)
      if (v[i - 2] < 0 && v[i] >= 0) {
        double t = double(i / 2 - 1) + v[i - 2] / (v[i - 2] - v[i]);
        if (first < 0) first = t;
        last = t, n++;
      }
    return (n - 1) * 44100.0 / (last - first);
  };
  EXPECT_LT(level(rows(0, 4)), 1e-4f) << "silent before the first note on row 4";
  EXPECT_GT(level(rows(4, 5)), 0.3f) << "the note starts on row 4";
  EXPECT_NEAR(1200 * std::log2(hz(rows(4, 7)) / 440.0), 0.0, 1.0) << "A4";
  EXPECT_LT(level(rows(8, 12)), 1e-4f) << "\"=\" on row 7 releases the note";
  EXPECT_NEAR(1200 * std::log2(hz(rows(12, 14)) / 554.365), 0.0, 1.0) << "C#5";
  EXPECT_NEAR(1200 * std::log2(hz(rows(14, 15, settle)) / 233.082), 0.0, 1.0) << "Bb3";
  EXPECT_NEAR(level(rows(14, 15, settle)) / level(rows(12, 14)), 3.0 / 9.0, 0.02) << "velocity 3 of 9";
}

TEST(ShowMusic, FinishedLoopIsWellFormedLoudAndClean) {
  const std::vector<uint8_t> wav = showWav();
  ASSERT_GT(wav.size(), 44u) << SHOW_WAV << " (the build renders it)";
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(le(wav, 4, 4), wav.size() - 8);
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(le(wav, 16, 4), 16u);
  EXPECT_EQ(le(wav, 20, 2), 1u) << "PCM";
  EXPECT_EQ(le(wav, 22, 2), 2u) << "stereo";
  EXPECT_EQ(le(wav, 24, 4), 44100u);
  EXPECT_EQ(le(wav, 28, 4), 44100u * 4);
  EXPECT_EQ(le(wav, 32, 2), 4u);
  EXPECT_EQ(le(wav, 34, 2), 16u);
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  EXPECT_EQ(le(wav, 40, 4), wav.size() - 44);
  const long frames = songFrames(ninjaSong);
  EXPECT_EQ(long(wav.size()), 44 + 4 * frames);
  double seconds = double(frames) / 44100.0;
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 120.0);

  std::vector<int16_t> s = samplesOf(wav);
  int peak = 0;
  std::vector<float> f(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    peak = std::max(peak, std::abs(int(s[i])));
    f[i] = float(s[i]) / 32767.0f;
  }
  EXPECT_LE(peak, 29204) << "peak " << 20.0 * std::log10(peak / 32767.0) << " dBFS, allowed -1 dBFS";
  EXPECT_NEAR(loudnessLufs(f), -14.0, 0.5);
  EXPECT_LE(truePeakDbfs(f), -1.0) << "no overs in a player's reconstruction either";

  // The loop point: the step from the last frame to the first, and its curvature,
  // are no larger than what the music does anyway 999 times in 1000.
  const size_t n = s.size();
  for (int c = 0; c < 2; ++c) {
    int step = std::abs(s[c] - s[n - 2 + c]);
    int bend = std::abs(s[c] - 2 * s[n - 2 + c] + s[n - 4 + c]);
    double stepLimit = stepQuantile(s, c, 1, 0.999), bendLimit = stepQuantile(s, c, 2, 0.999);
    EXPECT_LE(step, stepLimit) << "channel " << c << ": step across the loop point";
    EXPECT_LE(bend, bendLimit) << "channel " << c << ": bend across the loop point";
  }
}

// The build's render and the stream the page plays, here in another process: nothing
// may depend on the run or on how the stream is asked for, its second pass is the
// WAV's loop and its third plays that loop again.
TEST(ShowMusic, StreamPlaysTheSameBytesPassAfterPass) {
  const std::vector<int16_t> wav = samplesOf(showWav());
  const long frames = songFrames(ninjaSong);
  ASSERT_EQ(long(wav.size()), 2 * frames);
  SongStream* stream = openStream(ninjaSong, -1, true);
  ASSERT_NE(stream, nullptr);
  std::vector<float> pass(2 * frames);
  auto nextPass = [&] {  // in pieces of uneven length
    for (long done = 0, n = 0; done < frames; done += n) {
      n = std::min(frames - done, 1000 + done % 7777);
      streamRender(stream, pass.data() + 2 * done, n);
    }
    std::vector<int16_t> pcm(2 * frames);
    toPcm16(pass.data(), pcm.data(), 2 * frames);
    return pcm;
  };
  nextPass();
  const std::vector<int16_t> second = nextPass(), third = nextPass();
  closeStream(stream);
  auto diff = std::mismatch(wav.begin(), wav.end(), second.begin());
  EXPECT_TRUE(diff.first == wav.end()) << "first difference at frame " << (diff.first - wav.begin()) / 2;
  int worst = 0;
  for (size_t i = 0; i < second.size(); ++i) worst = std::max(worst, std::abs(third[i] - second[i]));
  EXPECT_LE(worst, 1) << "the third pass differs from the second by up to " << worst;
}

// The gain the song keeps (so that a render can go without measuring the whole song
// first) is still the one measuring gives: a change to the song must bring a new one.
TEST(ShowMusic, FixedMasterGainIsTheMeasuredOne) {
  EXPECT_EQ(measureMasterGain(ninjaSong), ninjaSong.masterGain)
      << "run synth --gain and put its line into the song";
}
