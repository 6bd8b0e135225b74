#include "matcher/forward_matcher.h"

#include <iostream>
#include <sstream>

#include "base/exception.h"
#include "matcher/forward_rule_facade.h"
#include "matcher/result_limits.h"
#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace forward {

namespace {

// Read once, at load: changing the variable later changes nothing.
const int32_t kResultLimit = get_kavero_max_results();
[[maybe_unused]] const bool kDebugResultLimit = debug_kavero_max_results();

constexpr size_t kReservedSteps = 50;

// Whether `count` results reach the limit; a negative limit, compared as an
// unsigned 64-bit number after sign extension, never does.
bool limit_reached(size_t count) {
  return static_cast<uint64_t>(count) >= static_cast<uint64_t>(static_cast<int64_t>(kResultLimit));
}

template <class FI>
Annotation* at(const FI& position) {
  return position.base().get();
}

template <class FI>
uint32_t kind_at(const FI& position) {
  const Annotation* a = at(position);
  return a == nullptr ? 0 : a->kind;
}

// Moves `position` to the first Token before `end`; false when there is
// none.
template <class FI>
bool skip_to_token(FI& position, const FI& end) {
  while (position != end && kind_at(position) != kTokenKind) ++position;
  return position != end;
}

bool is_token_or_concept(const Annotation* a) {
  return a != nullptr && (a->kind == kTokenKind || a->kind == kConceptKind);
}

// The first concept of the end annotation that carries the id, or null.
const Concept* closed_concept_with(const Annotation* a, unsigned id) {
  const EndAnnotation* end = annotation_cast<EndAnnotation>(a);
  if (end == nullptr) return nullptr;
  for (const Annotation* c : end->concepts) {
    if (c->has(id)) return static_cast<const Concept*>(c);
  }
  return nullptr;
}

std::vector<bool> final_flags_of(const fst::StdVectorFst& t) {
  std::vector<bool> flags;
  flags.reserve(static_cast<size_t>(t.NumStates()));
  for (int state = 0; state < t.NumStates(); ++state) {
    flags.push_back(t.Final(state) != fst::TropicalWeight::Zero());
  }
  return flags;
}

}  // namespace

int32_t result_limit() { return kResultLimit; }

template <class Stack, class FI, class Logger>
Matcher<Stack, FI, Logger>::Matcher(const RuleFacade* rule, const ::zel::afst::AFst& network,
                                    const std::vector<State>& steps)
    : fst_(&network.fst()),
      input_symbols_(&network.input_symbols()),
      final_flags_(final_flags_of(network.fst())),
      path_(&network.fst()),
      rule_(rule),
      steps_(steps.data()),
      step_count_(steps.size()) {
  path_.reserve(kReservedSteps);
}

template <class Stack, class FI, class Logger>
Matcher<Stack, FI, Logger>::~Matcher() = default;

template <class Stack, class FI, class Logger>
const std::string& Matcher<Stack, FI, Logger>::input_symbol(int id) const {
  return input_symbols_->at(static_cast<size_t>(id));
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::clear() {
  matches_.clear();
  path_.clear();
  anchored_ = true;
  current_concept_ = nullptr;
}

template <class Stack, class FI, class Logger>
bool Matcher<Stack, FI, Logger>::is_start(const Annotation* a) const {
  const uint32_t first = rule_->top_level_id();
  if (const Concept* c = annotation_cast<Concept>(a)) {
    // A gap in front may begin at a concept even when the step after it is
    // an any-token, as on the afst matcher, which starts such rules
    // everywhere.
    if (first == ANYTK) return rule_->starts_with_gap();
    return (c->encoding | CNCPT) == first;
  }
  if (const Token* t = annotation_cast<Token>(a)) {
    if (first == ANYTK) return true;
    for (uint32_t id : t->encodings) {
      if ((id | TK) == first) return true;
    }
  }
  return false;
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::match(FI begin, FI end) {
  anchored_ = true;
  for (FI x = begin; x != end; ++x) {
    if (!is_start(at(x))) continue;
    anchored_ = true;
    path_.clear();
    Input input(x, end, x);
    walk(0, input);
  }
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::match_location(FI begin, FI end, bool anchored) {
  anchored_ = anchored;
  if (begin == end || !is_token_or_concept(at(begin))) return;
  path_.clear();
  Input input(begin, end, begin);
  walk(0, input);
}

template <class Stack, class FI, class Logger>
bool Matcher<Stack, FI, Logger>::walk(size_t i, Input& input) {
  for (; i < step_count_; ++i) {
    if (!check_idx(i, steps_[i], input)) return false;
  }
  return true;
}

template <class Stack, class FI, class Logger>
bool Matcher<Stack, FI, Logger>::check_idx(size_t& i, const State& step, Input& input) {
  const unsigned label = static_cast<unsigned>(step.arc.ilabel);
  const int next = step.arc.nextstate;
  auto final_state = [this](int state) { return final_flags_.at(static_cast<size_t>(state)); };

  switch (label_kind(label)) {
    case LABLE: {
      // Only markers match: "@" and the attributes of the capture before.
      const std::string& text = input_symbols_->at(label);
      if (text.size() < 4 || text[0] != '@') return false;
      if (final_state(next)) {
        collect(label, input.current);
      } else {
        path_.push(next, input.current, label);
      }
      return true;
    }
    case CAPEND:
      if (final_state(next)) {
        collect(label, input.current);
      } else {
        path_.push(next, input.current, label);
      }
      return true;
    case CAPBEG:
      path_.push(next, input.current, label);
      return true;
    case TK: {
      const Input saved = input;
      FI position = input.current;
      if (!anchored_) {
        if (!skip_to_token(position, input.end)) return false;
        input.current = position;
      } else if (position == input.end || kind_at(position) != kTokenKind) {
        return false;
      }
      if (!at(position)->has(step.index)) {
        input = saved;
        return false;
      }
      anchored_ = false;
      path_.push(next, position, invalid_id);
      input.current = ++position;
      return true;
    }
    case ANYTK: {
      const FI start = input.current;
      FI position = start;
      if (!anchored_) {
        if (!skip_to_token(position, input.end)) return false;
        input.current = position;
      } else if (position == input.end || kind_at(position) != kTokenKind) {
        return false;
      }
      anchored_ = false;
      path_.push(next, start, invalid_id);
      if (input.current == input.end) return false;
      ++input.current;
      return true;
    }
    case CNCPT: {
      anchored_ = false;
      current_concept_ = nullptr;
      FI position = input.current;
      while (position != input.end && kind_at(position) == kEndAnnotationKind) ++position;
      if (position == input.end || kind_at(position) != kConceptKind) return false;
      const FI first = position;
      input.current = first;
      // Every concept that starts here is tried, in list order, until one
      // has the id; that one is taken whole, up to the end annotation that
      // closes it.
      for (;;) {
        const Annotation* c = at(position);
        if (c->has(step.index)) {
          const uint32_t concept_end = c->end;
          for (FI closing = position; closing != input.end; ++closing) {
            const Annotation* a = at(closing);
            if (a->kind == kTokenKind && a->begin >= concept_end) return false;
            if (const Concept* closed = closed_concept_with(a, step.index)) {
              path_.push(next, first, invalid_id);
              current_concept_ = closed;
              input.current = closing;
              return true;
            }
          }
          // The concept does not end inside the range: nothing past the
          // range end is read.
          return false;
        }
        ++position;
        if (position == input.end || kind_at(position) != kConceptKind) return false;
      }
    }
    case ATT: {
      const std::string& text = input_symbols_->at(step.index);
      const Concept* c = current_concept_;
      if (c == nullptr) {
        if (path_.empty()) return false;
        c = annotation_cast<Concept>(at(path_.top().position));
        if (c == nullptr) return false;
      }
      current_concept_ = nullptr;
      if (!conditions_.holds(text, c)) return false;
      path_.push(next, input.current, label);
      return true;
    }
    case PROP: {
      const std::string& text = input_symbols_->at(step.index);
      if (path_.empty()) return false;
      // The token matched last: the nearest step down the path that does
      // not stand at the range end (the bottom step when all do), then the
      // first token from there. A forward path has no step for the start
      // state, so its bottom step is the first step of the rule.
      const auto& steps = path_.items();
      FI from = steps.front().position;
      for (size_t k = steps.size(); k-- > 0;) {
        if (steps[k].position != input.end) {
          from = steps[k].position;
          break;
        }
      }
      const Annotation* a = at(from);
      while (a != nullptr && a->kind != kTokenKind) a = a->next;
      if (a == nullptr || !holds_property(*static_cast<const Token*>(a), text)) return false;
      path_.push(next, input.end, label);
      return true;
    }
    case SHRTMATCH: {
      // The gap is the shortest one after which the rest of the steps
      // match: the rest is tried from each token or concept in turn, and
      // the first position from which it records a match or completes is
      // kept. Flags the tries change stay changed, as on the afst matcher.
      const size_t depth = path_.size();
      for (FI position = input.current; position != input.end; ++position) {
        if (!is_token_or_concept(at(position))) continue;
        const size_t found_before = matches_.size();
        path_.push(next, position, invalid_id);
        Input gap(position, input.end, position);
        const bool completed = walk(i + 1, gap);
        if (completed || matches_.size() > found_before) {
          i = step_count_ - 1;
          input.current = gap.current;
          return completed;
        }
        while (path_.size() > depth) path_.pop();
      }
      return false;
    }
    default: {
      std::ostringstream message;
      message << "invalid id_type: " << std::hex << step.type << "\n";
      std::cout << message.str();
      return false;
    }
  }
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::collect(unsigned label, FI position) {
  MatchResult result;
  for (const auto& step : path_.items()) {
    if (is_capture_group(step.output)) result.emplace_back(at(step.position), step.output);
  }
  if (is_capture_group(label)) result.emplace_back(at(position), label);
  matches_.push_back(std::move(result));
  // The attempt that reached the limit ends; later ones still record.
  if (limit_reached(matches_.size())) path_.clear();
}

template class Matcher<Path, FilteredIterator, ::zel::log::inline_logger::CodeNotThere>;

std::shared_ptr<MatcherInterface> make_matcher(const RuleInterface* rule) {
  const RuleFacade* forward_rule = dynamic_cast<const RuleFacade*>(rule);
  if (forward_rule == nullptr) {
    std::ostringstream message;
    message << "The rule \"" << (rule == nullptr ? std::string() : rule->id())
            << "\" is not run by the forward matcher.";
    throw zel::Exception(message);
  }
  return std::make_shared<ForwardMatcher>(forward_rule, *forward_rule->network(),
                                          forward_rule->full_list());
}

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
