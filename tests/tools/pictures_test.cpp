#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "content/content.h"
#include "content/pcx_writer.h"
#include "content/picture_art.h"
#include "content/picture_readers.h"
#include "content/picture_set.h"

namespace {

namespace fs = std::filesystem;

fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("tavrine_pictures_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "Images");
  fs::create_directories(dir / "Textures");
  return dir;
}

class PackPictureFiles : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(FreshDir("suite"));
    std::string error;
    written_ = WritePictureFiles(dir_->string(), &error);
    error_ = new std::string(error);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
    delete error_;
  }
  static Image Load(const std::string& rel) {
    Image img;
    std::string error;
    EXPECT_TRUE(ReadPictureFile((*dir_ / rel).string(), &img, &error)) << error;
    return img;
  }
  static fs::path* dir_;
  static std::string* error_;
  static bool written_;
};
fs::path* PackPictureFiles::dir_ = nullptr;
std::string* PackPictureFiles::error_ = nullptr;
bool PackPictureFiles::written_ = false;

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

double Luma(uint32_t p) { return 0.299 * Channel(p, 16) + 0.587 * Channel(p, 8) + 0.114 * Channel(p, 0); }

}  // namespace

TEST_F(PackPictureFiles, EveryFileAtItsSize) {
  ASSERT_TRUE(written_) << *error_;
  const std::map<std::string, std::pair<int, int>> expected = {
      {"Textures/Texture1.pcx", {256, 256}}, {"Textures/Texture2.pcx", {256, 256}},
      {"Textures/Texture4.pcx", {256, 256}}, {"Images/Cred1.pcx", {90, 108}},
      {"Images/Cred7.pcx", {90, 108}},       {"Images/Pixel1.pcx", {320, 240}},
      {"Images/Pixel5.pcx", {320, 240}},     {"Images/Bilde.pcx", {320, 240}},
      {"Images/Lastpic.pcx", {320, 240}},    {"Images/Loading.bmp", {320, 240}},
      {"Images/Disco.bmp", {320, 43}},       {"Images/A_new.bmp", {108, 240}},
      {"Images/A_new2.bmp", {320, 240}},     {"Images/Vorsk.bmp", {136, 30}},
  };
  int pcx = 0, bmp = 0;
  for (const PackPicture& p : PackPictures()) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadFileBytes((*dir_ / p.path).string(), &bytes, &error)) << error;
    ASSERT_GT(bytes.size(), 128u) << p.path;
    if (p.format == PictureFormat::kPcx) {
      ++pcx;
      EXPECT_EQ(bytes[0], 10) << p.path;
      EXPECT_EQ(bytes[65], 3) << p.path;
      EXPECT_EQ(static_cast<int>(Le16(bytes, 8) - Le16(bytes, 4) + 1), p.width) << p.path;
      EXPECT_EQ(static_cast<int>(Le16(bytes, 10) - Le16(bytes, 6) + 1), p.height) << p.path;
      EXPECT_EQ(static_cast<int>(Le16(bytes, 66)), p.width) << p.path;
    } else {
      ++bmp;
      EXPECT_EQ(bytes[0], 'B');
      EXPECT_EQ(static_cast<int>(Le32(bytes, 18)), p.width) << p.path;
      EXPECT_EQ(static_cast<int>(Le32(bytes, 22)), p.height) << p.path;
      EXPECT_EQ(Le16(bytes, 28), 24u) << p.path;
    }
    auto it = expected.find(p.path);
    if (it != expected.end()) {
      EXPECT_EQ(p.width, it->second.first) << p.path;
      EXPECT_EQ(p.height, it->second.second) << p.path;
    }
    // Every picture carries a design, not a flat fill: many distinct colours.
    const Image img = Load(p.path);
    std::map<uint32_t, int> colours;
    for (uint32_t v : img.pixels) ++colours[v];
    EXPECT_GT(colours.size(), 60u) << p.path;
  }
  EXPECT_EQ(pcx, 17);  // 3 textures, 7 credits, 7 stills
  EXPECT_EQ(bmp, 12);  // the loading picture and the eleven picture surfaces
}

TEST_F(PackPictureFiles, KeyColourOnlyWhereTransparent) {
  ASSERT_TRUE(written_) << *error_;
  for (const PackPicture& p : PackPictures()) {
    if (p.format != PictureFormat::kBmp24) continue;
    const Image img = Load(p.path);
    size_t blue = 0;
    for (uint32_t v : img.pixels) blue += v == 0x0000FF;
    const double share = static_cast<double>(blue) / img.pixels.size();
    if (p.keyed) {
      EXPECT_GT(share, 0.05) << p.path;
      EXPECT_LT(share, 0.95) << p.path;
    } else {
      EXPECT_EQ(blue, 0u) << p.path << " is drawn unkeyed and must not contain the key colour";
    }
  }
  // Where the show needs holes: the middle of the frame, the corners of the face, the left
  // of the lady (the 3D object in the centre stays in view), around the caption and the names.
  EXPECT_EQ(Load("Images/torus.bmp").At(160, 120), 0x0000FFu);
  EXPECT_NE(Load("Images/torus.bmp").At(2, 120), 0x0000FFu);
  const Image face = Load("Images/Face.bmp");
  EXPECT_EQ(face.At(0, 0), 0x0000FFu);
  EXPECT_EQ(face.At(96, 103), 0x0000FFu);
  EXPECT_NE(face.At(48, 56), 0x0000FFu);
  const Image lady = Load("Images/Lady.bmp");
  for (int y = 0; y < 240; y += 8) EXPECT_EQ(lady.At(20, y), 0x0000FFu) << y;
  EXPECT_NE(lady.At(140, 40), 0x0000FFu);
  const Image disco = Load("Images/Disco.bmp");
  EXPECT_EQ(disco.At(0, 0), 0x0000FFu);
  EXPECT_NE(disco.At(160, 22), 0x0000FFu);
  for (const char* name : {"Images/Trandle.bmp", "Images/Garrith.bmp", "Images/Quibel.bmp", "Images/Vorsk.bmp"}) {
    const Image strip = Load(name);
    EXPECT_EQ(strip.At(0, 0), 0x0000FFu) << name;
    EXPECT_EQ(strip.At(135, 29), 0x0000FFu) << name;
  }
}

TEST_F(PackPictureFiles, PicturesFitTheirUse) {
  ASSERT_TRUE(written_) << *error_;
  // Pixel4: a figure in columns 0..114 and exact black everywhere else.
  const Image p4 = Load("Images/Pixel4.pcx");
  size_t lit = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      if (x >= 115) {
        ASSERT_EQ(p4.At(x, y), 0u) << x << "," << y;
      }
      lit += p4.At(x, y) != 0;
    }
  EXPECT_GT(lit, 2000u);
  EXPECT_LT(lit, 115u * 240 * 3 / 4) << "the figure stands on black";

  // Textures wrap: the seam between the last and the first column (row) looks like some
  // place inside the picture: no harsher than the harshest interior neighbour columns (rows).
  for (const char* name : {"Textures/Texture1.pcx", "Textures/Texture2.pcx", "Textures/Texture4.pcx"}) {
    const Image t = Load(name);
    auto diff = [&](int x0, int y0, int x1, int y1) {
      const uint32_t a = t.At(x0, y0), b = t.At(x1, y1);
      return std::abs(Channel(a, 16) - Channel(b, 16)) + std::abs(Channel(a, 8) - Channel(b, 8)) +
             std::abs(Channel(a, 0) - Channel(b, 0));
    };
    auto columnStep = [&](int x0, int x1) {
      long sum = 0;
      for (int y = 0; y < 256; ++y) sum += diff(x0, y, x1, y);
      return sum;
    };
    auto rowStep = [&](int y0, int y1) {
      long sum = 0;
      for (int x = 0; x < 256; ++x) sum += diff(x, y0, x, y1);
      return sum;
    };
    long worstColumn = 0, worstRow = 0;
    for (int i = 0; i < 255; ++i) {
      worstColumn = std::max(worstColumn, columnStep(i, i + 1));
      worstRow = std::max(worstRow, rowStep(i, i + 1));
    }
    EXPECT_LE(columnStep(255, 0), worstColumn) << name;
    EXPECT_LE(rowStep(255, 0), worstRow) << name;
  }

  // Texture2 stays colourful after the shaded plasma's strongest darkening.
  const Image t2 = Load("Textures/Texture2.pcx");
  size_t colourful = 0;
  for (uint32_t v : t2.pixels) {
    int hi = 0, lo = 255;
    for (int s : {16, 8, 0}) {
      const int c = std::max(Channel(v, s) - 178, 0);
      hi = std::max(hi, c);
      lo = std::min(lo, c);
    }
    colourful += hi >= 50 && hi - lo >= 40;
  }
  EXPECT_GT(colourful, t2.pixels.size() * 6 / 10);

  // Loading: white text at the top left and the white bar at the right edge stay readable.
  const Image loading = Load("Images/Loading.bmp");
  double text = 0, bar = 0;
  for (int y = 10; y < 62; ++y)
    for (int x = 10; x < 80; ++x) text += Luma(loading.At(x, y));
  for (int y = 0; y < 240; ++y)
    for (int x = 310; x < 320; ++x) bar += Luma(loading.At(x, y));
  EXPECT_LT(text / (52 * 70), 60.0);
  EXPECT_LT(bar / (240 * 10), 60.0);

  // Credit cards sit on black and are bright enough to fade visibly.
  for (int i = 1; i <= 7; ++i) {
    const Image card = Load("Images/Cred" + std::to_string(i) + ".pcx");
    EXPECT_EQ(card.At(0, 0), 0u) << i;
    int brightest = 0;
    for (uint32_t v : card.pixels) brightest = std::max(brightest, std::max({Channel(v, 16), Channel(v, 8), Channel(v, 0)}));
    EXPECT_GT(brightest, 200) << i;
  }
}

// An independent decoder (Pillow) reads every picture at its size with the same pixels as
// our reader: a weighted checksum over all RGB bytes must agree.
TEST_F(PackPictureFiles, PillowAgreesOnEveryPicture) {
  ASSERT_TRUE(written_) << *error_;
  if (std::system("/usr/bin/python3 -c 'import PIL, numpy' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Pillow";
  std::string script =
      "import sys, numpy\n"
      "from PIL import Image\n"
      "for path in sys.argv[1:]:\n"
      "    im = Image.open(path)\n"
      "    a = numpy.frombuffer(im.convert('RGB').tobytes(), dtype=numpy.uint8).astype(numpy.int64)\n"
      "    w = numpy.arange(a.size, dtype=numpy.int64) % 997 + 1\n"
      "    print(im.size[0], im.size[1], int((a * w).sum()))\n";
  const fs::path scriptPath = *dir_ / "check.py";
  FILE* f = std::fopen(scriptPath.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs(script.c_str(), f);
  std::fclose(f);
  std::string cmd = "/usr/bin/python3 " + scriptPath.string();
  for (const PackPicture& p : PackPictures()) cmd += " " + (*dir_ / p.path).string();
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  for (const PackPicture& p : PackPictures()) {
    int w = 0, h = 0;
    long long sum = -1;
    ASSERT_EQ(std::fscanf(pipe, "%d %d %lld", &w, &h, &sum), 3) << p.path;
    EXPECT_EQ(w, p.width) << p.path;
    EXPECT_EQ(h, p.height) << p.path;
    const Image img = Load(p.path);
    long long mine = 0, i = 0;
    for (uint32_t v : img.pixels)
      for (int shift : {16, 8, 0}) {
        mine += static_cast<long long>((v >> shift) & 0xFF) * (i % 997 + 1);
        ++i;
      }
    EXPECT_EQ(sum, mine) << p.path;
  }
  pclose(pipe);
}

TEST(PackPictures, SameBytesEveryRun) {
  const fs::path a = FreshDir("a"), b = FreshDir("b");
  std::string error;
  ASSERT_TRUE(WritePictureFiles(a.string(), &error)) << error;
  ASSERT_TRUE(WritePictureFiles(b.string(), &error)) << error;
  for (const PackPicture& p : PackPictures()) {
    std::vector<uint8_t> x, y;
    ASSERT_TRUE(ReadFileBytes((a / p.path).string(), &x, &error));
    ASSERT_TRUE(ReadFileBytes((b / p.path).string(), &y, &error));
    EXPECT_TRUE(x == y) << p.path;
  }
  // The contact sheet reads them back; a folder without the pictures is a clean failure.
  const fs::path sheet = a / "sheet.png";
  ASSERT_TRUE(WriteContactSheet(a.string(), sheet.string(), &error)) << error;
  std::vector<uint8_t> png;
  ASSERT_TRUE(ReadFileBytes(sheet.string(), &png, &error));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png[1], 'P');
  const uint32_t width = png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19];
  EXPECT_GE(width, 320u);
  fs::remove_all(b / "Images");
  EXPECT_FALSE(WriteContactSheet(b.string(), (b / "sheet.png").string(), &error));
  EXPECT_NE(error.find("Images"), std::string::npos) << error;
  // A folder that cannot take the files fails with a reason instead of crashing.
  EXPECT_FALSE(WritePictureFiles((b / "missing").string(), &error));
  EXPECT_FALSE(error.empty());
  fs::remove_all(a);
  fs::remove_all(b);
}

TEST(PictureReaders, RejectBrokenBmp) {
  Image img(3, 2, 0x123456);
  img.At(2, 1) = 0x0000FF;
  std::string error;
  // A hand-made 3 x 2 24-bit BMP: rows bottom-up, each padded to 12 bytes.
  std::vector<uint8_t> bmp(54 + 24, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[10] = 54;
  bmp[14] = 40;
  bmp[18] = 3;
  bmp[22] = 2;
  bmp[26] = 1;
  bmp[28] = 24;
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 3; ++x) {
      const uint32_t p = img.At(x, 1 - row);
      bmp[54 + row * 12 + x * 3] = p & 0xFF;
      bmp[54 + row * 12 + x * 3 + 1] = (p >> 8) & 0xFF;
      bmp[54 + row * 12 + x * 3 + 2] = (p >> 16) & 0xFF;
    }
  Image back;
  ASSERT_TRUE(DecodeBmp(bmp, &back, &error)) << error;
  EXPECT_EQ(back.pixels, img.pixels);
  std::vector<uint8_t> cut(bmp.begin(), bmp.end() - 1);
  EXPECT_FALSE(DecodeBmp(cut, &back, &error));
  std::vector<uint8_t> huge = bmp;
  huge[21] = 0x7F;  // width near 2^31
  EXPECT_FALSE(DecodeBmp(huge, &back, &error));
  std::vector<uint8_t> offset = bmp;
  offset[13] = 0xFF;  // pixel data offset past the end
  EXPECT_FALSE(DecodeBmp(offset, &back, &error));
  EXPECT_FALSE(DecodeBmp({'B', 'M'}, &back, &error));
  EXPECT_FALSE(ReadPictureFile("/nonexistent/picture.pcx", &back, &error));
}

// Damaged copies of real files (bytes flipped, cut short) never crash the readers, and
// whatever they accept has a size consistent with its pixels.
TEST(PictureReaders, SurviveDamagedFiles) {
  const std::vector<uint8_t> pcx = EncodePcx(MakeCredit(3));
  ASSERT_FALSE(pcx.empty());
  std::vector<uint8_t> bmp(54, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[10] = 54;
  bmp[14] = 40;
  bmp[18] = 5;
  bmp[22] = 4;
  bmp[26] = 1;
  bmp[28] = 24;
  bmp.resize(54 + 16 * 4, 0x40);
  uint32_t state = 12345;
  auto next = [&state] { return (state = state * 1664525u + 1013904223u) >> 8; };
  for (int round = 0; round < 400; ++round) {
    const std::vector<uint8_t>* const originals[] = {&pcx, &bmp};
    for (const std::vector<uint8_t>* original : originals) {
      std::vector<uint8_t> damaged = *original;
      const int flips = 1 + next() % 6;
      for (int i = 0; i < flips; ++i) {
        // The first change lands in the header, where it hurts most.
        const size_t span = i == 0 ? std::min<size_t>(130, damaged.size()) : damaged.size();
        damaged[next() % span] = static_cast<uint8_t>(next());
      }
      if (next() % 3 == 0) damaged.resize(next() % damaged.size());
      Image out;
      std::string error;
      const bool ok = original == &pcx ? DecodePcx(damaged, &out, &error) : DecodeBmp(damaged, &out, &error);
      if (ok) {
        EXPECT_EQ(out.pixels.size(), static_cast<size_t>(out.width) * out.height);
      } else {
        EXPECT_FALSE(error.empty());
      }
    }
  }
}
