// Lexicon statements: the result store checks each one, warns about
// patterns that will be slow at run time, and collects its entries for the
// lexicon build (lexicon_builder.h) in its lexicon_cache, under the key
// "entities_" + the statement's input stream ("literal" without "input";
// "lemma" is filed as "stem", "normalized_lemma" as "normalized_stem").
//
//   lexicon:(input="stem"){ go; walk: walking } = Motion(kind="verb");
//
// An entry is collected once per (text, annotation, attributes, second
// text). After the first error diagnostic of a build, and for a stream this
// build does not rebuild ("update_lexicons"), nothing is collected; the
// pattern warnings are given all the same.

#ifndef KAVERO_COMPILER_BACKEND_LEXICON_STATEMENTS_H_
#define KAVERO_COMPILER_BACKEND_LEXICON_STATEMENTS_H_

#include <string>
#include <string_view>

#include "compiler/parser/syntax_tree.h"

namespace zel {
namespace compiler {

class ResultStore;

// Checks and collects the statement; its quoted attribute values lose
// their quotes in place.
void add_lexicon(ResultStore& store, ast::node::Lexicon& statement);

// True when every attribute name is a lexicon attribute name ("input");
// otherwise reports "Invalid lexicon attribute name, [" name "], valid
// values are [input ]" for the first other one and answers false.
bool check_valid_attribute(const ast::node::Lexicon& statement);

// The pattern warnings of every entry that is a pattern.
void warn_lexicon_complexity(const ast::node::Lexicon& statement);
// Reports what will make the pattern slow (code 0x2), that it does not
// parse (code 0x40), or an alternative outside every group (an error).
// Always false.
bool is_complex_regex_pattern(const std::string_view& pattern, int line);
// Warns (code 0x2) about a "match anything up to the end" group repeated.
void known_complex_regex_pattern(const std::string_view& pattern, int line);

// Adds the entry to the cache of the key unless the cache holds an entry of
// that text with the same annotation, attributes and second text. The
// entry is filed under the Blackboard's current source.
void store_entity(ResultStore& store, const std::string& key, const std::string& text,
                  const ast::node::AssignCaptureGroup& capture, const std::string& canonical,
                  int line);
void add_entity_to_cache(ResultStore& store, const std::string& key, const std::string& text,
                         const ast::node::AssignCaptureGroup& capture,
                         const std::string& canonical, int line);

// Appends the lines of every file named by a "file" attribute (a path, or
// one relative to the folder of the source being visited), trimmed, as
// entries of line 1. Raises zel::Exception "Could not find [" value "]".
void import_lexicon_file(const ResultStore& store, ast::node::Lexicon& statement);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_LEXICON_STATEMENTS_H_
