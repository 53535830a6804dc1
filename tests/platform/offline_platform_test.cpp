#include "platform/offline_platform.h"

#include <gtest/gtest.h>

TEST(OfflineClock, SetTicksLandsOnAFrameOfTheVirtualClock) {
  OfflineSystem system;
  system.fps = 60;
  system.presentedFrames = 100;
  EXPECT_EQ(system.Ticks(), 1666u);

  // Frames fall at 0, 16, 33, 50, 66, ... milliseconds.
  system.SetTicks(34, ClockStep::AtOrAfter);
  EXPECT_EQ(system.Ticks(), 50u);
  system.SetTicks(34, ClockStep::AtOrBefore);
  EXPECT_EQ(system.Ticks(), 33u);
  system.SetTicks(33, ClockStep::AtOrAfter);
  EXPECT_EQ(system.Ticks(), 33u);
  system.SetTicks(0, ClockStep::AtOrBefore);
  EXPECT_EQ(system.Ticks(), 0u);

  // The clock goes on from there with every frame; the count of presented frames is untouched.
  system.SetTicks(100000, ClockStep::AtOrAfter);
  EXPECT_EQ(system.Ticks(), 100000u);
  EXPECT_EQ(system.presentedFrames, 100);
  ++system.presentedFrames;
  EXPECT_EQ(system.Ticks(), 100016u);

  system.fps = 7;  // frames 142.86 ms apart
  system.SetTicks(1000, ClockStep::AtOrAfter);
  EXPECT_EQ(system.Ticks(), 1000u);
  system.SetTicks(1001, ClockStep::AtOrAfter);
  EXPECT_EQ(system.Ticks(), 1142u);
  system.SetTicks(1141, ClockStep::AtOrBefore);
  EXPECT_EQ(system.Ticks(), 1000u);
}
