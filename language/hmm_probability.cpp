#include "language/hmm_probability.h"

#include <cfloat>
#include <cmath>
#include <sstream>

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace detail {

Probability::Probability(float value) {
  if (std::isnan(value) || value <= 0) return;
  if (std::isinf(value)) value = FLT_MAX;
  int exponent = 0;
  significand_ = std::frexp(value, &exponent);
  exponent_ = exponent;
}

double Probability::to_double() const {
  if (is_zero()) return 0;
  // Beyond a double's range the result is 0 (or, for values far above 1,
  // which tables do not hold, infinity).
  return std::ldexp(static_cast<double>(significand_), exponent_);
}

std::string Probability::to_string() const {
  std::ostringstream out;
  const double value = to_double();
  if (value != 0 || is_zero()) {
    out << value;
    return out.str();
  }
  // log10(value) split into a whole decimal exponent and a digit part in
  // [1, 10).
  const double log10_value = std::log10(static_cast<double>(significand_)) +
                             exponent_ * std::log10(2.0);
  double decimal_exponent = std::floor(log10_value);
  double digits = std::pow(10.0, log10_value - decimal_exponent);
  if (digits >= 10) {
    digits /= 10;
    decimal_exponent += 1;
  }
  out << digits << "e" << static_cast<long long>(decimal_exponent);
  return out.str();
}

}  // namespace detail
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
