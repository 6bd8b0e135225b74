// The conditions a rule tests on the concept or the token it matched last.
//
// An attribute condition reaches the matcher as the text of a rule symbol
// holding "@" and key "=" value pairs from its first at sign on (see
// parse_attributes_matcher). It holds for a concept when:
//   "_contains" is a key: its first value, taken as below, occurs anywhere
//               in the concept's canonical text or, when that differs, in
//               the text of its range with the document's spacing;
//   "_match" is a key:    its first value matches the whole canonical text;
//   otherwise:            there is a condition and Concept::match holds for
//                         every one, in order.
// A value between slashes (/Inc\./) is a regular expression; a quoted value
// ("Inc.") is plain text, so that "C++" means those three characters and
// not a pattern that does not compile. A raw value loses its first
// character, as the value's kind would.
//
// A property condition is a symbol holding the property name after its
// first '+'; it holds for a token whose property set or any of whose
// readings has the property.
//
// One AttributeConditions belongs to one matcher (and the sub-matchers it
// makes, which share it): every condition text is parsed once and every
// pattern compiled once for the matcher's life. It is not locked.

#ifndef KAVERO_MATCHER_ATTRIBUTE_CONDITIONS_H_
#define KAVERO_MATCHER_ATTRIBUTE_CONDITIONS_H_

#include <map>
#include <string>

#include "analysis/annotation.h"
#include "analysis/attributes.h"
#include "base/regex.h"

namespace zel {
namespace kavero {
namespace matcher {

class AttributeConditions {
 public:
  // Whether the condition of the symbol text holds for the concept. A
  // condition text that does not parse raises from the parser; a pattern
  // that does not compile raises the regular-expression error.
  bool holds(const std::string& symbol_text, const Concept* concept_annotation);

  // The parsed condition of a symbol text (empty when it has no at sign).
  const Attributes& conditions(const std::string& symbol_text);

  // The compiled patterns, by pattern text.
  const std::map<std::string, zel::Regex>& regex_cache() const { return regex_cache_; }

 private:
  const zel::Regex& contains_pattern(const std::string& value);
  const zel::Regex& match_pattern(const std::string& value);

  std::map<std::string, Attributes> conditions_;
  std::map<std::string, zel::Regex> regex_cache_;
};

// Whether the token (its property set or a reading) has the property named
// in the symbol text after its first '+'; false for a text without '+'.
bool holds_property(const Token& token, const std::string& symbol_text);

// The text with every ASCII character that is not a letter or a digit
// escaped, so that a regular expression made of it matches the text itself.
std::string escape_pattern(const std::string& text);

}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ATTRIBUTE_CONDITIONS_H_
