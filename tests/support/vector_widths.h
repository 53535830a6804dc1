// vector_widths.h - running a test at every vector width this processor has, since the
// narrower paths are otherwise never taken on a wide machine.
//
//   for (VectorWidth width : Widths()) { WidthCap cap(width); ... }
#pragma once
#include <vector>

#include "platform/cpu_features.h"

inline std::vector<VectorWidth> Widths() {
  std::vector<VectorWidth> widths;
  for (const VectorWidth w : {VectorWidth::Baseline, VectorWidth::Wide})
    if (w <= DetectedVectorWidth()) widths.push_back(w);
  return widths;
}

// Holds the paths to at most `width` while it lives.
struct WidthCap {
  explicit WidthCap(VectorWidth width) { vectorWidthCap = width; }
  ~WidthCap() { vectorWidthCap = VectorWidth::Wide; }
};
