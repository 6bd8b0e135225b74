// The tokenizer: turns the text of one sentence into the sentence's tokens.
//
// The sentence splitter appends a Sentence to the document list for a byte
// range of the document and calls tokenize() with that range. The text is
// converted to UTF-16 (with a table back to byte offsets, offset_table.h)
// and cut by the blackboard's ICU word-break iterator. Every piece that is
// not white space becomes a Token appended to the sentence, with document
// byte offsets and the literal normalised (NFKC when the piece holds a
// combining mark; U+2018 and U+2019 become an apostrophe, U+2013 a
// hyphen-minus). Each token then gets:
//   - its capitalisation and alphanumeric properties (token_properties.h);
//   - with an iterator built from the language's compiled rules, the tags,
//     properties and flag bits of its rule status (the rule that cut it)
//     from the language's token map (token_map.h): "+X" rows are readings
//     (the literal as stem; a reading the token has already is not added
//     twice), "-X" rows remove one, other rows are properties; a status of
//     1000 or more without rows gives the property "prop_<status>";
//   - measurement cuts through the language's measure expression
//     (measurement.h) for rule statuses 100, 200, 511, 514 and 700.
// Pieces are joined into one token in two cases: over a span the sentence
// splitter queued on the blackboard (an abbreviation or a header prefix;
// the token gets `abbreviation_range` or `header_range`), and from a piece
// "http" or "https" up to the next white space (a URL: reading "Url" with
// the address up to its third "/" as stem, property "internet", readings
// final). A URL ends before the white space that ends it, and one still
// open at the end of the sentence text is a token too.
//
// Finally the tokens are bracketed by the sentence's "Sentence" concept and
// its end annotation, and the list is closed by an end-of-stream marker; the
// sentence takes the offsets of its first and last token.
//
// A blackboard and its iterator are used by one thread at a time.

#ifndef KAVERO_LANGUAGE_TOKENIZER_H_
#define KAVERO_LANGUAGE_TOKENIZER_H_

#include <memory>

#include <unicode/rbbi.h>
#include <unicode/unistr.h>

#include "language/offset_table.h"

namespace zel {
namespace kavero {

class Blackboard;
class Sentence;
class Token;

// Tokenizes the UTF-8 range [begin, end), the text of the sentence that is
// the last annotation of the blackboard's document list; true when tokens
// were made. Bad UTF-8 raises utfcpp's exceptions before any token is made.
// Raises zel::Exception when the document list does not end with a sentence
// or the blackboard has no word-break iterator (no language bound).
bool tokenize(Blackboard& blackboard, const char* begin, const char* end);

// The same over the sentence text in UTF-16, with its table from UTF-16
// offsets to byte offsets from the sentence's begin; without a table the
// UTF-16 offsets are taken as byte offsets.
bool tokenize(Blackboard& blackboard, const icu::UnicodeString& text,
              std::shared_ptr<OffsetTable16> table);

// The token text of `length` UTF-16 units from `start`: composed (NFKC) when
// it holds a combining mark, then with U+2018 and U+2019 replaced by an
// apostrophe and U+2013 by a hyphen-minus.
icu::UnicodeString get_substring_data(const icu::UnicodeString& text,
                                      unsigned start, unsigned length);

// Whether every UTF-16 unit of [start, end) is white space (ICU u_isspace);
// true for an empty range.
bool is_space_section(int start, int end, const icu::UnicodeString& text);

// The flag bits a rule status gives: 2000 to 2999 `property_lookup`; 500 to
// 509 and 3000 to 4000 `skip_lookup`; 512 `markup`; 513 `apostrophe` on the
// token and `has_apostrophe` on the sentence.
void set_property_lookup_flag(Sentence* sentence, Token* token,
                              unsigned long status);

// Whether a row of the language's token map for the iterator's current rule
// status is a punctuation reading ("+Punct...").
bool is_punctuation(Blackboard& blackboard,
                    icu::RuleBasedBreakIterator* iterator);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKENIZER_H_
