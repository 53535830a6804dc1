#include "pcx2png.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const PYTHON = "/usr/bin/python3";

bool HavePillow() {
  static const bool have =
      std::system((std::string(PYTHON) + " -c 'import PIL.Image' >/dev/null 2>&1").c_str()) == 0;
  return have;
}

int RunTool(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return RunPcx2Png(static_cast<int>(argv.size()), argv.data());
}

int Python(const std::string& script) {
  const std::string path = ScratchDir() + "pcx2png_check.py";
  std::ofstream(path) << script;
  return std::system((std::string(PYTHON) + " " + path).c_str());
}

TEST(Pcx2Png, MatchesPillowForOddAndEvenWidths) {
  if (!HavePillow()) GTEST_SKIP() << "no /usr/bin/python3 with Pillow";
  const std::string dir = ScratchDir();
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{37, 23}, {40, 20}, {321, 3}}) {
    const std::string pcx = dir + "pillow_" + std::to_string(w) + ".pcx";
    const std::string png = dir + "pillow_" + std::to_string(w) + ".png";
    // Flat bands (long runs), noise (literals and values >= 192) and blue keyed spots.
    ASSERT_EQ(Python("from PIL import Image\nimport random\nrandom.seed(" + std::to_string(w) + ")\n"
                     "w, h = " + std::to_string(w) + ", " + std::to_string(h) + "\n"
                     "im = Image.new('RGB', (w, h))\n"
                     "for y in range(h):\n"
                     "  for x in range(w):\n"
                     "    if x < w // 3: c = (200, 10 * (y % 20), 255)\n"
                     "    elif (x + y) % 7 == 0: c = (0, 0, 255)\n"
                     "    else: c = tuple(random.randrange(256) for _ in range(3))\n"
                     "    im.putpixel((x, y), c)\n"
                     "im.save('" + pcx + "', 'PCX')\n"),
              0);
    ASSERT_EQ(RunTool({"pcx2png", pcx, png}), 0) << w;
    EXPECT_EQ(Python("from PIL import Image\n"
                     "a = Image.open('" + pcx + "').convert('RGB')\n"
                     "b = Image.open('" + png + "').convert('RGB')\n"
                     "assert a.size == b.size, (a.size, b.size)\n"
                     "bad = sum(1 for p, q in zip(a.getdata(), b.getdata()) if p != q)\n"
                     "raise SystemExit(1 if bad else 0)\n"),
              0)
        << w << "x" << h << " differs from Pillow";
  }
}

// Pillow reads its own 3-pixel-wide files wrongly (it takes the pad byte as a colour), so
// narrow odd widths are checked against ImageMagick's decode.
TEST(Pcx2Png, NarrowOddWidthMatchesImageMagick) {
  if (!HavePillow() || std::system("command -v convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs Pillow and ImageMagick";
  const std::string pcx = ScratchDir() + "narrow_3.pcx", png = ScratchDir() + "narrow_3.png";
  ASSERT_EQ(Python("from PIL import Image\n"
                   "im = Image.new('RGB', (3, 2))\n"
                   "im.putdata([(10, 20, 30), (0, 0, 255), (200, 201, 202), (1, 2, 3), (250, 0, 7), (9, 9, 9)])\n"
                   "im.save('" + pcx + "', 'PCX')\n"),
            0);
  ASSERT_EQ(RunTool({"pcx2png", pcx, png}), 0);
  EXPECT_EQ(Python("import subprocess\nfrom PIL import Image\n"
                   "magick = subprocess.run(['convert', '" + pcx + "', '-depth', '8', 'rgb:-'],"
                   " capture_output=True, check=True).stdout\n"
                   "ours = Image.open('" + png + "').convert('RGB').tobytes()\n"
                   "raise SystemExit(0 if magick == ours else 1)\n"),
            0);
}

TEST(Pcx2Png, ReportsBadInputAndUsage) {
  const std::string dir = ScratchDir();
  EXPECT_EQ(RunTool({"pcx2png"}), 2);
  EXPECT_EQ(RunTool({"pcx2png", "a.pcx"}), 2);
  EXPECT_EQ(RunTool({"pcx2png", dir + "no_such.pcx", dir + "out.png"}), 1);

  // A header alone claims a 4 x 4 picture with no data: the picture ends early.
  std::vector<char> header(128, 0);
  header[0] = 10, header[1] = 5, header[2] = 1, header[3] = 8, header[65] = 3;
  header[8] = 3, header[10] = 3, header[66] = 4;
  const std::string truncated = dir + "truncated.pcx";
  std::ofstream(truncated, std::ios::binary).write(header.data(), static_cast<std::streamsize>(header.size()));
  EXPECT_EQ(RunTool({"pcx2png", truncated, dir + "out.png"}), 1);
  // Short of a header.
  std::ofstream(truncated, std::ios::binary).write(header.data(), 50);
  EXPECT_EQ(RunTool({"pcx2png", truncated, dir + "out.png"}), 1);
  // A wrapped size (xmax below xmin) is refused, not allocated.
  header[4] = 9;
  std::ofstream(truncated, std::ios::binary).write(header.data(), static_cast<std::streamsize>(header.size()));
  EXPECT_EQ(RunTool({"pcx2png", truncated, dir + "out.png"}), 1);
}

// What is not a PCX file at all, or not a file, is refused with one line, never decoded.
TEST(Pcx2Png, RefusesWhatIsNotAPcxFile) {
  const std::string dir = ScratchDir();
  std::vector<char> header(128, 0);
  header[0] = 10, header[1] = 5, header[2] = 1, header[3] = 8, header[65] = 3, header[66] = 1;
  header.insert(header.end(), {0x10, 0x20, 0x30});  // one pixel
  auto write = [&](const std::string& name, const std::vector<char>& bytes) {
    std::ofstream(dir + name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return dir + name;
  };
  ASSERT_EQ(RunTool({"pcx2png", write("one.pcx", header), dir + "one.png"}), 0);
  for (const auto& [at, value] : std::vector<std::pair<int, char>>{{0, 11}, {1, 1}, {1, 6}, {2, 0}, {3, 24}, {3, 3}}) {
    std::vector<char> bent = header;
    bent[at] = value;
    EXPECT_EQ(RunTool({"pcx2png", write("bent.pcx", bent), dir + "bent.png"}), 1) << at << " = " << int{value};
  }
  // A BMP is not decoded as a PCX, however long.
  std::vector<char> bmp = {'B', 'M'};
  bmp.resize(200, 1);
  EXPECT_EQ(RunTool({"pcx2png", write("picture.bmp", bmp), dir + "bmp.png"}), 1);
  EXPECT_EQ(RunTool({"pcx2png", dir, dir + "folder.png"}), 1);
  EXPECT_EQ(RunTool({"pcx2png", "/dev/zero", dir + "zero.png"}), 1);
}

}  // namespace
