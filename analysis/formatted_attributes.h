// Formatted attribute values: a rule or a concept definition may give a
// concept a value written as a format with variables (f"{capture.stem}"),
// an AttributeFormatValue. When the concept is inserted, the plugin
// function named by the analyzer option
// "resolve_formated_attribute_function" turns the format into its text for
// the match; a format that cannot be resolved does not stay on the concept.

#ifndef KAVERO_ANALYSIS_FORMATTED_ATTRIBUTES_H_
#define KAVERO_ANALYSIS_FORMATTED_ATTRIBUTES_H_

#include <string>

#include "analysis/attributes.h"

namespace zel {
namespace kavero {

class Blackboard;

namespace runtime {
class Context;
}  // namespace runtime

// The text of one format for the match of the context: empty, without a
// call, when the format holds no valid variable
// (zel::compiler::check_fstring_pattern); otherwise the context becomes the
// thread's plugin match context and the blackboard's resolving function is
// triggered, for the context's blackboard, with the format as its one text
// argument; its answer is returned (empty when plugins are not allowed).
// Errors of the plugin call propagate.
std::string resolve_attribute(Blackboard& blackboard, const std::string& format,
                              runtime::Context& context);

// Resolves, in list order, every format value of the list that is not
// resolved yet; text values and resolved formats are left alone. A format
// that resolves to an empty text, and every unresolved format when the
// blackboard does not allow plugins (then without any call), becomes an
// AttributeFormatInvalidValue, and all such entries are removed at the
// end; the rest keep their order.
void resolve_attributes(Blackboard& blackboard, Attributes& list,
                        runtime::Context& context);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_FORMATTED_ATTRIBUTES_H_
