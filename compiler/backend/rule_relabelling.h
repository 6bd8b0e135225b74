// Rewrites the input labels of a built rule or bitset transducer from the
// symbol keys of their label texts to the numeric labels the runtime reads.
//
// A text "0x..." becomes the number it spells ("0x10000005" -> 0x10000005).
// An attribute test "0x50000000@..." and a property "0xa0000000+..." keep
// their symbol key in the low bits under the kind bits (key 7 ->
// 0x50000007), so the text stays reachable through the transducer's input
// table. Other texts (epsilon, the capture attributes "@...") keep their
// key. Must run once per transducer: afterwards labels are no longer keys.

#ifndef KAVERO_COMPILER_BACKEND_RULE_RELABELLING_H_
#define KAVERO_COMPILER_BACKEND_RULE_RELABELLING_H_

#include <cstdint>
#include <set>

#include <fst/vector-fst.h>

namespace zel {
namespace compiler {

// Rewrites the input labels in place (output labels are left alone) and
// returns every full label value written, attribute tests and properties
// excluded. A transducer without a start state stays unchanged.
std::set<std::uint32_t> replace_rule_ids(fst::StdVectorFst& network);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RULE_RELABELLING_H_
