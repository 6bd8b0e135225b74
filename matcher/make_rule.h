// Makes the rule object of a rule record and chooses its matcher.
//
// A record whose attribute "rt" is 2 (the compiler's mark for a single-path
// rule) becomes a forward rule, unless KAVERO_OPTIMIZATION_LEVEL is 0, the
// transducer is not a single path numbered in path order, or the path has
// no step that consumes input other than gaps; every other record becomes
// an afst rule.

#ifndef KAVERO_MATCHER_MAKE_RULE_H_
#define KAVERO_MATCHER_MAKE_RULE_H_

#include <cstdint>
#include <memory>
#include <string>

#include <sqlite3.h>

#include "matcher/rule_interface.h"

namespace zel {
namespace kavero {

// The environment variable KAVERO_OPTIMIZATION_LEVEL as a base-10 number,
// read once when the library loads; 1 when it is not set, 0 for a text
// that is no number. Only zero against non-zero matters: 0 runs every rule
// on the afst matcher.
extern const int32_t KAVERO_OPTIMIZATION_LEVEL;

// The rule of record `name` with the record's attribute text. A missing or
// unreadable rule or bitset record raises zel::Exception naming the record;
// a name shorter than five characters raises std::out_of_range.
std::shared_ptr<RuleInterface> make_rule(std::shared_ptr<sqlite3> db, const std::string& name,
                                         const std::string& attributes);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_MAKE_RULE_H_
