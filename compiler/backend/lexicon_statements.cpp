#include "compiler/backend/lexicon_statements.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "base/attribute_string.h"
#include "base/exception.h"
#include "base/logging.h"
#include "base/unicode.h"
#include "compiler/backend/lexicon_builder.h"
#include "compiler/backend/result_store.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/lexicon_entry_text.h"
#include "core-afst/arc_line.h"

namespace zel {
namespace compiler {

namespace {

const std::set<std::string> kValidAttributeNames{"input"};
constexpr std::int64_t kSlowPatternCode = 0x2;
constexpr std::int64_t kPatternParseCode = 0x40;

int entry_line(const ast::node::LexiconEntry& entry) {
  return static_cast<int>(static_cast<std::int32_t>(entry.position.line()));
}

// A value in double quotes without them.
std::string unquoted(const std::string& value) {
  if (value.empty() || value.front() != '"') return value;
  return value.size() < 2 ? std::string() : value.substr(1, value.size() - 2);
}

bool same_entry(const EntryInfo& entry, const ast::node::AssignCaptureGroup& capture,
                const std::string& canonical) {
  return entry.capture.uri() == capture.uri() &&
         entry.capture.attributes() == capture.attributes() && entry.canonical == canonical;
}

// Blanks and control bytes up to 0D off both ends.
std::string trimmed(const std::string& line) {
  auto blank = [](char c) { return c == ' ' || (static_cast<unsigned char>(c) <= 13); };
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && blank(line[begin])) ++begin;
  while (end > begin && blank(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

// Whether the build rebuilds the stream's lexicons.
bool updates_stream(const ResultStore& store, const std::string& stream) {
  const std::string name = lexicon_stream_name(stream);
  for (const std::string& updated : store.update_lexicons) {
    if (lexicon_stream_name(updated) == name) return true;
  }
  return false;
}

}  // namespace

void add_lexicon(ResultStore& store, ast::node::Lexicon& statement) {
  warn_lexicon_complexity(statement);
  if (results::has_errors()) return;
  if (store.update_lexicons.empty()) return;

  for (auto& attribute : statement.attributes) {
    if (!attribute.second.empty() && attribute.second.front() == '"') {
      attribute.second = unquoted(attribute.second);
    }
  }
  wlog::log(wlog::kCompilerId, wlog::kLevelDebug, [&](std::ostream& os) {
    os << "add_lexicon(" << statement.attributes << " ) " << statement.assignment.uri() << "@("
       << statement.assignment.attributes() << ")";
  });
  if (!check_valid_attribute(statement)) return;

  std::string stream = "literal";
  for (const auto& attribute : statement.attributes) {
    if (attribute.first == "input") {
      stream = unquoted(attribute.second);
      break;
    }
  }
  if (!updates_stream(store, stream)) return;

  store.add_capture(statement.assignment.uri());

  const std::string key = "entities_" + lexicon_stream_name(stream);
  store.lexicon_cache[key].attributes = statement.attributes;
  for (const ast::node::LexiconEntry& entry : statement.entries) {
    store_entity(store, key, entry.text, statement.assignment, entry.secondary, entry_line(entry));
  }
}

bool check_valid_attribute(const ast::node::Lexicon& statement) {
  for (const auto& attribute : statement.attributes) {
    if (kValidAttributeNames.count(attribute.first) != 0) continue;
    std::string valid;
    for (const std::string& name : kValidAttributeNames) valid += name + " ";
    compiler_error("Invalid lexicon attribute name, [" + attribute.first +
                       "], valid values are [" + valid + "]",
                   statement.line, 0, std::string(), 0);
    return false;
  }
  return true;
}

void warn_lexicon_complexity(const ast::node::Lexicon& statement) {
  for (const ast::node::LexiconEntry& entry : statement.entries) {
    if (has_wildcards(entry.text)) is_complex_regex_pattern(entry.text, entry_line(entry));
  }
}

bool is_complex_regex_pattern(const std::string_view& pattern, int line) {
  known_complex_regex_pattern(pattern, line);

  string::unicode::ErrorCode error;
  const std::vector<afst::LabelPair> tokens =
      afst::parseline(pattern, string::unicode::special_chars, error);
  if (error.code != 0) {
    compiler_warning(error.message + " in '" + std::string(pattern) + "'", line, 0,
                     kPatternParseCode);
  }

  struct Group {
    int alternatives = 0;
    size_t opening = 0;
  };
  std::vector<Group> open;
  int closures = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string& text = tokens[i].first;
    if (tokens[i].second != "format" || text.empty()) continue;
    if (text == "(") {
      open.push_back(Group{0, i});
    } else if (text.front() == '|') {
      if (open.empty()) {
        compiler_error("Missing round brackets.", line, 0, std::string(), 0);
      } else {
        ++open.back().alternatives;
      }
    } else if (text.front() == ')') {
      // A closing with no group open closes nothing.
      if (open.empty()) continue;
      if (text.size() >= 2 && (text[1] == '*' || text[1] == '+')) {
        ++closures;
        if (closures > 1) {
          compiler_warning(
              "Multiple level of complex closures, this will slow down the processing on longer "
              "tokens.",
              line, 0, kSlowPatternCode);
        }
      }
      if (open.back().alternatives >= 6) {
        std::string group;
        for (size_t k = open.back().opening; k <= i; ++k) group += tokens[k].first;
        compiler_warning("Use a range operator if possible. " + group, line, 0, kSlowPatternCode);
      }
      open.pop_back();
      if (open.empty()) closures = 0;
    }
  }
  return false;
}

void known_complex_regex_pattern(const std::string_view& pattern, int line) {
  auto repeated = [&](std::string_view group) {
    const size_t at = pattern.find(group);
    if (at == std::string_view::npos) return false;
    const size_t after = at + group.size();
    return after < pattern.size() && (pattern[after] == '*' || pattern[after] == '+');
  };
  if (repeated("((.)* )") || repeated("( (.)*)")) {
    compiler_warning(
        "This expression be very slow as it will check tokens until the end of sentence. ", line,
        0, kSlowPatternCode);
  }
}

void store_entity(ResultStore& store, const std::string& key, const std::string& text,
                  const ast::node::AssignCaptureGroup& capture, const std::string& canonical,
                  int line) {
  add_entity_to_cache(store, key, text, capture, canonical, line);
}

void add_entity_to_cache(ResultStore& store, const std::string& key, const std::string& text,
                         const ast::node::AssignCaptureGroup& capture,
                         const std::string& canonical, int line) {
  EntryCache& cache = store.lexicon_cache[key];
  const auto equal = cache.entries.equal_range(text);
  for (auto it = equal.first; it != equal.second; ++it) {
    if (same_entry(it->second, capture, canonical)) return;
  }
  EntryInfo entry;
  entry.literal = text;
  entry.capture = capture;
  entry.canonical = canonical;
  entry.numbered = 0;
  entry.line = line;
  entry.source = store.blackboard.source_filename();
  cache.entries.emplace_hint(equal.second, text, std::move(entry));
}

void import_lexicon_file(const ResultStore& store, ast::node::Lexicon& statement) {
  for (const auto& attribute : statement.attributes) {
    if (attribute.first != "file") continue;
    std::filesystem::path path(attribute.second);
    if (!std::filesystem::exists(path)) {
      path = std::filesystem::path(store.source_file).parent_path() / attribute.second;
    }
    if (!std::filesystem::exists(path)) {
      std::ostringstream message;
      message << "Could not find [" << attribute.second << "]";
      throw Exception(message);
    }
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      ast::node::LexiconEntry entry;
      entry.text = trimmed(line);
      entry.position = ast::node::Position();
      statement.entries.push_back(std::move(entry));
    }
  }
}

}  // namespace compiler
}  // namespace zel
