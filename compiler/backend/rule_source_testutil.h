// Test helpers for the rule back end: one rule parsed from source text and
// numbered as the result store numbers it before translation, and the label
// sequences of a rule transducer in readable form.

#ifndef KAVERO_COMPILER_BACKEND_RULE_SOURCE_TESTUTIL_H_
#define KAVERO_COMPILER_BACKEND_RULE_SOURCE_TESTUTIL_H_

#include <cstddef>
#include <set>
#include <string>

#include <fst/vector-fst.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {
namespace testing {

// Parses a source holding exactly one rule (a test failure otherwise), gives
// unnamed captures their names and numbers tokens, concepts and captures in
// the store.
ast::node::Rule parsed_rule(Compilation& compilation, ResultStore& store,
                            const std::string& source);

// One label text of a rule transducer's table in readable form: "TK1" for
// "0x10000001", "CNCPT_BEG2", "CAPEND1", "SHRT", "ANY", "NEG", "NEG_BEG",
// "NEG_END", "NEG_EMPTY", "ATT@k=v" for "0x50000000@k=v", "PROP+pl" for
// "0xa0000000+pl"; other texts stay as they are.
std::string readable_label(const std::string& text);

// accepted_paths of the network (up to `max_steps` steps) with every label
// in readable form; a raw output label without text (the rebuilt bitset
// chain) is left out.
std::set<std::string> readable_paths(const fst::StdVectorFst& network, size_t max_steps = 12);

}  // namespace testing
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RULE_SOURCE_TESTUTIL_H_
