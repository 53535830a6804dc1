#include "platform/display_driver.h"

#include <algorithm>
#include <cstring>

#include "platform/display_results.h"

namespace {
// What DirectDraw and Direct3D were: here only markers of a set-up step done.
class DirectDrawObject : public DisplayObject {
 public:
  const char* ObjectKind() const override { return "DirectDraw"; }
};
class Direct3DObject : public DisplayObject {
 public:
  const char* ObjectKind() const override { return "Direct3D"; }
};
}  // namespace

MemoryDisplayDriver::MemoryDisplayDriver(Presenter* p) : presenter(p) {}
MemoryDisplayDriver::~MemoryDisplayDriver() = default;

int32_t MemoryDisplayDriver::Try(DisplayStep step, const char* name) {
  calls.emplace_back(name);
  auto refused = refusals.find(step);
  return refused == refusals.end() ? DD_OK : refused->second;
}

int32_t MemoryDisplayDriver::CreateDirectDraw(DisplayObject** directDraw) {
  if (int32_t r = Try(DisplayStep::CreateDirectDraw, "CreateDirectDraw")) return r;
  *directDraw = Made(new DirectDrawObject);
  return DD_OK;
}

int32_t MemoryDisplayDriver::SetCooperativeLevel(DisplayObject*, PlatformWindow*, uint32_t) {
  return Try(DisplayStep::SetCooperativeLevel, "SetCooperativeLevel");
}

int32_t MemoryDisplayDriver::SetDisplayMode(DisplayObject*, int width, int height, int bits) {
  int32_t r = bits == 32   ? Try(DisplayStep::SetDisplayMode32, "SetDisplayMode32")
              : bits == 24 ? Try(DisplayStep::SetDisplayMode24, "SetDisplayMode24")
                           : DDERR_INVALIDMODE;
  if (r == DD_OK) {
    modeBits = bits;
    modeWidth = width;
    modeHeight = height;
  }
  return r;
}

int32_t MemoryDisplayDriver::QueryDirect3D(DisplayObject*, DisplayObject** direct3D) {
  if (int32_t r = Try(DisplayStep::QueryDirect3D, "QueryDirect3D")) return r;
  *direct3D = Made(new Direct3DObject);
  return DD_OK;
}

int32_t MemoryDisplayDriver::CreatePrimarySurface(DisplayObject*, bool, int, Surface** primary) {
  if (int32_t r = Try(DisplayStep::CreatePrimarySurface, "CreatePrimarySurface")) return r;
  if (modeBits == 0) return DDERR_INVALIDMODE;
  primary_ = Made(new Surface(modeWidth, modeHeight, modeBits, backBufferPitch));
  *primary = primary_;
  return DD_OK;
}

int32_t MemoryDisplayDriver::GetBackBuffer(Surface* primary, Surface** backBuffer) {
  if (int32_t r = Try(DisplayStep::GetBackBuffer, "GetBackBuffer")) return r;
  back_ = Made(new Surface(primary->width, primary->height, primary->bitsPerPixel, primary->pitch));
  *backBuffer = back_;
  return DD_OK;
}

int32_t MemoryDisplayDriver::GetPixelFormatBits(Surface* primary, uint32_t* bits) {
  if (int32_t r = Try(DisplayStep::GetPixelFormat, "GetPixelFormat")) return r;
  *bits = static_cast<uint32_t>(primary->bitsPerPixel);
  return DD_OK;
}

int32_t MemoryDisplayDriver::CreateZBuffer(DisplayObject*, int width, int height, int, bool videoMemory, DepthBuffer** zBuffer) {
  int32_t r = videoMemory ? Try(DisplayStep::CreateZBufferVideo, "CreateZBufferVideo")
                          : Try(DisplayStep::CreateZBufferSystem, "CreateZBufferSystem");
  if (r) return r;
  *zBuffer = Made(new DepthBuffer(width, height));
  return DD_OK;
}

int32_t MemoryDisplayDriver::AttachZBuffer(Surface*, DepthBuffer* zBuffer) {
  if (int32_t r = Try(DisplayStep::AttachZBuffer, "AttachZBuffer")) return r;
  attachedDepth_ = zBuffer;
  return DD_OK;
}

int32_t MemoryDisplayDriver::CreateDevice(DisplayObject*, DeviceKind kind, Surface* backBuffer, DeviceMaker make,
                                          Device3D** device) {
  int32_t r = kind == DeviceKind::Hardware ? Try(DisplayStep::CreateHardwareDevice, "CreateHardwareDevice")
              : kind == DeviceKind::Rgb    ? Try(DisplayStep::CreateRgbDevice, "CreateRgbDevice")
                                           : Try(DisplayStep::CreateRampDevice, "CreateRampDevice");
  if (r) return r;
  Device3D* made = make ? make(backBuffer, attachedDepth_) : nullptr;
  if (!made) return DDERR_OUTOFMEMORY;
  *device = Made(made);
  return DD_OK;
}

int32_t MemoryDisplayDriver::CreateViewport(DisplayObject*, Viewport** viewport) {
  if (int32_t r = Try(DisplayStep::CreateViewport, "CreateViewport")) return r;
  *viewport = Made(new Viewport);
  return DD_OK;
}

int32_t MemoryDisplayDriver::AddViewport(Device3D* device, Viewport* viewport) {
  if (int32_t r = Try(DisplayStep::AddViewport, "AddViewport")) return r;
  viewport->device = device;
  return DD_OK;
}

int32_t MemoryDisplayDriver::SetViewport(Viewport* viewport, const ViewportDesc& desc) {
  if (int32_t r = Try(DisplayStep::SetViewport, "SetViewport")) return r;
  viewport->desc = desc;
  return DD_OK;
}

int32_t MemoryDisplayDriver::SetCurrentViewport(Device3D*, Viewport*) {
  return Try(DisplayStep::SetCurrentViewport, "SetCurrentViewport");
}

int32_t MemoryDisplayDriver::CreateMaterial(DisplayObject*, Material** material) {
  if (int32_t r = Try(DisplayStep::CreateMaterial, "CreateMaterial")) return r;
  *material = Made(new Material);
  materials_.push_back(*material);
  return DD_OK;
}

int32_t MemoryDisplayDriver::SetMaterial(Material* material, float red, float green, float blue) {
  if (int32_t r = Try(DisplayStep::SetMaterial, "SetMaterial")) return r;
  material->red = red;
  material->green = green;
  material->blue = blue;
  return DD_OK;
}

int32_t MemoryDisplayDriver::GetMaterialHandle(Material* material, Device3D*, uint32_t* handle) {
  if (int32_t r = Try(DisplayStep::GetMaterialHandle, "GetMaterialHandle")) return r;
  material->handle = static_cast<uint32_t>(materials_.size());
  *handle = material->handle;
  return DD_OK;
}

int32_t MemoryDisplayDriver::SetBackground(Viewport* viewport, uint32_t materialHandle) {
  if (int32_t r = Try(DisplayStep::SetBackground, "SetBackground")) return r;
  viewport->background = materialHandle;
  return DD_OK;
}

int32_t MemoryDisplayDriver::SetRenderState(Device3D*, RenderState state, uint32_t value) {
  calls.emplace_back("SetRenderState");
  if (state == refusedRenderState) {
    auto refused = refusals.find(DisplayStep::SetRenderState);
    if (refused != refusals.end()) return refused->second;
  }
  renderStates[static_cast<int>(state)] = value;
  return DD_OK;
}

void MemoryDisplayDriver::Flip(Surface*, Surface* backBuffer) {
  ++flips;
  if (presenter && backBuffer) presenter->Present(*backBuffer);
}

void MemoryDisplayDriver::ClearViewport(Viewport* viewport, const PixelRect& rect, bool target, bool depth) {
  uint32_t color = 0;
  for (Material* m : materials_)
    if (m->handle != 0 && m->handle == viewport->background) {
      auto level = [](float c) { return static_cast<uint32_t>(c < 0 ? 0 : c > 1 ? 255 : c * 255.0f); };
      color = level(m->red) << 16 | level(m->green) << 8 | level(m->blue);
    }
  // The device of the viewport draws into the back buffer and the depth buffer attached to it.
  if (!viewport->device) return;
  if (target && back_) FillSurface(*back_, &rect, color);
  if (depth && attachedDepth_) {
    DepthBuffer& z = *attachedDepth_;
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, z.height); ++y)
      for (int x = std::max(rect.left, 0); x < std::min(rect.right, z.width); ++x)
        z.depth[static_cast<size_t>(y) * z.width + x] = 1.0f;
  }
}

void MemoryDisplayDriver::Release(DisplayObject* object) {
  if (!object) return;
  calls.push_back(std::string("Release:") + object->ObjectKind());
  if (object == primary_) primary_ = nullptr;
  if (object == back_) back_ = nullptr;
  if (object == attachedDepth_) attachedDepth_ = nullptr;
  std::erase(materials_, object);
  --liveObjects;
  delete object;
}

void OfflinePresenter::Present(const Surface& backBuffer) {
  width = backBuffer.width;
  height = backBuffer.height;
  const int w = width, h = height;
  frame.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    uint32_t* out = frame.data() + static_cast<size_t>(y) * w;
    const uint8_t* in = backBuffer.Row(y);
    if (backBuffer.bitsPerPixel == 32) {
      // A straight copy, two pixels a step, with the top bytes cleared as reading pixel by
      // pixel would.
      int x = 0;
      for (; x + 2 <= w; x += 2) {
        uint64_t two;
        std::memcpy(&two, in + static_cast<size_t>(x) * 4, sizeof(two));
        two &= 0x00FFFFFF00FFFFFFull;
        std::memcpy(out + x, &two, sizeof(two));
      }
      for (; x < w; ++x) out[x] = backBuffer.GetPixel(x, y);
    } else {
      for (int x = 0; x < w; ++x) out[x] = backBuffer.GetPixel(x, y);
    }
  }
  ++frameCount;
  if (onFrame) onFrame(user, *this);
}
