// Formatted strings: a regular-expression-like text describing the input
// side of a path, fed to a transducer builder. Every arc it makes has the
// output label "eps".
//
//   ab(c|d)*     arcs a and b, then a group of the alternatives c and d,
//                closed with "*"
//   x[#end]      the arc x, then one arc labelled "#end"
//   (ab){2,3}    ab two or three times
//
//   (  opens a group           )   closes it; a following "*", "+", "?" or
//   |  separates alternatives      "{range}" is its repetition
//   .  the arc "??"            [text]  one arc labelled with the raw text
//   \c the character c         any other character (also a "*" that follows
//                              no ")") is an arc of its own
//
// No escape sequences are resolved. The text does not open or close a rule.

#ifndef KAVERO_CORE_AFST_FORMATTED_STRING_H_
#define KAVERO_CORE_AFST_FORMATTED_STRING_H_

#include <memory>
#include <string>

#include "core-afst/builder.h"

namespace zel {
namespace afst {

// Feeds the text to the builder. Raises std::runtime_error "missing braket ]"
// for a "[" without "]" and "missing } braket]" for a "{" after ")" without
// "}"; bad UTF-8 raises the UTF-8 library's errors (utf8::exception); builder
// errors (a bad range) pass through. Calls made before a failure stay.
void add_formatted_string(Builder* builder, const char* text);
void add_formatted_string(std::shared_ptr<Builder>& builder, const char* text);
void add_formatted_string(Builder* builder, const std::string& text);
void add_formatted_string(std::shared_ptr<Builder>& builder, const std::string& text);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_FORMATTED_STRING_H_
