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
  auto lexicon = std::make_shared<Network>(optimise_over_pairs(*entries));
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
