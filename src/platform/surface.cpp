#include "platform/surface.h"

#include <algorithm>
#include <cstring>

#include "platform/blit_kernels.h"

// Anything but 24 bits is held as 32; a negative size is an empty surface.
Surface::Surface(int w, int h, int bits, int rowPitch)
    : width(std::max(w, 0)), height(std::max(h, 0)), bitsPerPixel(bits == 24 ? 24 : 32),
      pitch(std::max(rowPitch, width * (bitsPerPixel / 8))),
      pixels(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0) {}

bool LockSurface(Surface& surface, SurfaceLock& lock) {
  if (surface.refuseLock || surface.locked) return false;
  surface.locked = true;
  lock.pixels = surface.pixels.data();
  lock.pitch = surface.pitch;
  return true;
}

void UnlockSurface(Surface& surface) { surface.locked = false; }

static bool ClipRect(PixelRect& r, int width, int height) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width);
  r.bottom = std::min(r.bottom, height);
  return r.left < r.right && r.top < r.bottom;
}

namespace {

constexpr uint32_t COLOUR_BITS = 0xFFFFFF;

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof(v));
  return v;
}

inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, sizeof(v)); }

inline uint32_t Load24(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
}

inline void Store24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
}

// A pixel's colour is its 24 low bits at either depth. The top byte of a 32-bit pixel is never
// copied: the destination always gets 0 there.

// One destination row from a source row. `columns` holds the source column of every
// destination pixel when Stretched (otherwise column i reads column i); `readable` is how many
// pixels the source row holds from `src` on.
template <int SrcBytes, int DstBytes, bool Keyed, bool Stretched>
void BlitRowGeneric(uint8_t* dst, const uint8_t* src, const int32_t* columns, int count, int readable,
                    uint32_t key) {
  for (int i = 0; i < count; ++i) {
    const int sx = Stretched ? columns[i] : i;
    const uint8_t* in = src + static_cast<size_t>(sx) * SrcBytes;
    // A 24-bit pixel followed by another in the same row is read as one 32-bit word.
    uint32_t colour;
    if constexpr (SrcBytes == 3) {
      colour = sx + 1 < readable ? Load32(in) & COLOUR_BITS : Load24(in);
    } else {
      colour = Load32(in) & COLOUR_BITS;
    }
    uint8_t* out = dst + static_cast<size_t>(i) * DstBytes;
    if constexpr (DstBytes == 4) {
      // Rewriting a keyed-out pixel with its own value keeps the loop free of branches.
      const uint32_t under = Keyed ? Load32(out) : 0;
      Store32(out, Keyed && colour == key ? under : colour);
    } else if (!Keyed || colour != key) {
      Store24(out, colour);
    }
  }
}

}  // namespace

// 32-bit rows at the same width: the hot case of every overlay on a 32-bit back buffer. The
// vector versions are in blit_kernels_128.cpp and blit_kernels_256.cpp.
void CopyRow32Plain(uint8_t* dst, const uint8_t* src, int count) {
  for (int i = 0; i < count; ++i) Store32(dst + 4 * i, Load32(src + 4 * i) & COLOUR_BITS);
}

void KeyRow32Plain(uint8_t* dst, const uint8_t* src, int count, uint32_t key) {
  for (int i = 0; i < count; ++i) {
    const uint32_t colour = Load32(src + 4 * i) & COLOUR_BITS;
    if (colour != key) Store32(dst + 4 * i, colour);
  }
}

// A source row stretched to the destination's width through the column table, raw 32-bit
// values (the row loops drop the top bytes).
void StretchRow32Plain(uint32_t* stretched, const uint8_t* src, const int32_t* columns, int count) {
  for (int i = 0; i < count; ++i) stretched[i] = Load32(src + static_cast<size_t>(columns[i]) * 4);
}

namespace {

const BlitKernels plainBlitKernels = {
    .copyRow32 = CopyRow32Plain,
    .keyRow32 = KeyRow32Plain,
    .stretchRow32 = StretchRow32Plain,
};

constinit const KernelTables<BlitKernels> blitKernels(&plainBlitKernels, BASELINE_KERNELS(baselineBlitKernels),
                                                      WIDE_KERNELS(wideBlitKernels));

template <int SrcBytes, int DstBytes>
void BlitRows(Surface& destination, const PixelRect& clipped, const PixelRect& dst, const Surface& source,
              const PixelRect& src, const int32_t* columns, bool useKey, uint32_t key) {
  const int64_t dstH = int64_t{dst.bottom} - dst.top, srcH = int64_t{src.bottom} - src.top;
  const int count = clipped.right - clipped.left;
  // With a column table the source row is read from its start (the table holds absolute
  // columns); without one, from the first column the clipped rectangle needs.
  const int firstColumn = columns ? 0 : src.left + (clipped.left - dst.left);
  const BlitKernels& kernels = UsableBlitKernels();
  // 32-bit stretches: each source row is stretched once into a scratch row, kept while the
  // following destination rows map to the same source row, and put down by the row kernels.
  static thread_local std::vector<uint32_t> scratch;
  int scratchRow = -1;
  if constexpr (SrcBytes == 4 && DstBytes == 4) {
    if (columns && scratch.size() < static_cast<size_t>(count)) scratch.resize(static_cast<size_t>(count));
  }
  for (int y = clipped.top; y < clipped.bottom; ++y) {
    // Nearest neighbour: destination pixel centre mapped back into the source.
    const int sy = src.top + static_cast<int>(((int64_t{y} - dst.top) * 2 + 1) * srcH / (dstH * 2));
    const uint8_t* in = source.Row(sy) + static_cast<size_t>(firstColumn) * SrcBytes;
    uint8_t* out = destination.Row(y) + static_cast<size_t>(clipped.left) * DstBytes;
    if constexpr (SrcBytes == 4 && DstBytes == 4) {
      if (columns) {
        if (sy != scratchRow) {
          kernels.stretchRow32(scratch.data(), in, columns, count);
          scratchRow = sy;
        }
        in = reinterpret_cast<const uint8_t*>(scratch.data());
      }
      if (useKey) {
        kernels.keyRow32(out, in, count, key);
      } else {
        kernels.copyRow32(out, in, count);
      }
      continue;
    }
    if constexpr (SrcBytes == 3 && DstBytes == 3) {
      if (!columns && !useKey) {
        std::memcpy(out, in, static_cast<size_t>(count) * 3);
        continue;
      }
    }
    if (columns) {
      if (useKey) {
        BlitRowGeneric<SrcBytes, DstBytes, true, true>(out, in, columns, count, source.width, key);
      } else {
        BlitRowGeneric<SrcBytes, DstBytes, false, true>(out, in, columns, count, source.width, key);
      }
    } else if (useKey) {
      BlitRowGeneric<SrcBytes, DstBytes, true, false>(out, in, columns, count, count, key);
    } else {
      BlitRowGeneric<SrcBytes, DstBytes, false, false>(out, in, columns, count, count, key);
    }
  }
}

}  // namespace

const BlitKernels& UsableBlitKernels() { return blitKernels.Usable(); }

void FillSurface(Surface& surface, const PixelRect* rect, uint32_t color) {
  PixelRect r = rect ? *rect : PixelRect{0, 0, surface.width, surface.height};
  if (!ClipRect(r, surface.width, surface.height)) return;
  // One row is made pixel by pixel, the others are copies of it (the fill clears the back
  // buffer every frame).
  const size_t bpp = static_cast<size_t>(surface.BytesPerPixel());
  const size_t rowBytes = static_cast<size_t>(r.right - r.left) * bpp;
  uint8_t* first = surface.Row(r.top) + r.left * bpp;
  color &= COLOUR_BITS;
  if (bpp == 4) {
    for (int x = 0; x < r.right - r.left; ++x) Store32(first + 4 * x, color);
  } else {
    for (int x = 0; x < r.right - r.left; ++x) Store24(first + 3 * x, color);
  }
  for (int y = r.top + 1; y < r.bottom; ++y)
    std::memcpy(first + static_cast<size_t>(y - r.top) * surface.pitch, first, rowBytes);
}

bool BlitSurface(Surface& destination, const PixelRect* destRect, const Surface& source,
                 const PixelRect* sourceRect, bool useKey, uint32_t key) {
  const PixelRect dst = destRect ? *destRect : PixelRect{0, 0, destination.width, destination.height};
  const PixelRect src = sourceRect ? *sourceRect : PixelRect{0, 0, source.width, source.height};
  const int64_t dstW = int64_t{dst.right} - dst.left, dstH = int64_t{dst.bottom} - dst.top;
  const int64_t srcW = int64_t{src.right} - src.left, srcH = int64_t{src.bottom} - src.top;
  if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return false;
  if (src.left < 0 || src.top < 0 || src.right > source.width || src.bottom > source.height)
    return false;
  PixelRect clipped = dst;
  if (!ClipRect(clipped, destination.width, destination.height)) return true;
  key &= COLOUR_BITS;

  // The same width maps column to column; otherwise every destination column's source column
  // is worked out once per blit, not once per pixel. The table is kept between blits.
  const int32_t* columns = nullptr;
  if (dstW != srcW) {
    static thread_local std::vector<int32_t> table;
    const int count = clipped.right - clipped.left;
    if (table.size() < static_cast<size_t>(count)) table.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      const int64_t dx = int64_t{clipped.left} + i - dst.left;
      table[static_cast<size_t>(i)] = src.left + static_cast<int32_t>((dx * 2 + 1) * srcW / (dstW * 2));
    }
    columns = table.data();
  }

  const bool src32 = source.bitsPerPixel == 32, dst32 = destination.bitsPerPixel == 32;
  if (src32 && dst32) {
    BlitRows<4, 4>(destination, clipped, dst, source, src, columns, useKey, key);
  } else if (src32) {
    BlitRows<4, 3>(destination, clipped, dst, source, src, columns, useKey, key);
  } else if (dst32) {
    BlitRows<3, 4>(destination, clipped, dst, source, src, columns, useKey, key);
  } else {
    BlitRows<3, 3>(destination, clipped, dst, source, src, columns, useKey, key);
  }
  return true;
}
