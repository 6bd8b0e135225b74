// Reading compiled transducers from files and records that may be damaged.
//
// Every transducer the library reads (a language's lexicons and guesser
// network, its postagger, the identifier's "lid.fst", the transducer records
// of compiled domains) is the finite-state library's binary form of a vector
// transducer over the tropical arc, with both symbol tables. All numbers are
// little-endian; a text is a 32-bit length and its bytes:
//
//   header   magic (32 bits), transducer type "vector", arc type "standard",
//            version (32), flags (32: 1 input table, 2 output table,
//            4 aligned), properties (64), start state (64), state count
//            (64; -1: the states run to the end), arc count (64, unused)
//   tables   for the input table, then the output table: magic (32), name,
//            the next free key (64), the symbol count (64), and per symbol
//            its text and key (64)
//   states   per state: final weight (32-bit float), arc count (64), and per
//            arc input label (32), output label (32), weight (float), next
//            state (32)
//
// The library's own reader trusts every count and index in these bytes: a
// damaged count makes it allocate gigabytes or read a text byte by byte for
// minutes, and a damaged next state or label makes the code that walks the
// transducer read outside its arrays. So the bytes are read here instead,
// with every count checked against the bytes that are left before anything
// is allocated for it, and the transducer is accepted only when
//   - both symbol tables are there (unless the reader allows a transducer
//     without them), with distinct non-negative keys and distinct texts,
//     each text valid UTF-8;
//   - the start state and every arc's next state are states of the
//     transducer;
//   - every arc's input and output labels are keys of their tables below
//     the table's symbol count (the ids the lexicon network can hold);
//   - final weights are numbers or +infinity (no final state), arc weights
//     are not NaN nor -infinity;
//   - nothing follows the last state.
// The transducer is then built state by state, so its properties are
// computed rather than taken from the (possibly damaged) header.

#ifndef KAVERO_CORE_AFST_TRANSDUCER_FILE_H_
#define KAVERO_CORE_AFST_TRANSDUCER_FILE_H_

#include <memory>
#include <string>
#include <string_view>

#include <fst/arc.h>
#include <fst/vector-fst.h>

namespace zel {
namespace afst {

using StoredTransducer = fst::VectorFst<fst::StdArc>;

// What a reader asks of a transducer beyond a sound layout.
struct TransducerRules {
  // Both symbol tables must be there. Without this a transducer may lack a
  // table; its labels on that side are then any non-negative numbers.
  bool symbol_tables = true;
  // Every symbol text must be valid UTF-8 (the lookups decode them).
  bool utf8_symbols = true;
  // Every arc label must be a key of its table. Compiled rules carry
  // labels that are a kind in the top byte and an index below it (read as
  // 32-bit values, so they may be negative here); their readers look the
  // symbol texts up with bounds tests, so such records turn this off.
  bool labels_in_tables = true;
};

// Reads a transducer from its stored bytes. Answers null and sets *fault to
// what is wrong (a short sentence without the source's name) when the bytes
// are not a sound transducer; never raises for the bytes' sake.
std::shared_ptr<StoredTransducer> read_transducer(std::string_view bytes, std::string* fault,
                                                  const TransducerRules& rules = {});

// Reads the bytes of a regular file; answers false and sets *fault when the
// path names no regular file or cannot be read.
bool read_transducer_bytes(const std::string& path, std::string* bytes, std::string* fault);

// Reads the transducer of a file. Raises zel::Exception "Invalid transducer
// file [" + path + "]: " + the fault.
std::shared_ptr<StoredTransducer> read_transducer_file(const std::string& path);

// Reads the transducer of a record. Raises zel::Exception "Invalid
// transducer [" + name + "]: " + the fault; `name` says which record of
// which file.
std::shared_ptr<StoredTransducer> read_transducer_record(std::string_view bytes,
                                                         const std::string& name,
                                                         const TransducerRules& rules = {});

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_TRANSDUCER_FILE_H_
