// display_object.h - base of everything a display driver makes and releases (surfaces,
// depth buffers, 3D devices, viewports, materials). The driver that made an object is the
// one that releases it.
#pragma once

class DisplayObject {
 public:
  virtual ~DisplayObject() = default;
};
