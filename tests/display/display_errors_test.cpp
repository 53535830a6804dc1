#include "display/display_errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/display_results.h"

namespace {

const std::string kUnknown = "The request reported an unknown error.";

constexpr int32_t Dd(uint32_t n) { return static_cast<int32_t>(0x88760000u + n); }
constexpr int32_t Com(uint32_t value) { return static_cast<int32_t>(value); }

// Every code of the table: the six general ones, then the DirectDraw ones by their number.
std::vector<int32_t> AllCodes() {
  std::vector<int32_t> codes = {0, Com(0x80004001u), Com(0x80004005u), Com(0x800401F0u), Com(0x8007000Eu),
                                Com(0x80070057u)};
  for (uint32_t n : {5,   10,  20,  40,  55,  90,  95,  100, 110, 120, 130, 145, 150, 160, 170, 180, 205,
                     210, 212, 215, 220, 222, 225, 230, 240, 250, 255, 260, 280, 290, 310, 316, 317, 320,
                     330, 335, 340, 350, 360, 380, 382, 384, 387, 400, 410, 420, 430, 435, 440, 450, 460,
                     470, 480, 490, 510, 520, 537, 540, 560, 561, 562, 563, 564, 565, 566, 567, 568, 569,
                     570, 571, 572, 573, 574, 575, 576, 577, 578, 579, 580, 581, 582, 583, 584, 585, 586,
                     587, 588, 589, 590, 591, 592, 600, 601, 602, 620, 630, 640, 660, 680, 690, 695, 699})
    codes.push_back(Dd(n));
  return codes;
}

TEST(DisplayErrorText, QuotedRowsAndEdgeCases) {
  const std::map<int32_t, std::string> quoted = {
      {DD_OK, "The request completed successfully."},
      {DDERR_UNSUPPORTED, "The operation is not supported."},
      {DDERR_GENERIC, "There is an undefined error condition."},
      {Com(0x800401F0u),
       "An attempt was made to call an interface method of a DirectDraw object created by CoCreateInstance before "
       "the object was initialized."},
      {DDERR_OUTOFMEMORY, "DirectDraw does not have enough memory to perform the operation."},
      {DDERR_INVALIDPARAMS, "One or more of the parameters passed to the method are incorrect."},
      {Dd(10), "A surface cannot be attached to another requested surface."},
      {Dd(100), "One or more of the capability bits passed to the callback function are incorrect."},
      {DDERR_INVALIDMODE, "DirectDraw does not support the requested mode."},
      {DDERR_NO3D, "No 3-D hardware or emulation is present."},
      {Dd(212), "A create function is called without the IDirectDraw2::SetCooperativeLevel method being called."},
      {Dd(225),
       "The operation requires the application to have exclusive mode, but the application does not have exclusive "
       "mode."},
      {Dd(230), "Flipping visible surfaces is not supported."},
      {Dd(255), "The requested item was not found."},
      {DDERR_NOZBUFFERHW,
       "The operation to create a z-buffer in display memory or to perform a blit using a z-buffer cannot be "
       "carried out because there is no hardware support for z-buffers."},
      {DDERR_OUTOFVIDEOMEMORY, "DirectDraw does not have enough display memory to perform the operation."},
      {DDERR_SURFACELOST,
       "Access to the surface is refused because the surface memory is gone. The DirectDrawSurface object "
       "representing this surface should have the IDirectDrawSurface3::Restore method called on it."},
      {Dd(562), "A DirectDraw object representing this driver has already been created for this process."},
      {DDERR_NODIRECTDRAWHW,
       "Hardware-only DirectDraw object creation is not possible; the driver does not support any hardware."},
      {Dd(564), "This process has already created a primary surface."},
      {Dd(571),
       "The DirectDraw cooperative level window handle has already been set. It cannot be reset while the process "
       "has surfaces or palettes created."},
      {Dd(581), "An attempt was made to set the cooperative level when it was already set to exclusive."},
      {Dd(590), "The display is currently in an unsupported mode."},
  };
  for (const auto& [code, text] : quoted) EXPECT_EQ(DisplayErrorText(code), text) << std::hex << code;

  EXPECT_EQ(DisplayErrorText(Com(0x88760154u)), quoted.at(DDERR_NOZBUFFERHW));
  EXPECT_EQ(DisplayErrorText(Com(0x88760155u)), kUnknown);  // one above the z-buffer code
  EXPECT_STREQ(DisplayErrorText(Com(0x80004005u)), "There is an undefined error condition.");
  // Direct3D's own failures, other success codes and near misses of the masks are not rows.
  for (int32_t code : {Dd(700), Dd(701), Dd(1000), Com(0x887601F4u + 0x10000u), 1, 0x7FFFFFFF, -1,
                       static_cast<int32_t>(0x80000000u), Com(0x08760154u), Com(0x88770154u), Com(0x00000154u),
                       Com(0x80004002u), Com(0x800401F1u)})
    EXPECT_EQ(DisplayErrorText(code), kUnknown) << std::hex << code;
}

TEST(DisplayErrorText, EveryRowIsItsOwnSentenceWithoutCodeNumbers) {
  const std::vector<int32_t> codes = AllCodes();
  ASSERT_EQ(codes.size(), 108u);
  EXPECT_EQ(std::set<int32_t>(codes.begin(), codes.end()).size(), 108u);

  std::set<std::string> texts;
  for (int32_t code : codes) {
    const char* text = DisplayErrorText(code);
    ASSERT_NE(text, nullptr);
    const std::string s = text;
    EXPECT_NE(s, kUnknown) << std::hex << code;
    ASSERT_GE(s.size(), 10u) << std::hex << code;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(s.front()))) << s;
    EXPECT_EQ(s.back(), '.') << s;
    size_t breaks = 0;
    for (size_t at = s.find(". "); at != std::string::npos; at = s.find(". ", at + 1)) ++breaks;
    EXPECT_LE(breaks, 1u) << "one or two sentences: " << s;
    // A run of two or more digits or a hexadecimal prefix would be a code number.
    for (size_t i = 0; i + 1 < s.size(); ++i) {
      EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(s[i])) && std::isdigit(static_cast<unsigned char>(s[i + 1])))
          << s;
    }
    EXPECT_EQ(s.find("0x"), std::string::npos) << s;
    texts.insert(s);
  }
  EXPECT_EQ(texts.size(), 108u);  // no two codes share a sentence

  // Exact match only: of every DirectDraw number, just the table's 102 have rows.
  std::set<int32_t> known(codes.begin(), codes.end());
  int rows = 0;
  for (uint32_t n = 0; n < 0x10000; ++n) {
    const bool isRow = known.count(Dd(n)) != 0;
    rows += isRow;
    if (!isRow) {
      ASSERT_EQ(DisplayErrorText(Dd(n)), kUnknown) << n;
    }
  }
  EXPECT_EQ(rows, 102);
}

}  // namespace
