// rng.h - the C runtime's rand/srand sequence, which the starfield and the glow particles
// depend on to the bit. glibc's rand is a different generator: use only this one.
//
//   state = state * 214013 + 2531011 (mod 2^32), result = (state >> 16) & 0x7FFF.
//   The state starts at 1, as if srand(1) had been called.
#pragma once
#include <cstdint>

void RuntimeSrand(uint32_t seed);
int RuntimeRand();  // 0..32767
