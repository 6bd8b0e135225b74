// Small lexicon networks made arc by arc, for tests that show how single
// labels behave. Lexicons made from text lines come from the builder's own
// tools.

#ifndef KAVERO_CORE_AFST_LOOKUP_NETWORK_TESTUTIL_H_
#define KAVERO_CORE_AFST_LOOKUP_NETWORK_TESTUTIL_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fst/arc.h>
#include <fst/symbol-table.h>
#include <fst/vector-fst.h>

#include "core-afst/afst.h"

namespace zel {
namespace afst {
namespace testing {

class TestNetwork {
 public:
  // A transducer with one state, the start state 0, and symbol tables that
  // hold "eps" as id 0.
  TestNetwork();

  int add_state();
  // An arc whose labels have these texts (added to the tables when new).
  void arc(int from, const std::string& input, const std::string& output, int to);
  // An arc with raw label ids, for ids that are not in the tables.
  void raw_arc(int from, int input_id, int output_id, int to);
  void set_final(int state);
  // A path from the start state reading one label per input text, writing
  // the output texts alongside ("eps" where outputs run out), ending in a
  // new final state that it returns.
  int path(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);
  // The path of a word, one label per code point, with one output label.
  int word(const std::string& word, const std::string& output);

  std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer() const { return transducer_; }
  std::shared_ptr<AFst> network() const;

 private:
  std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer_;
  fst::SymbolTable input_;
  fst::SymbolTable output_;
};

// A lexicon network of (word, output) entries, each the path of word().
std::shared_ptr<AFst> lexicon(
    const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace testing
}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_LOOKUP_NETWORK_TESTUTIL_H_
