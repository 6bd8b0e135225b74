#include "core-afst/afst.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include <utf8.h>

namespace zel {
namespace afst {

InputLabel InputLabel::classify(const std::string& text) {
  InputLabel label;
  if (text.empty()) {
    label.flags = kEmpty;
    return label;
  }
  if (text == "eps" || text == "EPS") label.flags |= kEpsilon;
  if (text == "??") label.flags |= kAny;
  if (text.size() > 4 && text.front() == ':' && text.back() == ':') label.flags |= kClass;
  if (text.size() > 4 && text.front() == '#') {
    label.flags |= kControl;
    if (text.compare(0, 4, "#end") == 0) label.flags |= kEndControl;
  }
  if (text.size() <= 5) label.flags |= kShort;
  // A bad first character is not an error of the network: it becomes one
  // only when a walk compares the label with an input character, and the
  // matcher then decodes the text again to raise the UTF-8 error there.
  try {
    auto it = text.begin();
    label.first = utf8::next(it, text.end());
  } catch (const utf8::exception&) {
    label.flags |= kBadFirst;
  }
  return label;
}

OutputLabel classify_output(const std::string& text) {
  if (text.empty() || text == "eps") return OutputLabel::kNothing;
  if (text == "input") return OutputLabel::kInput;
  if (text == "in") return OutputLabel::kIn;
  return OutputLabel::kText;
}

namespace {

std::vector<std::string> symbol_texts(const fst::SymbolTable& table) {
  const int64_t count = static_cast<int64_t>(table.NumSymbols());
  std::vector<std::string> texts;
  texts.reserve(count);
  for (int64_t id = 0; id < count; ++id) texts.push_back(table.Find(id));
  return texts;
}

}  // namespace

AFst::AFst(std::shared_ptr<Transducer> transducer) : transducer_(std::move(transducer)) {
  if (!transducer_) throw std::invalid_argument("lexicon network without a transducer");
  const fst::SymbolTable* in = transducer_->InputSymbols();
  const fst::SymbolTable* out = transducer_->OutputSymbols();
  if (in == nullptr) throw std::invalid_argument("lexicon network without input symbols");
  if (out == nullptr) throw std::invalid_argument("lexicon network without output symbols");
  input_symbols_ = symbol_texts(*in);
  output_symbols_ = symbol_texts(*out);

  input_labels_.reserve(input_symbols_.size());
  for (const auto& text : input_symbols_) input_labels_.push_back(InputLabel::classify(text));
  output_labels_.reserve(output_symbols_.size());
  for (const auto& text : output_symbols_) output_labels_.push_back(classify_output(text));

  const int states = transducer_->NumStates();
  final_states_.reserve(states);
  for (fst::StateIterator<Transducer> it(*transducer_); !it.Done(); it.Next()) {
    final_states_.push_back(transducer_->Final(it.Value()) != fst::TropicalWeight::Zero());
  }

  start_ = transducer_->Start();
  if (start_ == fst::kNoStateId) return;
  if (start_ < 0 || start_ >= states) {
    throw std::invalid_argument("lexicon network whose start state " + std::to_string(start_) +
                                " is not one of its " + std::to_string(states) + " states");
  }

  // Depth-first order from the start state; a state's first target comes
  // right after it.
  std::vector<int> order;
  std::vector<bool> seen(states, false);
  std::vector<int> pending{start_};
  seen[start_] = true;
  while (!pending.empty()) {
    const int state = pending.back();
    pending.pop_back();
    order.push_back(state);
    const std::size_t mark = pending.size();
    for (fst::ArcIterator<Transducer> it(*transducer_, state); !it.Done(); it.Next()) {
      const int target = it.Value().nextstate;
      // Transducers read from files are checked when they are read
      // (transducer_file.h); this guards the arrays against any other.
      if (target < 0 || target >= states) {
        throw std::invalid_argument("lexicon network with an arc of state " +
                                    std::to_string(state) + " to state " + std::to_string(target) +
                                    " of " + std::to_string(states) + " states");
      }
      if (!seen[target]) {
        seen[target] = true;
        pending.push_back(target);
      }
    }
    std::reverse(pending.begin() + mark, pending.end());
  }

  std::vector<ArcSpan> spans(states);
  uint32_t offset = 0;
  for (int state : order) {
    const auto count = static_cast<uint32_t>(transducer_->NumArcs(state));
    spans[state] = ArcSpan{offset, offset + count};
    offset += count;
  }
  start_arcs_ = spans[start_];
  arcs_.reserve(offset);
  for (int state : order) {
    for (fst::ArcIterator<Transducer> it(*transducer_, state); !it.Done(); it.Next()) {
      const fst::StdArc& arc = it.Value();
      LookupArc entry{};
      entry.input = arc.ilabel;
      entry.output = arc.olabel;
      entry.target = arc.nextstate;
      entry.target_arcs = spans[arc.nextstate];
      if (arc.ilabel >= 0 && static_cast<std::size_t>(arc.ilabel) < input_labels_.size()) {
        entry.first = input_labels_[arc.ilabel].first;
        entry.input_flags = input_labels_[arc.ilabel].flags;
      } else {
        entry.flags |= LookupArc::kInputBeyondList;
      }
      if (arc.olabel < 0 || static_cast<std::size_t>(arc.olabel) >= output_labels_.size()) {
        entry.flags |= LookupArc::kOutputBeyondList;
      }
      if (final_states_[arc.nextstate]) entry.flags |= LookupArc::kTargetFinal;
      arcs_.push_back(entry);
    }
  }
}

}  // namespace afst
}  // namespace zel
