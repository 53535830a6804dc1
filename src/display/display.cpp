#include "display/display.h"

#include <cstring>

#include "base/screen.h"
#include "platform/display_results.h"
#include "raster/software_device.h"

DisplayContext displayContext;

void CreateMainWindow(Platform* instance, int, DisplayContext* context) {
  context->instance = instance;
  context->window = instance->system->CreateMainWindow(instance, "Tavrine 3D");
  if (context->window) context->window->userData = context;
}

static DisplayDriver* DriverOf(DisplayContext* context) {
  return context->instance ? context->instance->display : nullptr;
}

int32_t InitDisplay(Platform* instance, int showCommand, DisplayContext* context, uint32_t flags) {
  if (flags & DISPLAY_WINDOW) {
    std::memset(context, 0, sizeof *context);
    CreateMainWindow(instance, showCommand, context);
  }
  if (!(flags & DISPLAY_DIRECTDRAW)) return DD_OK;
  DisplayDriver* driver = instance->display;
  if (!context->instance) context->instance = instance;
  const bool with3D = (flags & DISPLAY_DIRECT3D) != 0;
  int32_t r;

  if ((r = driver->CreateDirectDraw(&context->directDraw))) return r;
  const uint32_t level = COOPERATIVE_FULLSCREEN | COOPERATIVE_ALLOWREBOOT | COOPERATIVE_EXCLUSIVE;
  if ((r = driver->SetCooperativeLevel(context->directDraw, context->window, level))) return r;
  if (driver->SetDisplayMode(context->directDraw, SCREEN_WIDTH, SCREEN_HEIGHT, 32) != DD_OK)
    if ((r = driver->SetDisplayMode(context->directDraw, SCREEN_WIDTH, SCREEN_HEIGHT, 24))) return r;
  if (with3D && (r = driver->QueryDirect3D(context->directDraw, &context->direct3D))) return r;
  if ((r = driver->CreatePrimarySurface(context->directDraw, with3D, 1, &context->primarySurface))) return r;
  if ((r = driver->GetBackBuffer(context->primarySurface, &context->backBuffer))) return r;
  // The pixel format's failure is not an error: the depth then stays 0.
  uint32_t bits = 0;
  driver->GetPixelFormatBits(context->primarySurface, &bits);
  context->backBufferBits = bits;
  if (!with3D) return DD_OK;

  r = driver->CreateZBuffer(context->directDraw, SCREEN_WIDTH, SCREEN_HEIGHT, 16, true, &context->zBuffer);
  if (r == DDERR_NOZBUFFERHW) r = driver->CreateZBuffer(context->directDraw, SCREEN_WIDTH, SCREEN_HEIGHT, 16, false, &context->zBuffer);
  if (r) return r;
  if ((r = driver->AttachZBuffer(context->backBuffer, context->zBuffer))) return r;

  // Whatever kind the driver grants, the device is the software rasterizer.
  const auto device = [&](DeviceKind kind) {
    return driver->CreateDevice(context->direct3D, kind, context->backBuffer, MakeSoftwareDevice, &context->device);
  };
  if (device(DeviceKind::Hardware) != DD_OK && device(DeviceKind::Rgb) != DD_OK)
    if ((r = device(DeviceKind::Ramp))) return r;

  if ((r = driver->CreateViewport(context->direct3D, &context->viewport))) return r;
  if ((r = driver->AddViewport(context->device, context->viewport))) return r;
  const ViewportDesc viewport = {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, -1.0f, 0.75f, 2.0f, 1.5f, 0.0f, 1.0f};
  if ((r = driver->SetViewport(context->viewport, viewport))) return r;
  if ((r = driver->SetCurrentViewport(context->device, context->viewport))) return r;
  if ((r = driver->CreateMaterial(context->direct3D, &context->backgroundMaterial))) return r;
  if ((r = driver->SetMaterial(context->backgroundMaterial, 0.0f, 0.0f, 0.0f))) return r;
  uint32_t handle = 0;
  if ((r = driver->GetMaterialHandle(context->backgroundMaterial, context->device, &handle))) return r;
  if ((r = driver->SetBackground(context->viewport, handle))) return r;

  static const struct { RenderState state; uint32_t value; } kRenderStates[12] = {
      {RenderState::DitherEnable, RENDER_TRUE},       {RenderState::TextureMin, FILTER_LINEAR},
      {RenderState::ZEnable, RENDER_TRUE},            {RenderState::ZWriteEnable, RENDER_TRUE},
      {RenderState::ZFunc, COMPARE_LESSEQUAL},        {RenderState::AlphaBlendEnable, RENDER_TRUE},
      {RenderState::SrcBlend, BLEND_BOTHSRCALPHA},    {RenderState::CullMode, CULL_CCW},
      {RenderState::TexturePerspective, RENDER_TRUE}, {RenderState::WrapU, RENDER_TRUE},
      {RenderState::WrapV, RENDER_TRUE},              {RenderState::ShadeMode, SHADE_GOURAUD},
  };
  for (const auto& s : kRenderStates)
    if ((r = driver->SetRenderState(context->device, s.state, s.value))) return r;
  return DD_OK;
}

void PresentFrame(DisplayContext* context) {
  DisplayDriver* driver = DriverOf(context);
  if (!driver) return;
  if (context->device) context->device->EndScene();
  if (context->primarySurface) driver->Flip(context->primarySurface, context->backBuffer);
  if (context->viewport) {
    const DisplayRect& c = context->clearRect;
    driver->ClearViewport(context->viewport, PixelRect{c.x1, c.y1, c.x2, c.y2}, true, true);
  } else if (context->backBuffer) {
    FillSurface(*context->backBuffer, nullptr, 0);
  }
  if (context->device) context->device->BeginScene();
}

void ReleaseDisplay(DisplayContext* context) {
  DisplayDriver* driver = DriverOf(context);
  if (!driver) return;
  driver->Release(context->backgroundMaterial);
  driver->Release(context->viewport);
  driver->Release(context->device);
  driver->Release(context->zBuffer);
  driver->Release(context->backBuffer);
  driver->Release(context->primarySurface);
  driver->Release(context->direct3D);
  driver->Release(context->directDraw);
  // The objects are gone: forget them, so that nothing can reach freed memory.
  context->backgroundMaterial = nullptr;
  context->viewport = nullptr;
  context->device = nullptr;
  context->zBuffer = nullptr;
  context->backBuffer = nullptr;
  context->primarySurface = nullptr;
  context->direct3D = nullptr;
  context->directDraw = nullptr;
}
