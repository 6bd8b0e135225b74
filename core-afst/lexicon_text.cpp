#include "core-afst/lexicon_text.h"

#include <istream>
#include <sstream>
#include <stdexcept>

#include <fst/arcsort.h>
#include <fst/determinize.h>
#include <fst/encode.h>
#include <fst/minimize.h>
#include <fst/rmepsilon.h>

#include "base/file.h"
#include "core-afst/arc_line.h"
#include "core-afst/builder.h"

namespace zel {
namespace afst {

namespace {

using Arc = fst::StdArc;
using Network = fst::StdVectorFst;

// Deterministic and minimal over input:output pairs. Each pair is encoded as
// one label, so the acceptor algorithms neither merge two outputs of one
// input nor move an output away from its input.
Network optimise_over_pairs(const Network& entries) {
  Network net(entries);
  fst::RmEpsilon(&net);
  fst::EncodeMapper<Arc> encoder(fst::kEncodeLabels, fst::ENCODE);
  fst::Encode(&net, &encoder);
  Network deterministic;
  fst::Determinize(net, &deterministic);
  fst::Minimize(&deterministic);
  fst::Decode(&deterministic, encoder);
  fst::ArcSort(&deterministic, fst::ILabelCompare<Arc>());
  return deterministic;
}

// Whether the outputs of the entries may be moved along their paths without
// changing what a lookup answers. A lookup concatenates the outputs of a
// whole path, wherever they sit, except for two kinds of label: the output
// "in" copies the input character at the position its arc is met, and a
// control input label ("#" and more than four bytes, such as "#end...")
// records results part-way along a path. Moving outputs also needs a finite
// language, so that the delay of an output stays bounded.
bool outputs_may_move(const Network& entries) {
  if (entries.Properties(fst::kAcyclic, true) != fst::kAcyclic) return false;
  const fst::SymbolTable* in = entries.InputSymbols();
  const fst::SymbolTable* out = entries.OutputSymbols();
  if (in == nullptr || out == nullptr) return false;
  for (fst::StateIterator<Network> states(entries); !states.Done(); states.Next()) {
    for (fst::ArcIterator<Network> arcs(entries, states.Value()); !arcs.Done(); arcs.Next()) {
      const Arc& arc = arcs.Value();
      if (out->Find(arc.olabel) == "in") return false;
      const std::string label = in->Find(arc.ilabel);
      if (label.size() > 4 && label[0] == '#') return false;
    }
  }
  return true;
}

// Deterministic over inputs, outputs placed where the input first decides
// them. An entry written with its output on the first arc ("word:[EN44]")
// would otherwise keep one start arc per pair of first letter and output,
// thousands in a large list, and a lookup would scan them all. Here every
// state has at most one arc per input label: an output goes on the first arc
// after which every continuation agrees on it, and what only the end of a
// word decides follows that word's last input on arcs that read nothing (one
// such path per analysis). Entries written with their outputs on their own
// inputs ("Haus:Haus[+Nn-Sg]") keep them there, as every continuation
// agrees. Those paths of analyses that begin alike are then merged, and the
// whole is made minimal, over pairs, which keeps the input side
// deterministic.
Network optimise_over_inputs(const Network& entries) {
  Network net(entries);
  fst::RmEpsilon(&net);
  Network deterministic;
  fst::Determinize(net, &deterministic,
                   fst::DeterminizeOptions<Arc>(fst::kDelta, Arc::Weight::Zero(), fst::kNoStateId,
                                                0, fst::DETERMINIZE_NONFUNCTIONAL));
  return optimise_over_pairs(deterministic);
}

}  // namespace

std::shared_ptr<fst::StdVectorFst> build_lexicon(std::istream& lines, const std::string& source) {
  Builder builder;
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    builder.open_rule();
    stack_item* rule = builder.current_item();
    const int32_t result = push_arcs_line(builder, line);
    if (result == kArcLineDone) builder.close_rule();
    // A balanced entry leaves its rule current once closed.
    if (result != kArcLineDone || builder.current_item() != rule) {
      std::ostringstream message;
      message << source << ":" << number << ": not a lexicon entry: " << line;
      throw std::runtime_error(message.str());
    }
  }
  builder.applyUnion(0);
  const std::shared_ptr<Network> entries = builder.simple_copy();
  auto lexicon = std::make_shared<Network>(
      outputs_may_move(*entries) ? optimise_over_inputs(*entries) : optimise_over_pairs(*entries));
  lexicon->SetInputSymbols(entries->InputSymbols());
  lexicon->SetOutputSymbols(entries->OutputSymbols());
  return lexicon;
}

void compile_lexicon_file(const std::string& entries_path, const std::string& fst_path) {
  std::istringstream lines(zel::file::load(entries_path.c_str()));
  const auto lexicon = build_lexicon(lines, entries_path);
  if (fst_path.empty() || !lexicon->Write(fst_path)) {
    throw std::runtime_error("Could not save the " + fst_path + ".");
  }
}

}  // namespace afst
}  // namespace zel
