#include "analysis/concept_insertion.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "analysis/blackboard.h"
#include "analysis/concept_conditions.h"
#include "analysis/formatted_attributes.h"
#include "analysis/navigation.h"
#include "analysis/text_stream.h"
#include "api/profiler.h"
#include "base/path.h"
#include "domain/domain_facade.h"
#include "matcher/attribute_parser.h"
#include "matcher/rule_functions.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

namespace {

constexpr char kFilter[] = "kav::filter";

bool is_concept(const Annotation* a) {
  return a != nullptr && a->kind == kConceptKind;
}

Concept* as_concept(Annotation* a) { return annotation_cast<Concept>(a); }

void check_bit(size_t bit, const char* what) {
  if (bit >= kConceptFlagCount) throw std::out_of_range(what);
}

// Places a new concept at the decided position (see the header of the
// insertion for the order of concepts that begin at one token).
void link(AnnotationCollection& list, Concept* added, Annotation* position,
          const Concept* parent) {
  if (parent == nullptr || position == nullptr) {
    list.insert_before(position, added);
  } else if (position == parent && position->begin == added->begin &&
             position->end == added->end) {
    // Right after the parent that shares its range.
    list.insert_before(position->next != nullptr ? position->next : position,
                       added);
  } else {
    list.insert_before(position, added);
  }
}

void print_decision(const InsertionDecision& decision, const std::string& uri) {
  switch (decision.kind) {
    case InsertionDecision::kAddNew:
      std::cout << " - add new:" << uri << std::endl;
      break;
    case InsertionDecision::kIgnore:
      std::cout << " - ignore:" << uri << std::endl;
      break;
    case InsertionDecision::kUpdate: {
      const Concept* existing = static_cast<Concept*>(decision.annotation);
      if (existing->flags.test(kFiltered)) {
        std::cout << " ! has been filtered (sorry):" << uri << "@"
                  << existing->attributes << std::endl;
      } else {
        std::cout << (existing->flags.test(kDeleted) ? "x" : " ")
                  << " - update:" << uri << "@"
                  << print_verbose(existing->attributes) << std::endl;
      }
      break;
    }
  }
}

}  // namespace

IAddConcept::~IAddConcept() = default;

AddConceptToCollection::AddConceptToCollection(Blackboard& blackboard)
    : blackboard(&blackboard),
      insertion(blackboard.dbg["insertion"]),
      rule_info(blackboard.flags.rule_info),
      overlap(blackboard.dbg["overlap"]) {}

AddConceptToCollection::~AddConceptToCollection() = default;

Concept* AddConceptToCollection::operator()(RawPtrIterator begin,
                                            RawPtrIterator end,
                                            const std::string& uri,
                                            const std::string& attributes,
                                            Concept* parent,
                                            const std::string& rule) {
  Attributes list = parse_attributes(attributes);
  std::string name = uri;
  const size_t last_plus = uri.rfind('+');
  if (last_plus != std::string::npos) {
    size_t from = 0;
    for (;;) {
      const size_t plus = uri.find('+', from);
      if (plus == std::string::npos) break;
      list.push_back(Attribute("canonical", uri.substr(from, plus - from)));
      from = plus + 1;
    }
    name = uri.substr(last_plus + 1);
  } else if (uri == kFilter) {
    name = filter_concept_name(list);
  }
  return insert(begin, end, name, list, parent, rule);
}

Concept* AddConceptToCollection::operator()(const Annotation* begin,
                                            const Annotation* end,
                                            const std::string& uri,
                                            const std::string& attributes,
                                            Concept* parent,
                                            const std::string& rule) {
  // Through the virtual table, so that a profiling inserter reports.
  IAddConcept& self = *this;
  return self(RawPtrIterator(const_cast<Annotation*>(begin)),
              RawPtrIterator(const_cast<Annotation*>(end)), uri, attributes,
              parent, rule);
}

Concept* AddConceptToCollection::insert(RawPtrIterator begin,
                                        RawPtrIterator end,
                                        const std::string& uri,
                                        const Attributes& attributes,
                                        Concept* parent,
                                        const std::string& /*rule*/) {
  Attributes list = attributes;
  RawPtrIterator first = align_begin(begin);
  if (first == RawPtrIterator()) return nullptr;
  const uint32_t a = first->begin;
  SentenceInfo* sentence = get_sentence(*blackboard, a);
  if (sentence == nullptr || sentence->annotations == nullptr) return nullptr;
  AnnotationCollection& L = *sentence->annotations;

  uint32_t g = sentence->sentence->end;
  if (Token* last = find_previous_token(end, 1)) {
    g = last->end;
  } else if (Token* token = find_next_token(RawPtrIterator(L.head), 1)) {
    g = token->end;
  }

  if (insertion) {
    std::cout << "add concept:" << uri << ":" << a << ":" << g;
    if (!list.empty()) std::cout << "@" << list;
    std::cout << " [" << get_annotation_string(begin, end) << "]" << std::endl;
  }

  const std::shared_ptr<DomainFacade>& domain = blackboard->current_domain;
  if (rule_info && domain) {
    list.push_back(
        Attribute("_domain", zel::filesystem::chop_filename(domain->name(), 3)));
  }

  const bool shortest = get_value(list, "match") == "shortest";
  if (auto* bigger =
          as_concept(has_bigger_concepts(first, a, g, uri))) {
    if (bigger->end >= g) {
      if (!shortest) return nullptr;
      bigger->flags.set(kDeleted);
    } else {
      if (!overlap) return nullptr;
      std::cout << "! we have a overlapping issue. for " << a << " " << g
                << " " << uri << std::endl;
    }
  }

  const InsertionDecision decision =
      find_insertion_point(find_range(first.get(), L), a, g, uri);
  if (insertion) print_decision(decision, uri);

  if (decision.kind == InsertionDecision::kIgnore) return nullptr;

  if (decision.kind == InsertionDecision::kUpdate) {
    Concept* existing = static_cast<Concept*>(decision.annotation);
    if (existing->flags.test(kFiltered)) {
      existing->flags.set(kDeleted);
      return nullptr;
    }
    add_parent(existing, parent);
    existing->flags.reset(kDeleted);
    runtime::Context context(blackboard, sentence, existing,
                             get_top_level_capture_group(parent));
    resolve_attributes(*blackboard, list, context);
    existing->add(list, kStoreWhenShared);
    if (apply_pos_filter(L, existing)) {
      apply_inheritance(L, existing);
      if (is_function(existing->uri)) {
        move_to_new_location(L, existing);
        apply_function(*blackboard, context);
      }
      sentence->sentence->add_id(existing->encoding | Sentence::kConceptIdBit);
    }
    return existing;
  }

  if (domain && domain->no_crlf_names.count(uri) != 0 &&
      has_crlf(*blackboard, a, g)) {
    return nullptr;
  }

  auto* added = new Concept(a, g, uri);
  added->add(list, kStoreWhenShared);
  if (shortest) added->flags.set(kShortedMatch);
  add_parent(added, parent);
  reset_encoding(*blackboard, added, sentence->sentence);
  link(L, added, decision.annotation, parent);
  add_end_annotation(L, begin, end, added);

  if (!apply_pos_filter(L, added)) return added;
  apply_inheritance(L, added);
  if (!mark_childeren_as_deleted(RawPtrIterator(added),
                                 RawPtrIterator(added->end_annotation), uri,
                                 kDeleted)) {
    added->flags.set(kDeleted);
  }
  runtime::Context context(blackboard, sentence, added,
                           get_top_level_capture_group(parent));
  resolve_attributes(*blackboard, added->attributes.own, context);
  if (is_function(uri)) apply_function(*blackboard, context);
  if (domain) {
    apply_concept_definitions(*this, domain->concept_definitions, added,
                              context);
  }
  apply_conditions(*blackboard, added);
  return added;
}

Concept* AddConceptToCollectionProfiler::operator()(
    RawPtrIterator begin, RawPtrIterator end, const std::string& uri,
    const std::string& attributes, Concept* parent, const std::string& rule) {
  Concept* inserted = AddConceptToCollection::operator()(begin, end, uri,
                                                         attributes, parent,
                                                         rule);
  if (inserted != nullptr && blackboard->profiler) {
    blackboard->profiler->hit(rule, inserted);
  }
  return inserted;
}

std::shared_ptr<IAddConcept> create_collector(Blackboard& blackboard) {
  if (blackboard.profiler) {
    return std::make_shared<AddConceptToCollectionProfiler>(blackboard);
  }
  return std::make_shared<AddConceptToCollection>(blackboard);
}

std::string filter_concept_name(const Attributes& attributes) {
  // The pairs as a set: sorted, so that their order does not matter; each
  // pair hashed with its key, and the hashes combined so that every pair
  // moves the result (a bitwise OR of value hashes soon has every bit set,
  // and then every attribute set gets the same name).
  std::vector<std::string> pairs;
  pairs.reserve(attributes.size());
  for (const Attribute& pair : attributes) {
    pairs.push_back(pair.first + '\0' + to_string(pair.second));
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  uint64_t combined = 0;
  const std::hash<std::string> hash;
  for (const std::string& pair : pairs) {
    combined ^= static_cast<uint64_t>(hash(pair)) + 0x9e3779b97f4a7c15ULL +
                (combined << 6) + (combined >> 2);
  }
  return kFilter + std::to_string(combined);
}

RawPtrIterator align_begin(RawPtrIterator position) {
  while (position != RawPtrIterator() &&
         position->kind == kEndAnnotationKind) {
    ++position;
  }
  return position;
}

Concept* align_begin_concept(const Concept* concept_annotation) {
  if (concept_annotation == nullptr) return nullptr;
  auto* earliest = const_cast<Concept*>(concept_annotation);
  for (Concept* before = as_concept(earliest->prev);
       before != nullptr && before->begin == concept_annotation->begin &&
       before->end == concept_annotation->end;
       before = as_concept(before->prev)) {
    earliest = before;
  }
  return earliest;
}

bool has_crlf(const Blackboard& blackboard, uint32_t begin, uint32_t end) {
  const std::string& text = blackboard.text;
  if (text.empty() || begin >= text.size()) return false;
  const size_t stop = std::min<size_t>(end, text.size());
  return begin < stop &&
         std::find(text.begin() + begin, text.begin() + stop, '\n') !=
             text.begin() + stop;
}

std::pair<Annotation*, Annotation*> find_range(
    const Annotation* begin, const AnnotationCollection& list) {
  if (list.empty()) return {nullptr, nullptr};
  Annotation* walk = begin->prev;
  while (is_concept(walk)) walk = walk->prev;
  Annotation* first = nullptr;
  if (walk != nullptr) {
    first = walk->next;
  } else {
    first = list.head->next != nullptr ? list.head->next : list.head;
  }
  Annotation* second = first;
  while (is_concept(second)) second = second->next;
  return {first, second};
}

Annotation* has_bigger_concepts(RawPtrIterator position, uint32_t begin,
                                uint32_t /*end*/, const std::string& uri) {
  for (Annotation* a = position.get(); a != nullptr; a = a->prev) {
    const Concept* c = annotation_cast<Concept>(a);
    if (c != nullptr && c->uri == uri && c->begin < begin && c->end > begin) {
      return a;
    }
  }
  return nullptr;
}

InsertionDecision find_insertion_point(
    const std::pair<Annotation*, Annotation*>& range, uint32_t begin,
    uint32_t end, const std::string& uri) {
  Annotation* const first = range.first;
  Annotation* const stop = range.second;
  if (first == nullptr) return {InsertionDecision::kAddNew, nullptr};
  if (first == stop) return {InsertionDecision::kAddNew, stop};
  for (Annotation* r = first; r != nullptr && r != stop; r = r->next) {
    const Concept* c = annotation_cast<Concept>(r);
    if (c == nullptr || c->begin != begin || c->uri != uri) continue;
    if (c->end == end) return {InsertionDecision::kUpdate, r};
    if (c->end > end) return {InsertionDecision::kIgnore, nullptr};
    Annotation* earliest = r;
    while (is_concept(earliest->prev) && earliest->prev->end == c->end) {
      earliest = earliest->prev;
    }
    return {InsertionDecision::kAddNew, earliest};
  }
  for (Annotation* p = first; p != nullptr && p != stop; p = p->next) {
    if (p->begin >= begin && p->end <= end) {
      return {InsertionDecision::kAddNew, p};
    }
  }
  return {InsertionDecision::kAddNew, stop};
}

void move_to_new_location(AnnotationCollection& list, Annotation* annotation) {
  Annotation* front = annotation;
  for (Annotation* before = annotation->prev;
       is_concept(before) && before->begin == annotation->begin &&
       before->end <= annotation->end;
       before = before->prev) {
    front = before;
  }
  if (front == annotation) return;
  list.unlink(annotation);
  list.insert_before(front, annotation);
}

EndAnnotation* add_end_annotation(AnnotationCollection& list,
                                  RawPtrIterator /*begin*/, RawPtrIterator end,
                                  Concept* concept_annotation) {
  Annotation* const after = end.get();
  if (after == nullptr) return nullptr;
  if (auto* closing = annotation_cast<EndAnnotation>(after)) {
    if (auto* before = annotation_cast<EndAnnotation>(after->prev)) {
      closing = before;
    }
    closing->add(concept_annotation);
    concept_annotation->end_annotation = closing;
    return closing;
  }
  if (after->kind != kTokenKind && after->kind != kConceptKind &&
      after->kind != kEndOfStreamKind) {
    return nullptr;
  }
  if (auto* before = annotation_cast<EndAnnotation>(after->prev)) {
    before->add(concept_annotation);
    concept_annotation->end_annotation = before;
    return nullptr;
  }
  auto* closing =
      new EndAnnotation(concept_annotation->end, concept_annotation->end);
  closing->concepts.push_back(concept_annotation);
  list.insert_before(after, closing);
  concept_annotation->end_annotation = closing;
  return closing;
}

void add_parent(Concept* child, Concept* parent) {
  if (parent == nullptr || parent == child) return;
  if (!child->parents) {
    child->parents = std::make_unique<std::vector<Concept*>>();
  }
  std::vector<Concept*>& parents = *child->parents;
  if (std::find(parents.begin(), parents.end(), parent) == parents.end()) {
    parents.push_back(parent);
  }
}

bool has_parent(const Concept* child, const Concept* parent) {
  if (parent == nullptr || !child->parents) return false;
  const std::vector<Concept*>& parents = *child->parents;
  return std::find(parents.begin(), parents.end(), parent) != parents.end();
}

void remove_parent(Concept* child, Concept* parent) {
  if (!child->parents) return;
  std::vector<Concept*>& parents = *child->parents;
  auto found = std::find(parents.begin(), parents.end(), parent);
  if (found != parents.end()) parents.erase(found);
}

bool mark_childeren_as_deleted(const Concept* concept_annotation, size_t bit) {
  check_bit(bit, "bitset::test");
  const Annotation* const closing = concept_annotation->end_annotation;
  // A concept that is not closed holds nothing it could mark.
  if (closing == nullptr || closing == concept_annotation ||
      concept_annotation->next == closing) {
    return true;
  }
  for (Annotation* a = concept_annotation->next; a != nullptr && a != closing;
       a = a->next) {
    Concept* inner = as_concept(a);
    if (inner == nullptr || inner->flags.test(bit)) continue;
    if (!has_parent(inner, concept_annotation) &&
        inner->uri != concept_annotation->uri) {
      continue;
    }
    if (static_cast<int32_t>(concept_annotation->begin) <
            static_cast<int32_t>(inner->begin) &&
        inner->flags.test(kShortedMatch)) {
      return false;
    }
    inner->flags.set(bit);
    if (!mark_childeren_as_deleted(inner, bit)) return false;
  }
  return true;
}

bool mark_childeren_as_deleted(RawPtrIterator begin, RawPtrIterator end,
                               const std::string& uri, size_t bit) {
  Concept* outer = as_concept(begin.get());
  if (outer == nullptr) return false;
  mark_childeren_as_deleted(outer, bit);
  for (Annotation* a = outer->next; a != nullptr && a != end.get();
       a = a->next) {
    Concept* inner = as_concept(a);
    if (inner == nullptr || inner->uri != uri) continue;
    if (inner->flags.test(kDeleted)) continue;
    if (inner->flags.test(kShortedMatch)) return false;
    check_bit(bit, "bitset::set");
    inner->flags.set(bit);
    if (!mark_childeren_as_deleted(inner, bit)) return false;
  }
  return true;
}

bool mark_childeren_as_deleted(AnnotationCollection& /*list*/,
                               Concept* concept_annotation, size_t bit) {
  return mark_childeren_as_deleted(
      RawPtrIterator(concept_annotation),
      RawPtrIterator(concept_annotation->end_annotation),
      concept_annotation->uri, bit);
}

namespace {

Concept* get_top_level_capture_group_recursive(Concept* c, int depth) {
  if (c == nullptr || depth > 4 || !c->parents || c->parents->empty()) return c;
  return get_top_level_capture_group_recursive(c->parents->front(), depth + 1);
}

}  // namespace

Concept* get_top_level_capture_group(Concept* concept_annotation) {
  return get_top_level_capture_group_recursive(concept_annotation, 0);
}

void reset_encoding(Blackboard& blackboard, Concept* concept_annotation,
                    Sentence* sentence) {
  if (!blackboard.current_domain) return;
  const auto& ids = blackboard.current_domain->concept_ids;
  auto found = ids.find(concept_annotation->uri);
  if (found == ids.end()) return;
  concept_annotation->push(found->second);
  if (sentence != nullptr) {
    sentence->add_id(found->second | Sentence::kConceptIdBit);
  }
}

}  // namespace kavero
}  // namespace zel
