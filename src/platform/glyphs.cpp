#include "platform/glyphs.h"

#include <algorithm>

#include "base/bytes.h"

namespace {

constexpr char kMagic[4] = {'T', 'V', 'G', 'A'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderBytes = 12;
constexpr size_t kFaceHeaderBytes = 20;
constexpr size_t kGlyphBytes = 24;
constexpr size_t kPairBytes = 6;
// Far beyond any size the show draws; a bigger number is a corrupt file, not a face.
constexpr uint32_t kMostFaces = 64;
constexpr uint32_t kLargestGlyph = 1024;

int FloorPixels(int32_t fixed26_6) { return fixed26_6 >= 0 ? fixed26_6 / 64 : -((-fixed26_6 + 63) / 64); }

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

int32_t ReadLeSigned32(const uint8_t* p) { return static_cast<int32_t>(ReadLe32(p)); }

// The characters drawn: up to `length`, ending early at a NUL as a C string would.
int VisibleLength(const char* text, int length) {
  if (!text || length <= 0) return 0;
  int n = 0;
  while (n < length && text[n] != '\0') ++n;
  return n;
}

struct PlacedGlyph {
  const AtlasGlyph* glyph;
  int x, y;  // top-left of the map in the line's box
};

struct Line {
  int width = 0, height = 0;
  std::vector<PlacedGlyph> glyphs;
};

Line LayOut(const GlyphFace& face, const char* text, int length) {
  Line line;
  const int count = VisibleLength(text, length);
  if (count == 0) return line;
  int32_t pen = 0;
  int minX = 0, maxX = 0, minY = 0, maxY = face.height;
  line.glyphs.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto c = static_cast<uint8_t>(text[i]);
    const AtlasGlyph& glyph = face.glyphs[c];
    const int x = FloorPixels(pen) + glyph.left;
    const int y = face.ascent - glyph.top;
    line.glyphs.push_back(PlacedGlyph{&glyph, x, y});
    minX = std::min(minX, x);
    maxX = std::max(maxX, x + static_cast<int>(glyph.width));
    minY = std::min(minY, y);
    maxY = std::max(maxY, y + static_cast<int>(glyph.rows));
    pen += glyph.advance;
    if (i + 1 < count) pen += face.Kerning(c, static_cast<uint8_t>(text[i + 1]));
  }
  // A line of spaces still has the width of its advances.
  maxX = std::max(maxX, FloorPixels(pen));
  line.width = maxX - minX;
  line.height = maxY - minY;
  for (PlacedGlyph& placed : line.glyphs) {
    placed.x -= minX;
    placed.y -= minY;
  }
  return line;
}

}  // namespace

int32_t GlyphFace::Kerning(uint8_t first, uint8_t second) const {
  if (kerning.empty()) return 0;
  const auto found = std::lower_bound(kerning.begin(), kerning.end(), KerningPair{first, second, 0},
                                      [](const KerningPair& a, const KerningPair& b) {
                                        return a.first != b.first ? a.first < b.first : a.second < b.second;
                                      });
  return found != kerning.end() && found->first == first && found->second == second ? found->adjust : 0;
}

const GlyphFace* GlyphAtlas::Face(int points) const {
  for (const GlyphFace& face : faces)
    if (face.points == points) return &face;
  return nullptr;
}

bool ParseGlyphAtlas(const std::vector<uint8_t>& bytes, GlyphAtlas& atlas, std::string* error) {
  atlas.faces.clear();
  auto fail = [&](const char* why) {
    atlas.faces.clear();
    if (error) *error = why;
    return false;
  };
  const uint8_t* data = bytes.data();
  const size_t size = bytes.size();
  if (size < kHeaderBytes || !std::equal(kMagic, kMagic + 4, data)) return fail("not a glyph atlas");
  if (ReadLe32(data + 4) != kVersion) return fail("a glyph atlas of another version");
  const uint32_t faceCount = ReadLe32(data + 8);
  if (faceCount > kMostFaces) return fail("the glyph atlas claims too many faces");
  size_t at = kHeaderBytes;
  for (uint32_t f = 0; f < faceCount; ++f) {
    if (size - at < kFaceHeaderBytes) return fail("the glyph atlas ends inside a face header");
    GlyphFace face;
    face.points = ReadLeSigned32(data + at);
    face.ascent = ReadLeSigned32(data + at + 4);
    face.height = ReadLeSigned32(data + at + 8);
    const uint32_t pairCount = ReadLe32(data + at + 12);
    const uint32_t coverageBytes = ReadLe32(data + at + 16);
    at += kFaceHeaderBytes;
    if (face.points <= 0 || face.height <= 0 || face.height > static_cast<int32_t>(kLargestGlyph) ||
        face.ascent < 0 || face.ascent > face.height)
      return fail("the glyph atlas has a face with impossible metrics");
    if ((size - at) / kGlyphBytes < 255) return fail("the glyph atlas ends inside its glyphs");
    for (int c = 1; c < 256; ++c, at += kGlyphBytes) {
      AtlasGlyph& glyph = face.glyphs[c];
      glyph.advance = ReadLeSigned32(data + at);
      glyph.left = ReadLeSigned32(data + at + 4);
      glyph.top = ReadLeSigned32(data + at + 8);
      glyph.width = ReadLe32(data + at + 12);
      glyph.rows = ReadLe32(data + at + 16);
      glyph.offset = ReadLe32(data + at + 20);
      if (glyph.width > kLargestGlyph || glyph.rows > kLargestGlyph || glyph.left < -int32_t{kLargestGlyph} ||
          glyph.left > int32_t{kLargestGlyph} || glyph.top < -int32_t{kLargestGlyph} ||
          glyph.top > int32_t{kLargestGlyph} || glyph.advance < -int32_t{kLargestGlyph * 64} ||
          glyph.advance > int32_t{kLargestGlyph * 64})
        return fail("the glyph atlas has a glyph of impossible size");
      if (glyph.offset > coverageBytes || glyph.width * glyph.rows > coverageBytes - glyph.offset)
        return fail("the glyph atlas has a glyph outside its coverage");
    }
    if ((size - at) / kPairBytes < pairCount) return fail("the glyph atlas ends inside its kerning");
    face.kerning.reserve(pairCount);
    for (uint32_t i = 0; i < pairCount; ++i, at += kPairBytes)
      face.kerning.push_back(KerningPair{data[at], data[at + 1], ReadLeSigned32(data + at + 2)});
    const bool sorted = std::is_sorted(face.kerning.begin(), face.kerning.end(),
                                       [](const KerningPair& a, const KerningPair& b) {
                                         return a.first != b.first ? a.first < b.first : a.second < b.second;
                                       });
    if (!sorted) return fail("the glyph atlas has its kerning out of order");
    if (size - at < coverageBytes) return fail("the glyph atlas ends inside its coverage");
    face.coverage.assign(data + at, data + at + coverageBytes);
    at += coverageBytes;
    atlas.faces.push_back(std::move(face));
  }
  if (at != size) return fail("the glyph atlas has bytes after its last face");
  return true;
}

std::vector<uint8_t> WriteGlyphAtlas(const GlyphAtlas& atlas) {
  std::vector<uint8_t> out(kMagic, kMagic + 4);
  PutLe32(out, kVersion);
  PutLe32(out, static_cast<uint32_t>(atlas.faces.size()));
  for (const GlyphFace& face : atlas.faces) {
    PutLe32(out, static_cast<uint32_t>(face.points));
    PutLe32(out, static_cast<uint32_t>(face.ascent));
    PutLe32(out, static_cast<uint32_t>(face.height));
    PutLe32(out, static_cast<uint32_t>(face.kerning.size()));
    PutLe32(out, static_cast<uint32_t>(face.coverage.size()));
    for (int c = 1; c < 256; ++c) {
      const AtlasGlyph& glyph = face.glyphs[c];
      PutLe32(out, static_cast<uint32_t>(glyph.advance));
      PutLe32(out, static_cast<uint32_t>(glyph.left));
      PutLe32(out, static_cast<uint32_t>(glyph.top));
      PutLe32(out, glyph.width);
      PutLe32(out, glyph.rows);
      PutLe32(out, glyph.offset);
    }
    for (const KerningPair& pair : face.kerning) {
      out.push_back(pair.first);
      out.push_back(pair.second);
      PutLe32(out, static_cast<uint32_t>(pair.adjust));
    }
    out.insert(out.end(), face.coverage.begin(), face.coverage.end());
  }
  return out;
}

TextCoverage RenderAtlasText(const GlyphFace& face, const char* text, int length) {
  TextCoverage result;
  const Line line = LayOut(face, text, length);
  // The font library renders nothing for a line without width.
  if (line.width <= 0 || line.height <= 0) return result;
  result.width = line.width;
  result.height = line.height;
  result.alpha.assign(static_cast<size_t>(line.width) * static_cast<size_t>(line.height), 0);
  for (const PlacedGlyph& placed : line.glyphs) {
    const AtlasGlyph& glyph = *placed.glyph;
    const uint8_t* source = face.coverage.data() + glyph.offset;
    for (uint32_t row = 0; row < glyph.rows; ++row) {
      uint8_t* target = result.alpha.data() + static_cast<size_t>(placed.y + static_cast<int>(row)) * line.width + placed.x;
      for (uint32_t column = 0; column < glyph.width; ++column) target[column] |= source[row * glyph.width + column];
    }
  }
  return result;
}

int MeasureAtlasText(const GlyphFace& face, const char* text, int length) {
  return LayOut(face, text, length).width;
}

void DrawAtlasText(Surface& surface, const GlyphFace& face, int x, int y, const char* text, int length,
                   uint32_t color) {
  const TextCoverage coverage = RenderAtlasText(face, text, length);
  BlendTextCoverage(surface, x, y, coverage.alpha.data(), coverage.width, coverage.height, coverage.width, color);
}

void BlendTextCoverage(Surface& surface, int x, int y, const uint8_t* alpha, int width, int height, int stride,
                       uint32_t color) {
  if (!alpha || width <= 0 || height <= 0) return;
  const uint32_t cr = (color >> 16) & 0xFF, cg = (color >> 8) & 0xFF, cb = color & 0xFF;
  const int x0 = std::max(x, 0), x1 = std::min(x + width, surface.width);
  const int y0 = std::max(y, 0), y1 = std::min(y + height, surface.height);
  for (int py = y0; py < y1; ++py) {
    const uint8_t* row = alpha + static_cast<size_t>(py - y) * static_cast<size_t>(stride);
    for (int px = x0; px < x1; ++px) {
      const uint32_t a = row[px - x];
      if (a == 0) continue;
      uint32_t out = color & 0xFFFFFF;
      if (a != 255) {
        const uint32_t under = surface.GetPixel(px, py);
        const uint32_t r = (cr * a + ((under >> 16) & 0xFF) * (255 - a) + 127) / 255;
        const uint32_t g = (cg * a + ((under >> 8) & 0xFF) * (255 - a) + 127) / 255;
        const uint32_t b = (cb * a + (under & 0xFF) * (255 - a) + 127) / 255;
        out = r << 16 | g << 8 | b;
      }
      surface.SetPixel(px, py, out);
    }
  }
}
