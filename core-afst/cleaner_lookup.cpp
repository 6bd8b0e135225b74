#include "core-afst/cleaner_lookup.h"

#include <cstring>
#include <iostream>
#include <utility>

namespace zel {
namespace afst {

namespace {

// The working buffer of up(): words of this many bytes or more are not
// handled.
constexpr int32_t kBufferSize = 80;
constexpr std::size_t kMaxRuns = 3;
constexpr std::size_t kMinCleanedLength = 3;

bool is_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The length of the run that starts at `i`: 1 for a continuation byte.
int32_t run_length(const char* buffer, int32_t i, int32_t length) {
  if (is_continuation(buffer[i])) return 1;
  int32_t end = i + 1;
  while (end < length && buffer[end] == buffer[i]) ++end;
  return end - i;
}

}  // namespace

std::vector<int32_t> clean_word_tree_consecutive_char(char* buffer, int32_t& length) {
  std::vector<int32_t> positions;
  int32_t out = 0;
  for (int32_t i = 0; i < length;) {
    const int32_t run = run_length(buffer, i, length);
    const char byte = buffer[i];
    if (run >= 3) {
      positions.push_back(out);
      buffer[out++] = byte;
      buffer[out++] = byte;
    } else {
      for (int32_t k = 0; k < run; ++k) buffer[out++] = byte;
    }
    i += run;
  }
  buffer[out] = '\0';
  length = out;
  return positions;
}

void generate_permutations(std::set<std::string>& variants, const char* word, int32_t length,
                           const std::vector<int32_t>& positions, int32_t first, int32_t depth) {
  std::string text(word, static_cast<std::size_t>(length));
  if (!variants.insert(text).second) return;
  for (int32_t index = static_cast<int32_t>(positions.size()) - 1; index >= first; --index) {
    const int32_t removed = positions[index];
    std::string shorter = text;
    shorter.erase(static_cast<std::size_t>(removed), 1);
    std::vector<int32_t> others;
    others.reserve(positions.size() - 1);
    for (int32_t other = 0; other < static_cast<int32_t>(positions.size()); ++other) {
      if (other == index) continue;
      const int32_t position = positions[other];
      others.push_back(position > removed ? position - 1 : position);
    }
    generate_permutations(variants, shorter.data(), static_cast<int32_t>(shorter.size()), others, 0,
                          depth + 1);
  }
}

void addProperty(std::vector<std::string>& results) {
  for (auto& result : results) result += "+cleanup";
}

bool copy_cleanword(char* buffer, int32_t& length) {
  int32_t out = 0;
  for (int32_t i = 0; i < length;) {
    const int32_t run = run_length(buffer, i, length);
    buffer[out++] = buffer[i];
    i += run;
  }
  buffer[out] = '\0';
  const bool changed = out != length;
  length = out;
  return changed;
}

std::vector<int32_t> clean_word_two_consecutive_char(const char* buffer, const int32_t& length) {
  std::vector<int32_t> pairs;
  for (int32_t i = 0; i + 1 < length; ++i) {
    if (buffer[i] == buffer[i + 1] && !is_continuation(buffer[i])) pairs.push_back(i);
  }
  return pairs;
}

CleanerLookup::CleanerLookup(std::shared_ptr<AFst> network,
                             std::shared_ptr<ILookupConverter> converter)
    : lookup_(std::move(network), std::move(converter)) {}

CleanerLookup::~CleanerLookup() = default;

int32_t CleanerLookup::type() const { return 6; }

std::vector<std::string> CleanerLookup::up(const std::string& word) {
  std::vector<std::string> answer;
  if (word.size() >= static_cast<std::size_t>(kBufferSize)) return answer;
  char buffer[kBufferSize];
  std::memcpy(buffer, word.data(), word.size());
  buffer[word.size()] = '\0';
  int32_t length = static_cast<int32_t>(word.size());

  const std::vector<int32_t> positions = clean_word_tree_consecutive_char(buffer, length);
  if (positions.empty() || positions.size() > kMaxRuns) return answer;
  if (std::strlen(buffer) < kMinCleanedLength) return answer;

  std::set<std::string> variants;
  generate_permutations(variants, buffer, length, positions, 0, 0);
  for (const auto& variant : variants) {
    std::vector<std::string> results = lookup_.up(variant);
    if (results.empty()) continue;
    addProperty(results);
    for (auto& result : results) answer.push_back(std::move(result));
  }
  return answer;
}

void CleanerLookup::print_results(const std::string& word) {
  for (const auto& output : up(word)) std::cout << "  -g- " << output << std::endl;
}

}  // namespace afst
}  // namespace zel
