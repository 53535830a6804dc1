#include "platform/rng.h"

#include <gtest/gtest.h>

TEST(RuntimeRandom, FollowsTheRuntimeSequence) {
  RuntimeSrand(1);
  EXPECT_EQ(RuntimeRand(), 41);
  EXPECT_EQ(RuntimeRand(), 18467);
  EXPECT_EQ(RuntimeRand(), 6334);

  RuntimeSrand(0);
  const int expected[] = {38, 7719, 21238, 2437, 8855, 11797};
  for (int value : expected) EXPECT_EQ(RuntimeRand(), value);

  // Reseeding restarts the same sequence.
  RuntimeSrand(0);
  EXPECT_EQ(RuntimeRand(), 38);
}
