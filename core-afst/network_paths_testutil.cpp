#include "core-afst/network_paths_testutil.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace zel {
namespace testing {

std::string label_text(const fst::SymbolTable* table, int label) {
  if (table != nullptr) {
    const std::string text = table->Find(label);
    if (!text.empty()) return text;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(static_cast<uint32_t>(label)));
  return hex;
}

namespace {

class PathLister {
 public:
  PathLister(const fst::StdVectorFst& net, size_t max_steps, bool relations)
      : net_(net), max_steps_(max_steps), relations_(relations) {}

  std::set<std::string> run() {
    if (net_.Start() != fst::kNoStateId) walk(net_.Start(), {net_.Start()});
    return paths_;
  }

 private:
  // `silent` holds the states reached since the last labelled step; an
  // epsilon step into one of them would only go round a loop.
  void walk(int state, std::vector<int> silent) {
    if (net_.Final(state) != fst::StdArc::Weight::Zero()) paths_.insert(join());
    for (fst::ArcIterator<fst::StdVectorFst> it(net_, state); !it.Done(); it.Next()) {
      const fst::StdArc& arc = it.Value();
      if (arc.ilabel == 0 && arc.olabel == 0) {
        bool seen = false;
        for (int s : silent) seen = seen || s == arc.nextstate;
        if (seen) continue;
        std::vector<int> more = silent;
        more.push_back(arc.nextstate);
        walk(arc.nextstate, more);
        continue;
      }
      if (steps_.size() == max_steps_) continue;
      const std::string in = label_text(net_.InputSymbols(), arc.ilabel);
      const std::string out = label_text(net_.OutputSymbols(), arc.olabel);
      steps_.push_back({in, out});
      walk(arc.nextstate, {arc.nextstate});
      steps_.pop_back();
    }
  }

  static bool silent_label(const std::string& text) { return text == "eps" || text == "EPS"; }

  static void append(std::string& text, const std::string& item) {
    if (!text.empty()) text += ' ';
    text += item;
  }

  std::string join() const {
    if (relations_) {
      std::string in;
      std::string out;
      for (const auto& step : steps_) {
        if (!silent_label(step.first)) append(in, step.first);
        if (!silent_label(step.second)) append(out, step.second);
      }
      return in + " -> " + out;
    }
    std::string text;
    for (const auto& step : steps_) {
      append(text, step.first == step.second ? step.first : step.first + ":" + step.second);
    }
    return text;
  }

  const fst::StdVectorFst& net_;
  const size_t max_steps_;
  const bool relations_;
  std::vector<std::pair<std::string, std::string>> steps_;
  std::set<std::string> paths_;
};

}  // namespace

std::set<std::string> accepted_paths(const fst::StdVectorFst& network, size_t max_steps) {
  return PathLister(network, max_steps, false).run();
}

std::set<std::string> accepted_relations(const fst::StdVectorFst& network, size_t max_steps) {
  return PathLister(network, max_steps, true).run();
}

}  // namespace testing
}  // namespace zel
