// Postagger transducers from text, one arc or final state per line:
//
//   # a reading "Nn-Sg" after a determiner scores 2
//   0 1 N
//   1 2 n
//   2 3 -p1
//   3 4 D #2
//   4
//
// An arc line is "from to input [output]" (states are numbers, labels texts
// without blanks; the output defaults to "eps"); a line with one number makes
// that state final. The first line's state is the start state. Lines that
// are empty or begin with "#" are skipped. Arcs keep the order of their lines,
// which is the order in which the postagger tries them, and nothing is
// optimised away.
//
// The result carries the symbol tables "lower" (inputs) and "upper"
// (outputs), each with "eps" as 0 and "EPS" as 1 and every other label in
// order of first use.
//
// The command-line tool postagger-compile writes such a transducer file:
//
//   postagger-compile RULES.txt OUTPUT.postagger

#ifndef KAVERO_LANGUAGE_POSTAGGER_TEXT_H_
#define KAVERO_LANGUAGE_POSTAGGER_TEXT_H_

#include <iosfwd>
#include <memory>
#include <string>

#include <fst/vector-fst.h>

namespace zel {
namespace kavero {
namespace disambiguation {

// Builds the transducer of the lines. A line that is neither an arc nor a
// final state raises std::runtime_error "<source>:<n>: not a postagger
// line: <line>".
std::shared_ptr<fst::StdVectorFst> build_postagger(std::istream& lines,
                                                   const std::string& source);

// Reads `rules_path` and writes the transducer to `fst_path`. Raises
// std::runtime_error "can not open file " + path, and "Could not save the " +
// path + "." when the transducer cannot be written.
void compile_postagger_file(const std::string& rules_path, const std::string& fst_path);

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_POSTAGGER_TEXT_H_
