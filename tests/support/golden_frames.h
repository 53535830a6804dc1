// golden_frames.h - the show's golden frames: the positions kept in tests/golden/frames.txt,
// their fingerprints, and the one offline run that renders them. The native test
// (tests/demo/golden_frames_test.cpp) and the web build's check under Node
// (tests/web/golden_frames_node.cpp) both use it, so both look at the same frames.
//
//   std::map<double, std::vector<uint32_t>> frames;
//   int code = RenderGoldenFrames(contentDir, frames);
//   std::string line = FingerprintLine(position, frames[position]);   // "3.5 4f385bc938dd1b6f"
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

extern const double kGoldenPositions[14];

// FNV-1a over the pixel bytes (0x00RRGGBB words, little-endian).
uint64_t FrameFingerprint(const std::vector<uint32_t>& pixels);
std::string FingerprintHex(uint64_t fingerprint);  // 16 hex digits

// Runs the show offline at 60 frames per second in `contentDir`, keeping the first frame at
// or past each golden position, and stops it after the last. Returns the show's exit code
// (the working folder is the same afterwards).
int RenderGoldenFrames(const std::string& contentDir, std::map<double, std::vector<uint32_t>>& frames);

// The fingerprints of a golden file, by position; empty when it cannot be read.
std::map<double, std::string> ReadGoldenFingerprints(const std::string& path);
