// Test helper: lists the label sequences a network accepts.
//
// Two views. accepted_relations() gives, per path, the input labels and the
// output labels as two sequences, "in1 in2 -> out1 out2": what the network
// maps to what, whatever the alignment that optimisation chose (it may emit
// an output before or after the input it belongs to). accepted_paths() gives
// the aligned steps of each path.
//
// In accepted_paths a path is written as its steps joined by single spaces. A step whose two
// labels are the same text is written once ("a"); otherwise as
// input ":" output ("a:x", "eps:z"). Labels are read through the network's
// own symbol tables; a label without a text (a raw label such as the
// separators of unordered groups) is written in hexadecimal ("0x80000000").
// Steps whose labels are both epsilon (key 0) are left out, so a network and
// its epsilon-free equivalent list the same paths. The empty sequence is
// the empty text.
//
//   accepted_paths(net)  ->  {"a b d", "a c d"}
//
// Weights are ignored: every path into a final state counts.

#ifndef KAVERO_CORE_AFST_NETWORK_PATHS_TESTUTIL_H_
#define KAVERO_CORE_AFST_NETWORK_PATHS_TESTUTIL_H_

#include <cstddef>
#include <set>
#include <string>

#include <fst/vector-fst.h>

namespace zel {
namespace testing {

// Every distinct path of at most `max_steps` labelled steps from the start
// state to a final state. Cycles are cut at `max_steps`, so a network with
// loops lists its paths up to that length.
std::set<std::string> accepted_paths(const fst::StdVectorFst& network, size_t max_steps = 12);

// Every distinct pair of sequences "inputs -> outputs" over the paths of at
// most `max_steps` steps. Labels whose text is "eps" or "EPS" (the builder's
// epsilon and the label determinisation writes for residual output; lookups
// consume no input for either) are left out of both sequences. A side without
// labels is empty: "a -> " or " -> x".
//
//   accepted_relations(net)  ->  {"a b d -> a b d", "a c d -> a c d"}
std::set<std::string> accepted_relations(const fst::StdVectorFst& network, size_t max_steps = 12);

// The text of one label as accepted_paths writes it.
std::string label_text(const fst::SymbolTable* table, int label);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_CORE_AFST_NETWORK_PATHS_TESTUTIL_H_
