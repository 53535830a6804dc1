#include "display/pictures.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "content/bmp_writer.h"

namespace {

std::vector<uint32_t> TestFrame() {
  std::vector<uint32_t> frame(320 * 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) frame[y * 320 + x] = static_cast<uint32_t>(x * 0x10203 + y * 0x30201) & 0xFFFFFF;
  frame[0] = 0x00123456;
  frame[320 * 240 - 1] = 0xFF654321;  // a stray top byte must not reach the surface
  return frame;
}

DisplayContext ContextFor(Surface& back) {
  DisplayContext ctx{};
  ctx.backBuffer = &back;
  ctx.backBufferBits = static_cast<uint32_t>(back.bitsPerPixel);
  return ctx;
}

TEST(FrameUpload, TwentyFourBitsPackThreeBytesAndKeepThePitch) {
  Surface back(320, 240, 24, 1000);  // 40 bytes of pitch beyond each 960-byte row
  std::fill(back.pixels.begin(), back.pixels.end(), 0xAA);
  DisplayContext ctx = ContextFor(back);
  const std::vector<uint32_t> frame = TestFrame();
  UploadFrameBuffer(&ctx, frame.data());

  EXPECT_EQ(back.pixels[0], 0x56);
  EXPECT_EQ(back.pixels[1], 0x34);
  EXPECT_EQ(back.pixels[2], 0x12);
  const size_t last = 239 * 1000 + 319 * 3;
  EXPECT_EQ(back.pixels[last], 0x21);
  EXPECT_EQ(back.pixels[last + 1], 0x43);
  EXPECT_EQ(back.pixels[last + 2], 0x65);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; x += 7) ASSERT_EQ(back.GetPixel(x, y), frame[y * 320 + x] & 0xFFFFFF) << x << "," << y;
    for (int b = 960; b < 1000; ++b) ASSERT_EQ(back.pixels[y * 1000 + b], 0xAA) << "row " << y;
  }
}

TEST(FrameUpload, ThirtyTwoBitsWithPackedAndWidePitch) {
  const std::vector<uint32_t> frame = TestFrame();
  Surface packed(320, 240, 32);
  DisplayContext ctx = ContextFor(packed);
  UploadFrameBuffer(&ctx, frame.data());
  EXPECT_EQ(std::memcmp(packed.pixels.data(), frame.data(), 320 * 240 * 4), 0);
  EXPECT_FALSE(packed.locked);

  Surface wide(320, 240, 32, 1344);
  std::fill(wide.pixels.begin(), wide.pixels.end(), 0xAA);
  ctx = ContextFor(wide);
  UploadFrameBuffer(&ctx, frame.data());
  for (int y = 0; y < 240; ++y) {
    ASSERT_EQ(std::memcmp(wide.pixels.data() + y * 1344, frame.data() + y * 320, 1280), 0) << "row " << y;
    for (int b = 1280; b < 1344; ++b) ASSERT_EQ(wide.pixels[y * 1344 + b], 0xAA) << "row " << y;
  }
}

TEST(FrameUpload, SkippedWhenTheBackBufferIsMissingLockedOrOfAnotherDepth) {
  const std::vector<uint32_t> frame = TestFrame();
  DisplayContext none{};
  UploadFrameBuffer(&none, frame.data());  // nothing to do, no crash

  Surface back(320, 240, 32);
  DisplayContext ctx = ContextFor(back);
  back.refuseLock = true;
  UploadFrameBuffer(&ctx, frame.data());
  EXPECT_EQ(back.GetPixel(0, 0), 0u);

  back.refuseLock = false;
  ctx.backBufferBits = 16;
  UploadFrameBuffer(&ctx, frame.data());
  EXPECT_EQ(back.GetPixel(0, 0), 0u);
  EXPECT_FALSE(back.locked);  // the lock is given back even when nothing is copied
}

// Rows made in place or through a row of their own, at either depth and any pitch, give what
// uploading the same frame whole gives; where the whole upload copies nothing, no row is made.
TEST(FrameUpload, RowsMadeOneByOneLandLikeAWholeFrame) {
  static const std::vector<uint32_t> frame = TestFrame();
  struct Made {
    int rows = 0;
    int lastY = -1;
    bool inOrder = true;
  };
  const FrameRowMaker make = [](uint32_t* row, int y, void* user) {
    Made& made = *static_cast<Made*>(user);
    made.inOrder = made.inOrder && y == made.lastY + 1;
    made.lastY = y;
    ++made.rows;
    std::memcpy(row, frame.data() + y * 320, 320 * sizeof(uint32_t));
  };
  for (const auto& [bits, pitch] : {std::pair{32, 0}, {32, 1344}, {32, 1282}, {24, 960}, {24, 1000}}) {
    Surface byRows(320, 240, bits, pitch), whole(320, 240, bits, pitch);
    std::fill(byRows.pixels.begin(), byRows.pixels.end(), 0xAA);
    std::fill(whole.pixels.begin(), whole.pixels.end(), 0xAA);
    DisplayContext rowsContext = ContextFor(byRows), wholeContext = ContextFor(whole);
    Made made;
    EXPECT_TRUE(UploadFrameRows(&rowsContext, make, &made)) << bits << " bits, pitch " << pitch;
    UploadFrameBuffer(&wholeContext, frame.data());
    EXPECT_EQ(made.rows, 240);
    EXPECT_TRUE(made.inOrder);
    EXPECT_FALSE(byRows.locked);
    EXPECT_TRUE(byRows.pixels == whole.pixels) << bits << " bits, pitch " << pitch;
  }

  DisplayContext none{};
  Made made;
  EXPECT_FALSE(UploadFrameRows(&none, make, &made));
  Surface back(320, 240, 32), small(319, 240, 32);
  DisplayContext ctx = ContextFor(back);
  back.refuseLock = true;
  EXPECT_FALSE(UploadFrameRows(&ctx, make, &made));
  back.refuseLock = false;
  ctx.backBufferBits = 16;
  EXPECT_FALSE(UploadFrameRows(&ctx, make, &made));
  EXPECT_FALSE(back.locked);
  DisplayContext smallContext = ContextFor(small);
  EXPECT_FALSE(UploadFrameRows(&smallContext, make, &made));
  EXPECT_FALSE(small.locked);
  EXPECT_EQ(made.rows, 0);
  EXPECT_EQ(back.GetPixel(0, 0), 0u);
}

class BlitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = displayContext;
    displayContext.backBuffer = &back_;
    displayContext.backBufferBits = 24;
    FillSurface(back_, nullptr, 0x777777);
  }
  void TearDown() override { displayContext = saved_; }
  Surface back_{320, 240, 24};
  DisplayContext saved_{};
};

TEST_F(BlitTest, KeyIsExactlyPureBlue) {
  Surface image(2, 2, 32);
  image.SetPixel(0, 0, 0x0000FF);  // transparent
  image.SetPixel(1, 0, 0x0000FE);  // drawn
  image.SetPixel(0, 1, 0x0100FF);  // drawn
  image.SetPixel(1, 1, 0xFFFFFF);
  const PixelRect at{10, 20, 12, 22};
  KeyedBlit(&at, &image, nullptr);
  EXPECT_EQ(back_.GetPixel(10, 20), 0x777777u);
  EXPECT_EQ(back_.GetPixel(11, 20), 0x0000FEu);
  EXPECT_EQ(back_.GetPixel(10, 21), 0x0100FFu);
  EXPECT_EQ(back_.GetPixel(11, 21), 0xFFFFFFu);

  PlainBlit(&at, &image);  // no key: blue is drawn too
  EXPECT_EQ(back_.GetPixel(10, 20), 0x0000FFu);

  KeyedBlit(&at, nullptr, nullptr);  // a picture that failed to load is skipped
  PlainBlit(nullptr, nullptr);
}

TEST_F(BlitTest, StretchedPartialAndClippedBlits) {
  Surface image(4, 2, 32);
  for (int x = 0; x < 4; ++x) {
    image.SetPixel(x, 0, 0x100000u * (x + 1));
    image.SetPixel(x, 1, 0x000100u * (x + 1));
  }
  // The right half of the picture (2 x 2) onto an odd 5 x 3 rectangle.
  const PixelRect source{2, 0, 4, 2};
  const PixelRect odd{100, 50, 105, 53};
  KeyedBlit(&odd, &image, &source);
  const uint32_t expected[3][5] = {{0x300000, 0x300000, 0x400000, 0x400000, 0x400000},
                                   {0x000300, 0x000300, 0x000400, 0x000400, 0x000400},
                                   {0x000300, 0x000300, 0x000400, 0x000400, 0x000400}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back_.GetPixel(100 + x, 50 + y), expected[y][x]) << x << "," << y;
  EXPECT_EQ(back_.GetPixel(99, 50), 0x777777u);
  EXPECT_EQ(back_.GetPixel(105, 50), 0x777777u);
  EXPECT_EQ(back_.GetPixel(100, 53), 0x777777u);

  // Hanging off the top-left corner: the visible part keeps its place in the stretch.
  const PixelRect corner{-4, -2, 4, 2};
  PlainBlit(&corner, &image);
  EXPECT_EQ(back_.GetPixel(0, 0), 0x000300u);
  EXPECT_EQ(back_.GetPixel(3, 1), 0x000400u);
  EXPECT_EQ(back_.GetPixel(4, 0), 0x777777u);

  // Whole picture over the whole back buffer.
  PlainBlit(nullptr, &image);
  EXPECT_EQ(back_.GetPixel(0, 0), 0x100000u);
  EXPECT_EQ(back_.GetPixel(319, 239), 0x000400u);
  EXPECT_EQ(back_.GetPixel(160, 119), 0x300000u);
}

TEST(PictureSurfaces, LoadBmpFilesInTheDisplayFormat) {
  const std::string dir = ScratchDir();
  Image picture(3, 2);
  picture.pixels = {0x0000FF, 0x123456, 0xFFFFFF, 0x000000, 0x808080, 0xABCDEF};
  std::string error;
  ASSERT_TRUE(WriteBmp24(dir + "pictures_24.bmp", picture, &error)) << error;
  Image indices(3, 2);
  indices.pixels = {0, 1, 2, 2, 1, 0};
  ASSERT_TRUE(WriteBmp8(dir + "pictures_8.bmp", indices, {0x0000FF, 0x123456, 0xFEDCBA}, &error)) << error;

  DisplayContext ctx{};
  for (uint32_t bits : {0u, 24u, 32u}) {
    ctx.backBufferBits = bits;
    ImageSurface s = LoadImageSurface((dir + "pictures_24.bmp").c_str(), &ctx);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->bitsPerPixel, bits == 24 ? 24 : 32);
    EXPECT_EQ(s->width, 3);
    EXPECT_EQ(s->height, 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s->GetPixel(i % 3, i / 3), picture.pixels[i]) << i;
    delete s;
  }
  std::string showName = dir + "pictures_8.bmp";
  for (char& c : showName) if (c == '/') c = '\\';
  ImageSurface s = LoadImageSurface(showName.c_str(), &ctx);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetPixel(0, 0), 0x0000FFu);
  EXPECT_EQ(s->GetPixel(1, 0), 0x123456u);
  EXPECT_EQ(s->GetPixel(0, 1), 0xFEDCBAu);
  delete s;

  EXPECT_EQ(LoadImageSurface((dir + "no_such.bmp").c_str(), &ctx), nullptr);
  const std::string junk = dir + "junk.bmp";
  std::FILE* f = std::fopen(junk.c_str(), "wb");
  std::fputs("BM not really a bitmap", f);
  std::fclose(f);
  EXPECT_EQ(LoadImageSurface(junk.c_str(), &ctx), nullptr);
}

TEST(PictureSurfaces, CopyBitmapPartsOverTheWholeSurface) {
  Surface bitmap(4, 4, 32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) bitmap.SetPixel(x, y, static_cast<uint32_t>(y * 16 + x));
  Surface target(2, 2, 24);
  EXPECT_EQ(CopyBitmapToSurface(&target, &bitmap, 2, 1, 2, 2), 0);
  EXPECT_EQ(target.GetPixel(0, 0), 0x12u);
  EXPECT_EQ(target.GetPixel(1, 1), 0x23u);
  // Whole bitmap, shrunk: each target pixel takes the source pixel under its centre.
  EXPECT_EQ(CopyBitmapToSurface(&target, &bitmap, 0, 0, 0, 0), 0);
  EXPECT_EQ(target.GetPixel(0, 0), 0x11u);
  EXPECT_EQ(target.GetPixel(1, 0), 0x13u);
  EXPECT_EQ(target.GetPixel(1, 1), 0x33u);
  // A part reaching past the bitmap stays inside it.
  EXPECT_EQ(CopyBitmapToSurface(&target, &bitmap, 3, 3, 0, 0), 0);
  EXPECT_EQ(target.GetPixel(0, 0), 0x33u);

  EXPECT_EQ(CopyBitmapToSurface(nullptr, &bitmap, 0, 0, 0, 0), static_cast<int32_t>(0x80004005u));
  EXPECT_EQ(CopyBitmapToSurface(&target, nullptr, 0, 0, 0, 0), static_cast<int32_t>(0x80004005u));
  target.refuseText = true;
  EXPECT_NE(CopyBitmapToSurface(&target, &bitmap, 0, 0, 0, 0), 0);
  EXPECT_EQ(target.GetPixel(0, 0), 0x33u);  // left undrawn
}

}  // namespace
