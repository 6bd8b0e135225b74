// Mementos: facts that rules record while a document is matched (a key, a
// text and the byte offset where it was recorded), so that later rules and
// concept conditions can depend on what earlier parts of the document
// established.
//
// The store belongs to one document (Blackboard::memento_store); the first
// "kav::set_memento" of the document makes it. Entries are only added.
//
// The rule functions:
//   "kav::set_memento"  records every attribute of its function concept at
//                       the concept's begin;
//   "kav::has_memento"  tests every attribute but "concept" there and, when
//                       all hold, inserts the concept its "concept" attribute
//                       names over the function concept's range, marked
//                       "import".

#ifndef KAVERO_MATCHER_MEMENTO_STORE_H_
#define KAVERO_MATCHER_MEMENTO_STORE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zel {
namespace kavero {

namespace runtime {
class Context;
}  // namespace runtime

struct MementoData {
  uint32_t position;
  std::string text;
};

// Orders mementos by position.
bool sort_function(const MementoData& a, const MementoData& b);
// Orders mementos by text (byte order).
bool eqange_range_function(const MementoData& a, const MementoData& b);

// The mementos of one key by ascending position; among entries of one
// position the most recently added comes first.
using Memento = std::vector<MementoData>;

class MementoStore {
 public:
  // Records the text under the key at the position; nothing when the key
  // already has that text at that position.
  void add(const std::string& key, const std::string& text, uint32_t position);

  // Whether the key holds the text as seen from the position: the test
  // looks at the last entry recorded before the position and at every entry
  // recorded at the position itself, so a later value of a key hides an
  // earlier one.
  bool has(const std::string& key, const std::string& text,
           uint32_t position) const;

  // Key -> its mementos.
  std::map<std::string, Memento> mementos;
};

// A debugging aid: writes every key, in key order, as "key:" + key, then
// each of its entries as "location:" + position + " value:" + text, one
// line each, to standard output.
void print_memento_info(const MementoStore& store);

// The rule function "kav::set_memento": makes the document's store when it
// has none and records every pair of the function concept (own list, then
// shared store; "concept" included) at the concept's begin. Returns an
// empty text.
struct SetMementoHandler {
  std::string operator()(const runtime::Context& context) const;
};

// The rule function "kav::has_memento": without a store nothing happens.
// Otherwise every pair of the function concept but "concept" (own list,
// then shared store) is tested at the concept's begin, stopping at the
// first that fails; when all hold, the document's concept inserter inserts
// the concept named by "concept" over the function concept's range (no
// attributes, no parent, rule "memento") and the inserted concept is
// marked "import". Returns an empty text.
struct HasMementoHandler {
  std::string operator()(const runtime::Context& context) const;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_MEMENTO_STORE_H_
