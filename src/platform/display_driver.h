// display_driver.h - the display driver behind the display set-up: what the era's DirectDraw
// and Direct3D gave the show (a display mode, a flipping primary surface with one back
// buffer, a depth buffer, a 3D device with viewport and background material, fixed render
// states), as one small interface.
//
// MemoryDisplayDriver makes everything in memory and hands each flipped frame to a
// Presenter. With no refusals it is the offline driver of the tool and the tests; refusals
// make any step fail with any result code, so every recovery and failure path can be
// tested. The live SDL driver (sdl_platform.h) derives from it and checks the real display.
//
// The 3D device itself is the rasterizer's (raster/device3d.h), a layer above this one: the
// driver decides whether a device of a kind can be had, makes it with the DeviceMaker its
// caller names, hands it out and releases it, and never looks inside it.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/display_object.h"
#include "platform/surface.h"

struct PlatformWindow;
class Device3D;

// Makes a 3D device drawing into `target` with `depth` (either may be null).
using DeviceMaker = Device3D* (*)(Surface* target, DepthBuffer* depth);

enum class DeviceKind { Hardware, Rgb, Ramp };

enum class DisplayStep {
  CreateDirectDraw,
  SetCooperativeLevel,
  SetDisplayMode32,
  SetDisplayMode24,
  QueryDirect3D,
  CreatePrimarySurface,
  GetBackBuffer,
  GetPixelFormat,
  CreateZBufferVideo,
  CreateZBufferSystem,
  AttachZBuffer,
  CreateHardwareDevice,
  CreateRgbDevice,
  CreateRampDevice,
  CreateViewport,
  AddViewport,
  SetViewport,
  SetCurrentViewport,
  CreateMaterial,
  SetMaterial,
  GetMaterialHandle,
  SetBackground,
  SetRenderState,  // refused for the state named by refusedRenderState
};

// The twelve render states the display sets once.
enum class RenderState {
  DitherEnable,
  TextureMin,
  ZEnable,
  ZWriteEnable,
  ZFunc,
  AlphaBlendEnable,
  SrcBlend,
  CullMode,
  TexturePerspective,
  WrapU,
  WrapV,
  ShadeMode,
};

// The values the display gives those states, by the names the era's headers gave them.
constexpr uint32_t RENDER_TRUE = 1;
constexpr uint32_t FILTER_LINEAR = 2;
constexpr uint32_t COMPARE_LESSEQUAL = 4;
constexpr uint32_t BLEND_BOTHSRCALPHA = 12;  // source x alpha + destination x (1 - alpha)
constexpr uint32_t CULL_CCW = 3;
constexpr uint32_t SHADE_GOURAUD = 2;

// Cooperative-level flags: the whole screen, exclusively, Ctrl+Alt+Del still allowed.
constexpr uint32_t COOPERATIVE_FULLSCREEN = 0x01;
constexpr uint32_t COOPERATIVE_ALLOWREBOOT = 0x02;
constexpr uint32_t COOPERATIVE_EXCLUSIVE = 0x10;

struct ViewportDesc {
  uint32_t x, y, width, height;
  float clipX, clipY, clipWidth, clipHeight, minZ, maxZ;
};

class Viewport : public DisplayObject {
 public:
  const char* ObjectKind() const override { return "Viewport"; }
  ViewportDesc desc{};
  Device3D* device = nullptr;
  uint32_t background = 0;  // material handle
};

class Material : public DisplayObject {
 public:
  const char* ObjectKind() const override { return "Material"; }
  float red = 0, green = 0, blue = 0;
  uint32_t handle = 0;
};

// Receives each finished back buffer ("flip").
class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual void Present(const Surface& backBuffer) = 0;
};

class DisplayDriver {
 public:
  virtual ~DisplayDriver() = default;
  virtual int32_t CreateDirectDraw(DisplayObject** directDraw) = 0;
  virtual int32_t SetCooperativeLevel(DisplayObject* directDraw, PlatformWindow* window, uint32_t flags) = 0;
  virtual int32_t SetDisplayMode(DisplayObject* directDraw, int width, int height, int bitsPerPixel) = 0;
  virtual int32_t QueryDirect3D(DisplayObject* directDraw, DisplayObject** direct3D) = 0;
  virtual int32_t CreatePrimarySurface(DisplayObject* directDraw, bool for3D, int backBufferCount, Surface** primary) = 0;
  virtual int32_t GetBackBuffer(Surface* primary, Surface** backBuffer) = 0;
  virtual int32_t GetPixelFormatBits(Surface* primary, uint32_t* bits) = 0;
  virtual int32_t CreateZBuffer(DisplayObject* directDraw, int width, int height, int depthBits, bool videoMemory, DepthBuffer** zBuffer) = 0;
  virtual int32_t AttachZBuffer(Surface* backBuffer, DepthBuffer* zBuffer) = 0;
  virtual int32_t CreateDevice(DisplayObject* direct3D, DeviceKind kind, Surface* backBuffer, DeviceMaker make,
                               Device3D** device) = 0;
  virtual int32_t CreateViewport(DisplayObject* direct3D, Viewport** viewport) = 0;
  virtual int32_t AddViewport(Device3D* device, Viewport* viewport) = 0;
  virtual int32_t SetViewport(Viewport* viewport, const ViewportDesc& desc) = 0;
  virtual int32_t SetCurrentViewport(Device3D* device, Viewport* viewport) = 0;
  virtual int32_t CreateMaterial(DisplayObject* direct3D, Material** material) = 0;
  virtual int32_t SetMaterial(Material* material, float red, float green, float blue) = 0;
  virtual int32_t GetMaterialHandle(Material* material, Device3D* device, uint32_t* handle) = 0;
  virtual int32_t SetBackground(Viewport* viewport, uint32_t materialHandle) = 0;
  virtual int32_t SetRenderState(Device3D* device, RenderState state, uint32_t value) = 0;

  // Presentation; results are not looked at by the show.
  virtual void Flip(Surface* primary, Surface* backBuffer) = 0;
  virtual void ClearViewport(Viewport* viewport, const PixelRect& rect, bool target, bool depth) = 0;

  virtual void Release(DisplayObject* object) = 0;
};

class MemoryDisplayDriver : public DisplayDriver {
 public:
  explicit MemoryDisplayDriver(Presenter* presenter = nullptr);
  ~MemoryDisplayDriver() override;

  Presenter* presenter;
  // step -> result code; a refused step fails every time it is tried.
  std::map<DisplayStep, int32_t> refusals;
  RenderState refusedRenderState = RenderState::DitherEnable;
  // Every step tried, in order, by name (e.g. "SetDisplayMode32", "Release:Viewport").
  std::vector<std::string> calls;
  int liveObjects = 0;  // made and not yet released
  int flips = 0;
  uint32_t renderStates[12] = {};

  // Back-buffer geometry: 0 pitch = tight rows.
  int backBufferPitch = 0;

  int32_t CreateDirectDraw(DisplayObject** directDraw) override;
  int32_t SetCooperativeLevel(DisplayObject* directDraw, PlatformWindow* window, uint32_t flags) override;
  int32_t SetDisplayMode(DisplayObject* directDraw, int width, int height, int bitsPerPixel) override;
  int32_t QueryDirect3D(DisplayObject* directDraw, DisplayObject** direct3D) override;
  int32_t CreatePrimarySurface(DisplayObject* directDraw, bool for3D, int backBufferCount, Surface** primary) override;
  int32_t GetBackBuffer(Surface* primary, Surface** backBuffer) override;
  int32_t GetPixelFormatBits(Surface* primary, uint32_t* bits) override;
  int32_t CreateZBuffer(DisplayObject* directDraw, int width, int height, int depthBits, bool videoMemory, DepthBuffer** zBuffer) override;
  int32_t AttachZBuffer(Surface* backBuffer, DepthBuffer* zBuffer) override;
  int32_t CreateDevice(DisplayObject* direct3D, DeviceKind kind, Surface* backBuffer, DeviceMaker make,
                       Device3D** device) override;
  int32_t CreateViewport(DisplayObject* direct3D, Viewport** viewport) override;
  int32_t AddViewport(Device3D* device, Viewport* viewport) override;
  int32_t SetViewport(Viewport* viewport, const ViewportDesc& desc) override;
  int32_t SetCurrentViewport(Device3D* device, Viewport* viewport) override;
  int32_t CreateMaterial(DisplayObject* direct3D, Material** material) override;
  int32_t SetMaterial(Material* material, float red, float green, float blue) override;
  int32_t GetMaterialHandle(Material* material, Device3D* device, uint32_t* handle) override;
  int32_t SetBackground(Viewport* viewport, uint32_t materialHandle) override;
  int32_t SetRenderState(Device3D* device, RenderState state, uint32_t value) override;
  void Flip(Surface* primary, Surface* backBuffer) override;
  void ClearViewport(Viewport* viewport, const PixelRect& rect, bool target, bool depth) override;
  void Release(DisplayObject* object) override;

  int modeBits = 0;  // the mode set, 0 before SetDisplayMode
  int modeWidth = 0, modeHeight = 0;

 protected:
  // Logs the step and returns its refusal, or DD_OK.
  int32_t Try(DisplayStep step, const char* name);
  template <class T> T* Made(T* object) { ++liveObjects; return object; }

  Surface* primary_ = nullptr;
  Surface* back_ = nullptr;
  DepthBuffer* attachedDepth_ = nullptr;
  std::vector<Material*> materials_;
};

// Keeps the last presented frame as 0x00RRGGBB pixels; calls `onFrame` after each one.
class OfflinePresenter : public Presenter {
 public:
  void Present(const Surface& backBuffer) override;
  std::vector<uint32_t> frame;  // width * height pixels
  int width = 0, height = 0;
  long frameCount = 0;
  void (*onFrame)(void* user, const OfflinePresenter& presenter) = nullptr;
  void* user = nullptr;
};
