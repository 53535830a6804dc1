#include "platform/cpu_features.h"

VectorWidth vectorWidthCap = WIDEST_VECTORS;

VectorWidth DetectedVectorWidth() {
  static const VectorWidth detected = [] {
#if TAVRINE_WIDE_VECTORS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return VectorWidth::Wide;
#endif
#if TAVRINE_BASELINE_VECTORS
    return VectorWidth::Baseline;
#else
    return VectorWidth::Scalar;
#endif
  }();
  return detected;
}
