#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {
alignas(64) uint32_t copySource[FRAME_PIXELS];
alignas(64) uint32_t copyTarget[FRAME_PIXELS];
}  // namespace

double CpuNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

void CopyFrame() {
  uint32_t* target = copyTarget;
  benchmark::DoNotOptimize(target);
  std::memcpy(target, copySource, FRAME_BYTES);
  benchmark::ClobberMemory();
}

double CopyNanoseconds() {
  static const double measured = [] {
    std::fill(std::begin(copySource), std::end(copySource), 0x00123456u);
    double best = 1e30;
    for (int batch = 0; batch < 20; ++batch) {
      const double start = CpuNanoseconds();
      for (int i = 0; i < 200; ++i) CopyFrame();
      best = std::min(best, (CpuNanoseconds() - start) / 200);
    }
    return best;
  }();
  return measured;
}
