// The attribute texts of rules: "@" and key "=" value pairs separated by
// ";". The pairs come back in the order of the text, duplicates kept,
// unsorted.
//
// parse_attributes reads the attributes a rule gives the concept it
// inserts. A value is, the first form that fits:
//   "text"        a quoted text; \" stands for a double quote, any other
//                 backslash stays; white space is kept;
//   """text"""    a raw text, which may hold single double quotes;
//   f"text", f"""text"""
//                 a formatted value (AttributeFormatValue), resolved for
//                 each match;
//   text          a bare text: everything up to ";" or the end, trailing
//                 white space included ("" is the two-character text).
// A value that starts with f and a double quote is a formatted value and
// must be well formed: a missing text or closing quote raises
// boost::spirit::qi::expectation_failure. Any other value starting with f
// ("false", "female") is a bare text.
//
// parse_attributes_matcher reads the attribute conditions a rule tests on
// a concept. White space before keys, "=", ";" and values is skipped, but
// white space between a key and its "=" belongs to the key. A value keeps
// its kind in its first character:
//   "text"   gives a double quote and the text; inside, a backslash must
//            be followed by a double quote (else expectation_failure), and
//            the two stand for a backslash;
//   /text/   gives a slash and the pattern, without the closing slash;
//   """text""" gives the bare text.
//
// Text that does not parse, or parses only in part, writes "ERROR:[", the
// text and "]" on a line of standard output; the pairs read before the
// failing point are returned. An empty text gives no pairs and no line.
// White space is the Unicode White_Space property of each byte taken as a
// code point: bytes 0x09 to 0x0D, 0x20, 0x85 and 0xA0.
//
// Each grammar is built once per thread and only read afterwards, so the
// functions may be called from any number of threads at once.

#ifndef KAVERO_MATCHER_ATTRIBUTE_PARSER_H_
#define KAVERO_MATCHER_ATTRIBUTE_PARSER_H_

#include <string>

#include "analysis/attributes.h"

namespace zel {
namespace kavero {

Attributes parse_attributes(const std::string& text);
Attributes parse_attributes_matcher(const std::string& text);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_ATTRIBUTE_PARSER_H_
