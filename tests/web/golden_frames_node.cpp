// The golden frames, rendered by the web build's code (WebAssembly, under Node, with the
// files of the machine) and checked against tests/golden/frames.txt: the page draws what the
// native show draws, text from the glyph atlas included.
//
//   node golden_frames_node.js CONTENT_DIR GOLDEN_FILE GLYPH_ATLAS [MISMATCH_DIR]
//
// A frame that differs is written to MISMATCH_DIR as a PPM picture.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/atlas_text.h"
#include "platform/text.h"
#include "support/golden_frames.h"

static void WritePpm(const std::string& path, const std::vector<uint32_t>& pixels) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n320 240\n255\n";
  for (uint32_t p : pixels) {
    const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
    out.write(rgb, 3);
  }
}

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: golden_frames_node CONTENT_DIR GOLDEN_FILE GLYPH_ATLAS [MISMATCH_DIR]\n");
    return 2;
  }
  // The show runs in the content folder: the atlas is found from anywhere.
  SetShowFontAtlas(std::filesystem::absolute(argv[3]).string());
  if (!OpenShowFont(8) || !OpenShowFont(10)) {
    std::fprintf(stderr, "the glyph atlas %s lacks the show's sizes or cannot be read\n", argv[3]);
    return 1;
  }
  const std::map<double, std::string> expected = ReadGoldenFingerprints(argv[2]);
  if (expected.size() != std::size(kGoldenPositions)) {
    std::fprintf(stderr, "cannot read the golden fingerprints in %s\n", argv[2]);
    return 1;
  }
  std::map<double, std::vector<uint32_t>> frames;
  const int code = RenderGoldenFrames(argv[1], frames);
  if (code != 0) {
    std::fprintf(stderr, "the show stopped with code %d\n", code);
    return 1;
  }
  int passed = 0, failed = 0;
  for (double position : kGoldenPositions) {
    auto frame = frames.find(position);
    const std::string got = frame == frames.end() ? "(no frame)" : FingerprintHex(FrameFingerprint(frame->second));
    const std::string& want = expected.at(position);
    if (got == want) {
      ++passed;
      std::printf("frame %g: %s\n", position, got.c_str());
    } else {
      ++failed;
      std::printf("frame %g: %s instead of %s\n", position, got.c_str(), want.c_str());
      if (argc > 4 && frame != frames.end())
        WritePpm(std::string(argv[4]) + "/golden_mismatch_" + std::to_string(position).substr(0, 5) + ".ppm",
                 frame->second);
    }
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
