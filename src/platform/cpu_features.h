// cpu_features.h - how wide the pixel loops' vectors may be. The show is built for the
// baseline processor; functions marked WIDE_VECTORS are compiled for 256-bit integer vectors
// as well and are only called when the processor running the show has them. Both widths give
// the same pixels; tests cap the width to compare the baseline paths.
//
//   #if TAVRINE_WIDE_VECTORS
//   if (UsableVectorWidth() >= VectorWidth::Wide) { DrawWide(...); return; }
//   #endif
#pragma once

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define TAVRINE_WIDE_VECTORS 1
#define WIDE_VECTORS __attribute__((target("avx2")))
#else
#define TAVRINE_WIDE_VECTORS 0
#endif

// Scalar: plain loops, as on a processor without vectors. Baseline: the 128-bit vectors every
// x86-64 processor has. Wide: 256-bit integer vectors.
enum class VectorWidth { Scalar = 0, Baseline = 1, Wide = 2 };

// What the processor has, detected once.
VectorWidth DetectedVectorWidth();

// The narrower of what the processor has and the cap (no cap unless a test sets one).
extern VectorWidth vectorWidthCap;
inline VectorWidth UsableVectorWidth() {
  const VectorWidth detected = DetectedVectorWidth();
  return detected < vectorWidthCap ? detected : vectorWidthCap;
}
