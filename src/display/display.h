// display.h - the screen: the display context, its set-up, presentation and release.
//
//   InitDisplay(instance, show, &displayContext, DISPLAY_WINDOW);                    // window only
//   InitDisplay(instance, show, &displayContext, DISPLAY_DIRECTDRAW | DISPLAY_DIRECT3D);
//   ... draw on displayContext.backBuffer / displayContext.device ...
//   PresentFrame(&displayContext);   // end scene, flip, clear to black, begin next scene
//   ReleaseDisplay(&displayContext);
//
// Set-up stops at the first failing step and returns its result code unchanged; the only
// recoveries are the 24-bit mode after the 32-bit one, a system-memory z-buffer after
// DDERR_NOZBUFFERHW, and the RGB then ramp device after the hardware device.
#pragma once
#include <cstdint>

#include "platform/display_driver.h"
#include "platform/surface.h"
#include "platform/system.h"
#include "raster/device3d.h"

constexpr uint32_t DISPLAY_DIRECTDRAW = 1;
constexpr uint32_t DISPLAY_DIRECT3D = 2;
constexpr uint32_t DISPLAY_WINDOW = 8;

struct DisplayRect {
  int32_t x1, y1, x2, y2;
};

struct DisplayContext {
  PlatformWindow* window;
  Platform* instance;
  int32_t quitRequested;
  DisplayObject* directDraw;
  DisplayObject* direct3D;
  Surface* primarySurface;
  Surface* backBuffer;
  DepthBuffer* zBuffer;
  Device3D* device;
  Viewport* viewport;
  Material* backgroundMaterial;
  DisplayRect clearRect;
  uint32_t backBufferBits;
};

// The one display context of the show.
extern DisplayContext displayContext;

int32_t InitDisplay(Platform* instance, int showCommand, DisplayContext* context, uint32_t flags);
void PresentFrame(DisplayContext* context);
void ReleaseDisplay(DisplayContext* context);

// Makes the main window titled "Tavrine 3D" and attaches the context to it.
void CreateMainWindow(Platform* instance, int showCommand, DisplayContext* context);
