// every_width.h - a test fixture whose tests run once at every vector width this processor
// has, the plain loops included, capped to it from SetUp to TearDown; the width is named in
// the test's name (".../Scalar", ".../Baseline128", ".../Wide256"), so `ctest -R Scalar` runs
// the plain loops' tests.
//
//   class Blends : public EveryWidth {};
//   TEST_P(Blends, WholeFrame) { ... }
//   INSTANTIATE_TEST_SUITE_P(Widths, Blends, ::testing::ValuesIn(EveryVectorWidth()), VectorWidthName);
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/cpu_features.h"

inline std::vector<VectorWidth> EveryVectorWidth() {
  std::vector<VectorWidth> widths;
  for (const VectorWidth w : {VectorWidth::Scalar, VectorWidth::Baseline, VectorWidth::Wide})
    if (w <= DetectedVectorWidth()) widths.push_back(w);
  return widths;
}

inline std::string VectorWidthLabel(VectorWidth width) {
  switch (width) {
    case VectorWidth::Scalar: return "Scalar";
    case VectorWidth::Baseline: return "Baseline128";
    case VectorWidth::Wide: return "Wide256";
  }
  return "Width" + std::to_string(static_cast<int>(width));
}
inline std::string VectorWidthName(const ::testing::TestParamInfo<VectorWidth>& info) {
  return VectorWidthLabel(info.param);
}
// How gtest shows the parameter beside the test's name (`ctest -N`).
inline void PrintTo(VectorWidth width, std::ostream* out) { *out << VectorWidthLabel(width); }

class EveryWidth : public ::testing::TestWithParam<VectorWidth> {
 protected:
  void SetUp() override {
    saved_ = vectorWidthCap;
    vectorWidthCap = GetParam();
  }
  void TearDown() override { vectorWidthCap = saved_; }

 private:
  VectorWidth saved_ = VectorWidth::Wide;
};
