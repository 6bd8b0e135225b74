#include "language/hmm_probability.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace detail {
namespace {

bool normal_or_zero(float f) {
  return f == 0 || std::fpclassify(f) == FP_NORMAL;
}

// Wherever the float products are normal numbers, a chain of products
// holds exactly their value, so every comparison comes out as with floats.
TEST(HmmProbability, ProductsAreFloatProductsWhileThoseAreNormal) {
  std::mt19937 random(7);
  // Probabilities over many orders of magnitude, a few of them 0.
  auto draw = [&] {
    if (random() % 50 == 0) return 0.0f;
    const float mantissa = std::uniform_real_distribution<float>(0, 1)(random);
    return std::ldexp(mantissa, -static_cast<int>(random() % 40));
  };
  int compared = 0;
  for (int round = 0; round < 20000; ++round) {
    float f = draw();
    Probability p(f);
    for (int step = 0; step < 6; ++step) {
      const float factor = draw();
      const float next = f * factor;
      if (!normal_or_zero(next) || (next == 0 && f != 0 && factor != 0)) break;
      f = next;
      p = p * Probability(factor);
      ASSERT_EQ(p, Probability(f)) << "round " << round << " step " << step;
      ++compared;
    }
    const float other = draw();
    EXPECT_EQ(Probability(f) < Probability(other), f < other);
    EXPECT_EQ(Probability(f) >= Probability(other), f >= other);
    EXPECT_EQ(Probability(f) == Probability(other), f == other);
  }
  EXPECT_GT(compared, 20000);
}

TEST(HmmProbability, ProductsKeepTheirSizeBelowTheFloats) {
  const Probability floor(1e-13f);
  Probability nine = floor;
  for (int i = 1; i < 9; ++i) nine = nine * floor;
  const Probability ten = nine * floor;
  EXPECT_FALSE(ten.is_zero());
  EXPECT_LT(ten, nine);
  EXPECT_LT(ten * Probability(0.5f), ten);
  EXPECT_GT(ten * Probability(0.5f), ten * Probability(0.25f));
  EXPECT_LT(Probability(), ten);
  EXPECT_TRUE((ten * Probability()).is_zero());
  // 2^-2000 in decimal.
  Probability half(0.5f);
  Probability tiny = half;
  for (int i = 1; i < 2000; ++i) tiny = tiny * half;
  EXPECT_EQ(tiny.to_double(), 0);
  EXPECT_EQ(tiny.to_string(), "8.70981e-603");
  EXPECT_EQ(Probability(0.25f).to_string(), "0.25");
  EXPECT_EQ(Probability().to_string(), "0");
}

TEST(HmmProbability, ValuesThatAreNoProbabilities) {
  EXPECT_TRUE(Probability(-0.5f).is_zero());
  EXPECT_TRUE(Probability(std::numeric_limits<float>::quiet_NaN()).is_zero());
  EXPECT_EQ(Probability(std::numeric_limits<float>::infinity()), Probability(FLT_MAX));
  // Subnormal table values are held exactly.
  const float subnormal = std::numeric_limits<float>::denorm_min() * 3;
  EXPECT_EQ(Probability(subnormal).to_double(), static_cast<double>(subnormal));
}

}  // namespace
}  // namespace detail
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
