#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "demo/timeline.h"
#include "display/display.h"
#include "display/display_errors.h"
#include "platform/display_results.h"
#include "platform/offline_platform.h"
#include "platform/sound.h"
#include "support/show_fixture.h"

TEST(Timeline, BoundariesBelongToTheLaterSegment) {
  const float bounds[] = {8, 16, 24, 32, 48, 56, 64, 72, 88, 90, 98, 106, 114, 122};
  EXPECT_EQ(SegmentNumber(FindSegment(0.0f)), 1);
  float start = 0;
  for (int i = 0; i < TIMELINE_SEGMENTS; ++i) {
    const float end = bounds[i];
    EXPECT_EQ(SegmentNumber(FindSegment(start)), i + 1) << "at " << start;
    EXPECT_EQ(SegmentNumber(FindSegment(std::nextafter(end, 0.0f))), i + 1) << "just before " << end;
    EXPECT_EQ(Timeline[i].offset, start * 12) << "segment " << i + 1;
    start = end;
  }
  EXPECT_EQ(SegmentNumber(FindSegment(121.99f)), 14);
  EXPECT_EQ(FindSegment(122.0f), nullptr);
  EXPECT_EQ(FindSegment(500.0f), nullptr);
}

TEST(Timeline, LastSegmentFadesTheMusic) {
  EXPECT_EQ(MusicVolumeAt(0.0f), 64u);
  EXPECT_EQ(MusicVolumeAt(1.49f), 64u);
  EXPECT_EQ(MusicVolumeAt(1.5f), 63u);
  EXPECT_EQ(MusicVolumeAt(48.0f), 32u);
  EXPECT_EQ(MusicVolumeAt(95.99f), 1u);  // never 0 before the show ends

  // Where a run from the start has left the volume, for a jump to a position.
  EXPECT_EQ(MusicVolumeAtPosition(0.0f), 64u);
  EXPECT_EQ(MusicVolumeAtPosition(113.99f), 64u);
  EXPECT_EQ(MusicVolumeAtPosition(114.0f), 64u);
  EXPECT_EQ(MusicVolumeAtPosition(118.0f), 32u);
  EXPECT_EQ(MusicVolumeAtPosition(122.0f), 1u);
  EXPECT_EQ(MusicVolumeAtPosition(500.0f), 1u);
}

class ShowRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { content = new std::string(MakeMusicOnlyContent("loop")); }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*content);
    delete content;
  }

  int Run(OfflinePlatform& offline) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(*content);
    const int code = RunShow(&offline.platform);
    std::filesystem::current_path(previous);
    return code;
  }

  static std::string* content;
};
std::string* ShowRun::content = nullptr;

TEST_F(ShowRun, RunsTheWholeTimelineAndReportsTheFrameRate) {
  OfflinePlatform offline(60);
  struct Seen {
    float position, sceneTime;
    int segment;
  };
  std::vector<Seen> seen;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (showState.running) seen.push_back({showState.position, showState.sceneTime, showState.segment});
  };
  ASSERT_EQ(Run(offline), 0);

  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(showState.frameCount, seen.size());
  // About 101.7 s of frames at 60 per second, each segment in order, none past 122.
  EXPECT_NEAR(static_cast<double>(seen.size()), 122 / 1.2 * 60, 3);
  int segment = 1;
  for (const Seen& frame : seen) {
    EXPECT_LT(frame.position, 122.0f);
    EXPECT_GE(frame.segment, segment);
    if (frame.segment != segment) {
      // Every segment's steps see SceneTime starting at 0.
      EXPECT_GE(frame.sceneTime, 0.0f);
      EXPECT_LT(frame.sceneTime, 0.25f) << "segment " << frame.segment;
      segment = frame.segment;
    }
    EXPECT_EQ(frame.sceneTime, frame.position * 12.0f - Timeline[frame.segment - 1].offset);
  }
  EXPECT_EQ(segment, 14);
  EXPECT_EQ(seen.front().sceneTime, seen.front().position * 12.0f);

  // Shutdown: the cursor comes back, the display is released and the rate is reported.
  EXPECT_TRUE(offline.system.cursorShown);
  EXPECT_EQ(offline.display.liveObjects, 0);
  ASSERT_FALSE(offline.system.messageBoxes.empty());
  const auto& box = offline.system.messageBoxes.back();
  EXPECT_EQ(box.caption, "Tavrine 3D");
  EXPECT_EQ(box.text, "Average framerate: 60 fps");
  EXPECT_FALSE(box.owned);
}

TEST_F(ShowRun, EscDuringLoadingEndsAfterExactlyOnePass) {
  OfflinePlatform offline(60);
  bool pressed = false;
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running && !pressed) {
      offline.system.PressKey(VK_ESCAPE_KEY);
      pressed = true;
    }
  };
  ASSERT_EQ(Run(offline), 0);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(showState.frameCount, 1u);
  ASSERT_FALSE(offline.system.messageBoxes.empty());
  EXPECT_EQ(offline.system.messageBoxes.back().text.rfind("Average framerate: ", 0), 0u);
}

TEST_F(ShowRun, OtherKeysDoNotStopTheShowButClosingTheWindowDoes) {
  OfflinePlatform offline(60);
  offline.onFrame = [&](const OfflinePresenter&) {
    if (!showState.running) return;
    if (showState.frameCount == 2) offline.system.PressKey('A');
    if (showState.frameCount == 5) offline.system.CloseWindow();
  };
  ASSERT_EQ(Run(offline), 0);
  EXPECT_EQ(showState.frameCount, 6u);
}

TEST_F(ShowRun, FailingToStopTheMusicShowsTheSoundLibraryError) {
  OfflinePlatform offline(60);
  offline.onFrame = [&](const OfflinePresenter&) {
    if (showState.running) offline.system.PressKey(VK_ESCAPE_KEY);
  };
  MidasRefuseForTesting(MidasOperation::StopModule, true);
  const int code = Run(offline);
  MidasRefuseForTesting(MidasOperation::StopModule, false);

  EXPECT_EQ(code, 1);
  ASSERT_EQ(offline.system.messageBoxes.size(), 1u);  // no frame-rate box
  EXPECT_EQ(offline.system.messageBoxes[0].caption, "Midas");
  EXPECT_TRUE(offline.system.messageBoxes[0].owned);
  EXPECT_FALSE(offline.system.messageBoxes[0].text.empty());
  EXPECT_GT(offline.display.liveObjects, 0);  // the display is not released on this path
}

TEST_F(ShowRun, MissingMusicEndsWithTheSoundLibraryError) {
  OfflinePlatform offline(60);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  const int code = RunShow(&offline.platform);
  std::filesystem::current_path(previous);
  EXPECT_EQ(code, 1);
  ASSERT_EQ(offline.system.messageBoxes.size(), 1u);
  EXPECT_EQ(offline.system.messageBoxes[0].caption, "Midas");
  EXPECT_NE(offline.system.messageBoxes[0].text.find("DISCO.XM"), std::string::npos);
}

TEST_F(ShowRun, DisplayFailureShowsTheErrorSentence) {
  OfflinePlatform offline(60);
  offline.display.refusals[DisplayStep::CreatePrimarySurface] = DDERR_OUTOFVIDEOMEMORY;
  EXPECT_EQ(Run(offline), 1);
  ASSERT_EQ(offline.system.messageBoxes.size(), 1u);
  EXPECT_EQ(offline.system.messageBoxes[0].caption, "Tavrine 3D");
  EXPECT_EQ(offline.system.messageBoxes[0].text, DisplayErrorText(DDERR_OUTOFVIDEOMEMORY));
  EXPECT_FALSE(offline.system.messageBoxes[0].owned);
  EXPECT_EQ(offline.display.liveObjects, 0);  // what was made is released
  EXPECT_EQ(offline.display.flips, 0);
}
