// Semantic actions that guard names and attribute values: text that is no
// statement, attribute keys in strict mode, concept, built-in function and
// plugin-call names, and f-string values (f"..."), whose variables are
// checked by fstring.h.
//
// They report through the compilation's diagnostics of the bound compiler
// Blackboard, with code 0. The statement and f-string errors are reported
// only while the compilation has no error yet, so that one unparsable
// stretch does not bring a cascade of messages. None of them abandons the
// parse by itself.

#ifndef KAVERO_COMPILER_PARSER_ATTRIBUTE_CHECKS_H_
#define KAVERO_COMPILER_PARSER_ATTRIBUTE_CHECKS_H_

#include <string>

#include "compiler/parser/source_range.h"

namespace zel {
namespace compiler {

// Reports the message followed by the first line of the range text, at the
// line and column of the range start, unless an error is already recorded.
// Always false.
bool invalid_statement(const SourceRange& range, const std::string& message);

namespace parser {
namespace action {

// In strict mode, reports a key with a byte other than "_" and an ASCII
// lower-case letter. Always true.
bool check_attribute_key_names(const SourceRange& range);

// Whether the name may be used: not a keyword (define, lexicon, namespace,
// rule), longer than one byte, a known built-in function when it begins
// "kav::". A plugin call ("::plugin::module::function") is reported, but
// accepted, when the compilation disables plugin calls; with no compiler
// Blackboard it is refused.
bool check_concept_names(const SourceRange& range);

// Whether the f-string value (f and quotes included) is well formed: its
// braces balance, escaped ones ("{{", "}}") aside, every variable starts
// with a known head and check_fstring_pattern counts at least one valid
// variable. The first fault is reported.
bool check_formated_attributes_fn(const SourceRange& range);
bool check_formated_attributes_template(const SourceRange& range);

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_ATTRIBUTE_CHECKS_H_
