#include "compiler/parser/fstring.h"

#include "base/regex.h"
#include "compiler/parser/shared_constants.h"

namespace zel {
namespace compiler {

using parser::action::forbidden_words_regex;
using parser::action::fstring_separators;
using parser::action::fstring_variable_regex;
using parser::action::fstring_variables;
using parser::action::identifier_regex;

namespace {

bool is_identifier(const std::string& text, size_t first, size_t last) {
  return identifier_regex.regex_match(text.data() + first, text.data() + last);
}

}  // namespace

bool check_fstring_variable(const std::string& text) {
  if (text.size() <= 4 || text.front() != '{' || text.back() != '}') {
    return false;
  }
  const std::string body = text.substr(1, text.size() - 2);
  const size_t separator = body.find_first_of(fstring_separators);
  if (separator == std::string::npos) return false;
  if (fstring_variables.count(body.substr(0, separator)) == 0) return false;

  size_t position = separator + 1;
  while (position < body.size()) {
    const size_t found = body.find_first_of(fstring_separators, position);
    if (found == std::string::npos) {
      return is_identifier(body, position, body.size());
    }
    // An empty name between two separators passes.
    if (found > position && !is_identifier(body, position, found)) return false;
    if (body[found] == '.') {
      if (found + 1 == body.size()) return false;
      position = found + 1;
      continue;
    }
    // An argument or index part: what it holds is not examined.
    const size_t closing = body.find(body[found] == '(' ? ')' : ']', found + 1);
    if (closing == std::string::npos) return false;
    const size_t after = closing + 1;
    if (after == body.size()) return true;
    if (body[after] == '.' || body[after] == ')') {
      position = after + 1;
    } else if (body[after] == '[') {
      position = after;
    } else {
      return false;
    }
  }
  return true;
}

int check_fstring_pattern(const std::string& value) {
  int count = 0;
  for (zel::RegexIterator it(value, fstring_variable_regex), end; it != end; ++it) {
    const std::string& variable = (*it)[0].text;
    if (!check_fstring_variable(variable)) return -2;
    zel::SMatch forbidden;
    if (forbidden_words_regex.regex_search(variable, forbidden)) return -1;
    ++count;
  }
  return count;
}

}  // namespace compiler
}  // namespace zel
