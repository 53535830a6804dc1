// cmake --install: the show, the tool, the pack, the desktop entry, the icons and the manual
// pages where a desktop looks for them, and an installed tool that finds its pack.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/run_command.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Width, height and colour type from a PNG's header.
struct PngHeader {
  uint32_t width = 0, height = 0;
  int colourType = -1;
};
PngHeader ReadPngHeader(const fs::path& path) {
  const std::string bytes = Read(path);
  PngHeader h;
  if (bytes.size() < 26 || bytes.compare(1, 3, "PNG") != 0) return h;
  const auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
  };
  h.width = u32(16);
  h.height = u32(20);
  h.colourType = static_cast<unsigned char>(bytes[25]);
  return h;
}

bool Have(const char* program) { return RunCommand(std::string("command -v ") + program + " >/dev/null").code == 0; }

size_t CountFiles(const fs::path& dir) {
  size_t count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().filename() != ".complete") ++count;
  return count;
}

class Install : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix = new fs::path(fs::path(ScratchDir()) / "prefix with space");
    result = new CommandResult(RunCommand(std::string(TAVRINE_CMAKE) + " --install " + TAVRINE_BUILD_DIR +
                                          " --prefix '" + prefix->string() + "'"));
  }
  static void TearDownTestSuite() {
    delete prefix;
    delete result;
  }
  void SetUp() override {
    if (!fs::exists(std::string(TAVRINE_CONTENT_DIR) + "/Music/DISCO.XM")) GTEST_SKIP() << "no content pack built";
    ASSERT_EQ(result->code, 0) << result->out << result->err;
  }
  static fs::path* prefix;
  static CommandResult* result;
};
fs::path* Install::prefix = nullptr;
CommandResult* Install::result = nullptr;

TEST_F(Install, PutsEverythingWhereADesktopLooks) {
  const fs::path& p = *prefix;
  for (const char* program : {"bin/tavrine3d", "bin/tavrine-tool"}) {
    ASSERT_TRUE(fs::exists(p / program)) << program;
    EXPECT_NE(fs::status(p / program).permissions() & fs::perms::owner_exec, fs::perms::none) << program;
  }
  EXPECT_EQ(CountFiles(p / "share/tavrine3d"), CountFiles(TAVRINE_CONTENT_DIR));
  EXPECT_EQ(Read(p / "share/tavrine3d/Music/DISCO.XM"), Read(fs::path(TAVRINE_CONTENT_DIR) / "Music/DISCO.XM"));
  EXPECT_FALSE(fs::exists(p / "share/tavrine3d/.complete"));
  for (uint32_t size : {48u, 256u}) {
    const std::string dir = std::to_string(size) + "x" + std::to_string(size);
    const PngHeader icon = ReadPngHeader(p / "share/icons/hicolor" / dir / "apps/tavrine3d.png");
    EXPECT_EQ(icon.width, size);
    EXPECT_EQ(icon.height, size);
    EXPECT_EQ(icon.colourType, 6) << "RGBA";
  }
  EXPECT_TRUE(fs::exists(p / "share/man/man6/tavrine3d.6"));
  EXPECT_TRUE(fs::exists(p / "share/man/man1/tavrine-tool.1"));
}

TEST_F(Install, TheDesktopEntryStartsTheShowInItsPack) {
  const fs::path entry = *prefix / "share/applications/tavrine3d.desktop";
  const std::string text = Read(entry);
  // The prefix holds a space: the command is quoted, the working folder is not.
  EXPECT_NE(text.find("\nExec=\"" + (*prefix / "bin/tavrine3d").string() + "\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nPath=" + (*prefix / "share/tavrine3d").string() + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nIcon=tavrine3d\n"), std::string::npos) << text;
  if (!Have("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed (desktop-file-utils)";
  const CommandResult valid = RunCommand("desktop-file-validate '" + entry.string() + "'");
  EXPECT_EQ(valid.code, 0) << valid.out << valid.err;
  EXPECT_EQ(valid.out + valid.err, "");
}

TEST_F(Install, BothManualPagesRenderWithoutWarnings) {
  if (!Have("man")) GTEST_SKIP() << "man is not installed (man-db)";
  for (const char* page : {"share/man/man6/tavrine3d.6", "share/man/man1/tavrine-tool.1"}) {
    const CommandResult r = RunCommand("MANWIDTH=80 man --warnings -l '" + (*prefix / page).string() + "'");
    EXPECT_EQ(r.code, 0) << page;
    EXPECT_EQ(r.err, "") << page;
    EXPECT_NE(r.out.find("NAME"), std::string::npos) << page;
    EXPECT_NE(r.out.find("SYNOPSIS"), std::string::npos) << page;
  }
}

TEST_F(Install, TheInstalledToolFindsTheInstalledPack) {
  const fs::path out = fs::path(ScratchDir()) / "installed.png";
  const CommandResult r = RunCommand("cd / && '" + (*prefix / "bin/tavrine-tool").string() + "' frame 60 '" + out.string() + "'");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "position=60 scene_time=48 segment=7\n");
  EXPECT_EQ(ReadPngHeader(out).width, 320u);
}

TEST_F(Install, AStagedInstallNamesTheFinalPrefix) {
  const fs::path stage = fs::path(ScratchDir()) / "stage";
  const CommandResult r = RunCommand("DESTDIR='" + stage.string() + "' " + TAVRINE_CMAKE + " --install " +
                                     TAVRINE_BUILD_DIR + " --prefix /usr");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string text = Read(stage / "usr/share/applications/tavrine3d.desktop");
  EXPECT_NE(text.find("\nExec=\"/usr/bin/tavrine3d\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nPath=/usr/share/tavrine3d\n"), std::string::npos) << text;
  EXPECT_TRUE(fs::exists(stage / "usr/bin/tavrine3d"));
}

}  // namespace
