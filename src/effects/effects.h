// effects.h - the software and picture effects of the timeline. Each is a function of its
// segment's SceneTime t (0 at the segment's start, 12 per timeline unit) over the FrameBuffer,
// the tables and its pictures; none keeps state of its own.
#pragma once
#include <cstdint>

// Picture fades.
void FadeBildePicture(float t);        // uploads its own frame, then clears the FrameBuffer
void CrossFadePixelPictures(float t);
void FadeOutLastPicture(float t);

// Credits.
void DrawCredits(float t);

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

// Tunnels.
extern uint16_t SwirlTable[240][106];
void DrawPerspectiveTunnel(float t);
void DrawSwirlTunnel(float t);

// Plasma.
extern uint32_t PlasmaBuffer[320 * 240];
void DrawPlasmaBlend(float t);
void DrawPlasmaShade(float t);

// Glow particles.
void StampGlow(int32_t cx, int32_t cy, int32_t weightR, int32_t weightG, int32_t weightB);
void DrawGlowParticles(float t);

// Greetings.
void DrawGreetings(float t);
