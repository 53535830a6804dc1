#include "effects/swirl_angles.h"

#include <cmath>
#include <limits>

int32_t SwirlAngleFormula(double q) { return static_cast<int32_t>(std::atan(q) * 81.48733085); }

namespace {

// Doubles in order as integers: consecutive doubles differ by one, both zeros are 0.
int64_t Ordered(double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  const int64_t magnitude = static_cast<int64_t>(bits & 0x7FFFFFFFFFFFFFFFu);
  return bits >> 63 ? -magnitude : magnitude;
}

double FromOrdered(int64_t k) {
  return k < 0 ? std::bit_cast<double>(static_cast<uint64_t>(-k) | 0x8000000000000000u)
               : std::bit_cast<double>(static_cast<uint64_t>(k));
}

// The lowest double whose angle is at least a: from the tangent of the step, outward by
// doubling distances until the step lies between, then halving.
double FirstWithAngle(int32_t a) {
  // trunc moves toward zero: a positive angle a starts at the product a, a negative or zero
  // one just above a - 1.
  const double crossing = a > 0 ? a : a - 1;
  const int64_t guess = Ordered(std::tan(crossing / 81.48733085));
  int64_t below = guess, atOrAbove = guess;
  if (SwirlAngleFormula(FromOrdered(guess)) >= a) {
    for (int64_t step = 1; SwirlAngleFormula(FromOrdered(below)) >= a; step *= 2) below = guess - step;
  } else {
    for (int64_t step = 1; SwirlAngleFormula(FromOrdered(atOrAbove)) < a; step *= 2) atOrAbove = guess + step;
  }
  while (atOrAbove - below > 1) {
    const int64_t middle = below + (atOrAbove - below) / 2;
    (SwirlAngleFormula(FromOrdered(middle)) >= a ? atOrAbove : below) = middle;
  }
  return FromOrdered(atOrAbove);
}

// The angle of v by the steps alone.
int32_t CountedAngle(const SwirlAngleSteps& steps, double v) {
  int32_t angle = -127;
  for (int i = 1; i < 255; ++i) angle += v >= steps.first[i] ? 1 : 0;
  return angle;
}

SwirlAngleSteps BuildSwirlAngles() {
  SwirlAngleSteps steps{};
  const double infinity = std::numeric_limits<double>::infinity();
  steps.first[0] = -infinity;  // every double has at least angle -127
  for (int32_t a = -126; a <= 127; ++a) steps.first[a + 127] = FirstWithAngle(a);
  steps.first[255] = infinity;  // and none reaches 128

  for (int b = 0; b < SWIRL_ANGLE_BUCKETS; ++b) {
    const bool negative = b >= SWIRL_ANGLE_SIGN_BUCKETS;
    const uint64_t key = SWIRL_ANGLE_LOWEST_KEY + static_cast<uint64_t>(b % SWIRL_ANGLE_SIGN_BUCKETS);
    // The bucket's magnitudes; the end buckets take in everything beyond them.
    const double smallest = key == SWIRL_ANGLE_LOWEST_KEY ? 0.0 : std::bit_cast<double>(key << SWIRL_ANGLE_KEY_SHIFT);
    const double largest = key == SWIRL_ANGLE_HIGHEST_KEY
                               ? infinity
                               : std::bit_cast<double>(((key + 1) << SWIRL_ANGLE_KEY_SHIFT) - 1);
    const double lowest = negative ? -largest : smallest, highest = negative ? -smallest : largest;
    steps.angle[b] = CountedAngle(steps, lowest);
    steps.step[b] = std::numeric_limits<double>::quiet_NaN();  // no comparison with NaN holds
    // At most one step lies inside (the test checks every bucket).
    for (int i = 1; i < 255; ++i)
      if (steps.first[i] > lowest && steps.first[i] <= highest) {
        steps.step[b] = steps.first[i];
        break;
      }
  }
  return steps;
}

}  // namespace

const SwirlAngleSteps& SwirlAngles() {
  static const SwirlAngleSteps steps = BuildSwirlAngles();
  return steps;
}
