// The character-level sentence splitter: the default way a document's text
// becomes sentences (the option "sentyziser" other than "icu").
//
// One pass over the UTF-8 text, character by character, decides where
// sentences end: sentence-final punctuation followed by a plausible
// sentence start, abbreviations of the language that do not end a sentence,
// header prefixes at a line start ("1.", "a)", "iv.", "##"), bullet lines,
// blank lines, field lines ("Subject: Hello"), a maximum number of line
// breaks per sentence (the line limit), fenced code blocks, and cuts of
// over-long sentences. A word split by a hyphen at a line end is joined
// again in the text before it is tokenized: the text keeps its length, the
// hyphen and the line break become blanks after the word.
//
// Spans that the tokenizer must keep whole are queued on the blackboard
// (SpanMark): kind 1 for a stretch that the language's abbreviation
// expression matched, kind 2 for a header prefix, 3 for both.
//
// Every scan is bounded: look-backs stop at the current sentence start,
// look-aheads at the next word, line, or a fixed count, and a scan that
// found the end of the text is not repeated. So the work is linear in the
// text also for long texts without white space or line breaks.
//
// Analyzer::text_to_annotations_v2, get_sentyziser_option and
// get_tokenizer_locale (analysis/analyzer.h) are defined with the splitter:
// text_to_annotations_v2 is split_document with every sentence appended to
// the blackboard's document list and tokenized (language/tokenizer.h); a
// sentence that gets no annotation is dropped, every other one indexed.

#ifndef KAVERO_LANGUAGE_SENTENCE_SPLITTER_H_
#define KAVERO_LANGUAGE_SENTENCE_SPLITTER_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "language/splitter_settings.h"

namespace zel {
namespace kavero {

class Analyzer;
class Blackboard;
struct SpanMark;

// What steers one split.
struct SplitterSettings {
  // The most line breaks a sentence may hold before the next one ends it;
  // 0 ends a sentence at every line break.
  int32_t line_limit = 3;
  // Whether words split by a hyphen at a line end are joined.
  bool resolve_hyphen = true;
  // The language's abbreviation expression; null or empty: none.
  const Regex* abbreviations = nullptr;
  // The field-line limits (splitter_settings.h).
  int32_t field_limit = max_field_size;
  int32_t value_limit = max_value_size;
};

// Receives the sentences of a split in text order, as byte ranges [begin,
// end) of the text that starts at `text`; a range is never empty.
class SentenceSink {
 public:
  virtual ~SentenceSink();
  virtual void sentence(const char* text, const char* begin,
                        const char* end) = 0;
};

// Splits the text: hands every sentence to the sink and appends the marked
// spans to `spans` (offsets from `text`), in text order. Joined hyphens are
// written into the text. A sentence's range ends after its last character
// that is not white space, except the last sentence of the text, which runs
// to the text's end. Invalid or truncated UTF-8 raises utfcpp's exceptions
// (base/unicode.h), as do errors of the regular expressions and of the
// sink; what was handed to the sink and queued before stays.
void split_sentences(char* text, size_t length, const SplitterSettings& settings,
                     std::deque<SpanMark>& spans, SentenceSink& sink);

// The line limit of a "sentyziser" value: the first ","-separated field
// read as std::stoi reads it (leading blanks and a sign allowed, anything
// after the digits ignored). An empty value gives 3. A first field without a
// number is logged at error level ("Cannot convert option to int:" and the
// field) and gives 3. A number out of the int range raises
// std::out_of_range ("stoi").
int32_t sentence_line_limit(const std::string& sentyziser);

// All that Analyzer::text_to_annotations_v2 does, with the sentences handed
// to `sink` instead of being made and tokenized on the blackboard: the line
// limit from the analyzer's get_sentyziser_option, hyphen joining from the
// analyzer's own option "resolve_hyphen" (default true), the blackboard's
// abbreviation expression, spans queued on the blackboard. The text must be
// the blackboard's own copy (`text`) or lie in it; any other buffer is
// copied into the blackboard first, so a caller's buffer is never written.
// Every std::exception is raised again as zel::Exception "Could not process
// document: " followed by its text; texts of 4 GiB or more are refused so.
void split_document(const Analyzer& analyzer, Blackboard& blackboard,
                    const char* text, unsigned long length, SentenceSink& sink);

// Whether a new sentence may begin after end marks. `last_mark` is the
// last of the marks, `position` the scan position after them, `next_start`
// the first position at or after it that is not white space (`newline`
// tells whether a line feed was passed to reach it). After "!" or "?" a
// sentence start (zel::string::sentence_begin), "!" or "?" begins one, also
// without white space between; after other marks a "." followed by a line
// break does, as does white space and a sentence start that is not a
// quotation mark. Returns `next_start` when a sentence may begin there, else
// `end`, also when `position` is the end.
const char* sentence_begin_condition(const char* last_mark, const char* position,
                                     const char* next_start, const char* end,
                                     bool newline);

// Whether the full stop before `position`, inside or at the end of the word
// [word_begin, word_end), ends a sentence; `next_start` and `newline` as
// above, measured from word_end (word_end > word_begin). Not when a ":" follows a final ".", when the word
// ends in a digit, or when a quotation mark follows. A final "." ends it at
// word_end when a line break or a sentence start after white space follows.
// Otherwise the character after the full stop decides: not upper case, the
// sentence ends at word_end only before "¡" or "¿"; upper case, it ends
// right after the full stop ("end.The") unless the word holds "@" or "/" or
// another "." follows. Returns where the sentence ends, or `end`.
const char* in_abbrev_sentence_begin_condition(const char* position,
                                               const char* word_begin,
                                               const char* word_end,
                                               const char* next_start,
                                               const char* end, bool newline);

// Where a header line that starts at `first` ends: (true, the position of
// the first line feed or carriage return), (true, just after a "." that is
// the seventh character or later and is followed by a space or line break),
// (true, last) at the end; (false, last) when 101 characters hold no end.
std::pair<bool, const char*> find_end_of_header(const char* first,
                                                const char* last);

// Whether a line feed lies in the white space (zel::string::is_whitespace)
// that starts at `begin`; the scan stops at the first other character or at
// `end`. False for an empty range.
bool has_crlf_until_next_sentence_condition(const char* begin, const char* end);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_SENTENCE_SPLITTER_H_
