#include "compiler/parser/capture_group_checks.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "base/input_pool.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {

namespace {

using ast::node::AssignCaptureGroup;

const std::string kAnaphora = "kav::anaphora";
const std::string kFilter = "kav::filter";
const std::string kPushAtt = "kav::push_att";

// A value without its quotes (its first and last byte).
std::string inner(const std::string& value) {
  return value.size() < 2 ? std::string() : value.substr(1, value.size() - 2);
}

// Splits at every colon, keeping empty pieces.
std::vector<std::string> colon_pieces(const std::string& text) {
  return string::split_vector(text, ":", false);
}

// Reads a piece as the standard string-to-int conversion does: leading
// white space, a sign, digits up to the first other byte; at least one
// digit, and the value must fit in 32 bits.
bool read_int(const std::string& piece, int& value) {
  std::size_t i = 0;
  while (i < piece.size() && std::isspace(static_cast<unsigned char>(piece[i]))) ++i;
  bool negative = false;
  if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
  const std::size_t digits = i;
  std::int64_t magnitude = 0;
  while (i < piece.size() && piece[i] >= '0' && piece[i] <= '9') {
    magnitude = magnitude * 10 + (piece[i] - '0');
    if (magnitude > std::int64_t{std::numeric_limits<int>::max()} + 1) return false;
    ++i;
  }
  if (i == digits) return false;
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(signed_value);
  return true;
}

}  // namespace

namespace detail {

void check_pattern(std::int32_t line, const std::string& value) {
  try {
    kav_regex(value);
  } catch (const std::runtime_error& error) {
    compiler_error(
        "The rule on the given line has a invalid regex expression "
        "in the attribute "
        "expression '" +
            value + "':" + error.what(),
        line, 0, std::string(), 0);
  }
}

void CheckCaptureGroups::operator()(const ast::node::Rule& rule) {
  line_ = rule.line;
  (*this)(rule.capture);
}

void CheckCaptureGroups::operator()(const ast::node::RuleCapture& capture) {
  if (enter(capture)) visit_all(capture.nodes);
}

bool CheckCaptureGroups::check_anaphora(const AssignCaptureGroup& assignment) {
  const auto error = [this](const std::string& message) {
    compiler_error(message, line_, 0, std::string(), 0);
  };
  bool has_concept = false;
  for (const auto& [key, value] : assignment.attributes()) {
    if (key == "concept") {
      has_concept = true;
    } else if (key == "scope") {
      if (value.size() <= 4) {
        error("Anaphora attribute scope is not valid. scope=\"-2:0\"");
        return false;
      }
      const std::vector<std::string> pieces = colon_pieces(inner(value));
      int begin = 0;
      int end = 0;
      if (pieces.size() != 2 || !read_int(pieces[0], begin) || !read_int(pieces[1], end)) {
        error("Anaphora attribute scope is not valid. ex: scope=\"-2:0\"");
        return false;
      }
      if (begin > end) {
        error("Anaphora beginning scope is bigger then the end scope. ( begin=" +
              std::to_string(begin) + " > end=" + std::to_string(end) + " )");
      }
    } else if (key == "inherit") {
      // Taken as it is.
    } else if (key == "relevancy") {
      if (colon_pieces(inner(value)).size() != 3) {
        error(
            "Anaphora attribute relevancy is not valid. Format: "
            "'key:value:relevancy', Ex: "
            "relevancy=\"gender:male:0.7\"");
        return false;
      }
    } else if (key == "required") {
      if (colon_pieces(inner(value)).size() != 2) {
        error(
            "Anaphora attribute required is not valid. Format: 'key:value', "
            "Ex: "
            "relevancy=\"country:USA\"");
        return false;
      }
    } else {
      compiler_warning("Unknown anaphora attribute '" + key + "'", line_, 0, 0);
    }
  }
  if (!has_concept) error("Anaphora requires a concept attribute. ( concept=\"uri2look4\" )");
  return true;
}

bool CheckCaptureGroups::enter(const ast::node::RuleCapture& capture) {
  const AssignCaptureGroup& assignment = capture.assignment;
  const std::string& name = assignment.uri();
  const auto missing = [this, &name](const char* key) {
    compiler_error(std::string("Missing '") + key + "' attribute on the '" + name + "' function.",
                   line_, 0, std::string(), 0);
  };
  if (name == kAnaphora) return check_anaphora(assignment);
  if (name == kFilter) {
    bool has_concept = false;
    for (const auto& [key, value] : assignment.attributes()) {
      if (key == "concept") has_concept = true;
      if (key == "concept" || key == "attributes") check_pattern(line_, value);
    }
    if (!has_concept) missing("concept");
    return true;
  }
  if (name == kPushAtt) {
    bool has_from = false;
    bool has_to = false;
    for (const auto& [key, value] : assignment.attributes()) {
      if (key == "from") has_from = true;
      if (key == "to") has_to = true;
      if (key == "from" || key == "to" || key == "attributes") check_pattern(line_, value);
    }
    if (!has_from) missing("from");
    if (!has_to) missing("to");
    return true;
  }
  if (name.rfind("zel::", 0) == 0) {
    compiler_error("zel:: is deprecated use kav:: instead " + name + "' function.", line_, 0,
                   std::string(), 0);
  }
  return true;
}

}  // namespace detail

void check_function_attributes(const ast::node::Root& root) {
  detail::CheckCaptureGroups checker;
  checker(root);
}

void RenameCaptureGroups::operator()(ast::node::Rule& rule) {
  enter(rule);
  (*this)(rule.capture);
}

void RenameCaptureGroups::operator()(ast::node::RuleCapture& capture) {
  if (capture.assignment.uri_.empty()) capture.assignment.uri_ = name_;
  visit_all(capture.nodes);
}

bool RenameCaptureGroups::enter(const ast::node::Rule& rule) {
  const std::string source = get_current_parser_filename() + ":" + std::to_string(rule.line);
  name_ = "$" + std::to_string(string_hash(source));
  return true;
}

void rename_capture_groups(ast::node::Rule& rule) {
  RenameCaptureGroups renamer;
  renamer(rule);
}

}  // namespace compiler
}  // namespace zel
