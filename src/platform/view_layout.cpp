#include "platform/view_layout.h"

#include <algorithm>
#include <cmath>

#include "base/screen.h"

namespace {

PixelRect Centred(int areaWidth, int areaHeight, int width, int height) {
  const int left = (areaWidth - width) / 2, top = (areaHeight - height) / 2;
  return PixelRect{left, top, left + width, top + height};
}

// The largest 4:3 rectangle in the area.
PixelRect Filled(int areaWidth, int areaHeight) {
  if (static_cast<long>(areaWidth) * SCREEN_HEIGHT <= static_cast<long>(areaHeight) * SCREEN_WIDTH)
    return Centred(areaWidth, areaHeight, areaWidth, areaWidth * SCREEN_HEIGHT / SCREEN_WIDTH);
  return Centred(areaWidth, areaHeight, areaHeight * SCREEN_WIDTH / SCREEN_HEIGHT, areaHeight);
}

}  // namespace

ViewLayout LayoutView(int outputWidth, int outputHeight, ScaleFilter filter, int statusHeight) {
  ViewLayout layout{};
  layout.prescale = 1;
  const int width = std::max(outputWidth, 1);
  int height = std::max(outputHeight, 1);
  if (statusHeight > 0 && height - statusHeight >= SCREEN_HEIGHT / 2) {
    height -= statusHeight;
    layout.status = PixelRect{0, height, width, height + statusHeight};
  }
  if (filter == ScaleFilter::Nearest) {
    const int multiple = std::min(width / SCREEN_WIDTH, height / SCREEN_HEIGHT);
    if (multiple >= 1) {
      layout.picture = Centred(width, height, SCREEN_WIDTH * multiple, SCREEN_HEIGHT * multiple);
      return layout;
    }
  }
  layout.picture = Filled(width, height);
  if (filter == ScaleFilter::Sharp) {
    const double factor = static_cast<double>(layout.picture.right - layout.picture.left) / SCREEN_WIDTH;
    // Enlarged by the whole multiple below the final size, the smoothing only spreads each
    // pixel's edge over one pixel of the screen.
    layout.prescale = std::max(1, static_cast<int>(std::floor(factor + 1e-9)));
  }
  return layout;
}
