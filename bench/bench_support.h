// bench_support.h - what the benchmarks measure against: a plain copy of one 320 x 240 frame,
// and the thread's CPU time (the machine is shared; wall time would count other people's work).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t FRAME_PIXELS = 320 * 240;
constexpr size_t FRAME_BYTES = FRAME_PIXELS * 4;

double CpuNanoseconds();
// One plain copy of a frame between two static buffers.
void CopyFrame();
// The copy's time in nanoseconds: the best of several batches, measured once per run, so a
// busy machine inflates the ratios against it as little as possible.
double CopyNanoseconds();
