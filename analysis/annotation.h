// The annotation model: the two-level list through which every stage of the
// analysis reads and changes a document.
//
// The document list holds one Sentence per sentence, in text order. Every
// sentence owns its own list, in text order:
//   1. the sentence's "Sentence" concept;
//   2. its tokens; before a token stand the concepts that begin at it, after
//      the last token of a group of concepts the EndAnnotation closing them;
//   3. the EndAnnotation closing the "Sentence" concept;
//   4. the EndOfStream marker, always last.
//
// Lists own their annotations and delete them with the list; a sentence owns
// its list, so deleting the document list frees the whole document. Pointers
// between annotations (a concept's end annotation and parents, an end
// annotation's concepts) never own.
//
// Code that walks the lists dispatches on the kind code and casts (see
// annotation_cast); the classes have no behaviour beyond what is here.
// Offsets are byte offsets into the document's UTF-8 text, end exclusive.

#ifndef KAVERO_ANALYSIS_ANNOTATION_H_
#define KAVERO_ANALYSIS_ANNOTATION_H_

#include <bitset>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "analysis/attributes.h"
#include "analysis/raw_ptr_list.h"
#include "language/reading.h"

namespace zel {
namespace kavero {

enum AnnotationKind : uint32_t {
  kSentenceKind = 1,
  kConceptKind = 2,
  kTokenKind = 3,
  kEndAnnotationKind = 4,
  kEndOfStreamKind = 5,
};

// What can carry rule-input encoding ids.
class IIsEncodable {
 public:
  virtual ~IIsEncodable();
  // Records an encoding id. The base does nothing.
  virtual void push(const unsigned& id);
  // Whether the annotation carries the id. The base answers false.
  virtual bool has(const unsigned& id) const;
  virtual bool requires_match() const;
  virtual void requires_match(const bool& value);
};

class Annotation : public omr::common::BaseHook<Annotation>,
                   public IIsEncodable {
 public:
  ~Annotation() override;

  // Links belong to one list; an annotation is never copied.
  Annotation(const Annotation&) = delete;
  Annotation& operator=(const Annotation&) = delete;

  // Set by each class's constructor; never changed.
  const uint32_t kind;
  uint32_t begin;
  uint32_t end;

 protected:
  Annotation(uint32_t kind, uint32_t begin, uint32_t end);
};

// Owns its annotations: destroying it deletes them from the head on.
class AnnotationCollection : public omr::common::RawPtrList<Annotation> {};

using RawPtrIterator = AnnotationCollection::RawPtrIterator;

class Sentence : public Annotation {
 public:
  static constexpr uint32_t kKind = kSentenceKind;

  Sentence(uint32_t begin, uint32_t end);
  ~Sentence() override;

  // The sentence's own list; owned.
  AnnotationCollection annotations;
  // The rule-input ids present in the sentence: token ids with bit
  // 0x10000000, concept ids with bit 0x20000000. Use add_id() so that
  // `changed` follows.
  std::set<uint32_t> ids;
  // Set whenever an id enters `ids`; the rule runner matches the sentence
  // again while it is set.
  bool changed = true;
  // Marks of the tokenizer (language/token_flags.h, sentence_flags).
  uint64_t flags = 0;

  static constexpr uint32_t kTokenIdBit = 0x10000000;
  static constexpr uint32_t kConceptIdBit = 0x20000000;

  // Inserts an id into `ids` and sets `changed`.
  void add_id(uint32_t id);
};

class Token : public Annotation {
 public:
  static constexpr uint32_t kKind = kTokenKind;

  Token(uint32_t begin, uint32_t end, const std::string& literal);
  ~Token() override;

  // Inserts the id after every id not greater than it, so `encodings` stays
  // ascending; an id pushed twice is stored twice.
  void push(const unsigned& id) override;
  bool has(const unsigned& id) const override;

  std::string literal;
  // First reading first: the text streams use it.
  std::list<MorphData> readings;
  std::set<std::string> properties;
  // Ascending.
  std::vector<uint32_t> encodings;
  // Marks of the tokenizer and the dictionary pass
  // (language/token_flags.h, token_flags).
  uint64_t flags = 0;
};

class EndAnnotation;

// The bits of Concept::flags; the names are the keys the result printers
// report them under (concept_flag_name).
enum ConceptFlag : size_t {
  kDeleted = 0,
  kShortedMatch = 1,
  kImport = 2,
  kFiltered = 3,
  kToResolve = 4,
  kToDelete = 5,
  kConceptFlagCount = 6,
};
const char* concept_flag_name(ConceptFlag bit);

class Concept : public Annotation {
 public:
  static constexpr uint32_t kKind = kConceptKind;

  Concept(uint32_t begin, uint32_t end, const std::string& uri);
  ~Concept() override;

  // Stores the id in `encoding`.
  void push(const unsigned& id) override;
  // False for a deleted concept, else whether `encoding` is the id.
  bool has(const unsigned& id) const override;

  bool deleted() const { return flags.test(kDeleted); }

  // Attribute access; see ConceptAttributes.
  bool has_attribute(const std::string& key) const;
  const std::string& get_attribute(const std::string& key) const;
  void remove_attribute(const std::string& key, const std::string& value);
  // Every value of the key, own list only.
  void remove_attributes(const std::string& key);
  // Empties the own list; the store stays.
  void clear_attributes();
  unsigned add(const Attribute& pair, ConceptAttributeStoreType type);
  unsigned add(const Attributes& list, ConceptAttributeStoreType type);
  unsigned add(const std::string& key, const std::string& text,
               ConceptAttributeStoreType type);

  // Tests one attribute condition of a rule: the condition's key names the
  // attribute, its value text starts with a marker. A double quote: some
  // value of the key equals the rest of the text. Any other marker: the rest
  // is a regular expression that must match some value as a whole. An
  // expression that does not compile is reported on standard output and
  // matches nothing.
  bool match(const Attribute& condition) const;

  std::string uri;
  // Closes the concept; not owned. Set when the concept is attached.
  EndAnnotation* end_annotation = nullptr;
  // The parents the matchers passed, in order, each once; not owned.
  // Absent until the first parent is added.
  std::unique_ptr<std::vector<Concept*>> parents;
  std::optional<std::string> instance_key;
  std::optional<int64_t> instance_index;
  // Rule-input id in the current domain; 0 when none.
  uint32_t encoding = 0;
  std::bitset<kConceptFlagCount> flags;
  ConceptAttributes attributes;
};

class EndAnnotation : public Annotation {
 public:
  static constexpr uint32_t kKind = kEndAnnotationKind;

  // Both offsets are the end of the concepts it closes.
  explicit EndAnnotation(uint32_t end);
  EndAnnotation(uint32_t begin, uint32_t end);
  ~EndAnnotation() override;

  // Inserts the concept before the first entry whose begin is not greater
  // than its own, so entries run by descending begin and, among equal
  // begins, the latest added comes first. Does not set the concept's
  // end_annotation; callers do.
  void add(Concept* concept_annotation);

  // The concepts that end here; not owned.
  std::vector<Annotation*> concepts;
};

class EndOfStream : public Annotation {
 public:
  static constexpr uint32_t kKind = kEndOfStreamKind;
  // Both offsets are the sentence's end.
  explicit EndOfStream(uint32_t end);
  ~EndOfStream() override;
};

// The annotation as T when its kind is T's, else null.
template <typename T>
T* annotation_cast(Annotation* a) {
  return a != nullptr && a->kind == T::kKind ? static_cast<T*>(a) : nullptr;
}
template <typename T>
const T* annotation_cast(const Annotation* a) {
  return a != nullptr && a->kind == T::kKind ? static_cast<const T*>(a)
                                             : nullptr;
}

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_ANNOTATION_H_
