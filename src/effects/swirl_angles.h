// swirl_angles.h - the swirl's angle without an arc tangent. The angle of a quotient q is
// trunc(atan(q) * 81.48733085), a whole number from -127 to 127, and it only grows with q; so
// it is fixed by the 254 doubles at which the library's own arc tangent first reaches each
// step. Those are found once, by searching the doubles with that arc tangent, and a table of
// buckets (the doubles grouped by sign, exponent and top mantissa bits, few enough to stay in
// the cache) holds for each bucket the angle of its lowest value and the one step inside it, if
// any. Looking an angle up is then one bucket and one comparison, and gives exactly what the
// formula gives for every double (tests/effects/swirl_angles_test.cpp checks it around every
// step, double by double).
//
//   const SwirlAngleSteps& steps = SwirlAngles();
//   const uint8_t angle = static_cast<uint8_t>(SwirlAngleOf(steps, q));
//
// The vector loops go one step further and skip the library's cosine per entry too: they work
// out the quotient to within a known bound (SwirlQuotientSlack) and take the angle only where
// every quotient within that bound has the same one (SwirlAngleWithin); anywhere else, about
// one entry in millions, they fall back on the formula.
#pragma once
#include <bit>
#include <cmath>
#include <cstdint>

// The formula: trunc(atan(q) * 81.48733085), -127..127.
int32_t SwirlAngleFormula(double q);

// Buckets: for each sign, the magnitudes from 2^-8 to 2^8 in 64 steps per power of two; the
// smaller magnitudes share the lowest bucket (their angle is 0) and the larger the highest
// (127 or -127). Within a bucket the arc tangent moves by at most 0.64 of a step.
constexpr int SWIRL_ANGLE_BUCKET_BITS = 6;
constexpr int SWIRL_ANGLE_OCTAVES = 16;
constexpr int SWIRL_ANGLE_SIGN_BUCKETS = SWIRL_ANGLE_OCTAVES << SWIRL_ANGLE_BUCKET_BITS;
constexpr int SWIRL_ANGLE_BUCKETS = 2 * SWIRL_ANGLE_SIGN_BUCKETS;
// The sign, exponent and top mantissa bits of a double, at the bottom of its bits shifted by:
constexpr int SWIRL_ANGLE_KEY_SHIFT = 52 - SWIRL_ANGLE_BUCKET_BITS;
constexpr uint32_t SWIRL_ANGLE_LOWEST_KEY = (1023u - SWIRL_ANGLE_OCTAVES / 2) << SWIRL_ANGLE_BUCKET_BITS;
constexpr uint32_t SWIRL_ANGLE_HIGHEST_KEY = SWIRL_ANGLE_LOWEST_KEY + SWIRL_ANGLE_SIGN_BUCKETS - 1;

struct SwirlAngleSteps {
  // Per bucket: the angle of its lowest value, and the value inside it from which the angle is
  // one more (NaN where the angle does not change inside the bucket).
  alignas(64) double step[SWIRL_ANGLE_BUCKETS];
  alignas(64) int32_t angle[SWIRL_ANGLE_BUCKETS];
  // first[a + 127]: the lowest double whose angle is at least a, for a = -126..127.
  double first[256];
};

// Built on first use (a few thousand arc tangents).
const SwirlAngleSteps& SwirlAngles();

inline int SwirlAngleBucket(double q) {
  const uint64_t bits = std::bit_cast<uint64_t>(q);
  uint32_t key = static_cast<uint32_t>(bits >> SWIRL_ANGLE_KEY_SHIFT) & 0x1FFFFu;
  key = key < SWIRL_ANGLE_LOWEST_KEY ? SWIRL_ANGLE_LOWEST_KEY : key > SWIRL_ANGLE_HIGHEST_KEY ? SWIRL_ANGLE_HIGHEST_KEY : key;
  return static_cast<int>(key - SWIRL_ANGLE_LOWEST_KEY) + static_cast<int>(bits >> 63) * SWIRL_ANGLE_SIGN_BUCKETS;
}

// The formula's angle of q, looked up.
inline int32_t SwirlAngleOf(const SwirlAngleSteps& steps, double q) {
  const int b = SwirlAngleBucket(q);
  return steps.angle[b] + (q >= steps.step[b] ? 1 : 0);
}

// The angle of every double within `slack` of q (slack >= 0), or SWIRL_ANGLE_UNSURE when they
// do not all have the same one.
constexpr int32_t SWIRL_ANGLE_UNSURE = 1000;
inline int32_t SwirlAngleWithin(const SwirlAngleSteps& steps, double q, double slack) {
  const double low = q - slack, high = q + slack;
  const int b = SwirlAngleBucket(low);
  if (SwirlAngleBucket(high) != b || (low >= steps.step[b]) != (high >= steps.step[b])) return SWIRL_ANGLE_UNSURE;
  return steps.angle[b] + (low >= steps.step[b] ? 1 : 0);
}

// How far a quotient made by the vector loops can lie from the formula's: they take the bend's
// cosine by the angle-difference formula from the library's cosines and sines (within 6e-15 of
// the formula's cosine while |phase| <= SWIRL_TURN_PHASE_LIMIT) and the slope by multiplying with
// the row's reciprocal (within 2^-52 of it, relative), with room to spare on both.
constexpr double SWIRL_SLACK_ABSOLUTE = 0x1p-40;
constexpr double SWIRL_SLACK_RELATIVE = 0x1p-48;
constexpr double SWIRL_TURN_PHASE_LIMIT = 48.0;
inline double SwirlQuotientSlack(double q) { return SWIRL_SLACK_ABSOLUTE + SWIRL_SLACK_RELATIVE * std::fabs(q); }
