// display_object.h - base of everything a display driver makes and releases (surfaces,
// depth buffers, 3D devices, viewports, materials). The driver that made an object is the
// one that releases it.
#pragma once

class DisplayObject {
 public:
  virtual ~DisplayObject() = default;
  // What the object is, for the driver's record of the calls made ("Release:Viewport").
  virtual const char* ObjectKind() const { return "Object"; }
};
