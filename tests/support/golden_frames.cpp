#include "support/golden_frames.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "demo/demo.h"
#include "platform/offline_platform.h"

const double kGoldenPositions[14] = {3.5, 13, 20, 28, 40, 52, 60, 68, 80, 89, 94, 100, 108, 118};

uint64_t FrameFingerprint(const std::vector<uint32_t>& pixels) {
  uint64_t hash = 1469598103934665603ull;
  for (uint32_t p : pixels)
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (p >> shift) & 0xFF;
      hash *= 1099511628211ull;
    }
  return hash;
}

std::string FingerprintHex(uint64_t fingerprint) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fingerprint));
  return text;
}

int RenderGoldenFrames(const std::string& contentDir, std::map<double, std::vector<uint32_t>>& frames) {
  OfflinePlatform offline(60);
  size_t next = 0;
  offline.onFrame = [&](const OfflinePresenter& frame) {
    if (!showState.running) return;
    while (next < std::size(kGoldenPositions) && showState.position >= kGoldenPositions[next])
      frames[kGoldenPositions[next++]] = frame.frame;
    if (next == std::size(kGoldenPositions)) offline.system.PressKey(VK_ESCAPE_KEY);
  };
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(contentDir);
  const int code = RunShow(&offline.platform);
  std::filesystem::current_path(previous);
  return code;
}

std::map<double, std::string> ReadGoldenFingerprints(const std::string& path) {
  std::map<double, std::string> expected;
  std::ifstream golden(path);
  double position;
  std::string hash;
  while (golden >> position >> hash) expected[position] = hash;
  return expected;
}
