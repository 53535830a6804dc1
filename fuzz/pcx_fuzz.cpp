// Fuzzes the PCX decoder. The destination ends exactly where the allocation behind it ends, so
// a write past the capacity the caller gives lands outside it and is caught; the allocation is
// made once, so each input costs only its decoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "assets/pcx.h"

namespace {

// Larger than every picture of the show, small enough to keep each run cheap.
constexpr uint64_t MAX_PIXELS = 1u << 18;

PcxResult Decode(const uint8_t* data, size_t size, size_t capacity) {
  static std::vector<uint32_t> buffer(MAX_PIXELS);
  uint32_t* destination = buffer.data() + (buffer.size() - capacity);
  return DecodePcxPicture(data, size, capacity ? destination : nullptr, capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t width = 0, height = 0;
  if (!ReadPcxSize(data, size, &width, &height)) {
    Decode(data, size, 16);
    return 0;
  }
  const uint64_t claimed = static_cast<uint64_t>(width) * height;
  // The capacity the header asks for, and one a row and a pixel short of it, as a caller
  // with a smaller buffer would give.
  const uint64_t full = claimed < MAX_PIXELS ? claimed : MAX_PIXELS;
  const PcxResult whole = Decode(data, size, static_cast<size_t>(full));
  // A destination of exactly the claimed size always fits, and the header alone is never
  // mistaken for a short one.
  if (whole == PcxResult::ShortHeader || (claimed <= MAX_PIXELS && whole == PcxResult::TooLarge)) std::abort();
  const uint64_t shortBy = static_cast<uint64_t>(width) + 1;
  Decode(data, size, static_cast<size_t>(full > shortBy ? full - shortBy : full / 2));
  return 0;
}
