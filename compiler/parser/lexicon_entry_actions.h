// Semantic actions on literal texts: token pattern literals, lexicon entries
// and decorator values. They resolve escapes, trim, warn about suspicious
// input, and rewrite the pattern syntax of lexicon entries into the form
// that the lexicon builder expects.
//
// Rewriting ("special entries"): a group with a closure, such as the
// (b|c)+ of "a (b|c)+ d", repeats whole tokens, so the blank that separates
// it from its neighbour moves into the repeated group: "a ((b|c)+ )d". The
// any-token forms "<>" and "(.)*" become "(.)+". Raw entries ("""...""")
// and every entry of a compilation with the option "raw_lexicon_entries"
// are not rewritten.
//
// Reports go to the compilation's diagnostics of the bound compiler
// Blackboard; none of these actions stops the parse. An escape that cannot
// be read at all (too few digits, a code point UTF-8 cannot encode) is
// reported as an error where the literal's warnings go, and the text is
// kept as written (see escape_cleaning.h).

#ifndef KAVERO_COMPILER_PARSER_LEXICON_ENTRY_ACTIONS_H_
#define KAVERO_COMPILER_PARSER_LEXICON_ENTRY_ACTIONS_H_

#include <string>
#include <utility>
#include <vector>

#include "compiler/parser/source_range.h"

namespace zel {
namespace compiler {
namespace parser {

// Reports every line feed of the entry but its last byte as an error
// ("did you forget the ','?") and every tab but the last byte as a warning,
// one report each, at the range line. Entries of fewer than two bytes are
// not looked at.
void check_lexicon_carriage_return(const SourceRange& range, const std::string& entry);

namespace action {

// The parts of an entry with, for each, whether a blank follows it when the
// parts are joined again.
using LexiconEntryParts = std::vector<std::pair<std::string, bool>>;

// Cleans a decorator value as cleanup_entry does and returns it.
std::string on_decorator(std::string& text);

// Resolve the escapes of a token literal (keeping those of the pattern
// characters, the quotes and "=") or of a lexicon-entry literal (the
// pattern characters and the quotes), trim it and collapse runs of blanks,
// in place. An invalid escape is warned about with code 0x40, at the
// literal's line and column for a token and at its line for a lexicon
// entry. Always true.
bool cleanup_location_token_entry(const SourceRange& range, std::string& text);
bool cleanup_location_lexicon_entry(const SourceRange& range, std::string& text);

// Cleans a lexicon entry in place (escapes, trimming, blanks), rewrites its
// special entries unless raw entries are asked for, and warns about an
// invalid escape (code 0) or else reports its line feeds and tabs. Always
// true.
bool check_lexicon_entry(const SourceRange& range, std::string& entry);

// Rewrites the any-token forms and the groups with closures of an entry in
// place (see above); `line` is where warnings go. An entry with a part that
// begins with an unclosed group, or whose part is more than one group, keeps
// the text it had.
void replace_special_entries(std::string& entry, int line);

// The parts of an entry, cut at blanks. A "(" at the start of the entry or
// after a blank opens a group that runs to its matching ")" and closure, so
// blanks inside it do not cut. Two blanks in a row give an empty part; the
// last part is there even when empty.
std::vector<std::string> split_lexicon_entry(const std::string& entry);

// Replaces "(.)*" parts by "(.)+", warning with code 0x10 at `line`, "<>"
// parts by "(.)+", and every "<>" inside other parts by "(.)+".
void replace_any_token_entries(LexiconEntryParts& parts, int line);

}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_LEXICON_ENTRY_ACTIONS_H_
