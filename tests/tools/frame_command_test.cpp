// tavrine-tool frame: the jump straight to a position against playing every frame, its range
// and its answers to mistakes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/run_command.h"
#include "support/scratch.h"
#include "test_paths.h"

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool HavePack() { return std::filesystem::exists(std::string(TAVRINE_CONTENT_DIR) + "/Music/DISCO.XM"); }

TEST(FrameCommand, JumpingThereGivesTheReplayedFrame) {
  if (!HavePack()) GTEST_SKIP() << "no content pack (build the 'content' target)";
  // 121.5 lies in the last segment; 122 gives the show's last frame.
  for (const char* position : {"121.5", "122"}) {
    const std::string jumped = ScratchDir() + "jumped.png", replayed = ScratchDir() + "replayed.png";
    const CommandResult a = RunTool(std::string("frame ") + position + " " + jumped);
    const CommandResult b = RunTool(std::string("frame --replay ") + position + " " + replayed);
    ASSERT_EQ(a.code, 0) << a.err;
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(a.out, b.out) << position;
    EXPECT_FALSE(Bytes(jumped).empty());
    EXPECT_TRUE(Bytes(jumped) == Bytes(replayed)) << "frame " << position << " differs from its replay";
  }
  const CommandResult last = RunTool("frame 122 " + ScratchDir() + "last.png");
  EXPECT_EQ(last.out.rfind("position=121.9", 0), 0u) << last.out;
  EXPECT_NE(last.out.find("segment=14"), std::string::npos) << last.out;
}

// At 4 frames a second the frames fall every 0.3 units; jumped to or replayed, the same one.
TEST(FrameCommand, AnotherFrameRate) {
  if (!HavePack()) GTEST_SKIP() << "no content pack (build the 'content' target)";
  const std::string jumped = ScratchDir() + "jumped4.png", replayed = ScratchDir() + "replayed4.png";
  const CommandResult a = RunTool("frame 10 " + jumped + " --fps 4");
  const CommandResult b = RunTool("frame 10 " + replayed + " --fps 4 --replay");
  ASSERT_EQ(a.code, 0) << a.err;
  EXPECT_EQ(a.out.rfind("position=10.1999998 ", 0), 0u) << a.out;
  EXPECT_EQ(a.out, b.out);
  EXPECT_TRUE(Bytes(jumped) == Bytes(replayed));
}

TEST(FrameCommand, MistakesAreNamedWithTheCommandsUsage) {
  const std::string out = ScratchDir() + "x.png";
  struct Case {
    std::string arguments, reason;
  } cases[] = {
      {"", "missing arguments"},
      {"5", "missing arguments"},
      {"5 " + out + " extra", "too many arguments"},
      {"abc " + out, "not a position: abc"},
      {"-1 " + out, "the position must be from 0 to 122: -1"},
      {"122.01 " + out, "the position must be from 0 to 122: 122.01"},
      {"nan " + out, "not a position: nan"},
      {"5 " + out + " --bogus", "unknown option --bogus"},
      {"5 " + out + " --content", "--content needs a folder"},
      {"5 " + out + " --fps", "--fps needs a whole number from 1 to 240"},
      {"5 " + out + " --fps 0", "--fps needs a whole number from 1 to 240"},
      {"5 " + out + " --fps 2.5", "--fps needs a whole number from 1 to 240"},
  };
  for (const Case& c : cases) {
    const CommandResult r = RunTool("frame " + c.arguments);
    EXPECT_EQ(r.code, 2) << c.arguments;
    EXPECT_EQ(r.err, "tavrine-tool frame: " + c.reason +
                         "\nusage: tavrine-tool frame POSITION OUT.png [--replay] [--fps N] [--content DIR]\n")
        << c.arguments;
    EXPECT_TRUE(r.out.empty());
  }
  const CommandResult help = RunTool("frame --help");
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("usage: tavrine-tool frame POSITION OUT.png", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--replay"), std::string::npos);
  EXPECT_TRUE(help.err.empty());
}

TEST(FrameCommand, AMissingPackIsAFailureNotAUsageError) {
  const CommandResult r = RunTool("frame 5 " + ScratchDir() + "x.png --content " + ScratchDir() + "nowhere");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.rfind("tavrine-tool frame: ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
}

// Under valgrind the tool reads no uninitialised or freed memory and loses no block on its way
// to a frame (the sanitizer build has its own checks and cannot run under valgrind).
TEST(FrameCommand, ValgrindFindsNothing) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "a sanitizer build";
#else
  if (!HavePack()) GTEST_SKIP() << "no content pack (build the 'content' target)";
  if (std::system("command -v valgrind >/dev/null 2>&1") != 0) GTEST_SKIP() << "valgrind is not installed";
  const CommandResult r = RunCommand("valgrind --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=9 " +
                                     std::string(TAVRINE_TOOL_PATH) + " frame 30 " + ScratchDir() + "valgrind.png");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << r.err;  // leaks count as errors
#endif
}

}  // namespace
