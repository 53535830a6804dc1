// Seeking: every frame is a function of its position, so jumping there draws what playing
// every frame from the start draws; and the player's loop, pause and segment jumps.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "demo/timeline.h"
#include "platform/audio_outputs.h"
#include "platform/offline_platform.h"
#include "platform/sound.h"
#include "support/show_fixture.h"
#include "test_paths.h"

namespace {

int RunIn(const std::string& folder, OfflinePlatform& offline, const ShowPlayback& playback = {}) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const int code = RunShow(&offline.platform, playback);
  std::filesystem::current_path(previous);
  return code;
}

struct Frame {
  float position;
  int segment;
  std::vector<uint32_t> pixels;
};

TEST(Seek, EveryFrameIsTheFrameOfItsPosition) {
  const std::string content = TAVRINE_CONTENT_DIR;
  if (!std::filesystem::exists(content + "/Music/DISCO.XM"))
    GTEST_SKIP() << "no content pack at " << content << " (build the 'content' target)";

  // One run from the start, keeping each segment's first, middle and last frame.
  std::vector<Frame> played;
  {
    OfflinePlatform offline(60);
    std::vector<uint32_t> previous;
    float previousPosition = 0;
    int segment = 0;
    offline.onFrame = [&](const OfflinePresenter& frame) {
      if (!showState.running) return;
      if (showState.segment != segment) {
        if (segment != 0) played.push_back({previousPosition, segment, previous});  // the last
        segment = showState.segment;
        played.push_back({showState.position, segment, frame.frame});  // the first
      }
      const TimelineSegment& s = Timeline[segment - 1];
      const float middle = (s.offset / 12 + s.end) / 2;
      if (previousPosition < middle && showState.position >= middle) played.push_back({showState.position, segment, frame.frame});
      previous = frame.frame;
      previousPosition = showState.position;
    };
    ASSERT_EQ(RunIn(content, offline), 0);
    played.push_back({previousPosition, segment, previous});
  }
  ASSERT_EQ(played.size(), 3u * TIMELINE_SEGMENTS);

  // One run that jumps to each of them, from the end back to the start, so that every jump
  // leaves behind what a later segment drew.
  std::map<float, std::vector<uint32_t>> jumped;
  {
    OfflinePlatform offline(60);
    size_t next = played.size();
    bool landed = false;
    offline.onFrame = [&](const OfflinePresenter& frame) {
      if (!showState.running) return;
      if (landed) jumped[showState.position] = frame.frame;
      if (next == 0) {
        offline.system.PressKey(VK_ESCAPE_KEY);
        return;
      }
      SeekShow(played[--next].position);
      landed = true;
    };
    ASSERT_EQ(RunIn(content, offline), 0);
  }
  for (const Frame& frame : played) {
    ASSERT_TRUE(jumped.count(frame.position)) << "no frame drawn at " << frame.position;
    EXPECT_TRUE(jumped[frame.position] == frame.pixels)
        << "segment " << frame.segment << " at position " << frame.position << " differs from the replay";
  }
}

// The test song of the player's tests below lasts a few seconds; the show's own goes on past
// every segment, so the music can be seen landing where the picture does.
TEST(Seek, SegmentJumpsTakeTheMusicAlong) {
  const std::string content = TAVRINE_CONTENT_DIR;
  if (!std::filesystem::exists(content + "/Music/DISCO.XM"))
    GTEST_SKIP() << "no content pack at " << content << " (build the 'content' target)";
  OfflinePlatform offline(60);
  SilentAudioOutput audio([&] { return offline.system.Ticks(); });
  offline.platform.audio = &audio;
  std::vector<float> seen;
  std::vector<double> music;
  const uint32_t keys[] = {VK_RIGHT_KEY, VK_RIGHT_KEY, VK_LEFT_KEY, VK_LEFT_KEY, VK_LEFT_KEY};
  size_t pressed = 0;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    seen.push_back(showState.position);
    music.push_back(MidasPlayedSeconds(musicPlayHandle));
    offline.system.PressKey(pressed < std::size(keys) ? keys[pressed] : VK_ESCAPE_KEY);
    ++pressed;
  };
  ShowPlayback playback;
  playback.start = 100;  // segment 12, 98 to 106
  playback.viewerKeys = true;
  ASSERT_EQ(RunIn(content, offline, playback), 0);
  const float starts[] = {100, 106, 114, 106, 98, 90};
  ASSERT_EQ(seen.size(), std::size(starts));
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_GE(seen[i], starts[i]) << i;
    EXPECT_LT(seen[i], starts[i] + 0.021f) << i;
    // The poll before each frame has played one frame's worth past the jump.
    EXPECT_NEAR(music[i], seen[i] / 1.2, 0.03) << i;
  }
}

class Player : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { content = new std::string(MakeMusicOnlyContent("player")); }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*content);
    delete content;
  }
  static std::string* content;
};
std::string* Player::content = nullptr;

TEST_F(Player, StartsAtThePositionAskedFor) {
  OfflinePlatform offline(60);
  std::vector<float> seen;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    seen.push_back(showState.position);
    if (seen.size() == 3) offline.system.PressKey(VK_ESCAPE_KEY);
  };
  ShowPlayback playback;
  playback.start = 60;
  ASSERT_EQ(RunIn(*content, offline, playback), 0);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_GE(seen[0], 60.0f);
  EXPECT_LT(seen[0], 60.021f);  // the first frame at or after it (frames 16 or 17 ms apart)
  EXPECT_NEAR(seen[1] - seen[0], 0.02f, 0.0011f);
  // Three frames drawn, in 1/20 s: the rate leaves out the jump.
  EXPECT_EQ(offline.system.messageBoxes.back().text, "Average framerate: 60 fps");
}

TEST_F(Player, AStartPastTheLastFrameShowsTheLastFrame) {
  for (float start : {121.999f, 122.0f}) {
    OfflinePlatform offline(60);
    std::vector<float> seen;
    offline.onFrame = [&](const OfflinePresenter&) {
      if (showState.running) seen.push_back(showState.position);
    };
    ShowPlayback playback;
    playback.start = start;
    ASSERT_EQ(RunIn(*content, offline, playback), 0);
    ASSERT_EQ(seen.size(), 1u) << start;
    EXPECT_LT(seen[0], 122.0f);
    EXPECT_GT(seen[0], 121.97f);
  }
}

TEST_F(Player, LoopStartsAgainAtZeroWithTheMusic) {
  OfflinePlatform offline(60);
  SilentAudioOutput audio([&] { return offline.system.Ticks(); });
  offline.platform.audio = &audio;
  std::vector<float> seen;
  double musicAfterRestart = -1;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    seen.push_back(showState.position);
    if (seen.size() >= 2 && seen[seen.size() - 2] > 121 && showState.position < 1) musicAfterRestart = MidasPlayedSeconds(musicPlayHandle);
    if (seen.size() > 2 && seen.back() > 0.5f && seen.back() < 1) offline.system.PressKey(VK_ESCAPE_KEY);
  };
  ShowPlayback playback;
  playback.start = 121.5;
  playback.loop = true;
  ASSERT_EQ(RunIn(*content, offline, playback), 0);
  ASSERT_GT(seen.size(), 30u);
  size_t restart = 0;
  for (size_t i = 1; i < seen.size(); ++i)
    if (seen[i] < seen[i - 1]) restart = i;
  ASSERT_GT(restart, 0u);
  EXPECT_GT(seen[restart - 1], 121.97f);
  EXPECT_GE(seen[restart], 0.0f);
  EXPECT_LT(seen[restart], 0.021f);
  // The music starts again with the picture (the first poll after the restart has played one frame).
  EXPECT_GE(musicAfterRestart, 0.0);
  EXPECT_LT(musicAfterRestart, 0.05);
  for (size_t i = restart + 1; i < seen.size(); ++i) EXPECT_NEAR(seen[i] - seen[i - 1], 0.02f, 0.0011f);
}

TEST_F(Player, SpaceFreezesPictureAndMusicUntilPressedAgain) {
  OfflinePlatform offline(60);
  SilentAudioOutput audio([&] { return offline.system.Ticks(); });
  offline.platform.audio = &audio;
  struct Seen {
    float position;
    bool paused;
    double music;
  };
  std::vector<Seen> seen;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    seen.push_back({showState.position, showState.paused, MidasPlayedSeconds(musicPlayHandle)});
    if (seen.size() == 30 || seen.size() == 90) offline.system.PressKey(VK_SPACE_KEY);
    if (seen.size() == 120) offline.system.PressKey(VK_ESCAPE_KEY);
  };
  ShowPlayback playback;
  playback.viewerKeys = true;
  ASSERT_EQ(RunIn(*content, offline, playback), 0);
  ASSERT_EQ(seen.size(), 120u);
  // Frames 31 to 90 are drawn paused: the same position, the music where it stood.
  for (size_t i = 30; i < 90; ++i) {
    EXPECT_TRUE(seen[i].paused) << i;
    EXPECT_EQ(seen[i].position, seen[29].position) << i;
    EXPECT_EQ(seen[i].music, seen[30].music) << i;
  }
  // Then the show goes on from there, as if the pause had not been.
  EXPECT_FALSE(seen[90].paused);
  EXPECT_NEAR(seen[90].position - seen[29].position, 0.02f, 0.0011f);
  EXPECT_GT(seen[119].music, seen[90].music);
  EXPECT_NEAR(seen[119].music, seen[119].position / 1.2, 0.03);
  // Sixty paused frames are not counted.
  EXPECT_EQ(showState.frameCount, 60u);
}

TEST_F(Player, LeftAndRightJumpBetweenSegmentStarts) {
  OfflinePlatform offline(60);
  std::vector<float> seen;
  const uint32_t keys[] = {VK_RIGHT_KEY, VK_RIGHT_KEY, VK_LEFT_KEY, VK_LEFT_KEY, VK_LEFT_KEY};
  size_t pressed = 0;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    seen.push_back(showState.position);
    offline.system.PressKey(pressed < std::size(keys) ? keys[pressed] : VK_ESCAPE_KEY);
    ++pressed;
  };
  ShowPlayback playback;
  playback.start = 60;  // segment 7, 56 to 64
  playback.viewerKeys = true;
  ASSERT_EQ(RunIn(*content, offline, playback), 0);
  const float starts[] = {60, 64, 72, 64, 56, 48};
  ASSERT_EQ(seen.size(), std::size(starts));
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_GE(seen[i], starts[i]) << i;
    EXPECT_LT(seen[i], starts[i] + 0.021f) << i;
  }
}

TEST_F(Player, WithoutTheViewerKeysTheShowIgnoresThem) {
  OfflinePlatform offline(60);
  std::vector<float> seen;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    seen.push_back(showState.position);
    const uint32_t keys[] = {VK_SPACE_KEY, VK_RIGHT_KEY, VK_LEFT_KEY, VK_ESCAPE_KEY};
    offline.system.PressKey(keys[std::min<size_t>(seen.size() - 1, 3)]);
  };
  ASSERT_EQ(RunIn(*content, offline), 0);
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_NEAR(seen[i] - seen[i - 1], 0.02f, 0.0011f);
  EXPECT_FALSE(showState.paused);
}

}  // namespace
