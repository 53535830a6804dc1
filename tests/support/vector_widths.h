// vector_widths.h - running a test at every vector width this processor has, the plain loops
// included, since the narrower paths are otherwise never taken on a wide machine. The width is
// a test parameter named in the test's name (".../Scalar", ".../Baseline128", ".../Wide256"),
// so `ctest -R Scalar` runs the plain loops' tests.
//
//   class Blends : public AtEachWidth {};
//   TEST_P(Blends, WholeFrame) { ... }     // the cap holds for the whole test
//   INSTANTIATE_TEST_SUITE_P(Widths, Blends, ::testing::ValuesIn(Widths()), WidthName);
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/cpu_features.h"

inline std::vector<VectorWidth> Widths() {
  std::vector<VectorWidth> widths;
  for (const VectorWidth w : {VectorWidth::Scalar, VectorWidth::Baseline, VectorWidth::Wide})
    if (w <= DetectedVectorWidth()) widths.push_back(w);
  return widths;
}

inline std::string VectorWidthName(VectorWidth width) {
  switch (width) {
    case VectorWidth::Scalar: return "Scalar";
    case VectorWidth::Baseline: return "Baseline128";
    case VectorWidth::Wide: return "Wide256";
  }
  return "Width" + std::to_string(static_cast<int>(width));
}
// The tests' names and how gtest shows the parameter.
inline std::string WidthName(const ::testing::TestParamInfo<VectorWidth>& info) { return VectorWidthName(info.param); }
inline void PrintTo(VectorWidth width, std::ostream* out) { *out << VectorWidthName(width); }

// Holds the paths to at most `width` while it lives.
struct WidthCap {
  explicit WidthCap(VectorWidth width) : previous(vectorWidthCap) { vectorWidthCap = width; }
  ~WidthCap() { vectorWidthCap = previous; }
  WidthCap(const WidthCap&) = delete;
  WidthCap& operator=(const WidthCap&) = delete;
  VectorWidth previous;
};

// A fixture whose tests run once per width, capped to it from SetUp to TearDown.
class AtEachWidth : public ::testing::TestWithParam<VectorWidth> {
 protected:
  void SetUp() override { vectorWidthCap = GetParam(); }
  void TearDown() override { vectorWidthCap = WIDEST_VECTORS; }
};
