// Concept insertion: how a concept that a rule or a lexicon matched enters
// the document.
//
// A match is a range [begin, end) of one sentence list: begin designates its
// first annotation, end the annotation right after its last one (at worst
// the sentence's EndOfStream). The inserter decides whether the concept is
// new, an update of an existing one (same name, same range) or dropped;
// places a new concept right before the token where it begins, among the
// concepts that begin there (longer ones first), and closes it with the
// EndAnnotation after its last token (shared by every concept that ends
// there); resolves overlaps with concepts of the same name; gives it its
// rule-input id; and then applies, in order: the part-of-speech filter,
// inheritance, the marking of contained same-name concepts, formatted
// attribute values, the rule function its name names, the current domain's
// concept definitions and its conditions (concept_conditions.h).
//
// Overlaps with a same-name concept X that begins earlier: when X reaches
// at least as far, the new concept is dropped (the longer, earlier match
// wins) unless the rule asks for "match" = "shortest", which marks X deleted
// instead and the new concept "shorted_match"; when X ends inside the new
// range, the new concept is dropped unless the debug flag "overlap" is on
// (then it is reported and inserted). A same-name concept that begins at the
// same token: same end, an update; longer, the new one is ignored; shorter,
// it is marked deleted after the new one is placed (with what lies inside
// it), unless it is a "shortest" match that begins after the new concept,
// in which case the new concept is the one marked deleted.
//
// A concept a rule removed ("filtered") is never revived: its update marks
// it deleted again and inserts nothing. An update otherwise revives a
// concept that was only marked deleted.
//
// The debug flags "insertion" and "overlap" print their traces on standard
// output; with "rule_info" every inserted concept gets "_domain", the last
// three path components of the current domain's name.
//
// The rule matchers reach the inserter only through IAddConcept; the
// blackboard makes its inserter when it is made (create_collector).

#ifndef KAVERO_ANALYSIS_CONCEPT_INSERTION_H_
#define KAVERO_ANALYSIS_CONCEPT_INSERTION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

class Blackboard;

class IAddConcept {
 public:
  // Inserts the concept `uri` over [begin, end) with the rule's attribute
  // text; the new or updated concept, or null when nothing was inserted.
  virtual Concept* operator()(RawPtrIterator begin, RawPtrIterator end,
                              const std::string& uri,
                              const std::string& attributes, Concept* parent,
                              const std::string& rule) = 0;
  // The same over annotation pointers.
  virtual Concept* operator()(const Annotation* begin, const Annotation* end,
                              const std::string& uri,
                              const std::string& attributes, Concept* parent,
                              const std::string& rule) = 0;
  virtual ~IAddConcept();
};

class AddConceptToCollection : public IAddConcept {
 public:
  // Reads the debug flags "insertion" and "overlap" and the blackboard's
  // rule_info flag once.
  explicit AddConceptToCollection(Blackboard& blackboard);
  ~AddConceptToCollection() override;

  // The text form: parses the attribute text (parse_attributes); every part
  // of `uri` before a "+" becomes a "canonical" attribute, in order, and
  // the part after the last "+" is the concept's name; the name
  // "kav::filter" alone becomes filter_concept_name of the attributes. Then
  // the insertion proper. Errors of the parser, of attribute resolution and
  // of rule functions propagate.
  Concept* operator()(RawPtrIterator begin, RawPtrIterator end,
                      const std::string& uri, const std::string& attributes,
                      Concept* parent, const std::string& rule) override;
  // Calls the text form through the virtual table.
  Concept* operator()(const Annotation* begin, const Annotation* end,
                      const std::string& uri, const std::string& attributes,
                      Concept* parent, const std::string& rule) override;

  // The insertion proper, with the attributes as a list.
  Concept* insert(RawPtrIterator begin, RawPtrIterator end,
                  const std::string& uri, const Attributes& attributes,
                  Concept* parent, const std::string& rule);

  Blackboard* blackboard;
  bool insertion;
  bool rule_info;
  bool overlap;
};

// The inserter of a blackboard with a rule profiler: also reports every
// inserted or updated concept as a hit of its rule.
class AddConceptToCollectionProfiler : public AddConceptToCollection {
 public:
  using AddConceptToCollection::AddConceptToCollection;
  using AddConceptToCollection::operator();
  Concept* operator()(RawPtrIterator begin, RawPtrIterator end,
                      const std::string& uri, const std::string& attributes,
                      Concept* parent, const std::string& rule) override;
};

// The blackboard's inserter: the profiling one when it has a profiler.
std::shared_ptr<IAddConcept> create_collector(Blackboard& blackboard);

// The name of a "kav::filter" concept: "kav::filter" and the decimal text
// of a 64-bit hash of its attributes, taken as a set of (key, text) pairs,
// so that different attribute sets give different names and the order in
// which a rule writes them does not matter. "kav::filter0" for no
// attributes.
std::string filter_concept_name(const Attributes& attributes);

// The first annotation at or after the position that is not an
// EndAnnotation; the end of the list when there is none.
RawPtrIterator align_begin(RawPtrIterator position);

// The earliest of the run of concepts right before the concept that have
// its begin and end; the concept itself when none; null for null.
Concept* align_begin_concept(const Concept* concept_annotation);

// Whether the blackboard's text holds a line feed in [begin, end); false
// when the blackboard holds no text.
bool has_crlf(const Blackboard& blackboard, uint32_t begin, uint32_t end);

// The run of concepts right before `begin` (the annotation where a match
// begins), as [first, second): first is the annotation after the first
// non-concept met walking back from begin's predecessor, or the list's
// second annotation when the walk reaches the head (the "Sentence" concept
// never takes part); second is the first non-concept at or after first.
// Both null for an empty list.
std::pair<Annotation*, Annotation*> find_range(
    const Annotation* begin, const AnnotationCollection& list);

// Walking back from the position (included): the first concept named
// `uri` that begins before `begin` and ends after it.
Annotation* has_bigger_concepts(RawPtrIterator position, uint32_t begin,
                                uint32_t end, const std::string& uri);

// What the insertion-point search decides.
struct InsertionDecision {
  enum Kind { kAddNew, kUpdate, kIgnore };
  Kind kind;
  // kAddNew: the annotation the new concept goes before (null: the end of
  // the list); kUpdate: the existing concept.
  Annotation* annotation;
};

// Searches the run of concepts `range` (find_range) for the place of a
// concept `uri` over [begin, end): a concept of the name over the same
// range is updated; one that begins there and reaches further makes the
// new one ignored; one that begins there and ends earlier gets the new one
// before it (and before the concepts right before it that end where it
// ends). Otherwise the new concept goes before the first concept of the
// run that lies inside its range, else after the run.
InsertionDecision find_insertion_point(
    const std::pair<Annotation*, Annotation*>& range, uint32_t begin,
    uint32_t end, const std::string& uri);

// Moves the concept in front of the run of concepts right before it that
// begin where it begins and end no later than it ends.
void move_to_new_location(AnnotationCollection& list, Annotation* annotation);

// Attaches the concept to the end annotation in front of `end` (the
// annotation after the match): the one `end` is, or the one right before
// it, else a new one linked right before `end`. Returns the end annotation
// when `end` was one or a new one was made; null otherwise.
EndAnnotation* add_end_annotation(AnnotationCollection& list,
                                  RawPtrIterator begin, RawPtrIterator end,
                                  Concept* concept_annotation);

// Appends the parent to the child's parents once; nothing for a null
// parent or the child itself.
void add_parent(Concept* child, Concept* parent);
bool has_parent(const Concept* child, const Concept* parent);
// Removes the first occurrence of the parent; the others keep their order.
void remove_parent(Concept* child, Concept* parent);

// Sets flag `bit` (0 to 5; std::out_of_range otherwise) on every concept
// inside the concept's range that does not have it yet and that has the
// concept as a parent or has its name, and on what lies inside those in
// turn. Stops with false at a "shorted_match" concept that begins after the
// concept; true otherwise.
bool mark_childeren_as_deleted(const Concept* concept_annotation, size_t bit);
// The concept at `begin`, closed at `end`: the form above on it, then every
// live concept named `uri` inside it gets the bit and the form above; false
// at once at a "shorted_match" one (or when `begin` is not a concept).
bool mark_childeren_as_deleted(RawPtrIterator begin, RawPtrIterator end,
                               const std::string& uri, size_t bit);
bool mark_childeren_as_deleted(AnnotationCollection& list,
                               Concept* concept_annotation, size_t bit);

// Follows the first parent up to five times.
Concept* get_top_level_capture_group(Concept* concept_annotation);

// Gives the concept its rule-input id in the current domain, enters the id
// (with the concept bit) into the sentence's ids and marks the sentence
// changed; nothing when the domain has no id for the name.
void reset_encoding(Blackboard& blackboard, Concept* concept_annotation,
                    Sentence* sentence);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_CONCEPT_INSERTION_H_
