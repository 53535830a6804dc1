// cpu_features.h - how wide the pixel loops' vectors may be, and how a module picks the loops
// for that width.
//
// A module whose loops have vector versions keeps each loop's plain C++ version, the reference,
// in its own source file, and gathers the loops in a struct of function pointers declared in
// NAME.h. The vector versions live in files of their own, one per width: NAME_128.cpp (128-bit,
// SSE2) and NAME_256.cpp (256-bit, AVX2; each function marked WIDE_VECTORS, since the show is
// built for the baseline processor). Each file fills one instance of the struct; where it has
// no loop of its own for an entry, it names the next narrower one. A KernelTables holds the
// instances and hands out the widest one the usable width allows. Take it once per frame or
// per blit, never per row or per pixel:
//
//   const EffectKernels& kernels = UsableEffectKernels();
//   for (int y = 0; y < SCREEN_HEIGHT; ++y) kernels.plasmaShadeRow(...);
//
// Every width gives the same pixels; tests cap the width to run the narrower loops too. The
// modules built this way: effects/kernels.h, platform/blit_kernels.h, raster/span_kernels.h.
// A 512-bit level would add VectorWidth::Widest, its detection, NAME_512.cpp files and one more
// slot in KernelTables.
#pragma once

#include <cstddef>

// The 128-bit loops are compiled where the target processor has them, unless the build asks
// for plain loops only (-DTAVRINE_PLAIN_LOOPS: what a processor without vectors compiles).
#if defined(__SSE2__) && !defined(TAVRINE_PLAIN_LOOPS)
#define TAVRINE_BASELINE_VECTORS 1
#else
#define TAVRINE_BASELINE_VECTORS 0
#endif

// The 256-bit loops are compiled on x86 beside the 128-bit ones and used when the processor
// running the show has them.
#if TAVRINE_BASELINE_VECTORS && (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define TAVRINE_WIDE_VECTORS 1
#define WIDE_VECTORS __attribute__((target("avx2")))
#else
#define TAVRINE_WIDE_VECTORS 0
#endif

// Scalar: plain loops, as on a processor without vectors. Baseline: the 128-bit vectors every
// x86-64 processor has. Wide: 256-bit integer vectors.
enum class VectorWidth { Scalar = 0, Baseline = 1, Wide = 2 };
constexpr int VECTOR_WIDTH_LEVELS = 3;
constexpr VectorWidth WIDEST_VECTORS = VectorWidth::Wide;

// What the processor has (and the build can use), detected once.
VectorWidth DetectedVectorWidth();

// The narrower of what the processor has and the cap (WIDEST_VECTORS, no cap, unless a test
// sets one).
extern VectorWidth vectorWidthCap;
inline VectorWidth UsableVectorWidth() {
  const VectorWidth detected = DetectedVectorWidth();
  return detected < vectorWidthCap ? detected : vectorWidthCap;
}

// One module's loops at every width; null where the build has no loops of that width, which
// then falls back to the next narrower:
//
//   constinit const KernelTables<EffectKernels> effectKernels(
//       &plainEffectKernels, BASELINE_KERNELS(baselineEffectKernels), WIDE_KERNELS(wideEffectKernels));
template <typename Kernels>
class KernelTables {
 public:
  // A width the build lacks is passed as nullptr; the choice is made on the argument's type, not
  // its value, so the table stays a constant even where the sanitizers make an address unknown
  // at compile time.
  template <typename Baseline, typename Wide>
  constexpr KernelTables(const Kernels* plain, Baseline baseline, Wide wide)
      : byWidth_{plain, Or(baseline, plain), Or(wide, Or(baseline, plain))} {}
  const Kernels& Usable() const { return *byWidth_[static_cast<int>(UsableVectorWidth())]; }

 private:
  static constexpr const Kernels* Or(const Kernels* kernels, const Kernels*) { return kernels; }
  static constexpr const Kernels* Or(std::nullptr_t, const Kernels* narrower) { return narrower; }

  const Kernels* byWidth_[VECTOR_WIDTH_LEVELS];
};

// A width's table, or null where the build has no loops of that width (the table is then
// declared but never defined).
#if TAVRINE_BASELINE_VECTORS
#define BASELINE_KERNELS(table) (&(table))
#else
#define BASELINE_KERNELS(table) nullptr
#endif
#if TAVRINE_WIDE_VECTORS
#define WIDE_KERNELS(table) (&(table))
#else
#define WIDE_KERNELS(table) nullptr
#endif
