#include "compiler/driver/test_expectations.h"

#include "base/normalize.h"
#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {

namespace {

constexpr std::int64_t kTestLineCode = 0x200;
constexpr std::int64_t kPassedTestCode = 0x400;

const char kSentenceConcept[] = "Sentence";
const char kFilterConcept[] = "kav::filter";
const char kRuleAttribute[] = "_rule";

bool is_trimmed_byte(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte == ' ' || byte <= 0x0D;
}

void trim(std::string& text) {
  size_t end = text.size();
  while (end > 0 && is_trimmed_byte(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && is_trimmed_byte(text[begin])) ++begin;
  text = text.substr(begin, end - begin);
}

// White space as the "C" locale's isspace has it.
bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string without_white_space(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!is_space(c)) out += c;
  }
  return out;
}

// The literals of the tokens from `item` on, one blank between them, up to
// the first token that reaches the concept's end.
std::string covered_text(const omr::common::Annotation* item, std::uint32_t end) {
  std::string text;
  bool first = true;
  for (; item != nullptr; item = item->next) {
    if (item->kind != omr::common::Annotation::kToken) continue;
    const auto* token = static_cast<const omr::common::Token*>(item);
    if (!first) text += ' ';
    first = false;
    text += token->literal;
    if (token->end >= end) break;
  }
  return text;
}

std::string verdict_line(const char* keyword, const ExpectedResult& result) {
  return std::string("  @") + keyword + status_msg(result.found) + ": { " + result.text +
         " } = " + result.uri + ";";
}

}  // namespace

ExpectedResult::ExpectedResult(const std::string& value) {
  const size_t split = value.rfind('=');
  if (split == std::string::npos) {
    text = value;
  } else {
    text = value.substr(0, split);
    uri = value.substr(split + 1);
    trim(uri);
  }
  id = make_string_identifier(text);
}

ExpectedResult::ExpectedResult(const std::string& sentence, const std::string& concept_name)
    : text(zel::string::cleanup_input_data(sentence)),
      id(without_white_space(text)),
      uri(concept_name) {}

CollectConcepts::CollectConcepts(const omr::common::AnnotationList& document) {
  collect(document);
}

void CollectConcepts::collect(const omr::common::AnnotationList& list) {
  for (const omr::common::Annotation* item : list) {
    if (item->kind == omr::common::Annotation::kSentence) {
      collect(static_cast<const omr::common::Sentence*>(item)->annotations);
      continue;
    }
    if (item->kind != omr::common::Annotation::kConcept) continue;
    const auto* found = static_cast<const omr::common::Concept*>(item);
    if (found->uri == kSentenceConcept) continue;
    TokenData data;
    data.text = covered_text(item, found->end);
    trim(data.text);
    data.id = without_white_space(data.text);
    concepts.emplace_back(FoundConcept{found->uri, found->begin, found->end, found->attributes},
                          std::move(data));
  }
}

std::string make_string_identifier(std::string& text) {
  trim(text);
  std::string key = without_white_space(text);
  static const std::string kRightQuote = "\xE2\x80\x99";
  for (size_t at = key.find(kRightQuote); at != std::string::npos;
       at = key.find(kRightQuote, at + 1)) {
    key.replace(at, kRightQuote.size(), "'");
  }
  return key;
}

void set_default_uri(std::vector<ExpectedResult>& list, const std::string& uri) {
  for (ExpectedResult& result : list) {
    if (result.uri.empty()) result.uri = uri;
  }
}

bool check_for_not_expected_results(const ast::node::Rule&, std::vector<NotExpectedResult>& list,
                                    const CollectConcepts& concepts) {
  for (NotExpectedResult& result : list) {
    for (const auto& found : concepts.concepts) {
      if (found.first.uri != result.uri) continue;
      result.messages.push_back("  @not_expected" + status_msg(false) + "found : " +
                                found.first.uri + ";");
      return true;
    }
  }
  return false;
}

void collect_results(const ast::node::Rule&, const std::string& location,
                     std::vector<ExpectedResult>& list, const CollectConcepts& concepts) {
  for (ExpectedResult& result : list) {
    for (const auto& [found, data] : concepts.concepts) {
      const bool same_name =
          found.uri == result.uri ||
          (result.uri == kFilterConcept && zel::string::starts_with(found.uri, kFilterConcept));
      if (!same_name) continue;
      if (data.id != result.id) {
        result.warnings.push_back("  @match(warning): rule matches also '" + data.text +
                                  "' as '" + result.uri + "'.");
        continue;
      }
      if (location.empty()) {
        result.found = true;
        break;
      }
      // The concept must come from the rule under test; other rules that
      // produced it too are named.
      bool has_rule = false;
      std::string rules;
      for (const auto& attribute : found.attributes) {
        if (attribute.first != kRuleAttribute) continue;
        has_rule = true;
        const std::string& value = attribute.second;
        rules += value + ",";
        if (zel::string::ends_with(value, location)) {
          result.found = true;
        } else {
          result.warnings.push_back("    Found overlapping rule : " + value);
        }
      }
      if (!has_rule) {
        result.found = true;
        break;
      }
      if (result.found) break;
      result.warnings.push_back("    Rule matches but from rule : [" + rules + "]");
    }
  }
}

bool check_for_errors(const std::vector<ExpectedResult>& list) {
  for (const ExpectedResult& result : list) {
    if (!result.found) return true;
  }
  return false;
}

const std::string& status_msg(bool ok) {
  static const std::string kOk = "(ok)";
  static const std::string kFailed = "(failed)";
  return ok ? kOk : kFailed;
}

void add_test_diagnostics(const ast::node::Rule& rule, const ExpectedResult& result) {
  for (const std::string& warning : result.warnings) {
    compiler_warning(warning, rule.line, 0, kTestLineCode);
  }
}

void LOG_TEST_RESULTS(Blackboard&, bool failed, const ast::node::Rule& rule, const std::string&,
                      const TestCase& test) {
  const auto line = [&](const std::string& text) {
    if (failed) {
      compiler_error(text, rule.line, 0, std::string(), kTestLineCode);
    } else {
      compiler_note(text, rule.line, 0, kPassedTestCode);
    }
  };
  line("@test" + status_msg(!failed) + ": " + test.text);
  for (const ExpectedResult& dependency : test.dependencies) {
    line(verdict_line("dependency", dependency));
    add_test_diagnostics(rule, dependency);
  }
  for (const ExpectedResult& expected : test.expected) {
    line(verdict_line("expected", expected));
    add_test_diagnostics(rule, expected);
  }
  for (const NotExpectedResult& not_expected : test.not_expected) {
    if (failed) {
      for (const std::string& message : not_expected.messages) line(message);
    } else {
      line("  @not_expected" + status_msg(true) + ": " + not_expected.uri +
           "; has been filterd.");
    }
  }
}

}  // namespace compiler
}  // namespace zel
