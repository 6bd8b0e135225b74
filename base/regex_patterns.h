// The regular-expression texts that several subsystems share.
//
// They are plain texts: each user compiles the ones it needs (most through
// the process-wide cache, zel::kav_regex). Being constant expressions, they
// are usable from static initialisers in any translation unit.

#ifndef KAVERO_BASE_REGEX_PATTERNS_H_
#define KAVERO_BASE_REGEX_PATTERNS_H_

namespace zel {

// A brace expression of a formatted text: "{", one character other than "{"
// or one of the words capture, rule, this, sentence, normalize, camelize,
// initial_caps, then one or more "." or "(" each followed by identifier
// text, then "}". The rule-language front end finds the variables of
// formatted texts with it.
inline constexpr char fstring_variable_pattern[] =
    R"re(\{(?:[^{]|capture|rule|this|sentence|normalize|camelize|initial_caps)(?:[.(](?:[a-zA-Z_][a-zA-Z0-9_()[\]]+)+)+\})re";

// A variable reference written ${NAME} (group 1) or $(NAME) (group 2), NAME
// of at least two characters.
inline constexpr char variable_reference_pattern[] =
    R"re(\$(?:\{([A-Za-z0-9][A-Za-z0-9_]+?)\}|\(([A-Za-z0-9][A-Za-z0-9_]+?)\)))re";

// Words that a variable of a formatted text must not contain.
inline constexpr char forbidden_words_pattern[] =
    R"re(import |open|close|with|execfile|stdin|environ|from |exit|load|exec|eval|input|print|compile|os\.|sys\.|'os\.'|'sys\.'|globals|locals|__|memoryview|\.iter\(|vars|breakpoint)re";

// A name with a one-digit index from 1 to 9 in brackets and an optional "."
// member; groups: name, index, member.
inline constexpr char indexed_reference_pattern[] =
    R"re(([A-Za-z_0-9]+)\[([1-9])\](?:\.([A-Za-z_0-9]+))?)re";

// A plugin call URI of three parts (plugin, module, function), each
// introduced by "::".
inline constexpr char plugin_uri_pattern[] =
    R"re(::(.+)::(.+)::(.+))re";

// A version text: "latest", "dev", or one to three dot-separated numbers
// (groups 1 to 3: major, minor, patch).
inline constexpr char version_pattern[] =
    R"re((?:latest|dev|([0-9]+)(?:\.([0-9]+)(?:\.([0-9]+))?)?))re";

}  // namespace zel

#endif  // KAVERO_BASE_REGEX_PATTERNS_H_
