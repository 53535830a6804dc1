// Effects not drawn yet: each is replaced by its own module as it lands.
#include "effects/effects.h"

uint16_t SwirlTable[240][106];
uint32_t PlasmaBuffer[320 * 240];

void FadeBildePicture(float) {}
void CrossFadePixelPictures(float) {}
void FadeOutLastPicture(float) {}
void DrawCredits(float) {}
void BlitLadyOverlay(float) {}
void ShowPixel5Picture(float) {}
void BlitTorusOverlay(float) {}
void BlitFaceOverlay(float) {}
void BlitDiscoOverlay(float) {}
void BlitNameStrip(float) {}
void ShowPixel1Picture(float) {}
void BlitBackdrop(float) {}
void BlitSidePanel(float) {}
void DrawPerspectiveTunnel(float) {}
void DrawSwirlTunnel(float) {}
void DrawPlasmaBlend(float) {}
void DrawPlasmaShade(float) {}
void StampGlow(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void DrawGlowParticles(float) {}
void DrawGreetings(float) {}
