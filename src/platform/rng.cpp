#include "platform/rng.h"

static uint32_t runtimeRandState = 1;

void RuntimeSrand(uint32_t seed) { runtimeRandState = seed; }

int RuntimeRand() {
  runtimeRandState = runtimeRandState * 214013u + 2531011u;
  return static_cast<int>((runtimeRandState >> 16) & 0x7FFF);
}
