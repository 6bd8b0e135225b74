#include "compiler/parser/shared_constants.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {

const std::set<std::string> fstring_variables{
    "camelize", "capture", "initial_caps", "normalize", "rule", "sentence", "this"};

const std::string fstring_separators = ".([";

// Compiled through the process-wide expression cache, whose factory is
// built on first use, so these may be made by static initialisers.
const zel::Regex identifier_regex = zel::kav_regex("[a-zA-Z0-9_]+");

const zel::Regex fstring_variable_regex = zel::kav_regex("(?<!{)\\{([^{}]+)\\}(?!})");

const zel::Regex forbidden_words_regex = zel::kav_regex(
    "import |open|close|with|execfile|stdin|environ|from |exit|load|exec|eval|input|print|"
    "compile|os\\.|sys\\.|'os\\.'|'sys\\.'|globals|locals|__|memoryview|\\.iter\\(|vars|"
    "breakpoint");

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
