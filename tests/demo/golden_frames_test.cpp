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

#include "demo/demo.h"
#include "platform/offline_platform.h"
#include "png_writer.h"
#include "support/every_width.h"
#include "test_paths.h"

namespace {

const double kPositions[] = {3.5, 13, 20, 28, 40, 52, 60, 68, 80, 89, 94, 100, 108, 118};

uint64_t Fingerprint(const std::vector<uint32_t>& pixels) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a over the pixel bytes
  for (uint32_t p : pixels)
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (p >> shift) & 0xFF;
      hash *= 1099511628211ull;
    }
  return hash;
}

std::string GoldenPath() { return std::string(TAVRINE_SOURCE_DIR) + "/tests/golden/frames.txt"; }

// The whole show at every vector width: each width's loops must give the same frames.
class GoldenFrames : public EveryWidth {};
INSTANTIATE_TEST_SUITE_P(Widths, GoldenFrames, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);

TEST_P(GoldenFrames, ShowFramesMatchTheirFingerprints) {
  const std::string content = TAVRINE_CONTENT_DIR;
  if (!std::filesystem::exists(content + "/Music/DISCO.XM"))
    GTEST_SKIP() << "no content pack at " << content << " (build the 'content' target)";

  // One run of the show, keeping the first frame at or after each position.
  OfflinePlatform offline(60);
  std::map<double, std::vector<uint32_t>> frames;
  size_t next = 0;
  offline.onFrame = [&](const OfflinePresenter& frame) {
    if (!showState.running) return;
    while (next < std::size(kPositions) && showState.position >= kPositions[next]) frames[kPositions[next++]] = frame.frame;
    if (next == std::size(kPositions)) offline.system.PressKey(VK_ESCAPE_KEY);
  };
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(content);
  const int code = RunShow(&offline.platform);
  std::filesystem::current_path(previous);
  ASSERT_EQ(code, 0);
  ASSERT_EQ(frames.size(), std::size(kPositions));

  std::ostringstream actual;
  for (const auto& [position, pixels] : frames) {
    char line[64];
    std::snprintf(line, sizeof line, "%g %016llx\n", position, static_cast<unsigned long long>(Fingerprint(pixels)));
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

  std::ifstream golden(GoldenPath());
  ASSERT_TRUE(golden) << "missing " << GoldenPath();
  std::map<double, std::string> expected;
  double position;
  std::string hash;
  while (golden >> position >> hash) expected[position] = hash;

  for (const auto& [at, pixels] : frames) {
    char got[17];
    std::snprintf(got, sizeof got, "%016llx", static_cast<unsigned long long>(Fingerprint(pixels)));
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
