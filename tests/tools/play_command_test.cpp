// tavrine-tool play: every option, what a malformed one says, and the command's manners.
#include "play_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace {

struct Parsed {
  bool ok;
  PlayOptions options;
  std::string reason;
};

Parsed Parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "play");
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  Parsed parsed;
  parsed.ok = ParsePlayOptions(static_cast<int>(argv.size()), argv.data(), &parsed.options, &parsed.reason);
  return parsed;
}

TEST(PlayOptions, DefaultsAreTheFullScreenShowWithTheViewersKeys) {
  const Parsed p = Parse({});
  ASSERT_TRUE(p.ok) << p.reason;
  EXPECT_TRUE(p.options.view.fullscreen);
  EXPECT_EQ(p.options.view.scale, 0);
  EXPECT_EQ(p.options.view.filter, ScaleFilter::Nearest);
  EXPECT_TRUE(p.options.view.vsync);
  EXPECT_FALSE(p.options.view.status);
  EXPECT_EQ(p.options.playback.start, 0.0f);
  EXPECT_FALSE(p.options.playback.loop);
  EXPECT_TRUE(p.options.playback.viewerKeys);
  EXPECT_FALSE(p.options.showFps);
  EXPECT_FALSE(p.options.mute);
  EXPECT_EQ(p.options.content, "");
}

TEST(PlayOptions, EveryOptionSetsWhatItSays) {
  const Parsed p = Parse({"--window", "--scale", "3", "--filter", "sharp", "--no-vsync", "--start", "60.5", "--loop",
                          "--fps", "--mute", "--content", "/some/pack"});
  ASSERT_TRUE(p.ok) << p.reason;
  EXPECT_FALSE(p.options.view.fullscreen);
  EXPECT_EQ(p.options.view.scale, 3);
  EXPECT_EQ(p.options.view.filter, ScaleFilter::Sharp);
  EXPECT_FALSE(p.options.view.vsync);
  EXPECT_EQ(p.options.playback.start, 60.5f);
  EXPECT_TRUE(p.options.playback.loop);
  EXPECT_TRUE(p.options.showFps);
  EXPECT_TRUE(p.options.mute);
  EXPECT_EQ(p.options.content, "/some/pack");

  EXPECT_TRUE(Parse({"--fullscreen"}).options.view.fullscreen);
  EXPECT_EQ(Parse({"--filter", "nearest"}).options.view.filter, ScaleFilter::Nearest);
  EXPECT_EQ(Parse({"--filter", "linear"}).options.view.filter, ScaleFilter::Linear);
  EXPECT_EQ(Parse({"--start", "0"}).options.playback.start, 0.0f);
  EXPECT_EQ(Parse({"--start", "122"}).options.playback.start, 122.0f);
  EXPECT_EQ(Parse({"--scale", "1"}).options.view.scale, 1);
  EXPECT_EQ(Parse({"--scale", "16"}).options.view.scale, 16);
}

TEST(PlayOptions, MalformedOptionsAreNamed) {
  const struct {
    std::vector<std::string> arguments;
    std::string reason;
  } cases[] = {
      {{"--scale"}, "--scale needs a whole number from 1 to 16"},
      {{"--scale", "0"}, "--scale needs a whole number from 1 to 16: 0"},
      {{"--scale", "17"}, "--scale needs a whole number from 1 to 16: 17"},
      {{"--scale", "2.5"}, "--scale needs a whole number from 1 to 16: 2.5"},
      {{"--scale", "two"}, "--scale needs a whole number from 1 to 16: two"},
      {{"--filter"}, "--filter needs nearest, sharp or linear"},
      {{"--filter", "bicubic"}, "--filter needs nearest, sharp or linear: bicubic"},
      {{"--start"}, "--start needs a position from 0 to 122"},
      {{"--start", "-1"}, "--start needs a position from 0 to 122: -1"},
      {{"--start", "122.5"}, "--start needs a position from 0 to 122: 122.5"},
      {{"--start", "soon"}, "--start needs a position from 0 to 122: soon"},
      {{"--content"}, "--content needs a folder"},
      {{"--window", "--fullscreen"}, "--window and --fullscreen exclude each other"},
      {{"--vsync"}, "unknown option --vsync"},
      {{"-x"}, "unknown option -x"},
      {{"show.xm"}, "unexpected argument show.xm"},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.arguments);
    EXPECT_FALSE(p.ok) << c.reason;
    EXPECT_EQ(p.reason, c.reason);
  }
}

TEST(PlayCommand, UsageErrorsGiveOneReasonAndThePlayLine) {
  const CommandResult r = RunTool("play --scale 0");
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err.rfind("tavrine-tool play: --scale needs a whole number from 1 to 16: 0\nusage: tavrine-tool play [--window", 0), 0u)
      << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);
  const CommandResult help = RunTool("play --help");
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("usage: tavrine-tool play [--window|--fullscreen]", 0), 0u) << help.out;
  for (const char* option : {"--scale", "--filter", "--no-vsync", "--start", "--loop", "--fps", "--mute", "--content", "Alt+Enter"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(PlayCommand, WithoutAPackItSaysSoInOneLine) {
  const CommandResult r = RunTool("play --window --content /nonexistent/pack");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.rfind("tavrine-tool play: cannot enter the content folder /nonexistent/pack", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
}

}  // namespace
