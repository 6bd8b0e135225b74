// Filters: does a concept, or a text, pass?
//
// The output filter of a domain, the deleting rule functions and the
// part-of-speech test select concepts or texts with them. Every test matches
// the whole text: an expression that matches only a part does not pass.

#ifndef KAVERO_ANALYSIS_FILTER_H_
#define KAVERO_ANALYSIS_FILTER_H_

#include <string>

#include "base/regex.h"

namespace zel {
namespace kavero {

class Annotation;

class BaseFilter {
 public:
  // The test on a concept, whether or not it is marked deleted.
  virtual bool check(const Annotation* annotation) const = 0;
  // The test on a live concept: a deleted concept fails.
  virtual bool operator()(const Annotation* annotation) const = 0;
  // The test on a text.
  virtual bool operator()(const std::string& text) const = 0;
  virtual ~BaseFilter();
};

// Passes concepts whose URI, and texts that, a regular expression matches as
// a whole. Copies share the compiled expression.
class RegexFilter : public BaseFilter {
 public:
  // Rewrites the rule language's bracket classes in `pattern` and compiles
  // the result case-sensitively. Throws the conversion's or the compiler's
  // error for a bad pattern.
  explicit RegexFilter(const std::string& pattern);

  bool check(const Annotation* annotation) const override;
  bool operator()(const Annotation* annotation) const override;
  bool operator()(const std::string& text) const override;

  // The pattern as the caller gave it, before conversion.
  const std::string& pattern() const { return pattern_; }

 private:
  std::string pattern_;
  zel::Regex regex_;
};

// Passes a text equal to its own, byte for byte.
struct LiteralFilter {
  explicit LiteralFilter(std::string t) : text(std::move(t)) {}
  bool operator()(const std::string& candidate) const {
    return candidate == text;
  }
  std::string text;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_FILTER_H_
