#include "matcher/anaphora.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <sstream>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/navigation.h"
#include "analysis/sentence_info.h"
#include "analysis/text_stream.h"
#include "base/exception.h"
#include "base/string_util.h"

namespace zel {
namespace kavero {
namespace anaphora {

namespace {

// name ":" value: the name before the first ':', the value after it (empty
// without one).
std::pair<std::string, std::string> name_and_value(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return {text, std::string()};
  return {text.substr(0, colon), text.substr(colon + 1)};
}

// A decimal number from the start of the text, as stream extraction reads
// it; 0 when it does not begin with one.
double read_weight(const std::string& text) {
  std::istringstream in(text);
  double weight = 0;
  if (!(in >> weight)) return 0;
  return weight;
}

int64_t sentence_begin(Blackboard& blackboard, const Concept* c) {
  const SentenceInfo* info = get_sentence(blackboard, c->begin);
  return info != nullptr && info->sentence != nullptr ? info->sentence->begin
                                                      : 0;
}

bool to_delete(const Concept* c) {
  return c != nullptr && c->flags.test(kToDelete);
}

// The blocking scan of "except": the URIs watched for, each with the span of
// its latest occurrence in the pattern being assembled.
struct Watched {
  std::string uri;
  int64_t begin = -1;
  int64_t end = -1;
};

// The end offset of the sentence where the URIs of "except" occur
// together, scanning the last sentence of the scope and then the one
// before it; -1 when they do not.
int64_t blocking_threshold(const std::string& except, Sentence* last) {
  std::vector<Watched> watched;
  for (const std::string& uri : zel::string::split_vector(except, ':', false)) {
    auto known = std::find_if(watched.begin(), watched.end(),
                              [&](const Watched& w) { return w.uri == uri; });
    if (known == watched.end()) watched.push_back(Watched{uri});
  }
  int64_t window_begin = INT_MAX;
  int64_t window_end = -1;
  Sentence* sentences[] = {last, move_backward_sentence(last, 1)};
  for (Sentence* sentence : sentences) {
    if (sentence == nullptr) continue;
    for (Annotation* a : sentence->annotations) {
      Concept* c = annotation_cast<Concept>(a);
      if (c == nullptr || c->deleted()) continue;
      auto entry = std::find_if(watched.begin(), watched.end(),
                                [&](const Watched& w) { return w.uri == c->uri; });
      if (entry == watched.end()) continue;
      const int64_t b = c->begin;
      const int64_t e = c->end;
      if (b >= window_begin && e <= window_end) {
        entry->begin = b;
        entry->end = e;
        window_end = std::max(window_end, e);
      } else if (std::any_of(watched.begin(), watched.end(),
                             [&](const Watched& w) {
                               return w.begin != -1 && w.begin >= b &&
                                      w.end <= e;
                             })) {
        entry->begin = b;
        entry->end = e;
        window_begin = std::min(window_begin, b);
        window_end = std::max(window_end, e);
      } else {
        for (Watched& w : watched) w.begin = w.end = -1;
        entry->begin = b;
        entry->end = e;
        window_begin = b;
        window_end = e < 0 ? -1 : e;
      }
      const bool complete =
          window_begin != -1 &&
          std::all_of(watched.begin(), watched.end(), [&](const Watched& w) {
            return w.begin >= window_begin && w.end <= window_end;
          });
      if (complete) return sentence->end;
    }
  }
  return -1;
}

}  // namespace

std::string Handler::operator()(const runtime::Context& context) const {
  get_store(*context.blackboard).referents.push_back(context);
  return "return : true ";
}

bool SortReferents::operator()(const runtime::Context& a,
                               const runtime::Context& b) const {
  return static_cast<int32_t>(a.concept_annotation->begin) <
         static_cast<int32_t>(b.concept_annotation->begin);
}

bool SortCandidates::operator()(const CandidateInfo& a,
                                const CandidateInfo& b) const {
  if (a.anaphor->begin != b.anaphor->begin) {
    return a.anaphor->begin < b.anaphor->begin;
  }
  return a.relevancy > b.relevancy;
}

Store& get_store(Blackboard& blackboard) {
  if (!blackboard.anaphora_store) {
    blackboard.anaphora_store = std::make_shared<Store>();
  }
  return *blackboard.anaphora_store;
}

void apply(Blackboard* blackboard) {
  Store& store = get_store(*blackboard);
  // Calls of one anaphor stay in the order they were recorded.
  std::stable_sort(store.referents.begin(), store.referents.end(),
                   SortReferents());
  int64_t previous = -1;
  // mark_candidate does not record calls, so the walk may keep its place.
  for (size_t i = 0; i < store.referents.size(); ++i) {
    const runtime::Context& context = store.referents[i];
    const int64_t begin = context.concept_annotation->begin;
    if (begin != previous) {
      apply_cluster(blackboard);
      store.candidates.clear();
      previous = begin;
    }
    mark_candidate(context);
  }
  apply_cluster(blackboard);
}

bool mark_candidate(const runtime::Context& context) {
  Concept* anaphor = context.concept_annotation;
  const Attributes& own = anaphor->attributes.own;
  const std::string& scope = get_value(own, "scope");
  const std::string& uri = get_value(own, "concept");
  const std::string& except = get_value(own, "except");

  const std::vector<std::string> parts =
      zel::string::split_vector(scope, ':', false);
  if (parts.size() != 2) {
    std::ostringstream message;
    message << "Anaphora attribute scope is not valid.";
    throw Exception(message);
  }
  const int from = std::stoi(parts[0]);
  const int to = std::stoi(parts[1]);

  Blackboard& blackboard = *context.blackboard;
  Sentence* own_sentence =
      context.sentence != nullptr ? context.sentence->sentence : nullptr;
  if (own_sentence == nullptr) return false;
  Sentence* first = move_to_sentence(blackboard, own_sentence, from);
  Sentence* last = move_to_sentence(blackboard, own_sentence, to);
  if (first == nullptr || last == nullptr || first->begin >= last->end) {
    return false;
  }

  Store& store = get_store(blackboard);
  int64_t threshold = -1;
  if (!except.empty()) threshold = blocking_threshold(except, last);

  for (Annotation* s = first; s != nullptr; s = s->next) {
    Sentence* sentence = annotation_cast<Sentence>(s);
    if (sentence == nullptr) break;
    for (Annotation* a : sentence->annotations) {
      Concept* c = annotation_cast<Concept>(a);
      if (c == nullptr || c->deleted() || c->uri != uri) continue;
      if (static_cast<int64_t>(c->begin) < threshold) continue;
      const std::pair<bool, double> relevancy = calculate_relevancy(anaphor, c);
      if (!relevancy.first || c->begin >= anaphor->begin) continue;
      store.candidates.push_back(CandidateInfo{anaphor, c, relevancy.second});
    }
    if (sentence == last) break;
  }
  return true;
}

std::pair<bool, double> calculate_relevancy(Concept* anaphor,
                                            Concept* candidate) {
  const Attributes& own = anaphor->attributes.own;
  for (const Attribute& pair : own) {
    if (pair.first != "required") continue;
    const auto condition = name_and_value(to_string(pair.second));
    if (!candidate->has_attribute(condition.first) ||
        !zel::string::iequals(candidate->get_attribute(condition.first),
                              condition.second)) {
      return {false, 0};
    }
  }
  double relevancy = 0;
  for (const Attribute& pair : own) {
    if (pair.first != "relevancy") continue;
    const std::vector<std::string> rule =
        zel::string::split_vector(to_string(pair.second), ':', false);
    // A rule without its three parts scores nothing.
    if (rule.size() < 3) continue;
    const double weight = read_weight(rule[2]);
    const ConceptAttributes& attributes = candidate->attributes;
    std::vector<const Attributes*> lists = {&attributes.own};
    if (attributes.store) lists.push_back(attributes.store.get());
    for (const Attributes* list : lists) {
      for (const Attribute& value : *list) {
        if (value.first != rule[0]) continue;
        if (to_string(value.second) != rule[1]) {
          relevancy -= 0.1;
        } else {
          return {true, relevancy + weight};
        }
      }
    }
  }
  return {true, relevancy};
}

void filter_invalid_required_attributes(std::vector<CandidateInfo>& candidates) {
  if (candidates.empty()) return;
  std::vector<std::pair<std::string, std::string>> required;
  for (const Attribute& pair : candidates.front().anaphor->attributes.own) {
    if (pair.first == "required") {
      required.push_back(name_and_value(to_string(pair.second)));
    }
  }
  if (required.empty()) return;
  auto differs = [&](const CandidateInfo& info) {
    for (const Attribute& pair : info.candidate->attributes.own) {
      for (const auto& condition : required) {
        if (pair.first == condition.first &&
            to_string(pair.second) != condition.second) {
          return true;
        }
      }
    }
    return false;
  };
  candidates.erase(
      std::remove_if(candidates.begin(), candidates.end(), differs),
      candidates.end());
}

void filter_no_referent_attributes(std::vector<CandidateInfo>& candidates) {
  candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                  [](const CandidateInfo& info) {
                                    return info.candidate->get_attribute(
                                               "_ana") == "no_referent";
                                  }),
                   candidates.end());
}

void apply_cluster(Blackboard* blackboard) {
  std::vector<CandidateInfo>& candidates = get_store(*blackboard).candidates;
  if (candidates.empty()) return;
  if (candidates.size() > 1) filter_invalid_required_attributes(candidates);
  filter_no_referent_attributes(candidates);
  if (candidates.empty()) return;
  // Ties keep the order in which the candidates were collected.
  std::stable_sort(candidates.begin(), candidates.end(), SortCandidates());

  // One candidate per anaphor; the store keeps only those.
  std::vector<CandidateInfo> best;
  for (const CandidateInfo& info : candidates) {
    if (best.empty() || best.back().anaphor->begin != info.anaphor->begin) {
      best.push_back(info);
      continue;
    }
    CandidateInfo& previous = best.back();
    if (previous.relevancy > info.relevancy) continue;
    const int64_t here = sentence_begin(*blackboard, info.candidate);
    const int64_t there = sentence_begin(*blackboard, previous.candidate);
    if (here > there) {
      previous = info;
    } else if (here == there && previous.candidate->begin > info.candidate->begin) {
      previous = info;
    }
  }

  candidates.swap(best);

  IAddConcept* inserter = blackboard->collector.get();
  for (const CandidateInfo& info : candidates) {
    Concept* anaphor = info.anaphor;
    Concept* candidate = info.candidate;
    Concept* inserted = (*inserter)(
        static_cast<const Annotation*>(anaphor),
        static_cast<const Annotation*>(anaphor->end_annotation),
        candidate->uri, std::string(), nullptr, "anaphora");
    if (inserted == nullptr) continue;
    if (inserted != candidate) {
      inserted->attributes.own = candidate->attributes.own;
    }
    inserted->attributes.store = candidate->attributes.store;
    if (!inserted->has_attribute("canonical")) {
      inserted->add("canonical", get_canonical(candidate), kStoreWhenShared);
    }
    for (const Attribute& pair : anaphor->attributes.own) {
      if (pair.first != "required") continue;
      const auto condition = name_and_value(to_string(pair.second));
      if (candidate->has_attribute(condition.first)) continue;
      candidate->add(condition.first, condition.second, kStoreWhenShared);
      inserted->add(condition.first, condition.second, kStoreWhenShared);
    }
  }
}

bool compare_is(const std::string& a, const std::string& b) {
  if (a.size() > b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void forget_concepts_to_delete(Blackboard& blackboard) {
  if (!blackboard.anaphora_store) return;
  Store& store = *blackboard.anaphora_store;
  store.referents.erase(
      std::remove_if(store.referents.begin(), store.referents.end(),
                     [](const runtime::Context& context) {
                       return to_delete(context.concept_annotation);
                     }),
      store.referents.end());
  for (runtime::Context& context : store.referents) {
    if (to_delete(context.scope)) context.scope = nullptr;
  }
  store.candidates.erase(
      std::remove_if(store.candidates.begin(), store.candidates.end(),
                     [](const CandidateInfo& info) {
                       return to_delete(info.anaphor) ||
                              to_delete(info.candidate);
                     }),
      store.candidates.end());
}

}  // namespace anaphora
}  // namespace kavero
}  // namespace zel
