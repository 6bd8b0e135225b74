// The small value actions that the two translation units of DomainParser
// share: appending to a record's sequence and storing a start position.
// Internal to the grammar; include it only where DomainParser is built.

#ifndef KAVERO_COMPILER_PARSER_DOMAIN_PARSER_ACTIONS_H_
#define KAVERO_COMPILER_PARSER_DOMAIN_PARSER_ACTIONS_H_

#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {
namespace grammar_util {

// Appends an element (a statement, a rule node, an entry) to a sequence,
// converting it to the sequence's element type.
struct AppendImpl {
  using result_type = void;
  template <typename Sequence, typename Element>
  void operator()(Sequence& sequence, const Element& element) const {
    sequence.push_back(typename Sequence::value_type(element));
  }
};

// Stores where a range starts as a record's position.
struct SetPositionImpl {
  using result_type = void;
  template <typename Record>
  void operator()(Record& record, const SourceRange& range) const {
    record.position = range.begin();
  }
};

}  // namespace grammar_util
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_DOMAIN_PARSER_ACTIONS_H_
