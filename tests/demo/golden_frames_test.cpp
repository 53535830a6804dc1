// Whole frames of the show, rendered offline from the build's content pack, against the
// fingerprints kept in tests/golden/frames.txt. A change that moves any pixel of these frames
// shows up here; when the change is meant, regenerate the file with
//   TAVRINE_UPDATE_GOLDEN=1 build/tavrine_tests --gtest_filter='GoldenFrames*'
// and look at the PNGs it leaves beside the test binary before committing it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "png_writer.h"
#include "support/every_width.h"
#include "support/golden_frames.h"
#include "test_paths.h"

namespace {

std::string GoldenPath() { return std::string(TAVRINE_SOURCE_DIR) + "/tests/golden/frames.txt"; }

// The whole show at every vector width: each width's loops must give the same frames.
class GoldenFrames : public EveryWidth {};
INSTANTIATE_TEST_SUITE_P(Widths, GoldenFrames, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

TEST_P(GoldenFrames, ShowFramesMatchTheirFingerprints) {
  const std::string content = TAVRINE_CONTENT_DIR;
  if (!std::filesystem::exists(content + "/Music/DISCO.XM"))
    GTEST_SKIP() << "no content pack at " << content << " (build the 'content' target)";

  // One run of the show, keeping the first frame at or after each position.
  std::map<double, std::vector<uint32_t>> frames;
  ASSERT_EQ(RenderGoldenFrames(content, frames), 0);
  ASSERT_EQ(frames.size(), std::size(kGoldenPositions));

  std::ostringstream actual;
  for (const auto& [position, pixels] : frames) {
    char line[64];
    std::snprintf(line, sizeof line, "%g %s\n", position, FingerprintHex(FrameFingerprint(pixels)).c_str());
    actual << line;
  }

  if (std::getenv("TAVRINE_UPDATE_GOLDEN")) {
    std::ofstream(GoldenPath()) << actual.str();
    for (const auto& [position, pixels] : frames) {
      std::string error;
      WritePng("golden_" + std::to_string(position).substr(0, 5) + ".png", 320, 240, pixels.data(), &error);
    }
    GTEST_SKIP() << "wrote " << GoldenPath();
  }

  ASSERT_TRUE(std::filesystem::exists(GoldenPath())) << "missing " << GoldenPath();
  std::map<double, std::string> expected = ReadGoldenFingerprints(GoldenPath());

  for (const auto& [at, pixels] : frames) {
    const std::string got = FingerprintHex(FrameFingerprint(pixels));
    if (expected[at] != got) {
      const std::string png = "golden_mismatch_" + std::to_string(at).substr(0, 5) + ".png";
      std::string error;
      WritePng(png, 320, 240, pixels.data(), &error);
      ADD_FAILURE() << "frame at position " << at << " changed: " << got << " instead of " << expected[at]
                    << " (the frame is in " << std::filesystem::absolute(png).string() << ")";
    }
  }
}

}  // namespace
