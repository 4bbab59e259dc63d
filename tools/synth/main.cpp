// synth: renders the show's music.
//   synth OUT.wav            the finished loop
//   synth OUT.wav STEMDIR    also one raw WAV per track in STEMDIR (not mastered)
//   synth --gain             measures the song's masterGain, for song.cpp
#include <chrono>
#include <cstdio>
#include <string>

#include "render.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: synth OUT.wav [STEMDIR] | synth --gain\n");
    return 2;
  }
  const synth::Song& song = synth::ninjaSong;
  std::string err = synth::songCheck(song);
  if (!err.empty()) {
    std::fprintf(stderr, "synth: %s\n", err.c_str());
    return 1;
  }
  if (std::string(argv[1]) == "--gain") {
    const float gain = synth::measureMasterGain(song);
    std::printf(".masterGain = %af,  // %.9g, measured by synth --gain\n", double(gain), double(gain));
    return 0;
  }
  auto start = std::chrono::steady_clock::now();
  std::vector<float> mix = synth::renderSong(song, -1, true);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!synth::writeWav(argv[1], mix)) return 1;
  std::printf("synth: %s, %.2f s of music, %.2f LUFS, peak %.2f dBFS, rendered in %.2f s\n", argv[1],
              double(mix.size() / 2) / synth::sampleRate, synth::loudnessLufs(mix), synth::peakDbfs(mix),
              seconds);
  for (int t = 0; argc > 2 && t < song.trackCount; ++t) {
    std::vector<float> stem = synth::renderSong(song, t, false);
    std::string path = std::string(argv[2]) + "/" + song.tracks[t].name + ".wav";
    if (!synth::writeWav(path.c_str(), stem)) return 1;
  }
  return 0;
}
