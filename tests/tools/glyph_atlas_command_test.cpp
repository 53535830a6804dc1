// tavrine-tool glyph-atlas: the atlas it writes, the sizes it is asked for, and its answers to
// mistakes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/glyphs.h"
#include "platform/text.h"
#include "support/run_command.h"
#include "support/scratch.h"

namespace {

bool ReadAtlas(const std::string& path, GlyphAtlas& atlas, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ParseGlyphAtlas(bytes, atlas, error);
}

TEST(GlyphAtlasCommand, WritesTheShowsSizesOrThoseAskedFor) {
  if (!OpenShowFont(10)) GTEST_SKIP() << "no sans-serif font installed";
  const std::string path = ScratchDir() + "show.atlas";
  CommandResult r = RunTool("glyph-atlas " + path);
  ASSERT_EQ(r.code, 0) << r.err;
  GlyphAtlas atlas;
  std::string error;
  ASSERT_TRUE(ReadAtlas(path, atlas, &error)) << error;
  ASSERT_EQ(atlas.faces.size(), 2u);
  EXPECT_NE(atlas.Face(8), nullptr);
  ASSERT_NE(atlas.Face(10), nullptr);
  EXPECT_EQ(atlas.Face(10)->height, FontHeight(OpenShowFont(10)));

  r = RunTool("glyph-atlas " + path + " --points 12,7");
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(ReadAtlas(path, atlas, &error)) << error;
  EXPECT_EQ(atlas.faces.size(), 2u);
  EXPECT_NE(atlas.Face(7), nullptr);
  EXPECT_NE(atlas.Face(12), nullptr);
  EXPECT_EQ(atlas.Face(10), nullptr);
}

TEST(GlyphAtlasCommand, AnswersMistakes) {
  for (const char* arguments : {"glyph-atlas", "glyph-atlas a b", "glyph-atlas a --points", "glyph-atlas a --points 0",
                                "glyph-atlas a --points 8,x", "glyph-atlas a --points ,", "glyph-atlas a --bold"}) {
    const CommandResult r = RunTool(arguments);
    EXPECT_EQ(r.code, 2) << arguments;
    EXPECT_NE(r.err.find("usage: tavrine-tool glyph-atlas"), std::string::npos) << arguments << ": " << r.err;
  }
  const CommandResult help = RunTool("glyph-atlas --help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--points"), std::string::npos);
  if (!OpenShowFont(10)) GTEST_SKIP() << "no sans-serif font installed";
  const CommandResult unwritable = RunTool("glyph-atlas " + ScratchDir() + "no/such/folder/show.atlas");
  EXPECT_EQ(unwritable.code, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

}  // namespace
