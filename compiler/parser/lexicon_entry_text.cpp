#include "compiler/parser/lexicon_entry_text.h"

namespace zel {
namespace compiler {

namespace {

constexpr std::string_view kWildcards = "(*+.?[\\{|";
constexpr std::string_view kTripleQuote = "\"\"\"";

}  // namespace

bool has_wildcards(const char* text) {
  return text != nullptr && has_wildcards(std::string_view(text));
}

bool has_wildcards(std::string_view text) {
  return text.find_first_of(kWildcards) != std::string_view::npos;
}

bool is_raw_lexicon_entry(const std::string& entry) {
  return entry.size() >= kTripleQuote.size() &&
         entry.compare(0, kTripleQuote.size(), kTripleQuote) == 0 &&
         entry.compare(entry.size() - kTripleQuote.size(), kTripleQuote.size(), kTripleQuote) == 0;
}

void strip_raw_lexicon_entry(std::string& entry) {
  if (!is_raw_lexicon_entry(entry)) return;
  // The two triple quotes may overlap in a short text; nothing lies between
  // them then.
  if (entry.size() < 2 * kTripleQuote.size()) {
    entry.clear();
    return;
  }
  entry = entry.substr(kTripleQuote.size(), entry.size() - 2 * kTripleQuote.size());
}

}  // namespace compiler
}  // namespace zel
