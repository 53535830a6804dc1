// wide_vectors.h - whether the effects may take their 256-bit paths. The show is built for
// the baseline processor; functions marked WIDE_VECTORS are compiled for AVX2 as well and are
// only called when the processor running the show has it. Both paths give the same pixels.
//
//   #if TAVRINE_WIDE_VECTORS
//   WIDE_VECTORS void DrawWide(...);
//   if (WideVectorsAvailable()) { DrawWide(...); return; }
//   #endif
#pragma once

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define TAVRINE_WIDE_VECTORS 1
#define WIDE_VECTORS __attribute__((target("avx2")))

inline bool WideVectorsAvailable() {
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available;
}
#else
#define TAVRINE_WIDE_VECTORS 0
#endif
