// Input-stream normalisation of lexicon entries.
//
// A lexicon's attribute "input" names the text stream of a document that its
// entries are matched against. Entries of a lexicon that reads a normalised
// stream ("normalized_literal", "normalized_stem", "normalized_lemma") are
// rewritten to their normalised form, entries of a lexicon that reads the
// "component" or "head" stream to their lower-case form; entries of the other
// streams, and raw entries ("""...""") of every stream, stay as written.
//
// The rewrite runs in two steps over a source's tree, so that the lexicon
// stem checks can look at both forms in between:
//   visit   stores the new form of every entry in its `normalized` text, and
//           warns (code 0x80) where normalising met a dash or an underscore
//           between blanks;
//   apply   copies every stored form over its entry's text.
// Both walk namespaces and chains to any depth and leave rules alone.

#ifndef KAVERO_COMPILER_BACKEND_INPUT_STREAM_H_
#define KAVERO_COMPILER_BACKEND_INPUT_STREAM_H_

#include <string>

#include "base/stream_name.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class Blackboard;

namespace input_stream {

// The normalised streams (types 2 and 3).
bool to_normalize_casing(const text_stream_type& type);
// The component and head streams (types 4 and 5).
bool to_lower_casing(const text_stream_type& type);

// The warning "lexicon entry '" entry "' has been normalized to '"
// normalized "'" at the line, column 0, code 0x80.
void compiler_warning_different_normalization(const std::string& entry,
                                              const std::string& normalized, int line);

// The blackboard is not consulted. The tree is taken as const, as the
// builder contract hands it over, but its lexicon entries are written.
void visit(Blackboard& blackboard, const ast::node::Root& root);
void apply(Blackboard& blackboard, const ast::node::Root& root);

}  // namespace input_stream
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_INPUT_STREAM_H_
