#include "language/hmm_tagger.h"

#include "language/token_flags.h"

#include <algorithm>
#include <iostream>
#include <sstream>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "language/language_module.h"
#include "language/pos_table.h"
#include "language/reading.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace detail {
namespace {

constexpr uint32_t kPunctRoot = 0x08000000;
// A window ends at punctuation once it holds this many tokens...
constexpr size_t kWindowPunctuationBound = 30;
// ... and at this many tokens in any case.
constexpr size_t kWindowBound = 50;
// The reading given to a token without readings.
const char kDefaultPos[] = "Nn-Std";

void give_default_reading(Token& token) {
  token.readings.emplace_back(kDefaultPos, token.literal, 1.0);
}

// Keeps the readings of the chosen tag; later ones that repeat the first
// one's stem are merged into it.
void keep_chosen(Token& token, uint32_t tag) {
  auto& readings = token.readings;
  readings.remove_if([tag](const kavero::MorphData& r) { return r.pos_id() != tag; });
  if (readings.size() < 2) return;
  kavero::MorphData& first = readings.front();
  for (auto it = std::next(readings.begin()); it != readings.end();) {
    if (it->stem != first.stem) {
      ++it;
      continue;
    }
    for (const std::string& property : it->properties) {
      if (std::find(first.properties.begin(), first.properties.end(),
                    property) == first.properties.end()) {
        first.properties.push_back(property);
      }
    }
    it = readings.erase(it);
  }
}

}  // namespace

PosData* viterbi_element::find(uint32_t tag) {
  auto it = std::lower_bound(
      states.begin(), states.end(), tag,
      [](const std::pair<uint32_t, PosData>& s, uint32_t t) {
        return s.first < t;
      });
  return it != states.end() && it->first == tag ? &it->second : nullptr;
}

std::pair<PosData*, bool> viterbi_element::insert(uint32_t tag,
                                                  const PosData& state) {
  auto it = std::lower_bound(
      states.begin(), states.end(), tag,
      [](const std::pair<uint32_t, PosData>& s, uint32_t t) {
        return s.first < t;
      });
  if (it != states.end() && it->first == tag) return {&it->second, false};
  it = states.insert(it, {tag, state});
  return {&it->second, true};
}

CalculatePermutation::CalculatePermutation(const Resource* tables)
    : tables_(tables) {}

CalculatePermutation::~CalculatePermutation() {
  try {
    apply_viterbi_algo();
  } catch (...) {
  }
}

Probability CalculatePermutation::emission(const Token& token,
                                           const std::string& pos) const {
  const auto& table = tables_->emission;
  if (!table.empty()) {
    std::string& key = emission_key_;
    key.assign(token.literal).append("^^").append(pos);
    auto it = table.find(key);
    if (it == table.end()) {
      key.assign("dummy^^").append(pos);
      it = table.find(key);
    }
    if (it != table.end()) return Probability(it->second);
  }
  return Probability(kFloorProbability);
}

Probability CalculatePermutation::start(uint32_t tag) const {
  auto it = tables_->start.find(tag);
  return Probability(it == tables_->start.end() ? kFloorProbability
                                                : it->second);
}

void CalculatePermutation::score_first(viterbi_element& column) const {
  // Of two readings of one tag, the earlier one's state stays.
  for (const kavero::MorphData& r : column.token->readings) {
    if (column.find(r.pos_id()) != nullptr) continue;
    column.insert(r.pos_id(),
                  {0, start(r.pos_id()) * emission(*column.token, r.pos())});
  }
}

void CalculatePermutation::add(Token* t) {
  columns_.emplace_back(t);
  if (columns_.size() == 1) {
    score_first(columns_.back());
  } else {
    viterbi_element& column = columns_.back();
    viterbi_element& before = columns_[columns_.size() - 2];
    Token* p = before.token;
    if (t->readings.empty()) give_default_reading(*t);
    if (p->readings.empty()) {
      // Only a window's first token can still lack readings here. It is
      // scored now, as if it had held the reading when the window began;
      // without a state every path of the window would score 0.
      give_default_reading(*p);
      score_first(before);
    }
    emissions_.clear();
    for (const kavero::MorphData& r : t->readings) {
      emissions_.push_back(emission(*t, r.pos()));
    }
    const TransitionTableResource& transition = tables_->transition;
    for (const kavero::MorphData& m : p->readings) {
      const Probability pp = before.insert(m.pos_id(), PosData()).first->probability;
      size_t i = 0;
      for (const kavero::MorphData& r : t->readings) {
        const Probability tr(
            transition.get(make_transition_id(m.pos_id(), r.pos_id())));
        const Probability v = (tr * pp) * emissions_[i++];
        auto [state, added] = column.insert(r.pos_id(), {m.pos_id(), v});
        // Of equal scores the later reading of the previous token wins.
        if (!added && v >= state->probability) {
          state->previous = m.pos_id();
          state->probability = v;
        }
      }
    }
  }
  const size_t n = columns_.size();
  if (n >= kWindowBound ||
      (n >= kWindowPunctuationBound && has_pos(t, kPunctRoot))) {
    apply_viterbi_algo();
  }
}

void CalculatePermutation::apply_viterbi_algo() {
  if (columns_.empty()) return;
  const viterbi_element& last = columns_.back();
  if (last.states.empty()) {
    // A lone token without readings: there is nothing to choose.
    columns_.clear();
    return;
  }
  Probability best;
  for (const auto& s : last.states) {
    if (s.second.probability > best) best = s.second.probability;
  }
  std::vector<uint32_t> chosen(columns_.size());
  for (const auto& s : last.states) {
    if (s.second.probability == best) {
      chosen.back() = s.first;
      break;
    }
  }
  for (size_t i = columns_.size() - 1; i > 0; --i) {
    const PosData* state = columns_[i].find(chosen[i]);
    chosen[i - 1] = state != nullptr ? state->previous : 0;
  }
  for (size_t i = 0; i < columns_.size(); ++i) {
    keep_chosen(*columns_[i].token, chosen[i]);
  }
  columns_.clear();
}

void print(const std::vector<viterbi_element>& lattice) {
  std::cout << "[HMM][RESULTS]\n";
  for (const viterbi_element& column : lattice) {
    std::cout << "  " << column.token->literal << " [";
    for (const kavero::MorphData& r : column.token->readings) std::cout << r.pos() << ",";
    std::cout << "]\n";
    for (const auto& [tag, state] : column.states) {
      if (tag == 0) {
        std::cout.flush();
        std::ostringstream message;
        message << "Invalid tag, not in the pos_table, index:" << std::hex
                << state.previous;
        throw Exception(message);
      }
      std::cout << "   -- posid=0x" << std::hex << state.previous << std::dec
                << ":" << language::pos_table::str(tag) << ":"
                << state.probability.to_string() << "\n";
    }
  }
  std::cout.flush();
}

namespace {

// The tables of the blackboard's language; empty ones without a language.
const Resource& tables_of(const Blackboard& blackboard) {
  static const Resource kNoTables;
  const auto& module = blackboard.language_module;
  return module != nullptr && module->module_data != nullptr
             ? module->module_data->hmm_tables
             : kNoTables;
}

}  // namespace

void engine::execute(const Blackboard& blackboard,
                     AnnotationCollection& annotations) {
  tag_document(tables_of(blackboard), annotations);
}

}  // namespace detail

EngineInterface::~EngineInterface() = default;

bool can_execute(Blackboard& blackboard) {
  return !detail::tables_of(blackboard).emission.empty();
}

EngineInterface* get_store(Blackboard& blackboard) {
  if (blackboard.hmm_store == nullptr) {
    blackboard.hmm_store = agent::create(&blackboard);
  }
  return blackboard.hmm_store.get();
}

namespace agent {
std::shared_ptr<EngineInterface> create(Blackboard* /*blackboard*/) {
  return std::make_shared<detail::engine>();
}
}  // namespace agent

bool execute(Blackboard& blackboard) {
  EngineInterface* engine = get_store(blackboard);
  if (blackboard.annotations != nullptr) {
    engine->execute(blackboard, *blackboard.annotations);
  }
  return true;
}

void sentence(const Blackboard& blackboard, Sentence& sentence) {
  tag_sentence(detail::tables_of(blackboard), sentence.annotations);
}

void tag_sentence(const Resource& tables, AnnotationCollection& annotations) {
  detail::CalculatePermutation decoder(&tables);
  for (Annotation* a : annotations) {
    Token* token = annotation_cast<Token>(a);
    if (token == nullptr || (token->flags & token_flags::markup) != 0) {  // markup is no word
      continue;
    }
    decoder.add(token);
  }
  decoder.apply_viterbi_algo();
}

void tag_document(const Resource& tables, AnnotationCollection& document) {
  for (Annotation* a : document) {
    if (Sentence* sentence = annotation_cast<Sentence>(a)) {
      tag_sentence(tables, sentence->annotations);
    }
  }
}

}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
