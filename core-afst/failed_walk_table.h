// The memory of a guesser search for walks that collected nothing (see
// GuesserLookupSession::descend): byte-string keys, each with the tried
// marks its walk left and whether it cleared the match counts below it.
//
// Keys and marks live in one byte arena and the slots are one flat array
// probed linearly, so a search that looks up many situations allocates
// nothing once the table has grown to its size; clear() keeps the memory
// for the next search.

#ifndef KAVERO_CORE_AFST_FAILED_WALK_TABLE_H_
#define KAVERO_CORE_AFST_FAILED_WALK_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zel {
namespace afst {

class FailedWalkTable {
 public:
  // The hash that find() and insert() take for `key`.
  static uint64_t hash(std::string_view key);

  // Whether a walk is stored under `key`; if so, sets its tried marks
  // (valid until the next insert() or clear()) and whether it cleared the
  // match counts below it.
  bool find(std::string_view key, uint64_t hash, std::string_view* tried, bool* cleared) const;
  // Stores a walk under a key not stored yet.
  void insert(std::string_view key, uint64_t hash, std::string_view tried, bool cleared);
  // Forgets every walk, keeping the memory.
  void clear();
  std::size_t size() const { return records_.size(); }

 private:
  struct Record {
    uint64_t hash;
    uint32_t key_at;
    uint32_t key_size;
    uint32_t tried_at;
    uint32_t tried_size;
    bool cleared;
  };
  void grow();

  // Index + 1 into records_ by slot; 0 is free. The size is a power of two.
  std::vector<uint32_t> slots_;
  std::vector<Record> records_;
  // Keys and marks, back to back.
  std::string bytes_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_FAILED_WALK_TABLE_H_
