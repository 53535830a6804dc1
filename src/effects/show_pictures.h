// show_pictures.h - the show's pictures and the frame the software effects draw into, in
// static storage from loading to the end of the run.
//
// Pictures are 0x00RRGGBB pixels, rows without padding. The 320 x 240 ones have the frame's
// layout and can be uploaded directly; the 256 x 256 textures are addressed by a 16-bit index
// (high byte row, low byte column).
#pragma once
#include <cstdint>

#include "display/pictures.h"
#include "effects/tables.h"

constexpr int TEXTURE_PIXELS = 256 * 256;
constexpr int CREDIT_WIDTH = 90;
constexpr int CREDIT_HEIGHT = 108;
constexpr int CREDIT_PIXELS = CREDIT_WIDTH * CREDIT_HEIGHT;

extern uint32_t FrameBuffer[SCREEN_PIXELS];

extern uint32_t Texture1[TEXTURE_PIXELS];
extern uint32_t Texture2[TEXTURE_PIXELS];
extern uint32_t Texture4[TEXTURE_PIXELS];
extern uint32_t Cred1[CREDIT_PIXELS];
extern uint32_t Cred2[CREDIT_PIXELS];
extern uint32_t Cred3[CREDIT_PIXELS];
extern uint32_t Cred4[CREDIT_PIXELS];
extern uint32_t Cred5[CREDIT_PIXELS];
extern uint32_t Cred6[CREDIT_PIXELS];
extern uint32_t Cred7[CREDIT_PIXELS];
extern uint32_t Pixel1[SCREEN_PIXELS];
extern uint32_t Pixel2[SCREEN_PIXELS];
extern uint32_t Pixel3[SCREEN_PIXELS];
extern uint32_t Pixel4[SCREEN_PIXELS];
extern uint32_t Pixel5[SCREEN_PIXELS];
extern uint32_t Bilde[SCREEN_PIXELS];
extern uint32_t Lastpic[SCREEN_PIXELS];

// Picture surfaces made from the BMP files; null when a file could not be loaded.
extern ImageSurface FaceSurface;
extern ImageSurface GarrithSurface;
extern ImageSurface TrandleSurface;
extern ImageSurface QuibelSurface;
extern ImageSurface VorskSurface;
extern ImageSurface DiscoSurface;
extern ImageSurface ANewSurface;    // "Images\A_new.bmp"
extern ImageSurface ANew2Surface;   // "Images\A_new2.bmp"
extern ImageSurface TorusSurface;
extern ImageSurface LadySurface;
extern ImageSurface Logo1Surface;
