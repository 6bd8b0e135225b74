// Lexicon transducers from text: one entry per line in the arc-line syntax
// (see arc_line.h), for example
//
//   Haus:Haus[+Nn-Sg][+Neut]
//   Haus:Haus[+Nn-Pl][+Neut]
//   Paris:Paris[+City]
//
// A word lookup of "Haus" in the result gives "Haus+Nn-Pl+Neut" and
// "Haus+Nn-Sg+Neut". Empty lines are skipped; every other line is one entry.
//
// The entries are unioned and the union is made deterministic over inputs:
// every state has at most one arc per input label, so a lookup follows one
// path, wherever an entry's outputs were written ("word:[EN44]" puts the
// output on the first arc). A word may have any number of analyses (a
// transducer builder's own optimisation refuses an input with two outputs):
// an output goes on the first arc after which all the analyses that can
// still follow agree on it, and what only a word's end decides comes after
// its last input, on arcs that read nothing, one path per analysis. The
// result is then made minimal over input:output pairs.
//
// Outputs stay on the arcs they were written on (the union is made
// deterministic and minimal over pairs only) when moving them could change
// an answer: when an entry outputs "in" (the input character at that arc),
// has a control input label ("#" and more than four bytes), or when the
// entries form a cycle. The result carries the "lower" and "upper" symbol
// tables and is what lexicon lookups read.
//
// The command-line tool afst-lexicon writes such a transducer file:
//
//   afst-lexicon ENTRIES.txt OUTPUT.fst

#ifndef KAVERO_CORE_AFST_LEXICON_TEXT_H_
#define KAVERO_CORE_AFST_LEXICON_TEXT_H_

#include <iosfwd>
#include <memory>
#include <string>

#include <fst/vector-fst.h>

namespace zel {
namespace afst {

// Builds the lexicon of the entries read from `lines`. A line that is no
// well-formed entry (an unknown structure pair, a group it leaves open or
// closes without opening) raises std::runtime_error naming `source` and the
// line number: "<source>:<n>: not a lexicon entry: <line>". Builder errors
// pass through.
std::shared_ptr<fst::StdVectorFst> build_lexicon(std::istream& lines, const std::string& source);

// Reads the entries of the text file `entries_path` and writes the lexicon to
// `fst_path`. Raises std::runtime_error "can not open file " + path when the
// entries cannot be read and "Could not save the " + path + "." when the
// transducer cannot be written.
void compile_lexicon_file(const std::string& entries_path, const std::string& fst_path);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_LEXICON_TEXT_H_
