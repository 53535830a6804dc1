// show_scenes.h - the show's scenes are globals: a test that fills them borrows them empty,
// with the device it names in the display context, and gives back what was there.
#pragma once
#include <cstring>

#include "assets/scene.h"
#include "display/display.h"
#include "scene3d/scenes.h"

class BorrowedShowScenes {
 public:
  static constexpr Scene* kScenes[8] = {&Scene1, &Scene2, &Scene3, &Scene4, &Scene5, &Scene6, &Scene7, &Scene3Rest};

  explicit BorrowedShowScenes(Device3D* device) : savedDevice_(displayContext.device) {
    for (int i = 0; i < 8; ++i) {
      saved_[i] = *kScenes[i];
      std::memset(kScenes[i], 0, sizeof(Scene));
    }
    displayContext.device = device;
  }
  ~BorrowedShowScenes() {
    for (int i = 0; i < 8; ++i) {
      FreeScene(kScenes[i]);
      *kScenes[i] = saved_[i];
    }
    displayContext.device = savedDevice_;
  }
  BorrowedShowScenes(const BorrowedShowScenes&) = delete;
  BorrowedShowScenes& operator=(const BorrowedShowScenes&) = delete;

 private:
  Scene saved_[8];
  Device3D* savedDevice_;
};
