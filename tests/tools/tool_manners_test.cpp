// How tavrine-tool answers: help on stdout, a mistake named in one line with the usage line of
// the command it concerns, and make-content that will not scatter a pack among other files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "make_content_command.h"
#include "support/run_command.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace fs = std::filesystem;

namespace {

const char* const kCommands[] = {"play", "frame", "capture", "make-content", "make-icon", "pcx2png", "scene-info", "glyph-atlas"};

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(ToolManners, HelpGoesToStandardOutput) {
  const CommandResult help = RunTool("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("usage: tavrine-tool COMMAND", 0), 0u) << help.out;
  for (const char* command : kCommands) {
    EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    const CommandResult own = RunTool(std::string(command) + " --help");
    EXPECT_EQ(own.code, 0) << command;
    EXPECT_EQ(own.err, "") << command;
    EXPECT_EQ(own.out.rfind(std::string("usage: tavrine-tool ") + command + " ", 0), 0u) << own.out;
  }
  EXPECT_EQ(RunTool("-h").out, help.out);

  // Without a command the same list is a usage error.
  const CommandResult bare = RunTool("");
  EXPECT_EQ(bare.code, 2);
  EXPECT_EQ(bare.out, "");
  EXPECT_EQ(bare.err, help.out);
}

TEST(ToolManners, AnUnknownCommandIsNamed) {
  const CommandResult r = RunTool("frobnicate now");
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "tavrine-tool: unknown command frobnicate ('tavrine-tool --help' lists the commands)\n");
  EXPECT_EQ(r.out, "");
}

TEST(ToolManners, UsageErrorsNameTheMistakeAndGiveOnlyThatCommandsLine) {
  const std::string out = ScratchDir() + "x.png";
  const struct {
    std::string arguments, first, usage;
  } cases[] = {
      {"pcx2png", "tavrine-tool pcx2png: missing arguments", "usage: tavrine-tool pcx2png IN.pcx OUT.png"},
      {"pcx2png a.pcx " + out + " --bogus", "tavrine-tool pcx2png: unknown option --bogus", "usage: tavrine-tool pcx2png IN.pcx OUT.png"},
      {"scene-info", "tavrine-tool scene-info: missing the scene file", "usage: tavrine-tool scene-info IN.3ds"},
      {"scene-info -v a.3ds", "tavrine-tool scene-info: unknown option -v", "usage: tavrine-tool scene-info IN.3ds"},
      {"make-content", "tavrine-tool make-content: missing the folder to write into",
       "usage: tavrine-tool make-content DIR [--contact-sheet OUT.png] [--force]"},
      {"make-content a b", "tavrine-tool make-content: unexpected argument b",
       "usage: tavrine-tool make-content DIR [--contact-sheet OUT.png] [--force]"},
      {"make-content a --contact-sheet", "tavrine-tool make-content: --contact-sheet needs a file name",
       "usage: tavrine-tool make-content DIR [--contact-sheet OUT.png] [--force]"},
      {"make-content a --overwrite", "tavrine-tool make-content: unknown option --overwrite",
       "usage: tavrine-tool make-content DIR [--contact-sheet OUT.png] [--force]"},
      {"make-icon 15 " + out, "tavrine-tool make-icon: the size must be a whole number from 16 to 1024: 15",
       "usage: tavrine-tool make-icon SIZE OUT.png"},
      {"make-icon big " + out, "tavrine-tool make-icon: the size must be a whole number from 16 to 1024: big",
       "usage: tavrine-tool make-icon SIZE OUT.png"},
      {"make-icon 48", "tavrine-tool make-icon: missing arguments", "usage: tavrine-tool make-icon SIZE OUT.png"},
      {"capture", "tavrine-tool capture: no output: name a video file, --frames DIR or --audio FILE", "usage: tavrine-tool capture (OUT.mp4|OUT.mkv|OUT.mov | --frames DIR | --audio OUT.wav|OUT.flac) [options]"},
      {"capture x.mkv --fps 0", "tavrine-tool capture: --fps 0: give a whole number from 1 to 240", "usage: tavrine-tool capture (OUT.mp4|OUT.mkv|OUT.mov | --frames DIR | --audio OUT.wav|OUT.flac) [options]"},
      {"capture x.mkv --speed 4", "tavrine-tool capture: unknown option --speed", "usage: tavrine-tool capture (OUT.mp4|OUT.mkv|OUT.mov | --frames DIR | --audio OUT.wav|OUT.flac) [options]"},
  };
  for (const auto& c : cases) {
    const CommandResult r = RunTool(c.arguments);
    EXPECT_EQ(r.code, 2) << c.arguments;
    EXPECT_EQ(r.err, c.first + "\n" + c.usage + "\n") << c.arguments;
    EXPECT_EQ(Lines(r.err), 2u);
  }
}

TEST(ToolManners, MakeIconDrawsTheIconAtTheSizeAsked) {
  const std::string out = ScratchDir() + "icon.png";
  const CommandResult r = RunTool("make-icon 64 " + out);
  ASSERT_EQ(r.code, 0) << r.err;
  std::ifstream png(out, std::ios::binary);
  unsigned char header[26] = {};
  png.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(header[1], 'P');
  EXPECT_EQ(header[19], 64);  // width, big-endian
  EXPECT_EQ(header[23], 64);  // height
  EXPECT_EQ(header[25], 6);   // RGBA
}

TEST(MakeContentFolder, OnlyAnEmptyFolderOrAnEarlierPackIsTakenWithoutForce) {
  const fs::path root = fs::path(ScratchDir()) / "packs";
  fs::create_directories(root / "empty");
  EXPECT_EQ(ContentFolderObjection((root / "empty").string()), "");
  EXPECT_EQ(ContentFolderObjection((root / "new" / "deeper").string()), "");
  if (fs::exists(std::string(TAVRINE_CONTENT_DIR) + "/Music/DISCO.XM")) {
    EXPECT_EQ(ContentFolderObjection(TAVRINE_CONTENT_DIR), "");
  }

  fs::create_directories(root / "home" / "Music");
  std::ofstream(root / "home" / "letter.txt") << "dear";
  EXPECT_EQ(ContentFolderObjection((root / "home").string()), (root / "home").string() + " holds other files (letter.txt)");
  fs::create_directories(root / "songs" / "Music");
  std::ofstream(root / "songs" / "Music" / "mine.mp3") << "x";
  EXPECT_EQ(ContentFolderObjection((root / "songs").string()), (root / "songs").string() + " holds other files (Music/mine.mp3)");
  std::ofstream(root / "plain") << "x";
  EXPECT_EQ(ContentFolderObjection((root / "plain").string()), (root / "plain").string() + " is not a folder");
  EXPECT_EQ(ContentFolderObjection("/"), "refusing to write the pack into /");
  EXPECT_EQ(ContentFolderObjection("/tmp/.."), "refusing to write the pack into /");
}

TEST(MakeContentFolder, TheCommandRefusesWithoutForceAndWritesWithIt) {
  const fs::path dir = fs::path(ScratchDir()) / "crowded";
  fs::create_directories(dir);
  std::ofstream(dir / "notes.txt") << "keep me";
  const CommandResult refused = RunTool("make-content " + dir.string());
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(refused.err, "tavrine-tool make-content: " + dir.string() +
                             " holds other files (notes.txt); choose an empty folder, or add --force\n");
  EXPECT_FALSE(fs::exists(dir / "Music"));
  const CommandResult root = RunTool("make-content /");
  EXPECT_EQ(root.code, 1);
  EXPECT_EQ(root.err, "tavrine-tool make-content: refusing to write the pack into /; choose an empty folder, or add --force\n");

  const CommandResult forced = RunTool("make-content --force " + dir.string());
  EXPECT_EQ(forced.code, 0) << forced.err;
  EXPECT_TRUE(fs::exists(dir / "Music" / "DISCO.XM"));
  EXPECT_TRUE(fs::exists(dir / "notes.txt"));
  // Made once, the pack may be made again over itself.
  fs::remove(dir / "notes.txt");
  EXPECT_EQ(RunTool("make-content " + dir.string()).code, 0);
}

}  // namespace
