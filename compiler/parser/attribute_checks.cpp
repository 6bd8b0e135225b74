#include "compiler/parser/attribute_checks.h"

#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/fstring.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/shared_constants.h"

namespace zel {
namespace compiler {

namespace {

bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void report(const std::string& message, const SourceRange& range) {
  compiler_error(message, range_line(range), 0, std::string(), 0);
}

}  // namespace

bool invalid_statement(const SourceRange& range, const std::string& message) {
  if (results::has_errors()) return false;
  std::string text = range_text(range);
  const std::size_t line_feed = text.find('\n');
  if (line_feed != std::string::npos) text.resize(line_feed);
  const auto location = get_location(range);
  compiler_error(message, location.first, location.second, text, 0);
  return false;
}

namespace parser {
namespace action {

bool check_attribute_key_names(const SourceRange& range) {
  if (!get_parser_strict()) return true;
  const std::string key = range_text(range);
  for (char c : key) {
    if (c != '_' && !(c >= 'a' && c <= 'z')) {
      report("Invalid strict syntax attribute key name: [" + key +
                 "] attribute key should be in lowercase.",
             range);
      break;
    }
  }
  return true;
}

bool check_concept_names(const SourceRange& range) {
  const std::string name = range_text(range);
  if (reserved_keywords.count(name) != 0) {
    report("Invalid concept name: [" + name + "] cannot use keywords as concept names.", range);
    return false;
  }
  if (name.size() == 1) {
    report("Invalid concept name: [" + name + "] concept names should be bigger than 1.", range);
    return false;
  }
  if (starts_with(name, "kav::")) {
    if (builtin_rule_functions.count(name) != 0) return true;
    report(
        "Unknown internal function. Possibilities are "
        "[kav::filter,kav::push_att,kav::anaphora]",
        range);
    return false;
  }
  if (starts_with(name, "::")) {
    const Blackboard* blackboard = get_ctx().blackboard;
    if (blackboard == nullptr) {
      // Raises, as there is no compilation to report into.
      report(
          "The option disable_plugin_calls is set to False or context not "
          "set., cannot use "
          "this uri [" +
              name + "]",
          range);
      return false;
    }
    if (blackboard->disable_plugin_calls) {
      report(
          "The option disable_plugin_calls is set to False, cannot use this "
          "uri [" +
              name + "]",
          range);
    }
    return true;
  }
  return true;
}

bool check_formated_attributes_fn(const SourceRange& range) {
  return check_formated_attributes_template(range);
}

bool check_formated_attributes_template(const SourceRange& range) {
  const std::string text = range_text(range);
  const auto fail = [&range](const char* message) { return invalid_statement(range, message); };
  bool inside = false;
  bool accepted = false;
  bool closed = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const bool last = i + 1 == text.size();
    if (c == '{') {
      if (last) return false;
      if (text[i + 1] == '{') {
        i += 2;
        continue;
      }
      if (inside) {
        return fail(
            "Open '{' inside variable is not allowed and needs to be "
            "escaped as '{{' . ");
      }
      const std::size_t separator = text.find_first_of(fstring_separators, i + 1);
      const std::string head = text.substr(
          i + 1, separator == std::string::npos ? std::string::npos : separator - i - 1);
      if (fstring_variables.count(head) == 0) {
        return fail(accepted ? "Invalid fstring, missing variable ex: f\"{capture}.\""
                             : "Valid variables in fstring are (capture, rule, self, "
                               "this) ");
      }
      accepted = true;
      inside = true;
      i += 2;
    } else if (c == '}') {
      if (last) return false;
      if (text[i + 1] == '}') {
        i += 2;
        continue;
      }
      if (!inside) {
        return fail(
            "Invalid fstring, missing '}' bracket of needs to be "
            "escaped as '}}'. ");
      }
      inside = false;
      closed = true;
      ++i;
    } else {
      ++i;
    }
  }
  if (!accepted) {
    return fail(
        "Invalid fstring, no capture section in value, missing '{...}' "
        "section to be resolved. ");
  }
  if (inside || !closed) return fail("Invalid fstring, missing variable ex: f\"{capture}.\"");
  switch (check_fstring_pattern(text)) {
    case -2:
      return fail("Invalid fstring, invalid keywords:");
    case -1:
      return fail("Invalid fstring, has invalid keyword:");
    case 0:
      return fail("Invalid fstring, No variables found: ");
    default:
      return true;
  }
}

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
