// The name of an annotation, a rule function or a plugin call: at least two
// characters of A-Z, a-z, 0-9 and "_", namespaces joined with "::"; it may
// start with "." or "::" and end with "::". Yields the name as written.

#ifndef KAVERO_COMPILER_PARSER_GROUP_IDENTIFIER_H_
#define KAVERO_COMPILER_PARSER_GROUP_IDENTIFIER_H_

#include <string>

#include "compiler/parser/grammar_types.h"

namespace zel {
namespace compiler {

class GroupIdentifier : public qi::grammar<Iterator, std::string()> {
 public:
  GroupIdentifier();
  ~GroupIdentifier();

  qi::rule<Iterator, std::string()> name;
  qi::rule<Iterator> namespace_separator;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_GROUP_IDENTIFIER_H_
