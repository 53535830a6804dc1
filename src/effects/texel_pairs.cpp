// texel_pairs.cpp - two sequential passes over the textures, interleaved. The vector versions
// of PairRunPlain are in kernels_128.cpp and kernels_256.cpp.
#include "effects/texel_pairs.h"

#include <algorithm>

#include "effects/kernels.h"

alignas(64) uint64_t TexelPairs[256 * 256];

namespace {

constexpr int PAIRS = 256 * 256;

}  // namespace

void PairRunPlain(uint64_t* out, const uint32_t* first, const uint32_t* second, int count) {
  for (int i = 0; i < count; ++i) out[i] = first[i] | static_cast<uint64_t>(second[i]) << 32;
}

void PairTexels(const uint32_t* first, uint16_t firstShift, const uint32_t* second, uint16_t secondShift) {
  // Split where either shifted index wraps around its texture, so that each run reads both
  // textures straight through.
  const int firstWrap = firstShift ? PAIRS - firstShift : PAIRS;
  const int secondWrap = secondShift ? PAIRS - secondShift : PAIRS;
  const int cuts[4] = {0, std::min(firstWrap, secondWrap), std::max(firstWrap, secondWrap), PAIRS};
  const EffectKernels& kernels = UsableEffectKernels();
  for (int r = 0; r < 3; ++r) {
    const int from = cuts[r], count = cuts[r + 1] - from;
    if (count <= 0) continue;
    kernels.pairRun(TexelPairs + from, first + ((from + firstShift) & 0xFFFF), second + ((from + secondShift) & 0xFFFF),
                    count);
  }
}
