// greetings.cpp - a shaking echo of Pixel4 on the left and one line of text per six units of
// time, rising to its base line as it fades to black; the closing line fades in light blue.
#include <cmath>
#include <cstring>

#include "display/display.h"
#include "display/text.h"
#include "effects/effects.h"
#include "effects/show_pictures.h"

const char* const GreetedNames[10] = {
    "Velmora Crew", "Quartzline",   "Obsidian Lark", "Kelpforge",      "Cobalt Hymn",
    "Fernwave",     "Spiral Kiln",  "Tessarine",     "Moth Meridian",  "Brightmoor Tape",
};
const char* const GreetingClosingLine = "Keep on dancing!";

namespace {

constexpr int CUE_COUNT = 16;
constexpr int ECHO_COLUMNS = 115;
constexpr int ECHO_LEFT = 8;

const char* CueText(int cue) {
  static const char* const fixed[] = {"Greets", "Flies", "Out", "To"};
  if (cue < 4) return fixed[cue];
  if (cue < 14) return GreetedNames[cue - 4];
  if (cue == 14) return "..and other hackers";
  return GreetingClosingLine;
}

int CueNumber(float t) { return static_cast<int32_t>(t) / 6; }

// 1 at the start of a cue, falling toward 0 at its end.
float CueFade(float t) {
  const int32_t start = 6 * CueNumber(t);
  return static_cast<float>(1.0 - static_cast<double>(t - static_cast<float>(start)) *
                                      static_cast<double>(0.16666667f));
}

}  // namespace

int32_t GreetingEchoOffset(float t) {
  const float e = CueFade(t);
  return static_cast<int32_t>(std::sin(static_cast<double>(t) * 2.3) * static_cast<double>(e) * 2.5);
}

GreetingLine GreetingCue(float t) {
  const int cue = CueNumber(t);
  const double e = CueFade(t);
  const uint32_t v = static_cast<uint8_t>(static_cast<int32_t>(e * 255.0));
  const int32_t rise = static_cast<int32_t>(8.0 * e);
  GreetingLine line{nullptr, 0, 0, 0xFF000000u + v * 0x010101u};
  if (t < 0.0f || cue >= CUE_COUNT) return line;
  line.text = CueText(cue);
  line.x = cue % 2 == 0 ? 180 : 170;
  line.y = 110 + 2 * cue + rise;
  if (cue == CUE_COUNT - 1) {
    // Red in the low byte: a light blue that fades with the line.
    const uint32_t green = static_cast<uint8_t>(static_cast<int32_t>(e * 0.5 * 255.0));
    const uint32_t red =
        static_cast<uint8_t>(static_cast<int32_t>(e * static_cast<double>(0.33333334f) * 255.0));
    line.color = 0xFF000000u + (v << 16) + (green << 8) + red;
  }
  return line;
}

void DrawGreetings(float t) {
  std::memset(FrameBuffer, 0, sizeof(FrameBuffer));
  const int32_t f = GreetingEchoOffset(t);
  const int32_t offsets[4] = {f, 3 * f, -f, -3 * f};
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    const uint32_t* source = Pixel4 + y * SCREEN_WIDTH;
    uint32_t* row = FrameBuffer + y * SCREEN_WIDTH + ECHO_LEFT;
    for (int j = 0; j < ECHO_COLUMNS; ++j) {
      const uint32_t p = source[j];
      if (p == 0) continue;
      // Four quarters per pixel at most: no channel passes 252, nothing carries.
      const uint32_t quarter = (p >> 2) & 0x3F3F3Fu;
      for (int32_t offset : offsets) row[j + offset] += quarter;
    }
  }
  UploadFrameBuffer(&displayContext, FrameBuffer);

  TextContext dc;
  if (!GetTextContext(&displayContext, &dc)) return;
  const GreetingLine line = GreetingCue(t);
  SetTextBackgroundTransparent(&dc);
  SetTextColor(&dc, line.color);
  TextFont* font = CreateTextFont(&dc, 8);
  SelectTextFont(&dc, font);
  if (line.text != nullptr) {
    DrawText(&dc, line.x, line.y, line.text, static_cast<int>(std::strlen(line.text)));
  }
  DeleteTextFont(font);
  ReleaseTextContext(&dc);
}
