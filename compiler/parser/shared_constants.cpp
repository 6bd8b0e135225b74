#include "compiler/parser/shared_constants.h"

#include "base/unicode.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {

// The escape reader's own sets are inline variables of its header, so they
// are built before these copies.
const std::set<char> regex_special_chars = string::unicode::special_chars;
const std::set<char> token_literal_special_chars =
    string::unicode::special_chars_with_quotes_and_equal;
const std::set<char> lexicon_literal_special_chars = string::unicode::special_chars_with_quotes;

const std::string any_token_marker = "<>";
const std::string any_token_pattern = "(.)+";

const std::set<std::string> possible_character_properties{"alnum", "alpha", "digit", "lower",
                                                          "title", "upper", "xdigit"};

const std::set<std::string> reserved_keywords{"define", "lexicon", "namespace", "rule"};

const std::set<std::string> builtin_rule_functions{
    "kav::anaphora",          "kav::delete",      "kav::filter",       "kav::has_memento",
    "kav::inherit",           "kav::push_att",    "kav::resolve_date", "kav::rewrite",
    "kav::set_document_date", "kav::set_memento", "kav::set_metadata"};

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
