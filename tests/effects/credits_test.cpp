#include <gtest/gtest.h>

#include <algorithm>

#include "effects/effects.h"
#include "effects/show_pictures.h"

namespace {

class Credits : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildLookupTables([](unsigned) {}); }
};

TEST_F(Credits, WindowsAndAmountsFollowTime) {
  struct Case {
    float t;
    const uint32_t* picture;
    int amount;
  };
  const Case cases[] = {
      {0.0f, Cred1, 0},      {4.0f, Cred1, 127},   {7.99f, Cred1, 254}, {8.0f, nullptr, 0},
      {20.0f, nullptr, 0},   {24.0f, nullptr, 0},  {24.5f, Cred2, 15},  {31.99f, Cred2, 254},
      {32.0f, nullptr, 0},   {48.0f, nullptr, 0},  {50.0f, Cred3, 63},  {60.0f, nullptr, 0},
      {64.0f, Cred4, 127},   {72.0f, nullptr, 0},  {76.0f, Cred5, 127}, {84.0f, nullptr, 0},
      {86.0f, Cred6, 63},    {87.99f, Cred6, 127}, {88.0f, nullptr, 0}, {90.0f, Cred7, 63},
      {93.99f, Cred7, 190},  {94.0f, nullptr, 0},  {95.0f, nullptr, 0},
  };
  for (const Case& c : cases) {
    uint8_t k = 0;
    EXPECT_EQ(CreditWindow(c.t, &k), c.picture) << "t = " << c.t;
    if (c.picture != nullptr) {
      EXPECT_EQ(k, c.amount) << "t = " << c.t;
    }
  }
}

TEST_F(Credits, DrawsOnlyItsBox) {
  for (int i = 0; i < CREDIT_PIXELS; ++i) Cred1[i] = 0xFF000000u | ((i * 40503u) & 0xFFFFFFu);
  std::fill(std::begin(Cred2), std::end(Cred2), 0x00204060u);
  std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x00ABCDEFu);

  DrawCredits(0.0f);  // Cred1 unchanged, top byte cleared
  for (int r = 0; r < CREDIT_HEIGHT; ++r)
    for (int c = 0; c < CREDIT_WIDTH; ++c)
      ASSERT_EQ(FrameBuffer[(66 + r) * 320 + 115 + c], Cred1[r * 90 + c] & 0xFFFFFFu);
  const int changed = static_cast<int>(std::count_if(std::begin(FrameBuffer), std::end(FrameBuffer),
                                                     [](uint32_t p) { return p != 0x00ABCDEFu; }));
  EXPECT_LE(changed, CREDIT_PIXELS);
  EXPECT_EQ(FrameBuffer[66 * 320 + 114], 0x00ABCDEFu);
  EXPECT_EQ(FrameBuffer[66 * 320 + 205], 0x00ABCDEFu);
  EXPECT_EQ(FrameBuffer[65 * 320 + 115], 0x00ABCDEFu);
  EXPECT_EQ(FrameBuffer[174 * 320 + 204], 0x00ABCDEFu);

  DrawCredits(24.5f);  // Cred2 darkened by 15
  EXPECT_EQ(FrameBuffer[66 * 320 + 115], 0x00113151u);
  EXPECT_EQ(FrameBuffer[173 * 320 + 204], 0x00113151u);

  DrawCredits(20.0f);  // between windows the box is black, the rest untouched
  const int black = static_cast<int>(
      std::count(std::begin(FrameBuffer), std::end(FrameBuffer), 0u));
  EXPECT_EQ(black, CREDIT_PIXELS);
  EXPECT_EQ(FrameBuffer[0], 0x00ABCDEFu);
}

}  // namespace
