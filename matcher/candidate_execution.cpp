#include "matcher/candidate_execution.h"

#include <iostream>
#include <string>
#include <tuple>
#include <utility>

#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "api/profiler.h"
#include "domain/domain_facade.h"
#include "matcher/rule_functions.h"
#include "matcher/rule_interface.h"
#include "matcher/rule_labels.h"

namespace zel {
namespace kavero {

std::atomic<uint32_t> global_debug_rule_counter{0};

namespace optimisation {

namespace {

// The start offset of a match: that of its first item's begin.
uint32_t start_of(const Match& match) { return match.front().begin->begin; }

enum class Outcome { kNone, kRemoveA, kRemoveB };

// How two matches with the same start compete; A is the earlier one.
Outcome compete(const Match& a, const Match& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? Outcome::kRemoveA : Outcome::kRemoveB;
  for (size_t k = 0; k < a.size(); ++k) {
    const Item& x = a[k];
    const Item& y = b[k];
    // Different captures do not compete.
    if (x.index != y.index) return Outcome::kNone;
    const uint32_t bx = x.begin->begin;
    const uint32_t ex = x.end->begin;
    const uint32_t by = y.begin->begin;
    const uint32_t ey = y.end->begin;
    if (bx == by && ex == ey) {
      if (k + 1 < a.size()) continue;
      // Of two matches over the same spans the later is kept, unless only
      // the earlier closes on an end annotation, as a concept's end does.
      const bool x_closes = x.end->kind == kEndAnnotationKind;
      const bool y_closes = y.end->kind == kEndAnnotationKind;
      return x_closes && !y_closes ? Outcome::kRemoveB : Outcome::kRemoveA;
    }
    // The covering match wins, unless its capture asks for the shortest
    // match: then the covered one does, whichever came first.
    if (bx <= by && ex >= ey) return x.shortest ? Outcome::kRemoveA : Outcome::kRemoveB;
    if (by <= bx && ey >= ex) return y.shortest ? Outcome::kRemoveB : Outcome::kRemoveA;
    // The items cross: the next pair decides.
  }
  return Outcome::kNone;
}

}  // namespace

Match make_items(const matcher::MatchResult& result, const matcher::MatcherInterface& matcher) {
  Match items;
  const size_t n = result.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned label = std::get<1>(result[i]);
    if (!matcher::is_capture_group_begin(label)) continue;
    const unsigned capture = matcher::label_index(label);
    size_t j = i;
    while (j < n && std::get<1>(result[j]) != (matcher::CAPEND | capture)) ++j;
    if (j == n) continue;
    const Annotation* begin = std::get<0>(result[i]);
    const Annotation* end = std::get<0>(result[j]);
    // An empty or reversed capture makes no item.
    if (begin == nullptr || end == nullptr || begin->begin >= end->begin) continue;
    Item item{capture, begin, end, std::string(), false};
    if (j + 1 < n) {
      const unsigned marker = std::get<1>(result[j + 1]);
      if (marker < 0x1000000u) {
        item.attributes = matcher.input_symbol(static_cast<int>(marker));
        item.shortest = item.attributes.find("match=\"shortest\"") != std::string::npos;
      }
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<Match> make_matches(const matcher::MatcherInterface& matcher) {
  std::vector<Match> matches;
  // matches() is not const in the interface; reading it changes nothing.
  for (const matcher::MatchResult& result :
       const_cast<matcher::MatcherInterface&>(matcher).matches()) {
    Match items = make_items(result, matcher);
    if (!items.empty()) matches.push_back(std::move(items));
  }
  return matches;
}

void prune(std::vector<Match>& matches) {
  size_t i = 0;
  while (i + 1 < matches.size()) {
    bool a_removed = false;
    size_t j = i + 1;
    while (j < matches.size()) {
      if (start_of(matches[i]) != start_of(matches[j])) {
        ++j;
        continue;
      }
      const Outcome outcome = compete(matches[i], matches[j]);
      if (outcome == Outcome::kRemoveA) {
        matches.erase(matches.begin() + static_cast<std::ptrdiff_t>(i));
        a_removed = true;
        break;
      }
      if (outcome == Outcome::kRemoveB) {
        // The next B has moved into this place.
        matches.erase(matches.begin() + static_cast<std::ptrdiff_t>(j));
        continue;
      }
      ++j;
    }
    // When A was removed, the match now at i is compared afresh.
    if (!a_removed) ++i;
  }
}

}  // namespace optimisation

ExecuteCandidatesBase::ExecuteCandidatesBase(Blackboard& blackboard,
                                             std::shared_ptr<DomainFacade> domain,
                                             IAddConcept& inserter)
    : blackboard_(blackboard),
      domain_(std::move(domain)),
      inserter_(inserter),
      rule_trigger_(blackboard.dbg["rule_trigger"]),
      rule_info_(blackboard.flags.rule_info),
      profiler_(blackboard.profiler.get()) {}

ExecuteCandidatesBase::~ExecuteCandidatesBase() = default;

std::vector<optimisation::Match> ExecuteCandidatesBase::insert_results(
    matcher::MatcherInterface& matcher, RuleInterface* rule) {
  std::vector<optimisation::Match> matches = optimisation::make_matches(matcher);
  optimisation::prune(matches);
  insert_optimized_results(matches, rule);
  apply_delayed_functions(blackboard_);
  return matches;
}

void ExecuteCandidatesBase::dispatch_match_type(const RuleCandidateCollection& candidates,
                                                const AnnotationCollection& sentence) {
  const matcher::FilteredIterator end = matcher::filtered(sentence.end(), sentence.end());
  for (RuleInterface* rule : candidates) {
    if (profiler_ != nullptr) profiler_->start(rule->id());
    {
      std::shared_ptr<matcher::MatcherInterface> m = rule->get_matcher();
      m->match(matcher::filtered(sentence.begin(), sentence.end()), end);
      if (!m->matches().empty()) insert_results(*m, rule);
    }
    if (profiler_ != nullptr) profiler_->stop(rule->id());
  }
}

void ExecuteCandidatesBase::dispatch_match_type(
    const PriorityGroupRuleCandidateCollection& candidates, const AnnotationCollection& sentence) {
  std::vector<std::pair<RuleInterface*, std::shared_ptr<matcher::MatcherInterface>>> rules;
  for (RuleInterface* rule : candidates) {
    if (rule_trigger_) {
      std::cout << std::string(54, '=') << "\n"
                << "MATCH RULE:(" << ++global_debug_rule_counter << "):" << rule->id() << "\n";
    }
    rules.emplace_back(rule, rule->get_matcher());
  }
  const matcher::FilteredIterator end = matcher::filtered(sentence.end(), sentence.end());
  matcher::FilteredIterator position = matcher::filtered(sentence.begin(), sentence.end());
  while (position != end) {
    bool matched = false;
    for (auto& [rule, m] : rules) {
      m->clear();
      if (profiler_ != nullptr) profiler_->start(rule->id());
      m->match_location(position, end, true);
      if (m->matches().empty()) {
        if (profiler_ != nullptr) profiler_->stop(rule->id());
        continue;
      }
      const std::vector<optimisation::Match> kept = insert_results(*m, rule);
      m->clear();
      if (profiler_ != nullptr) profiler_->stop(rule->id());
      matched = true;
      if (kept.empty()) {
        // Results without a capture have no end to resume at.
        ++position;
      } else {
        position = matcher::filtered(
            matcher::AnnotationIterator(const_cast<Annotation*>(kept.front().front().end)),
            sentence.end());
      }
      break;
    }
    if (!matched) ++position;
  }
}

void ExecuteCandidatesBase::insert_optimized_results(
    const std::vector<optimisation::Match>& matches, RuleInterface* rule) {
  const std::string& debug_info = rule->attribute("debug_info");
  const std::string rule_name =
      rule_info_ && !debug_info.empty() ? blackboard_.full_rule_name(debug_info) : std::string();
  static const std::string kNoUri;
  for (const optimisation::Match& match : matches) {
    parents_.clear();
    Concept* parent = nullptr;
    const Annotation* begin = match.empty() ? nullptr : match.front().begin;
    for (size_t k = 0; k < match.size(); ++k) {
      const optimisation::Item& item = match[k];
      std::string attributes = item.attributes;
      if (!rule_name.empty()) {
        attributes += attributes.empty() ? "@" : ";";
        attributes += "_rule=\"" + rule_name + "\"";
      }
      const std::string* uri = &kNoUri;
      if (domain_ != nullptr) {
        auto found = domain_->concept_names.find(item.index);
        if (found != domain_->concept_names.end()) uri = &found->second;
      }
      Concept* inserted = inserter_(begin, item.end, *uri, attributes, parent, rule->id());
      if (inserted != nullptr) {
        parents_.push_back(inserted);
      } else if (parent == nullptr) {
        break;
      }
      if (k + 1 == match.size()) break;
      begin = match[k + 1].begin;
      if (!parents_.empty()) {
        // A capture that begins after a concept's end begins at what
        // follows the end.
        if (begin->kind == kEndAnnotationKind && begin->next != nullptr) begin = begin->next;
        while (!parents_.empty() && parents_.back()->end < begin->begin) parents_.pop_back();
      }
      parent = parents_.empty() ? nullptr : parents_.back();
    }
  }
}

}  // namespace kavero
}  // namespace zel
