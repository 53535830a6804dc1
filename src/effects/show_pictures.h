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

// The names are the files' names; each comment says what the picture is in the show.
extern uint32_t Texture1[TEXTURE_PIXELS];  // first texture of the plasmas and the perspective tunnel
extern uint32_t Texture2[TEXTURE_PIXELS];  // second texture of the plasmas and the perspective tunnel
extern uint32_t Texture4[TEXTURE_PIXELS];  // the swirl tunnel's texture
extern uint32_t Cred1[CREDIT_PIXELS];      // credit cards: a role over a name, shown one after another
extern uint32_t Cred2[CREDIT_PIXELS];
extern uint32_t Cred3[CREDIT_PIXELS];
extern uint32_t Cred4[CREDIT_PIXELS];
extern uint32_t Cred5[CREDIT_PIXELS];
extern uint32_t Cred6[CREDIT_PIXELS];
extern uint32_t Cred7[CREDIT_PIXELS];
extern uint32_t Pixel1[SCREEN_PIXELS];  // full-screen still, shown alone between two 3D segments
extern uint32_t Pixel2[SCREEN_PIXELS];  // still that darkens under a 3D scene as Pixel3 comes up
extern uint32_t Pixel3[SCREEN_PIXELS];  // still that brightens over Pixel2
extern uint32_t Pixel4[SCREEN_PIXELS];  // backdrop of the greetings
extern uint32_t Pixel5[SCREEN_PIXELS];  // full-screen still behind a 3D scene
extern uint32_t Bilde[SCREEN_PIXELS];   // the title picture, faded in and out over the opening stars
extern uint32_t Lastpic[SCREEN_PIXELS]; // the closing picture, faded to black at the end

// Picture surfaces made from the BMP files; null when a file could not be loaded.
extern ImageSurface FaceSurface;     // a face that sways over the screen, keyed
extern ImageSurface GarrithSurface;  // name strips: one name each, keyed
extern ImageSurface TrandleSurface;
extern ImageSurface QuibelSurface;
extern ImageSurface VorskSurface;
extern ImageSurface DiscoSurface;    // a banner along the bottom of the screen, keyed
extern ImageSurface ANewSurface;     // "Images\A_new.bmp": a side panel down the left edge
extern ImageSurface ANew2Surface;    // "Images\A_new2.bmp": a full-screen backdrop behind a 3D scene
extern ImageSurface TorusSurface;    // a frame around the torus scene, keyed where the scene shows through
extern ImageSurface LadySurface;     // a figure standing at the right of the screen, keyed
extern ImageSurface Logo1Surface;    // a logo, loaded with the others but drawn by no segment
