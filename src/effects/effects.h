// effects.h - the software and picture effects of the timeline. Each is a function of its
// segment's SceneTime t (0 at the segment's start, 12 per timeline unit) over the FrameBuffer,
// the tables and its pictures; none keeps state of its own.
//
// The small helpers beside each effect compute what one frame of it shows (levels,
// rectangles, which picture or line) from t alone; the effects draw through them.
#pragma once
#include <cstdint>

#include "base/screen.h"
#include "display/pictures.h"

// Rows of pixels darkened by one amount k, exactly as DarkenPixel(p, k) pixel by pixel
// (every channel max(c - k, 0), top byte 0), in vectors as wide as the processor allows.
void DarkenPixels(uint32_t* destination, const uint32_t* source, int count, uint32_t k);
// The same, added into the destination with plain 32-bit additions.
void AddDarkenedPixels(uint32_t* destination, const uint32_t* source, int count, uint32_t k);

// Picture fades.
void FadeBildePicture(float t);        // uploads its own frame, then clears the FrameBuffer
void CrossFadePixelPictures(float t);
void FadeOutLastPicture(float t);

// Brightness of Bilde (0 = nothing drawn or uploaded this frame).
uint8_t FadeBildeLevel(float t);
// Brightness b of Pixel3; Pixel2 is darkened by b.
uint8_t CrossFadeLevel(float t);
// False when Lastpic is shown unchanged; otherwise *amount is what every channel loses.
bool FadeOutLastAmount(float t, uint8_t* amount);

// Credits.
void DrawCredits(float t);

// The credit picture shown at t and its darkening amount; null when the box is black.
const uint32_t* CreditWindow(float t, uint8_t* amount);

// Picture overlays.
void BlitLadyOverlay(float t);
void ShowPixel5Picture(float t);
void BlitTorusOverlay(float t);
void BlitFaceOverlay(float t);
void BlitDiscoOverlay(float t);
void BlitNameStrip(float t);
void ShowPixel1Picture(float t);
void BlitBackdrop(float t);
void BlitSidePanel(float t);

// The sway of the face and the name strip: -10..10, period 6.
int32_t OverlayWobble(float t);
PixelRect FaceOverlayRect(float t);
PixelRect NameStripRect(float t);
// Which name strip: 0 Trandle, 1 Garrith, 2 Quibel, 3 Vorsk; -1 for none.
int NameStripChoice(float t);

// Tunnels.
extern uint16_t SwirlTable[SCREEN_HEIGHT][106];
void DrawPerspectiveTunnel(float t);
void DrawSwirlTunnel(float t);

// Texture index offset of the perspective tunnel (Texture1 forward, Texture2 back).
uint16_t PerspectiveTunnelOffset(float t);

// Plasma.
extern uint32_t PlasmaBuffer[SCREEN_PIXELS];
void DrawPlasmaBlend(float t);
void DrawPlasmaShade(float t);

// Glow particles.
constexpr int GLOW_PARTICLE_COUNT = 40;
struct GlowCentre {
  int32_t x, y;
};
// Stamps clip to the FrameBuffer, so any centre is safe.
void StampGlow(int32_t cx, int32_t cy, int32_t weightR, int32_t weightG, int32_t weightB);
void DrawGlowParticles(float t);
// Reseeds the runtime generator and places the particles; returns how many were placed.
int PlaceGlowParticles(float t, GlowCentre centres[GLOW_PARTICLE_COUNT]);

// Greetings.
void DrawGreetings(float t);

struct GreetingLine {
  const char* text;  // null when no line is drawn (t >= 96)
  int32_t x, y;      // where the text is drawn, rise included
  uint32_t color;    // 0xFFBBGGRR, red in the low byte
};
GreetingLine GreetingCue(float t);
// Horizontal shake of the echo: -2..2.
int32_t GreetingEchoOffset(float t);
// The ten greeted names and the closing line, in the order they are shown.
extern const char* const GreetedNames[10];
extern const char* const GreetingClosingLine;
