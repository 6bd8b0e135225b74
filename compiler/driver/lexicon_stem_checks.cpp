#include "compiler/driver/lexicon_stem_checks.h"

#include <unicode/uchar.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/attribute_string.h"
#include "base/stream_name.h"
#include "base/string_util.h"
#include "base/unicode.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/lexicon_entry_text.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {
namespace analytics {

namespace {

constexpr std::int64_t kStemCode = 0x1;
constexpr std::int64_t kNormalizedStemCode = 0x20;

const char kNotFoundProperty[] = "nf";

int line_of(const ast::node::Position& position) { return static_cast<int>(position.line()); }

// Wildcard texts are patterns, and one byte is too short to be a word the
// analyzer could tell anything about.
bool skipped(const std::string& text) { return text.size() == 1 || has_wildcards(text); }

// The tokens of an analysed document in order (concepts passed over).
template <typename Action>
void for_each_token(const omr::common::AnnotationList& document, Action&& action) {
  for (const omr::common::Annotation* item : document) {
    if (item->kind != omr::common::Annotation::kSentence) continue;
    for (const omr::common::Annotation* inner :
         static_cast<const omr::common::Sentence*>(item)->annotations) {
      if (inner->kind == omr::common::Annotation::kToken) {
        action(*static_cast<const omr::common::Token*>(inner));
      }
    }
  }
}

bool not_found(const omr::common::Token& token) {
  return token.properties.count(kNotFoundProperty) != 0;
}

// Compares the words of the tested text with the readings of the tokens in
// order and fills the results.
class StemCollector {
 public:
  StemCollector(StemCollectorResults& results, std::vector<std::string> words)
      : results_(&results), words_(std::move(words)) {}

  void operator()(const omr::common::Token& token) {
    // Tokens beyond the tested words (a word split into several tokens)
    // are not compared.
    if (index_ >= static_cast<std::int32_t>(words_.size())) return;
    const std::string& word = words_[static_cast<size_t>(index_)];
    ++index_;
    if (token.readings.empty()) {
      results_->stems += ",";
      return;
    }
    std::vector<const std::string*> listed;
    for (const omr::common::MorphData& reading : token.readings) {
      if (reading.stem == word) {
        results_->status = not_found(token) ? 2 : 0;
        return;
      }
      if (listed.empty() || *listed.back() != reading.stem) listed.push_back(&reading.stem);
    }
    for (const std::string* stem : listed) results_->stems += *stem + " ";
    results_->stems += ",";
  }

 private:
  StemCollectorResults* results_;
  std::vector<std::string> words_;
  std::int32_t index_ = 0;
};

// Removes the blanks and control bytes up to 0x0D at both ends.
std::string trimmed(const std::string& text) {
  auto is_space = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0x20 || byte <= 0x0D;
  };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && is_space(text[begin])) ++begin;
  while (end > begin && is_space(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

class ILexiconChecker {
 public:
  virtual ~ILexiconChecker() = default;
  // Checks the text of an entry (or a rule stem) at the position; always
  // true.
  virtual bool operator()(const ast::node::Position& position, const std::string& entry,
                          const std::string& text) = 0;
};

// Accepts everything: lexicons whose input is not a stem stream.
class CheckLexiconNone : public ILexiconChecker {
 public:
  bool operator()(const ast::node::Position&, const std::string&, const std::string&) override {
    return true;
  }
};

// The text must be its own stem.
class CheckLexiconStem : public ILexiconChecker {
 public:
  explicit CheckLexiconStem(Blackboard& blackboard) : blackboard_(blackboard) {}

  bool operator()(const ast::node::Position& position, const std::string&,
                  const std::string& text) override {
    if (skipped(text)) return true;
    const StemCollectorResults r = is_valid_stem(*blackboard_.analyzer, text);
    if (r.status == 2) {
      compiler_warning("The stem has not been found '" + unicode_print(text) + "'",
                       line_of(position), 0, kStemCode);
    } else if (r.status == 1) {
      compiler_strict_warning(
          "The stem of the lexicon entry '" + unicode_print(text) + "' stems to -> " + r.stems,
          line_of(position), 0, kStemCode);
    }
    return true;
  }

 private:
  Blackboard& blackboard_;
};

// The entry must be a stem, and the text its normalised stem; words the
// analyzer does not know are tried again as names (capitalised).
class CheckLexiconNormalizedStem : public ILexiconChecker {
 public:
  explicit CheckLexiconNormalizedStem(Blackboard& blackboard) : blackboard_(blackboard) {}

  bool operator()(const ast::node::Position& position, const std::string& entry,
                  const std::string& text) override {
    if (skipped(text)) return true;
    const omr::analyzer::Analyzer& analyzer = *blackboard_.analyzer;
    StemCollectorResults r = is_valid_stem(analyzer, entry);
    if (r.status == 0) return true;
    if (r.status == 2) {
      compiler_warning("The stem has not been found '" + unicode_print(entry) + "'",
                       line_of(position), 0, kStemCode);
      return true;
    }
    r = is_valid_stem(analyzer, text);
    if (r.status == 0) return true;
    const std::string normalized =
        trimmed(capitalize_not_founds(*r.results.parse_results(true)));
    if (normalized != text) r = is_valid_stem(analyzer, normalized);
    if (r.status == 2) {
      compiler_warning("The stem has not been found '" + unicode_print(text) + "'",
                       line_of(position), 0, kStemCode);
    } else if (r.status == 1) {
      compiler_warning("Lexicon entry has a wrong normalized stem: " + unicode_print(entry) +
                           ":" + unicode_print(text) + " -> " + r.stems,
                       line_of(position), 0, kNormalizedStemCode);
    }
    return true;
  }

 private:
  Blackboard& blackboard_;
};

std::shared_ptr<ILexiconChecker> checker_for(Blackboard& blackboard,
                                             const ast::node::Lexicon& lexicon) {
  switch (get_stream_type(get_attribute(lexicon.attributes, "input"))) {
    case stem_stream:
      return std::make_shared<CheckLexiconStem>(blackboard);
    case normalized_stem_stream:
      return std::make_shared<CheckLexiconNormalizedStem>(blackboard);
    default:
      return std::make_shared<CheckLexiconNone>();
  }
}

// The walk over one source; the "stem" decorators switch the checks for
// every statement after them in the source.
class StemCheckerVisitor : public ast::Visitor<StemCheckerVisitor, true> {
 public:
  using ast::Visitor<StemCheckerVisitor, true>::operator();

  explicit StemCheckerVisitor(Blackboard& blackboard) : blackboard_(blackboard) {}

  void operator()(const ast::node::StatementDecorator& decorator) {
    if (decorator.keyword == "stem") enabled_ = decorator.value == "on";
  }

  void operator()(const ast::node::Lexicon& lexicon) {
    if (!enabled_) return;
    lexicon_checker_ = checker_for(blackboard_, lexicon);
    for (const ast::node::LexiconEntry& entry : lexicon.entries) {
      const std::string& text = entry.secondary.empty() ? entry.text : entry.secondary;
      (*lexicon_checker_)(entry.position, entry.text, text);
    }
  }

  void operator()(const ast::node::RuleToken& token) {
    if (!enabled_) return;
    if (rule_checker_ == nullptr) rule_checker_ = std::make_shared<CheckLexiconStem>(blackboard_);
    if (token.stem) (*rule_checker_)(token.position, *token.stem, *token.stem);
  }

 private:
  std::shared_ptr<ILexiconChecker> rule_checker_;
  std::shared_ptr<ILexiconChecker> lexicon_checker_;
  bool enabled_ = true;
  Blackboard& blackboard_;
};

}  // namespace

void visit(Blackboard& blackboard, const ast::node::Root& root) {
  if (blackboard.analyzer == nullptr) return;
  StemCheckerVisitor visitor(blackboard);
  visitor(root);
}

StemCollectorResults is_valid_stem(const omr::analyzer::Analyzer& analyzer,
                                   const std::string& text) {
  StemCollectorResults results;
  results.results = omr::analyzer::wrapper_zel_api_analyze_document(
      analyzer.engine, analyzer, text.data(), text.size(), {});
  StemCollector collector(results, zel::string::split_vector(text, ' ', true));
  for_each_token(*results.results.parse_results(false), collector);
  return results;
}

std::string capitalize_not_founds(const omr::common::AnnotationList& document) {
  std::string out;
  for_each_token(document, [&out](const omr::common::Token& token) {
    if (not_found(token) && !token.literal.empty()) {
      const char* it = token.literal.data();
      const char* end = it + token.literal.size();
      const uint32_t first = zel::string::unicode::next(it, end);
      // The case comes from Unicode, so that any script's initial is
      // raised, not only the first 256 code points.
      if (u_islower(static_cast<UChar32>(first))) {
        out += zel::string::from_uint(
            static_cast<unsigned int>(u_toupper(static_cast<UChar32>(first))));
        out.append(it, end);
      } else {
        out += token.literal;
      }
    } else {
      out += token.literal;
    }
    out += ' ';
  });
  return out;
}

std::string unicode_print(const std::string& text) {
  std::ostringstream out;
  std::string::const_iterator it = text.begin();
  while (it != text.end()) {
    const uint32_t c = zel::string::unicode::next_parse(it, text.end(),
                                                        zel::string::unicode::no_special_chars);
    if (u_isalnum(static_cast<UChar32>(c)) || (c >= 0x20 && c <= 0x2F)) {
      out << zel::string::from_uint(c);
    } else {
      out << "<\\u" << std::hex << c << std::dec << ">";
    }
  }
  return out.str();
}

}  // namespace analytics
}  // namespace compiler
}  // namespace zel
