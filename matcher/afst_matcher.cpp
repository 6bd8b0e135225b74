#include "matcher/afst_matcher.h"

#include <iostream>
#include <sstream>

#include "analysis/navigation.h"
#include "base/exception.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/result_limits.h"
#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {
namespace matcher {
namespace afst {

namespace {

// Read once, at load: changing the variable later changes nothing.
const int32_t kResultLimit = get_kavero_max_results();
[[maybe_unused]] const bool kDebugResultLimit = debug_kavero_max_results();

constexpr uint64_t kMaxIterations = 10000;
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

template <class FI>
void skip_end_annotations(FI& position, const FI& end) {
  while (position != end && kind_at(position) == kEndAnnotationKind) ++position;
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

// Moves `position` to the first end annotation before `end` that closes a
// concept with the id; false when there is none.
template <class FI>
bool find_closing(FI& position, const FI& end, unsigned id) {
  while (position != end && closed_concept_with(at(position), id) == nullptr) ++position;
  return position != end;
}

// The first arc of the state whose label is of the kind.
const fst::StdArc* first_arc_of_kind(const fst::StdVectorFst& fst, int state, unsigned kind) {
  for (fst::ArcIterator<fst::StdVectorFst> arcs(fst, state); !arcs.Done(); arcs.Next()) {
    if (label_kind(static_cast<unsigned>(arcs.Value().ilabel)) == kind) return &arcs.Value();
  }
  return nullptr;
}

}  // namespace

int32_t result_limit() { return kResultLimit; }

template <class Stack, class FI, class Logger>
Matcher<Stack, FI, Logger>::Matcher(const RuleFacade* rule, const ::zel::afst::AFst& network)
    : Base(this, network),
      rule_(rule),
      network_(&network),
      sub_matches_(std::make_shared<std::vector<SavedPath>>()),
      conditions_(std::make_shared<AttributeConditions>()) {
  this->stack().reserve(kReservedSteps);
}

template <class Stack, class FI, class Logger>
Matcher<Stack, FI, Logger>::Matcher(SubMatcherOf, const Matcher& parent)
    : MatcherInterface(),
      Base(this, *parent.network_),
      rule_(parent.rule_),
      network_(parent.network_),
      anchored_(false),
      scan_stacked_concepts_(true),
      sub_matches_(parent.sub_matches_),
      conditions_(parent.conditions_) {
  this->stack().reserve(kReservedSteps);
}

template <class Stack, class FI, class Logger>
Matcher<Stack, FI, Logger>::~Matcher() = default;

template <class Stack, class FI, class Logger>
const std::string& Matcher<Stack, FI, Logger>::input_symbol(int id) const {
  return this->input_symbols().at(static_cast<size_t>(id));
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::clear() {
  matches_.clear();
  this->stack().clear();
  anchored_ = true;
  scan_stacked_concepts_ = true;
  sub_matches_ = std::make_shared<std::vector<SavedPath>>();
  concept_end_paths_.clear();
  current_concept_ = nullptr;
  concept_end_state_ = 0;
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::reset_call(FI end) {
  sub_matches_->clear();
  concept_end_paths_.clear();
  range_end_ = end;
  concept_end_state_ = 0;
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::match(FI begin, FI end) {
  reset_call(end);
  anchored_ = true;
  const int start = this->fst().Start();
  if (start == fst::kNoStateId || begin == end) return;
  for (FI x = begin; x != end; ++x) {
    const Annotation* a = at(x);
    if (a->kind != kTokenKind && a->kind != kConceptKind) continue;
    // The first arc of every match carries one of the top-level ids; a
    // position that holds none of them cannot start one. Once a concept
    // pattern has been matched the store is no longer empty, and every
    // token and concept is tried.
    if (sub_matches_->empty() && rule_->has_top_level_id()) {
      if (const Concept* c = annotation_cast<Concept>(a)) {
        if (!rule_->contains_top_level_id(c->encoding | CNCPT) &&
            !rule_->contains_top_level_id(c->encoding | CNCPT_BEG)) {
          continue;
        }
      } else {
        const Token* t = static_cast<const Token*>(a);
        bool listed = false;
        for (uint32_t id : t->encodings) {
          if (rule_->contains_top_level_id(id | TK)) {
            listed = true;
            break;
          }
        }
        if (!listed) continue;
      }
    }
    this->stack().push(start, x, invalid_id);
    anchored_ = true;
    scan_stacked_concepts_ = false;
    Input input(x, end, x);
    sub_matcher(input);
    if (limit_reached(matches_.size())) return;
  }
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::match_location(FI begin, FI end, bool anchored) {
  reset_call(end);
  scan_stacked_concepts_ = true;
  anchored_ = anchored;
  const int start = this->fst().Start();
  if (start == fst::kNoStateId || begin == end || !is_token_or_concept(at(begin))) return;
  this->stack().push(start, begin, invalid_id);
  Input input(begin, end, begin);
  sub_matcher(input);
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::sub_matcher(Input& input) {
  Stack& path = this->stack();
  if (path.empty()) return;
  const size_t pushed = path.size() - 1;
  uint64_t iterations = 0;
  for (;;) {
    if (!path.empty()) {
      Step& top = path.top();
      if (top.state != -1 && !top.arcs.Done()) {
        const int state = top.state;
        check(state, top.arcs.Value(), input);
      } else if (top.position == input.end) {
        while (!path.empty() && path.top().position == input.end) path.pop();
        if (!path.empty()) {
          input.current = path.top().position;
          path.pop();
        }
      } else {
        input.current = top.position;
        path.pop();
      }
    }
    if (path.size() <= pushed) return;
    if (++iterations >= kMaxIterations) {
      path.clear();
      return;
    }
  }
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::check(const int& /*state*/, const Arc& arc, Input& input) {
  Stack& path = this->stack();
  const unsigned label = static_cast<unsigned>(arc.ilabel);
  const unsigned index = label_index(label);
  const int next = arc.nextstate;
  auto advance = [&path] { path.top().arcs.Next(); };
  auto final_state = [this](int state) { return this->final_states()[static_cast<size_t>(state)]; };

  switch (label_kind(label)) {
    case LABLE: {
      // Only markers match: "@" and the attributes of the capture before.
      const std::string& text = this->input_symbols().at(label);
      advance();
      if (text.size() < 4 || text[0] != '@') return;
      if (final_state(next)) {
        collect_results(label, input.current);
      } else {
        path.push(next, input.current, label);
      }
      return;
    }
    case CAPEND:
      advance();
      if (final_state(next)) {
        collect_results(label, input.current);
      } else {
        path.push(next, input.current, label);
      }
      return;
    case CAPBEG:
      advance();
      path.push(next, input.current, label);
      return;
    case TK: {
      advance();
      const Input saved = input;
      FI position = input.current;
      if (!anchored_) {
        if (!skip_to_token(position, input.end)) return;
        input.current = position;
      } else if (position == input.end || kind_at(position) != kTokenKind) {
        scan_stacked_concepts_ = true;
        return;
      }
      scan_stacked_concepts_ = true;
      if (!at(position)->has(index)) {
        input = saved;
        return;
      }
      anchored_ = false;
      path.push(next, position, invalid_id);
      input.current = ++position;
      return;
    }
    case ANYTK: {
      advance();
      const FI start = input.current;
      FI position = start;
      if (!anchored_) {
        if (!skip_to_token(position, input.end)) return;
        input.current = position;
      } else if (position == input.end || kind_at(position) != kTokenKind) {
        scan_stacked_concepts_ = true;
        return;
      }
      scan_stacked_concepts_ = true;
      anchored_ = false;
      path.push(next, start, invalid_id);
      if (input.current != input.end) ++input.current;
      return;
    }
    case CNCPT: {
      advance();
      current_concept_ = nullptr;
      anchored_ = false;
      FI position = input.current;
      skip_end_annotations(position, input.end);
      if (position == input.end || kind_at(position) != kConceptKind) return;
      const FI first = position;
      input.current = first;
      for (;;) {
        if (at(position)->has(index)) {
          // The concept is taken whole: the match goes on after the end
          // annotation that closes it.
          if (find_closing(position, input.end, index)) {
            path.push(next, first, invalid_id);
            scan_stacked_concepts_ = true;
            current_concept_ = closed_concept_with(at(position), index);
            input.current = position;
          } else {
            path.push(next, first, invalid_id);
            input.current = input.end;
          }
          return;
        }
        // Concepts that share a start are tried in turn while stacked
        // concepts are scanned.
        if (!scan_stacked_concepts_) return;
        ++position;
        if (position == input.end) return;
        if (kind_at(position) != kConceptKind) {
          scan_stacked_concepts_ = true;
          return;
        }
      }
    }
    case CNCPT_BEG: {
      advance();
      FI position = input.current;
      skip_end_annotations(position, input.end);
      if (position == input.end || kind_at(position) != kConceptKind) return;
      const FI first = position;
      input.current = first;
      for (;;) {
        const Concept* c = static_cast<const Concept*>(at(position));
        if (c->has(index) && concept_sub_match(arc, c, first, input)) return;
        if (!scan_stacked_concepts_) return;
        ++position;
        if (position == input.end || kind_at(position) != kConceptKind) {
          input.current = first;
          return;
        }
      }
    }
    case CNCPT_END: {
      advance();
      if (input.current == input.end || closed_concept_with(at(input.current), index) == nullptr) {
        return;
      }
      // The inner pattern ends here; the concept sub-match chooses among
      // the paths that got here.
      concept_end_state_ = static_cast<unsigned>(next);
      concept_end_paths_.push_back(path.items());
      return;
    }
    case ATT: {
      const std::string& text = this->input_symbols().at(index);
      advance();
      const Concept* c = current_concept_;
      if (c == nullptr) c = annotation_cast<Concept>(at(path.top().position));
      if (c == nullptr) return;
      if (!conditions_->holds(text, c)) return;
      path.push(next, input.current, label);
      current_concept_ = nullptr;
      return;
    }
    case PROP: {
      const std::string& text = this->input_symbols().at(index);
      advance();
      // The token matched last: the nearest step down the path that does
      // not stand at the range end, then the first token from there.
      const auto& steps = path.items();
      FI from = steps.front().position;
      for (size_t i = steps.size() - 1; i >= 1; --i) {
        if (steps[i].position != input.end) {
          from = steps[i].position;
          break;
        }
      }
      const Annotation* a = at(from);
      while (a != nullptr && a->kind != kTokenKind) a = a->next;
      if (a == nullptr) return;
      if (holds_property(*static_cast<const Token*>(a), text)) path.push(next, input.end, label);
      return;
    }
    case SHRTMATCH: {
      const size_t found_before = matches_.size();
      advance();
      const size_t depth = path.size();
      // The shortest gap that yields a new match wins; longer ones are not
      // tried.
      for (FI position = input.current; position != input.end; ++position) {
        if (!is_token_or_concept(at(position))) continue;
        path.push(next, position, invalid_id);
        Input gap(position, input.end, position);
        sub_matcher(gap);
        if (matches_.size() > found_before) return;
        // The limit or the iteration budget emptied the path.
        if (path.size() < depth) return;
      }
      return;
    }
    case NEGATION: {
      advance();
      FI position = input.current;
      skip_end_annotations(position, input.end);
      if (position == input.end || !is_token_or_concept(at(position))) return;
      input.current = position;
      const fst::StdArc* body = first_arc_of_kind(this->fst(), next, NEGATION_BODY);
      if (body != nullptr && body->nextstate != fst::kNoStateId &&
          negation_found(*body, position, input)) {
        return;
      }
      const fst::StdArc* after = first_arc_of_kind(this->fst(), next, NEGATION_NEXT);
      if (after != nullptr) {
        path.push(after->nextstate, input.current, static_cast<unsigned>(after->ilabel));
      }
      return;
    }
    case KAV_NEGATION_END:
      advance();
      range_end_ = input.current;
      negation_end_reached_ = true;
      return;
    default: {
      std::ostringstream message;
      message << "invalid id_type: " << std::hex << label_kind(label) << "\n";
      std::cout << message.str();
      advance();
      return;
    }
  }
}

template <class Stack, class FI, class Logger>
bool Matcher<Stack, FI, Logger>::negation_found(const Arc& body, FI position,
                                                const Input& input) {
  Matcher negation(SubMatcherOf(), *this);
  negation.range_end_ = input.end;
  negation.stack().push(body.nextstate, position, invalid_id);
  Input inner(position, input.end, position);
  negation.sub_matcher(inner);
  return negation.negation_end_reached_;
}

template <class Stack, class FI, class Logger>
bool Matcher<Stack, FI, Logger>::concept_sub_match(const Arc& arc, const Concept* c, FI first_concept,
                                                   Input& input) {
  const unsigned index = label_index(static_cast<unsigned>(arc.ilabel));
  // The inner pattern starts at the first of the concepts stacked with the
  // first one at the position over the same span.
  Annotation* first = at(first_concept);
  while (first->prev != nullptr && first->prev->kind == kConceptKind &&
         first->prev->begin == first->begin && first->prev->end == first->end) {
    first = first->prev;
  }
  const FI from(FilterDeletedConcepts(), AnnotationIterator(first), input.end.end());
  FI closing = from;
  if (!find_closing(closing, input.end, index)) return false;
  FI after = closing;
  ++after;

  Matcher inner(SubMatcherOf(), *this);
  inner.current_concept_ = c;
  inner.range_end_ = after;
  if (from != after && arc.nextstate != fst::kNoStateId && is_token_or_concept(at(from))) {
    inner.stack().push(arc.nextstate, from, invalid_id);
    Input inside(from, after, from);
    inner.sub_matcher(inside);
  }
  if (inner.concept_end_state_ == 0 || inner.concept_end_paths_.empty()) return false;

  // Of the paths that reached the concept's end, the one whose captures
  // enclose the most tokens; the earliest of equals.
  size_t best = 0;
  unsigned best_count = 0;
  for (size_t i = 0; i < inner.concept_end_paths_.size(); ++i) {
    const SavedPath& steps = inner.concept_end_paths_[i];
    const Step* begin = nullptr;
    const Step* end = nullptr;
    for (const Step& step : steps) {
      if (begin == nullptr && is_capture_group_begin(step.output)) begin = &step;
      if (is_capture_group_end(step.output)) end = &step;
    }
    if (begin == nullptr || end == nullptr) continue;
    AnnotationIterator counted = begin->position.base();
    const unsigned count = count_tokens(counted, end->position.base());
    if (count > best_count) {
      best = i;
      best_count = count;
    }
  }
  sub_matches_->push_back(std::move(inner.concept_end_paths_[best]));

  // The concept has been matched from this state: no other arc of it is
  // tried.
  this->stack().top().state = -1;
  input.current = closing;
  anchored_ = false;
  scan_stacked_concepts_ = true;
  const unsigned reference = SUBMATCH_REF | static_cast<unsigned>(sub_matches_->size() - 1);
  this->stack().push(static_cast<int>(inner.concept_end_state_), closing, reference);
  concept_end_state_ = inner.concept_end_state_;
  return true;
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::append_steps(const SavedPath& steps, size_t refs_below,
                                              MatchResult& result) const {
  for (const Step& step : steps) {
    if (is_capture_group(step.output)) {
      result.emplace_back(at(step.position), step.output);
    } else if (is_submatcher(step.output)) {
      // A stored path refers only to paths stored before it.
      const size_t stored = label_index(step.output);
      if (stored < refs_below) append_steps((*sub_matches_)[stored], stored, result);
    }
  }
}

template <class Stack, class FI, class Logger>
void Matcher<Stack, FI, Logger>::collect_results(const unsigned int& label, FI position) {
  MatchResult result;
  append_steps(this->stack().items(), sub_matches_->size(), result);
  if (is_capture_group(label)) result.emplace_back(at(position), label);
  matches_.push_back(std::move(result));
  if (limit_reached(matches_.size())) this->stack().clear();
}

template class Matcher<Path, FilteredIterator, ::zel::log::inline_logger::CodeNotThere>;

std::shared_ptr<MatcherInterface> make_matcher(const RuleInterface* rule) {
  const RuleFacade* afst_rule = dynamic_cast<const RuleFacade*>(rule);
  if (afst_rule == nullptr) {
    std::ostringstream message;
    message << "The rule \"" << (rule == nullptr ? std::string() : rule->id())
            << "\" is not run by the afst matcher.";
    throw zel::Exception(message);
  }
  return std::make_shared<AfstMatcher>(afst_rule, *afst_rule->network());
}

}  // namespace afst
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
