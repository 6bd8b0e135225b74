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
// The entries are unioned and the union is made deterministic and minimal
// over input:output pairs, not over inputs alone: a word may have any number
// of analyses (a transducer builder's own optimisation refuses an input with
// two outputs), and every output label stays on the arc of the input it was
// written with. The result carries the "lower" and "upper" symbol tables and
// is what lexicon lookups read.
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
