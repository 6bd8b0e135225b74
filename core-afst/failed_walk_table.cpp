#include "core-afst/failed_walk_table.h"

#include <algorithm>
#include <cstring>

namespace zel {
namespace afst {

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

uint64_t mix(uint64_t h, uint64_t word) {
  h ^= word;
  h *= kMultiplier;
  return h ^ (h >> 29);
}

}  // namespace

uint64_t FailedWalkTable::hash(std::string_view key) {
  // Four independent lanes of 8 bytes each, so that the multiplications of
  // a long key overlap.
  uint64_t lanes[4] = {key.size() * kMultiplier, 1, 2, 3};
  const char* p = key.data();
  std::size_t left = key.size();
  for (; left >= 32; left -= 32, p += 32) {
    for (int lane = 0; lane < 4; ++lane) {
      uint64_t word;
      std::memcpy(&word, p + 8 * lane, 8);
      lanes[lane] = mix(lanes[lane], word);
    }
  }
  uint64_t h = mix(mix(lanes[0], lanes[1]), mix(lanes[2], lanes[3]));
  for (; left >= 8; left -= 8, p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = mix(h, word);
  }
  if (left > 0) {
    uint64_t word = 0;
    std::memcpy(&word, p, left);
    h = mix(h, word);
  }
  return mix(h, 0);
}

bool FailedWalkTable::find(std::string_view key, uint64_t hash, std::string_view* tried,
                           bool* cleared) const {
  if (slots_.empty()) return false;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint32_t slot = slots_[i];
    if (slot == 0) return false;
    const Record& record = records_[slot - 1];
    if (record.hash != hash || record.key_size != key.size() ||
        std::memcmp(bytes_.data() + record.key_at, key.data(), key.size()) != 0) {
      continue;
    }
    *tried = std::string_view(bytes_.data() + record.tried_at, record.tried_size);
    *cleared = record.cleared;
    return true;
  }
}

void FailedWalkTable::insert(std::string_view key, uint64_t hash, std::string_view tried,
                             bool cleared) {
  if (!slots_.empty()) {
    // A walk stored again replaces what was stored.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i] != 0; i = (i + 1) & mask) {
      Record& record = records_[slots_[i] - 1];
      if (record.hash != hash || record.key_size != key.size() ||
          std::memcmp(bytes_.data() + record.key_at, key.data(), key.size()) != 0) {
        continue;
      }
      record.tried_at = static_cast<uint32_t>(bytes_.size());
      record.tried_size = static_cast<uint32_t>(tried.size());
      bytes_.append(tried.data(), tried.size());
      record.cleared = cleared;
      return;
    }
  }
  if ((records_.size() + 1) * 2 > slots_.size()) grow();
  Record record;
  record.hash = hash;
  record.key_at = static_cast<uint32_t>(bytes_.size());
  record.key_size = static_cast<uint32_t>(key.size());
  bytes_.append(key.data(), key.size());
  record.tried_at = static_cast<uint32_t>(bytes_.size());
  record.tried_size = static_cast<uint32_t>(tried.size());
  bytes_.append(tried.data(), tried.size());
  record.cleared = cleared;
  records_.push_back(record);
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i] != 0) i = (i + 1) & mask;
  slots_[i] = static_cast<uint32_t>(records_.size());
}

void FailedWalkTable::grow() {
  const std::size_t size = std::max<std::size_t>(64, slots_.size() * 2);
  slots_.assign(size, 0);
  const std::size_t mask = size - 1;
  for (std::size_t r = 0; r < records_.size(); ++r) {
    std::size_t i = records_[r].hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<uint32_t>(r + 1);
  }
}

void FailedWalkTable::clear() {
  if (records_.empty()) return;
  std::fill(slots_.begin(), slots_.end(), 0);
  records_.clear();
  bytes_.clear();
}

}  // namespace afst
}  // namespace zel
