// The swirl's angles looked up against the formula with the library's arc tangent, over every
// double. The lookup is the formula wherever the formula only grows with q; it could differ
// only next to a step, where the library's rounding might waver. So every double in a window
// around every step is compared, and each window is made wide enough that outside it the true
// arc tangent (in extended precision) lies farther from the step than the library's can stray
// (a few units in the last place; glibc documents at most one): there the formula is on the
// same side of the step as the truth, and so is the lookup.
#include "effects/swirl_angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

constexpr double SCALE = 81.48733085;

double Next(double v, int64_t n) {
  for (; n > 0; --n) v = std::nextafter(v, std::numeric_limits<double>::infinity());
  for (; n < 0; ++n) v = std::nextafter(v, -std::numeric_limits<double>::infinity());
  return v;
}

// Whether the true product atan(q) * SCALE is farther from `crossing` than the library's arc
// tangent (off by up to 8 units in its last place) and the rounding of the product can carry.
bool ClearOfCrossing(double q, double crossing) {
  const long double product = std::atan(static_cast<long double>(q)) * static_cast<long double>(SCALE);
  const double arcUlp = std::ldexp(1.0, std::ilogb(std::atan(q)) - 52);
  const double margin = 8 * arcUlp * SCALE + std::ldexp(1.0, std::ilogb(crossing) - 52);
  return std::fabs(static_cast<double>(product - static_cast<long double>(crossing))) > margin;
}

TEST(SwirlAngles, StepsAreWhereTheFormulaMoves) {
  const SwirlAngleSteps& steps = SwirlAngles();
  EXPECT_EQ(steps.first[0], -std::numeric_limits<double>::infinity());
  EXPECT_EQ(steps.first[255], std::numeric_limits<double>::infinity());
  for (int32_t a = -126; a <= 127; ++a) {
    const double first = steps.first[a + 127];
    ASSERT_EQ(SwirlAngleFormula(first), a) << a;
    ASSERT_EQ(SwirlAngleFormula(Next(first, -1)), a - 1) << a;
    ASSERT_LT(steps.first[a + 126], first) << a;
  }
  // The step to 1 lies at tan(1 / SCALE), the step to 0 (from -1) at its mirror.
  EXPECT_NEAR(steps.first[128], std::tan(1 / SCALE), 1e-15);
  EXPECT_NEAR(steps.first[127], -std::tan(1 / SCALE), 1e-15);
}

TEST(SwirlAngles, EveryDoubleAroundEveryStep) {
  if (std::numeric_limits<long double>::digits <= std::numeric_limits<double>::digits)
    GTEST_SKIP() << "no extended precision to measure the true arc tangent with";
  const SwirlAngleSteps& steps = SwirlAngles();
  int64_t compared = 0;
  for (int32_t a = -126; a <= 127; ++a) {
    const double first = steps.first[a + 127];
    const double crossing = a > 0 ? a : a - 1;
    int64_t window = 256;
    while (!ClearOfCrossing(Next(first, -window), crossing) || !ClearOfCrossing(Next(first, window), crossing)) {
      window *= 2;
      ASSERT_LE(window, int64_t{1} << 20) << "no clear window around step " << a;
    }
    double q = Next(first, -window);
    for (int64_t i = -window; i <= window; ++i, q = Next(q, 1)) {
      ASSERT_EQ(SwirlAngleOf(steps, q), SwirlAngleFormula(q)) << "step " << a << ", q = " << q;
      ++compared;
    }
  }
  EXPECT_GE(compared, 254 * 513);
}

TEST(SwirlAngles, EveryBucketHoldsAtMostOneStep) {
  const SwirlAngleSteps& steps = SwirlAngles();
  // Steps by bucket: each lands in its own, and each bucket's angle starts where the step below left it.
  int stepsInBuckets[SWIRL_ANGLE_BUCKETS] = {};
  for (int i = 1; i < 255; ++i) ++stepsInBuckets[SwirlAngleBucket(steps.first[i])];
  int withStep = 0;
  for (int b = 0; b < SWIRL_ANGLE_BUCKETS; ++b) {
    ASSERT_LE(stepsInBuckets[b], 1) << "bucket " << b;
    ASSERT_EQ(stepsInBuckets[b] == 1, !std::isnan(steps.step[b])) << "bucket " << b;
    if (stepsInBuckets[b] == 1) {
      ASSERT_EQ(SwirlAngleBucket(steps.step[b]), b);
      ++withStep;
    }
  }
  EXPECT_EQ(withStep, 254);
}

TEST(SwirlAngles, ExtremesAndTheShowsRange) {
  const SwirlAngleSteps& steps = SwirlAngles();
  const double inf = std::numeric_limits<double>::infinity();
  for (const double q : {0.0, -0.0, 5e-324, -5e-324, 1e-300, -1e-300, 0.00390625, -0.00390625, 0.01, -0.01, 1.0,
                         -1.0, 255.99, 256.0, -256.0, 1e10, -1e10, 1.06e10, -1.06e10, 1e300, -1e300,
                         std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(), inf, -inf})
    EXPECT_EQ(SwirlAngleOf(steps, q), SwirlAngleFormula(q)) << q;

  // The bucket ends, and samples the show's quotients look like: a slope up to 106 / 1e-8 and a
  // bend within 1 either way.
  for (int b = 0; b < SWIRL_ANGLE_BUCKETS; ++b) {
    const uint64_t key = SWIRL_ANGLE_LOWEST_KEY + static_cast<uint64_t>(b % SWIRL_ANGLE_SIGN_BUCKETS);
    const uint64_t sign = b >= SWIRL_ANGLE_SIGN_BUCKETS ? 0x8000000000000000u : 0;
    for (const uint64_t bits : {key << SWIRL_ANGLE_KEY_SHIFT, ((key + 1) << SWIRL_ANGLE_KEY_SHIFT) - 1}) {
      const double q = std::bit_cast<double>(bits | sign);
      ASSERT_EQ(SwirlAngleOf(steps, q), SwirlAngleFormula(q)) << q;
    }
  }
  std::mt19937_64 random(12);
  std::uniform_real_distribution<double> bend(-1.0, 1.0), column(-106.0, -1.0), row(-120.0, 120.0);
  for (int i = 0; i < 200000; ++i) {
    const double e = std::floor(row(random)) - 0.00000001;
    const double q = bend(random) + std::floor(column(random)) / e;
    ASSERT_EQ(SwirlAngleOf(steps, q), SwirlAngleFormula(q)) << q;
  }
}

TEST(SwirlAngles, WithinASlackOnlyWhenEveryValueAgrees) {
  const SwirlAngleSteps& steps = SwirlAngles();
  for (int i = 1; i < 255; ++i) {
    const double first = steps.first[i], slack = SwirlQuotientSlack(first);
    // Across the step: unsure, whichever side q lies.
    ASSERT_EQ(SwirlAngleWithin(steps, first, slack), SWIRL_ANGLE_UNSURE) << i;
    ASSERT_EQ(SwirlAngleWithin(steps, first + slack / 2, slack), SWIRL_ANGLE_UNSURE) << i;
    ASSERT_EQ(SwirlAngleWithin(steps, first - slack / 2, slack), SWIRL_ANGLE_UNSURE) << i;
    // Clear of it: the angle on that side.
    ASSERT_EQ(SwirlAngleWithin(steps, first + 3 * slack, slack), i - 127) << i;
    ASSERT_EQ(SwirlAngleWithin(steps, first - 3 * slack, slack), i - 128) << i;
  }
  // A span across a bucket's end, no step inside: unsure all the same (one bucket per lookup).
  const double edge = std::bit_cast<double>((SWIRL_ANGLE_LOWEST_KEY + 300ull) << SWIRL_ANGLE_KEY_SHIFT);
  EXPECT_EQ(SwirlAngleWithin(steps, edge, SwirlQuotientSlack(edge)), SWIRL_ANGLE_UNSURE);
  EXPECT_EQ(SwirlAngleWithin(steps, 1e10, SwirlQuotientSlack(1e10)), 127);
  EXPECT_EQ(SwirlAngleWithin(steps, -1e10, SwirlQuotientSlack(-1e10)), -127);
}

}  // namespace
