// Concept attributes: keys with one or more values.
//
// Attributes is the attribute list: (key, value) pairs, one entry per value.
// A list built through add() is sorted by key in byte order, keeps equal keys
// in the order they were added and never holds two equal value texts under
// one key; lists filled by other means (the rule-attribute parser appends in
// source order) are unsorted, and only the linear lookups has() and
// get_value() work on them.
//
// ConceptAttributes is what one concept carries: its own list, plus a store
// that it may share with other concepts of the same entity (instances,
// conjecture). Keys beginning with "_" hold per-concept facts and never go
// into a store.
//
// Values are held in boost::any: a text, a format value (a rule's formatted
// text and, once resolved, its result) or the mark of a format that failed
// to resolve.

#ifndef KAVERO_ANALYSIS_ATTRIBUTES_H_
#define KAVERO_ANALYSIS_ATTRIBUTES_H_

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <boost/any.hpp>

namespace zel {
namespace kavero {

// A formatted value of a rule: the format as written and its resolved text,
// empty until it is resolved for a match.
struct AttributeFormatValue {
  std::string format;
  std::string resolved;
};

// Replaces a format value whose resolution failed.
struct AttributeFormatInvalidValue {};

// The one empty text handed out by reference wherever a value or key is
// absent. Never changed.
extern const std::string invalid_cast;

using Attribute = std::pair<std::string, boost::any>;

class Attributes {
 public:
  using container = std::vector<Attribute>;
  using iterator = container::iterator;
  using const_iterator = container::const_iterator;

  Attributes() = default;

  // Binary searches: defined on sorted lists only.
  bool has_attribute(const std::string& key) const;
  // The text of the key's first value; invalid_cast when absent.
  const std::string& get_attribute(const std::string& key) const;

  // Adds a pair at its sorted place, after the key's other values; returns 0
  // and changes nothing when the key already has a value of the same text
  // (whatever the value types), else 1.
  unsigned add(const Attribute& pair);
  unsigned add(const std::string& key, const std::string& text);
  // Adds every pair of `other` in its order; returns how many were new.
  unsigned add(const Attributes& other);

  // Removes every entry of the key; the others keep their order.
  void remove_attributes(const std::string& key);
  // The same effect, erasing the first matching entry again and again.
  void remove_key(const std::string& key);

  // Removes the entries of `key` whose text `value` selects: a value of more
  // than one character between two "/" is a pattern in the rule language's
  // notation that must match the whole text; any other value must equal it.
  // An invalid pattern throws before anything is removed.
  void remove_attribute(const std::string& key, const std::string& value);

  // Removes one entry; returns the position, which now holds its successor.
  iterator erase(iterator position);

  // Appends without sorting or de-duplicating, as a parser that keeps source
  // order does.
  void push_back(const Attribute& pair) { items_.push_back(pair); }
  void push_back(Attribute&& pair) { items_.push_back(std::move(pair)); }

  bool empty() const { return items_.empty(); }
  size_t size() const { return items_.size(); }
  void clear() { items_.clear(); }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  const_iterator lower_bound(const std::string& key) const;

  container items_;
};

// Linear lookups that work on any list.
bool has(const Attributes& list, const std::string& key);
const std::string& get_value(const Attributes& list, const std::string& key);

// The text of a value: a text as it is; a format value's resolved text, or
// its format while unresolved; invalid_cast for anything else.
const std::string& to_string(const boost::any& value);
// The text that add() compares values by; the same as to_string().
const std::string& raw_string(const boost::any& value);

// Writes every entry as key "=" text ";", in list order.
std::ostream& operator<<(std::ostream& out, const Attributes& list);

// The target of the adders.
enum ConceptAttributeStoreType : unsigned {
  // The store, when the concept has one and the key does not begin with
  // "_"; the own list otherwise. What every caller passes.
  kStoreWhenShared = 0,
  // Always the own list.
  kOwnList = 1,
};

class ConceptAttributes {
 public:
  using KeyPredicate = std::function<bool(const std::string&)>;

  // Accepts every key.
  static bool CAFT_None(const std::string& key);

  ConceptAttributes() = default;
  // A copy has its own copy of the own list and shares the store.
  ConceptAttributes(const ConceptAttributes&) = default;
  ConceptAttributes& operator=(const ConceptAttributes&) = default;

  // The own list first, then the store.
  bool has_attribute(const std::string& key) const;
  const std::string& get_attribute(const std::string& key) const;

  unsigned add(const Attribute& pair, ConceptAttributeStoreType type);
  unsigned add(const std::string& key, const std::string& text,
               ConceptAttributeStoreType type);
  unsigned add(const Attributes& list, ConceptAttributeStoreType type);

  // Attributes::remove_attribute on the own list, then on the store.
  void remove_attribute(const std::string& key, const std::string& value);

  // Moves every pair of `other` whose key does not begin with "_" into this
  // store (made when missing); afterwards `other` holds only its "_" keys.
  void share_from_this(Attributes& other);
  // Moves the pairs of `other`'s store and own list whose keys `accept`
  // accepts ("_" keys of the own list never) into this store, removes the
  // moved keys from `other`'s own list and makes `other` share this store.
  void share_from_this(ConceptAttributes& other, const KeyPredicate& accept);
  // As above with every key accepted, but a key is copied only when this
  // store does not hold it yet, and then only with its first value.
  void share_from_this_uniq(ConceptAttributes& other);

  // Per-concept list.
  Attributes own;
  // Shared with other concepts; null until this concept first shares. The
  // store lives as long as its last sharer.
  std::shared_ptr<Attributes> store;
};

// ConceptAttributes whose store exists from the start.
class SharedAttributes : public ConceptAttributes {
 public:
  SharedAttributes();
};

// Writes every own entry, then every store entry, as key "=" text ";".
std::ostream& operator<<(std::ostream& out, const ConceptAttributes& a);

// Selects the verbose print: own entries as "l:" key ":" text ";", store
// entries as "s:" key ":" text ";".
struct print_verbose {
  explicit print_verbose(const ConceptAttributes& a) : attributes(a) {}
  const ConceptAttributes& attributes;
};
std::ostream& operator<<(std::ostream& out, const print_verbose& p);

// Writes the attributes as a JSON object with one array of value texts per
// accepted key: keys in the order they first occur (own list, then store),
// each key once, with the values of the own list before those of the store.
// With no accepted entry the object is "{}".
void to_json(std::ostream& out, const ConceptAttributes& a,
             const std::function<bool(const std::string&)>& accept);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_ATTRIBUTES_H_
