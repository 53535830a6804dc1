#include "assets/pcx.h"

#include <vector>

#include "base/bytes.h"
#include "base/file.h"

bool ReadPcxSize(const uint8_t* data, size_t size, uint32_t* width, uint32_t* height) {
  if (!data || size < PCX_HEADER_SIZE) return false;
  *width = ReadLe16(data + 8) - ReadLe16(data + 4) + 1;
  *height = ReadLe16(data + 10) - ReadLe16(data + 6) + 1;
  return true;
}

namespace {

enum Plane { RED, GREEN, BLUE };

struct PcxInput {
  const uint8_t* next;
  const uint8_t* end;
};

// One plane line: runs are taken whole until `lineLength` values are done; values past
// `width` (pad bytes, or the tail of a run that crosses the line's end) are not kept.
// False when the data ends first.
template <Plane plane>
bool DecodePlaneLine(PcxInput& in, uint32_t* row, uint32_t width, uint32_t lineLength) {
  uint32_t done = 0;
  while (done < lineLength) {
    if (in.next == in.end) return false;
    uint32_t run = 1;
    uint32_t value = *in.next++;
    if ((value & 0xC0) == 0xC0) {
      if (in.next == in.end) return false;
      run = value & 0x3F;
      value = *in.next++;
    }
    const uint32_t stop = done + run < width ? done + run : width;
    for (uint32_t x = done; x < stop; ++x) {
      if constexpr (plane == RED) row[x] = value << 16;
      else if constexpr (plane == GREEN) row[x] = (row[x] & 0x00FF0000) | value << 8;
      else row[x] = (row[x] & 0x00FFFF00) | value;
    }
    done += run;
  }
  return true;
}

}  // namespace

PcxResult DecodePcxPicture(const uint8_t* data, size_t size, uint32_t* destination, size_t capacityPixels) {
  uint32_t width = 0, height = 0;
  if (!ReadPcxSize(data, size, &width, &height)) return PcxResult::ShortHeader;
  if (width == 0 || height == 0) return PcxResult::Complete;

  // Writers pad odd widths to an even bytes-per-line; the pad values are skipped. A smaller
  // field is taken as the width.
  const uint32_t bytesPerLine = ReadLe16(data + 66);
  const uint32_t lineLength = bytesPerLine > width ? bytesPerLine : width;

  const uint64_t rowsThatFit = destination ? capacityPixels / width : 0;
  const bool fits = rowsThatFit >= height;
  const uint64_t rows = fits ? height : rowsThatFit;

  PcxInput in{data + PCX_HEADER_SIZE, data + size};
  uint32_t* row = destination;
  for (uint64_t y = 0; y < rows; ++y, row += width) {
    if (!DecodePlaneLine<RED>(in, row, width, lineLength) || !DecodePlaneLine<GREEN>(in, row, width, lineLength) ||
        !DecodePlaneLine<BLUE>(in, row, width, lineLength))
      return PcxResult::Truncated;
  }
  return fits ? PcxResult::Complete : PcxResult::TooLarge;
}

PcxResult LoadPcxPicture(const char* fileName, uint32_t* destination, size_t capacityPixels) {
  std::vector<uint8_t> file;
  if (!ReadShowFile(fileName, PCX_FILE_LIMIT, file)) return PcxResult::Missing;
  return DecodePcxPicture(file.data(), file.size(), destination, capacityPixels);
}

const char* PcxResultText(PcxResult result) {
  switch (result) {
    case PcxResult::Complete: return "complete";
    case PcxResult::Missing: return "cannot be opened or read";
    case PcxResult::ShortHeader: return "shorter than the 128-byte PCX header";
    case PcxResult::Truncated: return "picture data ends early";
    case PcxResult::TooLarge: return "picture is larger than the destination";
  }
  return "unknown result";
}
