#include "compiler/parser/variables.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "base/exception.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {
namespace {

using ast::node::ResolveLocationResult;
using ast::node::VariableDefinition;
using ast::node::VariableMap;

const Regex& reference_pattern() {
  static const Regex pattern = kav_regex(
      "\\$(?:\\{([A-Za-z0-9][A-Za-z0-9_]+?)\\}|\\(([A-Za-z0-9][A-Za-z0-9_]+?)\\))");
  return pattern;
}

constexpr int kMaxExpansions = 10;

// Drops blanks and bytes up to 13 from the end.
void trim_right(std::string& text) {
  auto end = text.end();
  while (end != text.begin() &&
         (*(end - 1) == ' ' || static_cast<unsigned char>(*(end - 1)) <= 13))
    --end;
  text.erase(end, text.end());
}

}  // namespace

ResolveLocationResult resolve_variables(const std::string& text, const VariableMap& variables) {
  ResolveLocationResult result;
  if (text.empty()) {
    result.ok = true;
    return result;
  }
  auto copied_to = text.begin();
  for (RegexIterator it(text, reference_pattern()), end; it != end; ++it) {
    const SMatch& match = *it;
    ++result.count;
    const auto match_begin = match[0].first;
    // Lines count from 1, as in every other diagnostic.
    const int line = 1 + static_cast<int>(std::count(text.begin(), match_begin, '\n'));
    if (match[1].matched) {
      const auto found = variables.find(match[1].text);
      if (found == variables.end()) {
        compiler_error("Variable ${" + match[1].text + "} has not been defined.", line, 0,
                       std::string(), 0);
        return result;
      }
      result.text.append(copied_to, match_begin);
      result.text += found->second.value;
      result.locations.emplace_back(static_cast<std::uint64_t>(match_begin - text.begin()),
                                    match[1].text);
      copied_to = match[0].second;
    } else {
      compiler_error("Variables are defined with curly brackets. $(" + match[2].text +
                         ") -> ${" + match[2].text + "}",
                     line, 0, std::string(), 0);
      return result;
    }
  }
  if (result.count > 0) result.text.append(copied_to, text.end());
  result.ok = true;
  return result;
}

void CollectVariables::operator()(const ast::node::Variable& variable) {
  const auto earlier = variables_.find(variable.name);
  if (earlier != variables_.end()) {
    std::ostringstream message;
    message << "Variable " << variable.name << " in " << file_ << " is already defined in "
            << earlier->second.file << " as [" << earlier->second.value << "]";
    throw Exception(message);
  }
  std::string value = variable.value;
  string::cleanup_crlf(value);
  bool expanded = false;
  for (int pass = 0; pass < kMaxExpansions && !expanded; ++pass) {
    ResolveLocationResult resolved = resolve_variables(value, variables_);
    if (resolved.count == 0) {
      expanded = true;
    } else {
      value = std::move(resolved.text);
      trim_right(value);
    }
  }
  if (!expanded) {
    // Dropping it silently would only show later as an undefined variable.
    compiler_error("Variable " + variable.name + " in " + file_ +
                       " still holds variable references after " +
                       std::to_string(kMaxExpansions) + " expansions.",
                   -1, 0, std::string(), 0);
    return;
  }
  trim_right(value);
  VariableDefinition definition;
  definition.value_begin = 0;
  definition.value_end = value.size();
  definition.name = variable.name;
  definition.value = std::move(value);
  definition.file = file_;
  variables_.emplace(variable.name, std::move(definition));
}

ParseResult get_define_variables(Blackboard& blackboard, const std::string& text,
                                 VariableMap& variables, const std::string& file) {
  if (text.empty()) return ParseResult();
  ParseResult result = parse_variable_data(blackboard, text, file);
  if (result.ok) {
    CollectVariables collect(variables, file);
    collect(result.root);
  }
  return result;
}

ParseResult parse_define_data(Blackboard& blackboard, const std::string& text,
                              VariableMap& variables, const std::string& file) {
  return get_define_variables(blackboard, text, variables, file);
}

std::ostream& operator<<(std::ostream& out, std::map<std::string, VariableDefinition>& variables) {
  for (const auto& entry : variables) out << entry.first << ": (" << entry.second.value << ");";
  return out;
}

std::ostream& operator<<(std::ostream& out, const boost::variant<int, std::string>& value) {
  if (const int* number = boost::get<int>(&value)) {
    out << *number;
  } else {
    out << boost::get<std::string>(value);
  }
  return out;
}

}  // namespace compiler
}  // namespace zel
