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
    const int left = std::max(rect.left, 0), right = std::min(rect.right, z.width);
    const int bottom = std::min(rect.bottom, z.height);
    if (z.depth.size() < static_cast<size_t>(z.width) * static_cast<size_t>(std::max(z.height, 0))) return;
    for (int y = std::max(rect.top, 0); left < right && y < bottom; ++y) {
      float* row = z.depth.data() + static_cast<size_t>(y) * static_cast<size_t>(z.width);
      using Four = float __attribute__((vector_size(16)));
      const Four far = {1, 1, 1, 1};
      int x = left;
      for (; x + 4 <= right; x += 4) std::memcpy(row + x, &far, sizeof far);
      for (; x < right; ++x) row[x] = 1.0f;
    }
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
      // A straight copy with the top bytes cleared as reading pixel by pixel would, four
      // pixels a step.
      using Four = uint32_t __attribute__((vector_size(16)));
      const Four colour = {0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu};
      int x = 0;
      for (; x + 4 <= w; x += 4) {
        Four four;
        std::memcpy(&four, in + static_cast<size_t>(x) * 4, sizeof four);
        four &= colour;
        std::memcpy(out + x, &four, sizeof four);
      }
      for (; x < w; ++x) out[x] = backBuffer.GetPixel(x, y);
    } else {
      for (int x = 0; x < w; ++x) out[x] = backBuffer.GetPixel(x, y);
    }
  }
  ++frameCount;
  if (onFrame) onFrame(user, *this);
}
