#include "compiler/driver/generated_sources_testutil.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

namespace zel {
namespace compiler {
namespace testing {

namespace {

// Lower-case words of 4 to 9 letters, all different.
class Words {
 public:
  explicit Words(uint32_t seed) : random_(seed) {}

  std::string next() {
    std::uniform_int_distribution<int> length(4, 9);
    std::uniform_int_distribution<int> letter('a', 'z');
    for (;;) {
      std::string word;
      for (int n = length(random_); n > 0; --n) word += static_cast<char>(letter(random_));
      if (used_.insert(word).second) return word;
    }
  }

 private:
  std::mt19937 random_;
  std::set<std::string> used_;
};

// One rule of the generated domain; `n` picks the form and the words.
std::string rule_text(int n, const std::vector<std::string>& vocabulary) {
  const auto word = [&](int k) {
    return vocabulary[static_cast<size_t>(n * 7 + k * 131) % vocabulary.size()];
  };
  const std::string concept_name = std::to_string(n % 40);
  std::ostringstream out;
  switch (n % 6) {
    case 0:
      out << "rule:{ <\"" << word(0) << "\"> <\"" << word(1) << "\"> } = Literal" << concept_name;
      break;
    case 1:
      out << "rule:{ <'" << word(0) << "'> <Nn> } = Stem" << concept_name;
      break;
    case 2:
      out << "rule:{ <Adj> <'" << word(0) << "'> <'" << word(1) << "'>? } = Pos" << concept_name;
      break;
    case 3:
      out << "rule:{ Term" << n % 10 << " .. <\"" << word(0) << "\"> } = Refers" << concept_name;
      break;
    case 4:
      out << "rule:{ {<'" << word(0) << "'>}=Part@(role=\"head\") <\"" << word(1)
          << "\"> } = Captured" << concept_name << "@(kind=\"k" << n % 7 << "\")";
      break;
    default:
      out << "rule:{ (<\"" << word(0) << "\"> | <'" << word(1) << "'>) <Nn>+ } = Group"
          << concept_name;
      break;
  }
  out << ";\n";
  return out.str();
}

}  // namespace

std::vector<std::string> generate_rule_sources(const GeneratedSourcesLayout& layout) {
  Words words(layout.seed);
  std::vector<std::string> vocabulary;
  for (int i = 0; i < 3000; ++i) vocabulary.push_back(words.next());
  std::vector<std::string> entries;
  entries.reserve(static_cast<size_t>(layout.lexicon_entries));
  for (int i = 0; i < layout.lexicon_entries; ++i) {
    std::string entry = words.next();
    if (i % 5 == 1) entry += " " + words.next();
    entries.push_back(entry);
  }

  std::vector<std::string> sources;
  for (int s = 0; s < layout.sources; ++s) {
    std::ostringstream out;
    out << "// Generated source " << s << ".\n";
    const int first_entry =
        static_cast<int>(static_cast<long>(layout.lexicon_entries) * s / layout.sources);
    const int last_entry =
        static_cast<int>(static_cast<long>(layout.lexicon_entries) * (s + 1) / layout.sources);
    // Lexicon statements of up to 100 entries; every fourth reads the stem
    // stream, every third gives its concept an attribute.
    for (int begin = first_entry; begin < last_entry; begin += 100) {
      const int end = std::min(last_entry, begin + 100);
      const int statement = begin / 100;
      out << "lexicon:" << (statement % 4 == 3 ? "(input=\"stem\")" : "") << "{";
      for (int i = begin; i < end; ++i) {
        out << (i == begin ? " " : ",\n  ") << entries[static_cast<size_t>(i)];
      }
      out << " } = Term" << statement % 10 << (statement % 3 == 2 ? "@(source=\"generated\")" : "")
          << ";\n";
    }
    // Rules in blocks of ten: a namespace, a chain, then plain rules.
    const int first_rule = static_cast<int>(static_cast<long>(layout.rules) * s / layout.sources);
    const int last_rule = static_cast<int>(static_cast<long>(layout.rules) * (s + 1) / layout.sources);
    for (int begin = first_rule, block = 0; begin < last_rule; begin += 10, ++block) {
      const int end = std::min(last_rule, begin + 10);
      if (block % 3 == 0) out << "namespace ns" << s << "_" << block << " {\n";
      if (block % 3 == 1) out << "chain [\n";
      for (int n = begin; n < end; ++n) out << rule_text(n, vocabulary);
      if (block % 3 == 0) out << "}\n";
      if (block % 3 == 1) out << "]\n";
    }
    sources.push_back(out.str());
  }
  return sources;
}

std::vector<std::filesystem::path> write_rule_sources(const GeneratedSourcesLayout& layout,
                                                      const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> paths;
  const std::vector<std::string> sources = generate_rule_sources(layout);
  for (size_t i = 0; i < sources.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "gen_%03zu.kav", i);
    paths.push_back(folder / name);
    std::ofstream(paths.back(), std::ios::binary) << sources[i];
  }
  return paths;
}

std::string edited_rule(int edit) {
  return "rule:{ <\"edited\"> <\"number" + std::to_string(edit) + "\"> } = Edited;\n";
}

}  // namespace testing
}  // namespace compiler
}  // namespace zel
