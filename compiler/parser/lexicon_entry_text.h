// Tests on the text of a lexicon entry that the parser, the lexicon builder
// and the lexicon checks share.
//
// A raw entry is written between triple double quotes ("""New York""") and
// is taken literally: its pattern syntax is not rewritten.

#ifndef KAVERO_COMPILER_PARSER_LEXICON_ENTRY_TEXT_H_
#define KAVERO_COMPILER_PARSER_LEXICON_ENTRY_TEXT_H_

#include <string>
#include <string_view>

namespace zel {
namespace compiler {

// Whether the text holds pattern syntax: any of ( * + . ? [ \ { |.
bool has_wildcards(const char* text);
bool has_wildcards(std::string_view text);

// Whether the entry begins with three double quotes and ends with three
// (tested apart, so a text of exactly three double quotes is raw too).
bool is_raw_lexicon_entry(const std::string& entry);

// Keeps only what lies between the triple quotes of a raw entry; any other
// entry is left as it is. A text of three to five double quotes becomes
// empty.
void strip_raw_lexicon_entry(std::string& entry);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_LEXICON_ENTRY_TEXT_H_
