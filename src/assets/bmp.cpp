#include "assets/bmp.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/file.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr int64_t MAX_SIDE = 16384;
constexpr int64_t MAX_PIXELS = int64_t{1} << 24;
constexpr size_t MAX_FILE_BYTES = size_t{1} << 30;
constexpr uint32_t WHITE = 0xFFFFFF;

// The file read front to back. A number cut short by the end of the file keeps the bytes that
// are there (the rest read as zero) and a seek past the end stops at the end, so that a file
// whose headers run into its end reads as it always has.
class Stream {
 public:
  Stream(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  void Seek(uint64_t offset) { at_ = static_cast<size_t>(std::min<uint64_t>(offset, size_)); }
  void Skip(size_t count) { Seek(uint64_t{at_} + count); }

  bool Byte(uint8_t* value) {
    if (at_ >= size_) return false;
    *value = bytes_[at_++];
    return true;
  }

  // A little-endian number of `count` bytes (2 or 4).
  uint32_t Number(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count && at_ < size_; ++i) value |= uint32_t{bytes_[at_++]} << (8 * i);
    return value;
  }

  // Exactly `count` bytes, or false.
  bool Bytes(uint8_t* out, size_t count) {
    if (size_ - at_ < count) {
      at_ = size_;
      return false;
    }
    if (count) std::memcpy(out, bytes_ + at_, count);
    at_ += count;
    return true;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t at_ = 0;
};

struct Header {
  uint32_t dataOffset = 0;
  uint32_t infoSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // negative: rows stored top-down
  uint32_t bits = 0;
  uint32_t compression = BI_RGB;
  uint32_t colorsUsed = 0;
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;  // channel masks given with BI_BITFIELDS
};

Header ReadHeader(Stream& in) {
  Header h;
  in.Seek(10);
  h.dataOffset = in.Number(4);
  h.infoSize = in.Number(4);
  if (h.infoSize == 12) {  // OS/2: 16-bit sizes, no compression
    h.width = static_cast<int32_t>(in.Number(2));
    h.height = static_cast<int32_t>(in.Number(2));
    in.Number(2);  // planes
    h.bits = in.Number(2);
  } else if (h.infoSize >= 40) {
    h.width = static_cast<int32_t>(in.Number(4));
    h.height = static_cast<int32_t>(in.Number(4));
    in.Number(2);  // planes
    h.bits = in.Number(2);
    h.compression = in.Number(4);
    in.Skip(12);  // image size, resolution
    h.colorsUsed = in.Number(4);
    in.Number(4);  // important colours
    // The masks follow the first 40 bytes, inside a longer header or where the colour table
    // would start; the 64-byte OS/2 header has other fields there.
    if (h.infoSize != 64 && h.compression == BI_BITFIELDS) {
      h.red = in.Number(4);
      h.green = in.Number(4);
      h.blue = in.Number(4);
      if (h.infoSize >= 56) h.alpha = in.Number(4);
    }
  }
  return h;
}

// At most 16384 pixels a side and 16 million in all; uncompressed rows must be in the file.
bool Plausible(const Header& h, size_t fileSize) {
  if (fileSize > MAX_FILE_BYTES) return false;
  if (h.infoSize != 12 && (h.infoSize < 40 || fileSize < 34)) return false;
  const int64_t width = h.width;
  const int64_t height = h.height < 0 ? -int64_t{h.height} : int64_t{h.height};
  if (width <= 0 || height == 0 || width > MAX_SIDE || height > MAX_SIDE || width * height > MAX_PIXELS)
    return false;
  if (h.compression == BI_RGB || h.compression == BI_BITFIELDS) {
    const int64_t rowBytes = (width * h.bits + 31) / 32 * 4;
    if (int64_t{h.dataOffset} + rowBytes * height > static_cast<int64_t>(fileSize)) return false;
  }
  return true;
}

// How the pixels are held while decoding: one colour index a byte, or values of 1 to 4 bytes
// whose channels the masks pick out. 5-6-5 pixels and 10-bit channels are widened their own way.
enum class Kind { Indexed, Masked, Rgb565, Argb2101010 };

struct Layout {
  Kind kind = Kind::Indexed;
  uint32_t bytes = 1;
  uint32_t red = 0, green = 0, blue = 0;
};

struct MaskSet {
  uint32_t red, green, blue, alpha;
  Kind kind;
};

constexpr MaskSet SIXTEEN_BIT_MASKS[] = {
    {0x7C00, 0x03E0, 0x001F, 0x0000, Kind::Masked}, {0x001F, 0x03E0, 0x7C00, 0x0000, Kind::Masked},
    {0x0F00, 0x00F0, 0x000F, 0xF000, Kind::Masked}, {0xF000, 0x0F00, 0x00F0, 0x000F, Kind::Masked},
    {0x000F, 0x00F0, 0x0F00, 0xF000, Kind::Masked}, {0x00F0, 0x0F00, 0xF000, 0x000F, Kind::Masked},
    {0x7C00, 0x03E0, 0x001F, 0x8000, Kind::Masked}, {0xF800, 0x07C0, 0x003E, 0x0001, Kind::Masked},
    {0x001F, 0x03E0, 0x7C00, 0x8000, Kind::Masked}, {0x003E, 0x07C0, 0xF800, 0x0001, Kind::Masked},
    {0xF800, 0x07E0, 0x001F, 0x0000, Kind::Rgb565}, {0x001F, 0x07E0, 0xF800, 0x0000, Kind::Masked},
    {0x003F, 0x07C0, 0xF800, 0x0000, Kind::Rgb565},  // written by some tools; shown as 5-6-5
};

constexpr MaskSet THIRTY_TWO_BIT_MASKS[] = {
    {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00000000, Kind::Masked},
    {0xFF000000, 0x00FF0000, 0x0000FF00, 0x00000000, Kind::Masked},
    {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00000000, Kind::Masked},
    {0x0000FF00, 0x00FF0000, 0xFF000000, 0x00000000, Kind::Masked},
    {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, Kind::Masked},
    {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF, Kind::Masked},
    {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000, Kind::Masked},
    {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF, Kind::Masked},
    {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000, Kind::Argb2101010},
};

template <size_t N>
bool FindMasks(const MaskSet (&sets)[N], const Header& h, uint32_t bytes, Layout* layout) {
  for (const MaskSet& s : sets) {
    if (s.red == h.red && s.green == h.green && s.blue == h.blue && s.alpha == h.alpha) {
      *layout = s.kind == Kind::Rgb565 ? Layout{Kind::Rgb565, 2, 0xF800, 0x07E0, 0x001F}
                                       : Layout{s.kind, bytes, s.red, s.green, s.blue};
      return true;
    }
  }
  return false;
}

// The layout for a depth (indices already widened to 8 bits) and the masks in force. No red
// mask means the depth's usual layout; otherwise the masks must be a known set.
bool ChooseLayout(uint32_t depth, const Header& h, Layout* layout) {
  switch (depth) {
    case 8:
      if (h.red == 0) {
        *layout = {Kind::Indexed, 1};
        return true;
      }
      if (h.red == 0xE0 && h.green == 0x1C && h.blue == 0x03 && h.alpha == 0) {
        *layout = {Kind::Masked, 1, 0xE0, 0x1C, 0x03};
        return true;
      }
      return false;
    case 12:
      if (h.red == 0) {
        *layout = {Kind::Masked, 2, 0x0F00, 0x00F0, 0x000F};
        return true;
      }
      if (h.green == 0x00F0 && h.alpha == 0 &&
          ((h.red == 0x0F00 && h.blue == 0x000F) || (h.red == 0x000F && h.blue == 0x0F00))) {
        *layout = {Kind::Masked, 2, h.red, h.green, h.blue};
        return true;
      }
      return false;
    case 15:
    case 16:
      if (h.red == 0) {
        *layout = depth == 15 ? Layout{Kind::Masked, 2, 0x7C00, 0x03E0, 0x001F}
                              : Layout{Kind::Rgb565, 2, 0xF800, 0x07E0, 0x001F};
        return true;
      }
      return FindMasks(SIXTEEN_BIT_MASKS, h, 2, layout);
    case 24:
      // Only the red mask tells the two byte orders apart.
      if (h.red == 0 || h.red == 0x00FF0000) {
        *layout = {Kind::Masked, 3, 0xFF0000, 0x00FF00, 0x0000FF};
        return true;
      }
      if (h.red == 0x000000FF) {
        *layout = {Kind::Masked, 3, 0x0000FF, 0x00FF00, 0xFF0000};
        return true;
      }
      return false;
    case 32:
      if (h.red == 0) {
        *layout = {Kind::Masked, 4, 0xFF0000, 0x00FF00, 0x0000FF};
        return true;
      }
      return FindMasks(THIRTY_TWO_BIT_MASKS, h, 4, layout);
    default:
      return false;
  }
}

// A channel of n bits widened to 8: v * 255 / (2^n - 1), rounded down.
uint32_t Widen(uint32_t value, uint32_t mask) {
  const uint32_t bits = static_cast<uint32_t>(std::popcount(mask));
  const uint32_t v = (value & mask) >> std::countr_zero(mask);
  return bits >= 8 ? v & 0xFF : v * 255 / ((1u << bits) - 1);
}

// 5-6-5 green is widened in two parts (its top three bits and its low three), each rounded
// down, which differs from Widen by one in a few levels.
uint32_t Rgb565Color(uint32_t p) {
  const uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
  const uint32_t green = (g & 0x38) * 255 / 63 + (g & 0x07) * 255 / 63;
  return (r * 255 / 31) << 16 | green << 8 | b * 255 / 31;
}

// Run-length data drawn into `held` (rows `pitch` bytes apart) from its bottom row up, one byte
// a pixel. Runs may go past a row's end into the next row up in memory; what falls outside
// the picture is dropped. False when the data ends before its end-of-bitmap mark.
bool ReadRunLengths(Stream& in, std::vector<uint8_t>& held, int64_t pitch, bool eightBit) {
  const int64_t end = static_cast<int64_t>(held.size());
  int64_t row = end - pitch;
  int64_t column = 0;
  auto put = [&](uint8_t value) {
    const int64_t at = row + column++;
    if (at >= 0 && at < end) held[static_cast<size_t>(at)] = value;
  };
  for (;;) {
    uint8_t count = 0, value = 0;
    if (!in.Byte(&count)) return false;
    if (count != 0) {  // a run: one value, or two 4-bit values taking turns
      if (!in.Byte(&value)) return false;
      for (int i = 0; i < count; ++i) put(eightBit ? value : (i % 2 ? value & 0x0F : value >> 4));
      continue;
    }
    if (!in.Byte(&count)) return false;
    switch (count) {
      case 0:  // end of line
        column = 0;
        row -= pitch;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // move right and up
        uint8_t dx, dy;
        if (!in.Byte(&dx)) return false;
        column += dx;
        if (!in.Byte(&dy)) return false;
        row -= dy * pitch;
        break;
      }
      default: {  // `count` values as they are, padded to a whole number of 16-bit words
        const int bytes = eightBit ? count : (count + 1) / 2;
        for (int i = 0; i < count; ++i) {
          if ((eightBit || i % 2 == 0) && !in.Byte(&value)) return false;
          put(eightBit ? value : (i % 2 ? value & 0x0F : value >> 4));
        }
        if (bytes % 2 && !in.Byte(&value)) return false;
        break;
      }
    }
  }
}

}  // namespace

BmpResult DecodeBmp(const uint8_t* bytes, size_t size, BmpPicture* picture) {
  *picture = BmpPicture{};
  if (!bytes || size < 26 || bytes[0] != 'B' || bytes[1] != 'M') return BmpResult::NotBmp;
  Stream in(bytes, size);
  Header h = ReadHeader(in);
  if (!Plausible(h, size)) return BmpResult::Implausible;
  const int64_t width = h.width;
  const bool topDown = h.height < 0;
  const int64_t height = topDown ? -int64_t{h.height} : h.height;

  // Indices of fewer than 8 bits are held one a byte.
  uint32_t depth = h.bits;
  uint32_t indexBits = 0;
  if (depth == 1 || depth == 2 || depth == 4) {
    indexBits = depth;
    depth = 8;
  } else if (depth < 8) {
    return BmpResult::Unsupported;
  }
  if (h.compression == BI_RGB) {  // the usual layouts; 32-bit pixels may carry alpha
    if (depth == 15 || depth == 16) {
      h.red = 0x7C00, h.green = 0x03E0, h.blue = 0x001F;
    } else if (depth == 24) {
      h.red = 0xFF0000, h.green = 0x00FF00, h.blue = 0x0000FF;
    } else if (depth == 32) {
      h.red = 0xFF0000, h.green = 0x00FF00, h.blue = 0x0000FF, h.alpha = 0xFF000000;
    }
  }
  Layout layout;
  if (!ChooseLayout(depth, h, &layout)) return BmpResult::Unsupported;

  // The colour table. An index must stay below the number of colours used, which is the whole
  // table of 256 when the header gives none or too many; entries past the end of the file are
  // white.
  uint32_t colors = h.colorsUsed;
  std::vector<uint32_t> palette;
  std::vector<uint8_t> table;
  if (layout.kind == Kind::Indexed) {
    if (colors == 0 || colors > 256) colors = 256;
    const uint64_t tableStart = 14 + uint64_t{h.infoSize};
    const uint32_t entrySize = h.infoSize == 12 ? 3 : 4;
    in.Seek(tableStart);
    palette.assign(256, WHITE);
    for (uint32_t i = 0; i < colors; ++i) {
      uint8_t bgr[3] = {0xFF, 0xFF, 0xFF}, reserved;
      for (uint8_t& channel : bgr) in.Byte(&channel);
      if (entrySize == 4) in.Byte(&reserved);
      palette[i] = uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
    }
    // What the file declares as its table, whole entries only, for palette textures.
    const uint32_t declared = h.colorsUsed >= 1 && h.colorsUsed <= 256 ? h.colorsUsed : 1u << h.bits;
    for (uint64_t i = 0; i < declared && tableStart + (i + 1) * entrySize <= size; ++i) {
      const uint8_t* entry = bytes + tableStart + i * entrySize;
      table.insert(table.end(), {entry[0], entry[1], entry[2], static_cast<uint8_t>(entrySize == 4 ? entry[3] : 0)});
    }
  }

  const int64_t pitch = (width * layout.bytes + 3) / 4 * 4;
  std::vector<uint8_t> held(static_cast<size_t>(pitch * height), 0);
  in.Seek(h.dataOffset);
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    if (!ReadRunLengths(in, held, pitch, h.compression == BI_RLE8)) return BmpResult::Damaged;
  } else {
    const int64_t rowBytes = (width * indexBits + 7) / 8;
    for (int64_t r = 0; r < height; ++r) {
      uint8_t* row = held.data() + (topDown ? r : height - 1 - r) * pitch;
      if (indexBits) {
        uint8_t packed = 0;
        for (int64_t x = 0; x < width; ++x) {
          if (x % (8 / indexBits) == 0 && !in.Byte(&packed)) return BmpResult::Damaged;
          row[x] = static_cast<uint8_t>(packed >> (8 - indexBits));
          if (row[x] >= colors) return BmpResult::Damaged;
          packed = static_cast<uint8_t>(packed << indexBits);
        }
        in.Skip(static_cast<size_t>((4 - rowBytes % 4) % 4));
      } else {
        if (!in.Bytes(row, static_cast<size_t>(pitch))) return BmpResult::Damaged;
        if (layout.kind == Kind::Indexed && colors < 256)
          for (int64_t x = 0; x < width; ++x)
            if (row[x] >= colors) return BmpResult::Damaged;
      }
    }
  }

  picture->pixels.resize(static_cast<size_t>(width * height));
  uint32_t* out = picture->pixels.data();
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* p = held.data() + y * pitch;
    for (int64_t x = 0; x < width; ++x, p += layout.bytes) {
      uint32_t v = 0;
      for (uint32_t i = 0; i < layout.bytes; ++i) v |= uint32_t{p[i]} << (8 * i);
      switch (layout.kind) {
        case Kind::Indexed:
          *out++ = v < colors ? palette[v] : 0;
          break;
        case Kind::Masked:
          *out++ = Widen(v, layout.red) << 16 | Widen(v, layout.green) << 8 | Widen(v, layout.blue);
          break;
        case Kind::Rgb565:
          *out++ = Rgb565Color(v);
          break;
        case Kind::Argb2101010:  // the top 8 of each 10 bits
          *out++ = ((v >> 22) & 0xFF) << 16 | ((v >> 12) & 0xFF) << 8 | ((v >> 2) & 0xFF);
          break;
      }
    }
  }
  picture->width = h.width;
  picture->height = static_cast<int32_t>(height);
  picture->bitsPerPixel = h.bits;
  picture->colorTable = std::move(table);
  return BmpResult::Decoded;
}

BmpResult LoadBmpPicture(const char* fileName, BmpPicture* picture) {
  *picture = BmpPicture{};
  std::vector<uint8_t> bytes;
  if (!fileName || !ReadShowFile(fileName, BMP_FILE_LIMIT, bytes)) return BmpResult::Missing;
  return DecodeBmp(bytes.data(), bytes.size(), picture);
}

const char* BmpResultText(BmpResult result) {
  switch (result) {
    case BmpResult::Decoded:
      return "decoded";
    case BmpResult::Missing:
      return "the file could not be read";
    case BmpResult::NotBmp:
      return "not a BMP file";
    case BmpResult::Implausible:
      return "the BMP header claims a size no picture has";
    case BmpResult::Unsupported:
      return "a BMP depth or channel layout that is not a picture format";
    case BmpResult::Damaged:
      return "the BMP pixel data is cut short or damaged";
  }
  return "unknown result";
}
