// A probability of the part-of-speech tagger that does not underflow.
//
// The tagger multiplies start, transition and emission probabilities along
// paths of up to fifty tokens; in plain single precision such a product
// drops below the smallest float within a few tokens (a floor of 1e-13 taken
// three times already does), after which every path scores 0 and the choice
// of tags no longer depends on the tables. A Probability keeps the
// single-precision significand of the value and its binary exponent apart,
// the exponent as a full integer, so products keep their size however small
// they get.
//
// Products are rounded as single-precision products are: the significands
// are multiplied in single precision, and rounding does not depend on a
// power of two. So wherever the plain float product of the same factors is a
// normal number, the Probability holds exactly that value, and comparisons
// come out the same; only where floats would underflow do the two part.

#ifndef KAVERO_LANGUAGE_HMM_PROBABILITY_H_
#define KAVERO_LANGUAGE_HMM_PROBABILITY_H_

#include <cstdint>
#include <limits>
#include <string>

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace detail {

class Probability {
 public:
  // Zero.
  Probability() = default;

  // Exactly the value. A value that is no probability at all (negative, not
  // a number) counts as 0; an infinite one as the largest float.
  explicit Probability(float value);

  Probability operator*(const Probability& other) const {
    if (significand_ == 0 || other.significand_ == 0) return Probability();
    Probability product;
    // Both significands lie in [0.5, 1), so the product lies in [0.25, 1):
    // a normal float, rounded once, as the float product of the values is.
    product.significand_ = significand_ * other.significand_;
    product.exponent_ = exponent_ + other.exponent_;
    if (product.significand_ < 0.5f) {
      product.significand_ *= 2;
      --product.exponent_;
    }
    return product;
  }

  bool is_zero() const { return significand_ == 0; }

  // Zero is below every other value; otherwise the larger exponent wins,
  // then the larger significand.
  friend bool operator<(const Probability& a, const Probability& b) {
    return a.exponent_ < b.exponent_ ||
           (a.exponent_ == b.exponent_ && a.significand_ < b.significand_);
  }
  friend bool operator>(const Probability& a, const Probability& b) {
    return b < a;
  }
  friend bool operator>=(const Probability& a, const Probability& b) {
    return !(a < b);
  }
  friend bool operator==(const Probability& a, const Probability& b) {
    return a.exponent_ == b.exponent_ && a.significand_ == b.significand_;
  }
  friend bool operator!=(const Probability& a, const Probability& b) {
    return !(a == b);
  }

  // The value as a double; 0 when it is too small for one.
  double to_double() const;

  // The value in decimal: as a double prints it while a double can hold it,
  // else in scientific notation ("3.5e-412").
  std::string to_string() const;

 private:
  // Zero's exponent is below every other, which orders it first.
  static constexpr int32_t kZeroExponent = std::numeric_limits<int32_t>::min();

  // 0, or in [0.5, 1).
  float significand_ = 0;
  // value = significand_ * 2^exponent_.
  int32_t exponent_ = kZeroExponent;
};

}  // namespace detail
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_HMM_PROBABILITY_H_
