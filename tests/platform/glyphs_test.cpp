#include "platform/glyphs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/glyph_atlas_maker.h"
#include "platform/text.h"

namespace {

// The atlas of the show's two sizes, made once for the whole file.
const GlyphAtlas* ShowAtlas() {
  static GlyphAtlas atlas;
  static const bool made = [] {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeGlyphAtlas(ShowFontPath(), {8, 10}, bytes, &error)) {
      ADD_FAILURE() << error;
      return false;
    }
    if (!ParseGlyphAtlas(bytes, atlas, &error)) {
      ADD_FAILURE() << error;
      return false;
    }
    return true;
  }();
  return made ? &atlas : nullptr;
}

std::vector<uint32_t> Pixels(const Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

// A background with every channel varying, so that each blend is checked on its own numbers.
void Paint(Surface& s) {
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) s.SetPixel(x, y, static_cast<uint32_t>(x * 7 + y * 0x0301 + (x ^ y) * 0x010000));
}

TEST(GlyphAtlas, DrawsWhatTheFontLibraryDraws) {
  if (!OpenShowFont(10)) GTEST_SKIP() << "no sans-serif font installed";
  const GlyphAtlas* atlas = ShowAtlas();
  ASSERT_NE(atlas, nullptr);

  std::vector<std::string> lines = {"Loading...", "0%", "57%", "100%", "Greets", "Flies", "Out", "To",
                                    "..and other hackers", "Keep on dancing!", "AVA To Ty Wa fi fl ff", "   ",
                                    std::string("\xC9t\xE9 \xE0 l'\xEEle", 12)};
  std::mt19937 random(20240613);
  for (int i = 0; i < 600; ++i) {
    std::string line(1 + random() % 24, ' ');
    for (char& c : line) c = static_cast<char>(1 + random() % 255);
    lines.push_back(line);
  }
  for (int points : {8, 10}) {
    PlatformFont* font = OpenShowFont(points);
    const GlyphFace* face = atlas->Face(points);
    ASSERT_NE(face, nullptr) << points;
    EXPECT_EQ(face->ascent, FontAscent(font));
    EXPECT_EQ(face->height, FontHeight(font));
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      const int length = static_cast<int>(line.size());
      SCOPED_TRACE("line " + std::to_string(i) + " at " + std::to_string(points) + " points");
      EXPECT_EQ(MeasureAtlasText(*face, line.data(), length), MeasureSurfaceText(font, line.data(), length));
      // Both depths, partly off the left and top edges for some lines.
      const int bits = i % 2 ? 24 : 32;
      const int x = static_cast<int>(i % 5) * 9 - 6, y = static_cast<int>(i % 3) * 5 - 4;
      const uint32_t color = 0xFF8040u ^ static_cast<uint32_t>(i * 0x1F3D5B);
      Surface native(200, 24, bits), fromAtlas(200, 24, bits);
      Paint(native);
      Paint(fromAtlas);
      DrawSurfaceText(native, font, x, y, line.data(), length, color & 0xFFFFFF);
      DrawAtlasText(fromAtlas, *face, x, y, line.data(), length, color & 0xFFFFFF);
      ASSERT_EQ(Pixels(fromAtlas), Pixels(native)) << line;
    }
  }
  EXPECT_EQ(atlas->Face(12), nullptr);  // only the sizes asked for
}

TEST(GlyphAtlas, NulEndsTheTextAndNothingIsDrawnForNothing) {
  const GlyphAtlas* atlas = ShowAtlas();
  if (!atlas) GTEST_SKIP() << "no sans-serif font installed";
  const GlyphFace& face = *atlas->Face(10);
  EXPECT_EQ(MeasureAtlasText(face, "AB\0CD", 5), MeasureAtlasText(face, "AB", 2));
  EXPECT_EQ(MeasureAtlasText(face, "", 0), 0);
  EXPECT_EQ(MeasureAtlasText(face, nullptr, 3), 0);
  EXPECT_EQ(MeasureAtlasText(face, "AB", -1), 0);
  Surface s(16, 16, 32);
  DrawAtlasText(s, face, 0, 0, nullptr, 4, 0xFFFFFF);
  DrawAtlasText(s, face, 400, 400, "far away", 8, 0xFFFFFF);  // clipped whole
  DrawAtlasText(s, face, -400, -400, "far away", 8, 0xFFFFFF);
  for (uint32_t p : Pixels(s)) ASSERT_EQ(p, 0u);
}

// A face made by hand: glyph 'a' is one full pixel with a 1.5-pixel advance, 'b' reaches a
// pixel left of its pen, and the pair "ab" is kerned half a pixel tighter.
GlyphFace HandFace() {
  GlyphFace face;
  face.points = 9;
  face.ascent = 3;
  face.height = 4;
  face.coverage = {255, 200, 100};
  face.glyphs['a'] = AtlasGlyph{96, 0, 1, 1, 1, 0};
  face.glyphs['b'] = AtlasGlyph{64, -1, 1, 2, 1, 1};
  face.glyphs[' '] = AtlasGlyph{160, 0, 0, 0, 0, 0};
  face.kerning = {KerningPair{'a', 'b', -32}};
  return face;
}

TEST(GlyphAtlas, PensAdvanceInSixtyFourthsAndLandOnWholePixels) {
  const GlyphFace face = HandFace();
  // "aaa": pens at 0, 1.5 and 3 pixels land on 0, 1 and 3; the line ends at floor(4.5).
  TextCoverage line = RenderAtlasText(face, "aaa", 3);
  ASSERT_EQ(line.width, 4);
  ASSERT_EQ(line.height, 4);
  EXPECT_EQ(std::vector<uint8_t>(line.alpha.begin() + 2 * 4, line.alpha.begin() + 3 * 4),
            (std::vector<uint8_t>{255, 255, 0, 255}));
  // "ab": kerned, b's pen is at 1.0; its map starts a pixel left, over the a, and the two
  // coverages are OR-ed (255 | 200 = 255), not added or replaced.
  line = RenderAtlasText(face, "ab", 2);
  ASSERT_EQ(line.width, 2);
  EXPECT_EQ(line.alpha[2 * 2 + 0], 255);
  EXPECT_EQ(line.alpha[2 * 2 + 1], 100);
  // "ba": b reaches left of the first pen, so the whole line moves a pixel right.
  line = RenderAtlasText(face, "ba", 2);
  ASSERT_EQ(line.width, 3);
  EXPECT_EQ(std::vector<uint8_t>(line.alpha.begin() + 2 * 3, line.alpha.begin() + 3 * 3),
            (std::vector<uint8_t>{200, 100, 255}));
  // Spaces alone are as wide as their advances, and draw nothing.
  EXPECT_EQ(MeasureAtlasText(face, "  ", 2), 5);
  EXPECT_EQ(face.Kerning('a', 'b'), -32);
  EXPECT_EQ(face.Kerning('b', 'a'), 0);
}

TEST(GlyphAtlas, WrittenAndReadBackUnchanged) {
  GlyphAtlas atlas;
  atlas.faces.push_back(HandFace());
  const std::vector<uint8_t> bytes = WriteGlyphAtlas(atlas);
  GlyphAtlas read;
  std::string error;
  ASSERT_TRUE(ParseGlyphAtlas(bytes, read, &error)) << error;
  ASSERT_NE(read.Face(9), nullptr);
  EXPECT_EQ(read.Face(9)->coverage, atlas.faces[0].coverage);
  EXPECT_EQ(read.Face(9)->Kerning('a', 'b'), -32);
  EXPECT_EQ(WriteGlyphAtlas(read), bytes);
}

TEST(GlyphAtlas, BrokenFilesAreRefusedWithAReason) {
  GlyphAtlas atlas;
  atlas.faces.push_back(HandFace());
  const std::vector<uint8_t> good = WriteGlyphAtlas(atlas);
  GlyphAtlas read;
  std::string error;
  // Every cut short of the whole file is refused.
  for (size_t length = 0; length < good.size(); ++length) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    error.clear();
    ASSERT_FALSE(ParseGlyphAtlas(cut, read, &error)) << length;
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(read.faces.empty());
  }
  auto refused = [&](std::vector<uint8_t> bytes) {
    error.clear();
    const bool parsed = ParseGlyphAtlas(bytes, read, &error);
    return !parsed && !error.empty() && read.faces.empty();
  };
  std::vector<uint8_t> bad = good;
  bad.push_back(0);
  EXPECT_TRUE(refused(bad));  // trailing bytes
  bad = good;
  bad[0] = 'X';
  EXPECT_TRUE(refused(bad));  // magic
  bad = good;
  bad[4] = 2;
  EXPECT_TRUE(refused(bad));  // version
  bad = good;
  bad[8] = 0xFF;
  EXPECT_TRUE(refused(bad));  // face count
  const size_t glyphA = 12 + 20 + ('a' - 1) * 24;
  bad = good;
  bad[glyphA + 20] = 3;  // 'a' starts past the last coverage byte
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad[glyphA + 12] = 0xFF;
  bad[glyphA + 15] = 0x7F;  // an enormous width
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad[12 + 8] = 0;  // a face without height
  EXPECT_TRUE(refused(bad));
}

}  // namespace
