#include "language/sentence_splitter.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "base/logging.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "base/unicode.h"
#include "language/language_module.h"
#include "language/sentence_characters.h"
#include "language/tokenizer.h"

namespace zel {
namespace kavero {

namespace {

constexpr uint32_t kLineFeed = 0x0A;
constexpr uint32_t kCarriageReturn = 0x0D;

// Sentences longer than this are cut at their next blank.
constexpr std::ptrdiff_t kBlankCutLength = 1024;
// ... and longer than this at their next character.
constexpr std::ptrdiff_t kCharacterCutLength = 2048;
// A header prefix written with "#" is one to six of them.
constexpr int kLongestHashRun = 6;
// A "#" heading may be indented by up to three blanks.
constexpr std::ptrdiff_t kMostHeadingIndentation = 3;

using string::unicode::next;
using string::unicode::next_char;

bool is_line_break(uint32_t c) { return c == kLineFeed || c == kCarriageReturn; }

bool is_line_break_byte(char c) { return c == '\n' || c == '\r'; }

// The byte taken as a code point (Latin-1): 0x85 and 0xA0 count as white
// space too.
bool whitespace_byte(char c) {
  return string::is_whitespace(static_cast<unsigned char>(c));
}

bool blank_byte(char c) { return c == ' ' || c == '\t'; }

bool is_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The start of the character that ends at `p`, never below `lower`. The
// bytes before `p` are valid UTF-8 that was read already.
const char* step_back(const char* p, const char* lower) {
  do {
    --p;
  } while (p > lower && is_continuation(*p));
  return p;
}

// The first position at or after `from` whose character is not white space
// (zel::string::is_whitespace), or `end`; `newline` tells whether a line
// feed was passed on the way.
const char* first_non_white(const char* from, const char* end, bool& newline) {
  newline = false;
  const char* p = from;
  while (p != end) {
    const char* q = p;
    const uint32_t c = next(q, end);
    if (!string::is_whitespace(c)) break;
    if (c == kLineFeed) newline = true;
    p = q;
  }
  return p;
}

// Whether the full stop before `position` ends a sentence (see
// in_abbrev_sentence_begin_condition); `has_internet_sym` answers whether
// the word holds "@" or "/".
template <typename HasInternetSym>
const char* abbreviation_condition(const char* position, const char* word_begin,
                                   const char* word_end, const char* next_start,
                                   const char* end, bool newline,
                                   HasInternetSym has_internet_sym_in_word) {
  const uint32_t pc = next_char(step_back(word_end, word_begin), end);
  const bool has_c = next_start != end;
  const uint32_t c = has_c ? next_char(next_start, end) : 0;
  if (has_c && c == ':' && has_dots(pc)) return end;
  if (end_of_sentence_crfl(pc, newline)) return word_end;
  if (u_isdigit(static_cast<UChar32>(pc))) return end;
  if (has_c && string::is_quote(c)) return end;
  if (has_dots(pc)) {
    if (next_start == word_end) return end;
    return has_c && string::sentence_begin(c) ? word_end : end;
  }
  const char* after_cc = position;
  const uint32_t cc = next(after_cc, end);
  if (!u_isupper(static_cast<UChar32>(cc))) {
    return has_c && string::inverted_sentence_begin(c) ? word_end : end;
  }
  if (has_internet_sym_in_word()) return end;
  for (const char* p = after_cc; p < word_end; ++p) {
    if (has_dots(static_cast<unsigned char>(*p))) return end;
  }
  return position;
}

// One split of one text. The state has the short names the rules are
// written with:
//   P  the scan position, where the next character is read;
//   Q  the position of the character just read;
//   S  where the current sentence begins;
//   W  the start of the current word;
//   L  the start of the current line;
//   C  where the current sentence is to end, or null;
//   N  the line breaks counted in the current sentence;
//   F  whether a fenced code block is open;
//   Nmax the line limit.
class Splitter {
 public:
  Splitter(char* text, size_t length, const SplitterSettings& settings,
           std::deque<SpanMark>& spans, SentenceSink& sink)
      : text_(text),
        begin_(text),
        end_(text + length),
        settings_(settings),
        abbreviations_(settings.abbreviations != nullptr &&
                               !settings.abbreviations->empty()
                           ? settings.abbreviations
                           : nullptr),
        spans_(spans),
        sink_(sink),
        Nmax(settings.line_limit) {}

  void run();

 private:
  void read_character();
  void line_break();
  bool join_hyphen();
  void blank();
  void full_stop();
  const char* word_start();
  void closing_parenthesis();
  void question_or_exclamation();
  bool code_fence();
  void heading_mark();
  void field_line();
  bool next_line_ends_field(const char* T);
  void other_punctuation(uint32_t c);
  void other_character();
  void create_sentence_obj();

  const char* skip_word(const char* from);
  bool word_has_internet_sym(const char* first, const char* last);
  void mark(const char* first, const char* last, uint64_t kind) {
    spans_.push_back(SpanMark{static_cast<uint32_t>(first - begin_),
                              static_cast<uint32_t>(last - begin_), kind});
  }
  // What the look-ahead memories below know holds only for the text as it
  // was; a hyphen join rewrites it.
  void forget_text() {
    word_to_end_ = nullptr;
    last_stop_ = nullptr;
    no_line_feed_from_ = nullptr;
    field_next_line_ = nullptr;
    internet_read_to_ = nullptr;
  }

  char* const text_;
  const char* const begin_;
  const char* const end_;
  const SplitterSettings& settings_;
  const Regex* const abbreviations_;
  std::deque<SpanMark>& spans_;
  SentenceSink& sink_;

  const char* P = nullptr;
  const char* Q = nullptr;
  const char* S = nullptr;
  const char* W = nullptr;
  const char* L = nullptr;
  const char* C = nullptr;
  int32_t N = 0;
  bool F = false;
  const int32_t Nmax;

  // Memories that keep every scan from covering the same text twice.
  // From here to the end of the text every character is not white space.
  const char* word_to_end_ = nullptr;
  // The last full stop whose word start was looked for, and that start.
  const char* last_stop_ = nullptr;
  const char* last_stop_word_ = nullptr;
  // No line feed lies at or after this position.
  const char* no_line_feed_from_ = nullptr;
  // The line after a field line last looked at, and whether it ends the
  // field line's sentence.
  const char* field_next_line_ = nullptr;
  bool field_next_line_ends_ = false;
  // How far the words were read for "@" and "/", and the last one found.
  const char* internet_read_to_ = nullptr;
  const char* last_internet_sym_ = nullptr;
};

void Splitter::run() {
  P = Q = W = L = begin_;
  bool newline;
  S = first_non_white(begin_, end_, newline);
  C = nullptr;
  N = 0;
  F = false;
  while (P != end_) {
    read_character();
    if (C != nullptr && P != end_) create_sentence_obj();
  }
  // The last sentence runs to the end of the text; a candidate still
  // pending is dropped.
  if (S != end_) {
    C = end_;
    create_sentence_obj();
  }
}

void Splitter::read_character() {
  Q = P;
  const uint32_t c = next(P, end_);
  if (string::is_whitespace(c)) {
    W = P;
    if (is_line_break(c)) {
      line_break();
    } else {
      blank();
    }
    return;
  }
  switch (c) {
    case '.':
      full_stop();
      return;
    case ')':
      closing_parenthesis();
      return;
    case '?':
    case '!':
    case 0xBF:  // inverted question mark
    case 0xA1:  // inverted exclamation mark
      question_or_exclamation();
      return;
    case '`':
      if (code_fence()) return;
      break;
    case '#':
      heading_mark();
      return;
    case ':':
      field_line();
      return;
    default:
      break;
  }
  if (u_ispunct(static_cast<UChar32>(c))) {
    other_punctuation(c);
  } else {
    other_character();
  }
}

// A line feed or carriage return at Q.
void Splitter::line_break() {
  if (join_hyphen()) return;

  // Further line feeds and carriage returns belong to this break; a line
  // feed among them makes a blank line.
  int line_feeds = 0;
  while (P != end_) {
    const char* q = P;
    const uint32_t c = next(q, end_);
    if (!is_line_break(c)) break;
    if (c == kLineFeed) ++line_feeds;
    P = q;
  }
  const std::ptrdiff_t line_length = P - L;
  L = P;
  W = P;
  if (F || line_feeds >= 1 || N >= Nmax) {
    C = Q;
    return;
  }
  // A bullet line ("- ", "* ", "+ ", not "--", "**", "++") starts a new
  // sentence; otherwise a line of two bytes or more counts.
  while (P != end_) {
    const char* q = P;
    if (!u_isspace(static_cast<UChar32>(next(q, end_)))) break;
    P = q;
  }
  if (P != end_ && is_bullet_point(static_cast<unsigned char>(*P)) &&
      P + 1 != end_ && P[1] != *P) {
    C = Q;
  } else if (line_length >= 2) {
    ++N;
  }
}

// A word cut by a hyphen at the line end (the break at Q) and continued with
// a lower-case letter on the next line is joined: the continuation's bytes
// move onto the hyphen, blanks fill the rest of its old place, and the scan
// goes on at the joined word. True when it joined.
bool Splitter::join_hyphen() {
  if (!settings_.resolve_hyphen) return false;
  // A hyphen before the sentence start belongs to a sentence that was made
  // already; its text must not change under it.
  if (Q < S) return false;

  const char* h = Q;
  while (h != begin_ && whitespace_byte(*h)) --h;
  if (h == begin_ || *h != '-') return false;
  if (h - 1 != begin_ && h[-1] == '-') return false;

  const char* continuation = nullptr;
  const char* continuation_end = nullptr;
  try {
    const char* p = h + 1;
    for (int blanks = 0; blanks < 6; ++blanks) {
      const char* q = p;
      const uint32_t c = next(q, end_);
      if (c != ' ' && c != '\t') break;
      p = q;
    }
    next(p, end_);  // the line break
    int line_feeds = 0;
    for (;;) {
      const char* q = p;
      const uint32_t c = next(q, end_);
      if (!is_line_break(c)) break;
      if (c == kLineFeed && ++line_feeds == 3) return false;
      p = q;
    }
    continuation = p;
    const uint32_t x = next(p, end_);
    if (x < 'a' || x > 'z') return false;
    while (p != end_) {
      const uint32_t c = next(p, end_);
      if (!u_isalpha(static_cast<UChar32>(c))) break;
    }
    continuation_end = p;
  } catch (const std::exception&) {
    // The text ends or is not UTF-8 where the join would look: no join.
    return false;
  }

  char* hyphen = text_ + (h - begin_);
  const size_t length = static_cast<size_t>(continuation_end - continuation);
  std::memmove(hyphen, continuation, length);
  std::memset(hyphen + length, ' ',
              static_cast<size_t>(continuation_end - (h + length)));
  P = h;
  forget_text();
  return true;
}

// White space other than a line break at Q: a sentence past its blank-cut
// length ends at the latest line start within that length, else after the
// next word.
void Splitter::blank() {
  if (P - S <= kBlankCutLength) return;
  const char* line_start = nullptr;
  for (const char* x = Q - 1; x > S; --x) {
    if (is_line_break_byte(*x)) {
      line_start = x + 1;
      break;
    }
  }
  if (line_start != nullptr && P - line_start <= kBlankCutLength - 1) {
    C = line_start;
    return;
  }
  const char* word_end = skip_word(P);
  if (word_end != end_) P = word_end;
  C = P;
}

// The end of the run of characters that are not white space from `from`;
// the end of the text when the run reaches it.
const char* Splitter::skip_word(const char* from) {
  const char* p = from;
  while (p != end_) {
    if (word_to_end_ != nullptr && p >= word_to_end_) {
      p = end_;
      break;
    }
    const char* q = p;
    if (!string::no_withespace(next(q, end_))) break;
    p = q;
  }
  if (p == end_ && (word_to_end_ == nullptr || from < word_to_end_)) {
    word_to_end_ = from;
  }
  return p;
}

// Whether "@" or "/" lies in [first, last). The words asked about end
// further on each time, so the text is read once.
bool Splitter::word_has_internet_sym(const char* first, const char* last) {
  if (internet_read_to_ == nullptr || internet_read_to_ < first) {
    internet_read_to_ = first;
    last_internet_sym_ = nullptr;
  }
  if (internet_read_to_ > last) {
    for (const char* p = first; p != last; ++p) {
      if (has_internet_sym(static_cast<unsigned char>(*p))) return true;
    }
    return false;
  }
  for (; internet_read_to_ != last; ++internet_read_to_) {
    if (has_internet_sym(static_cast<unsigned char>(*internet_read_to_))) {
      last_internet_sym_ = internet_read_to_;
    }
  }
  return last_internet_sym_ != nullptr && last_internet_sym_ >= first;
}

// A full stop at Q.
void Splitter::full_stop() {
  W = word_start();
  while (L != end_ && abbrev_begin(static_cast<unsigned char>(*L))) ++L;
  const char* E = P;
  while (E != end_) {
    const char* q = E;
    if (!abbrev_end(next(q, end_))) break;
    E = q;
  }

  if (E - W >= 2) {
    const bool m =
        abbreviations_ != nullptr && abbreviations_->regex_match(W, E);
    if (W == L && header_prefix_pattern.regex_match(W, E)) {
      // A header prefix at the line start opens a new sentence.
      C = W;
      mark(W, E, m ? SpanMark::kAbbreviation | SpanMark::kHeaderPrefix
                   : SpanMark::kHeaderPrefix);
      P = E;
      W = E;
    } else if (m) {
      mark(W, E, SpanMark::kAbbreviation);
      P = E;
      W = E;
    } else {
      bool newline;
      const char* next_start = first_non_white(E, end_, newline);
      const char* r = abbreviation_condition(
          P, W, E, next_start, end_, newline,
          [&] { return word_has_internet_sym(W, E); });
      if (r != end_) C = r;
      P = E;
      W = E;
    }
    return;
  }
  // The full stop stands alone.
  bool newline;
  const char* next_start = first_non_white(P, end_, newline);
  const char* r = abbreviation_condition(
      P, W, P, next_start, end_, newline,
      [&] { return word_has_internet_sym(W, P); });
  if (r != end_) C = P;
  W = P;
}

// The start of the word that holds the full stop at Q: back over the
// characters a word with a full stop may hold; the first character of the
// text is taken whatever it is. The look-back stops at the sentence start
// (a word that began before it belongs partly to a sentence made already),
// and at the previous full stop of the same word, whose start is known.
const char* Splitter::word_start() {
  const char* w = Q;
  for (;;) {
    if (w == begin_) break;
    const char* q = w;
    if (!abbrev_allowed_abbrev(next(q, end_))) {
      w = q;
      break;
    }
    if (w <= S) {
      w = S;
      break;
    }
    if (w == last_stop_) {
      w = std::max(last_stop_word_, S);
      break;
    }
    w = step_back(w, begin_);
  }
  last_stop_ = Q;
  last_stop_word_ = w;
  return w;
}

// A closing parenthesis at Q.
void Splitter::closing_parenthesis() {
  if (P == end_) return;
  // ")" at a line end before a capitalised line ends the sentence after it.
  if (is_line_break_byte(*P) && P + 1 != end_ &&
      u_isupper(static_cast<UChar32>(next_char(P + 1, end_)))) {
    C = P;
    read_character();
    return;
  }
  // "a)" or "2)" opening a sentence: the header line is a sentence.
  if (W < end_ && is_line_break_byte(*W)) {
    while (W != end_ && abbrev_begin(static_cast<unsigned char>(*W))) ++W;
  }
  if (W == S && header_prefix_pattern.regex_match(W, P)) {
    const std::pair<bool, const char*> header_end = find_end_of_header(W, end_);
    if (header_end.first) {
      mark(W, P, SpanMark::kHeaderPrefix);
      P = header_end.second;
      W = header_end.second;
      C = header_end.second;
    }
  }
}

// "?", "!", "¿" or "¡" at Q, with the end marks that follow.
void Splitter::question_or_exclamation() {
  const char* M = Q;
  while (P != end_) {
    const char* q = P;
    if (!end_of_sentence(next(q, end_))) break;
    M = P;
    P = q;
  }
  bool newline;
  const char* next_start = first_non_white(P, end_, newline);
  if (sentence_begin_condition(M, P, next_start, end_, newline) != end_) {
    C = P;
  }
  W = P;
}

// A backtick at Q: three of them, not ending the text, open or close a
// fenced code block. False when they do not.
bool Splitter::code_fence() {
  if (end_ - P < 3 || P[0] != '`' || P[1] != '`') return false;
  F = !F;
  P += 2;
  return true;
}

// "#" at Q: one to six of them opening a sentence, indented by at most
// three bytes, make a header line.
void Splitter::heading_mark() {
  if (Q != S) return;

  std::ptrdiff_t indentation = 0;
  if (Q != begin_) {
    if (blank_byte(Q[-1])) {
      const char* run = Q;
      while (run != begin_ && blank_byte(run[-1]) &&
             Q - run <= kMostHeadingIndentation) {
        --run;
      }
      indentation = Q - run;
    } else {
      indentation = Q - step_back(Q, begin_);
    }
  }
  if (indentation > kMostHeadingIndentation) return;

  // The run of characters that are not white space from the "#"; a run
  // longer than the longest "#" prefix cannot be one.
  const char* R = Q;
  for (int count = 0; R != end_; ++count) {
    const char* q = R;
    if (!string::no_withespace(next(q, end_))) break;
    if (count == kLongestHashRun) return;
    R = q;
  }
  if (!header_prefix_pattern.regex_match(Q, R)) return;

  P = R;
  const std::pair<bool, const char*> header_end = find_end_of_header(R, end_);
  if (header_end.first) {
    mark(Q, R, SpanMark::kHeaderPrefix);
    P = header_end.second;
    C = header_end.second;
  }
}

// ":" at Q: a short field name, a colon and a value, followed by another
// field line or by a capitalised line, is a sentence of its own; the next
// line break ends it.
void Splitter::field_line() {
  if (P - S > settings_.field_limit || P == end_) return;
  if (*P != ' ' && !is_line_break_byte(*P)) return;
  const char* V = P;
  while (V != end_ && blank_byte(*V)) ++V;
  if (V == end_ || *V == '\n') return;

  // The line feed that ends the value must lie close enough for the value
  // to stay under the value limit.
  const std::ptrdiff_t reach =
      static_cast<std::ptrdiff_t>(settings_.value_limit) - 1;
  if (reach <= 0) return;
  if (no_line_feed_from_ != nullptr && V >= no_line_feed_from_) return;
  const std::ptrdiff_t searched = std::min(end_ - V, reach);
  const void* line_feed = std::memchr(V, '\n', static_cast<size_t>(searched));
  if (line_feed == nullptr) {
    if (searched == end_ - V) no_line_feed_from_ = V;
    return;
  }
  const char* T = static_cast<const char*>(line_feed) + 1;
  if (next_line_ends_field(T)) N = Nmax;
}

// Whether the line that starts at T holds a ":" or starts, after blanks,
// with an upper-case letter; false when only blanks follow.
bool Splitter::next_line_ends_field(const char* T) {
  if (T == field_next_line_) return field_next_line_ends_;
  const char* U = T;
  while (U != end_ && blank_byte(*U)) ++U;
  bool ends = false;
  if (U != end_) {
    const void* line_feed = std::memchr(T, '\n', static_cast<size_t>(end_ - T));
    const char* line_end =
        line_feed != nullptr ? static_cast<const char*>(line_feed) + 1 : end_;
    ends = std::memchr(T, ':', static_cast<size_t>(line_end - T)) != nullptr ||
           u_isupper(static_cast<UChar32>(next_char(U, end_)));
  }
  field_next_line_ = T;
  field_next_line_ends_ = ends;
  return ends;
}

// Punctuation at Q not handled above.
void Splitter::other_punctuation(uint32_t c) {
  if (is_ellipsis(c)) {
    bool newline;
    const char* next_start = first_non_white(P, end_, newline);
    if (sentence_begin_condition(Q, P, next_start, end_, newline) != end_) {
      C = P;
    }
  }
  W = P;
}

// Any other character at Q: a sentence past its character-cut length ends
// after the current word, or here when the word runs to the end of the
// text.
void Splitter::other_character() {
  if (P - S <= kCharacterCutLength) return;
  const char* word_end = skip_word(P);
  if (word_end != end_) P = word_end;
  C = P;
}

// Hands the sentence from S to C, less its trailing white space, to the
// sink, and starts the next one at the first character after C that is not
// white space.
void Splitter::create_sentence_obj() {
  // The white space from the last sentence end to S was passed already: a
  // candidate within it makes no sentence and leaves S where it is.
  if (C > S) {
    const char* E = C;
    // The end of the text is not white space, so the last sentence keeps
    // what trails it. The walk back goes by whole characters: a character
    // whose last byte reads as white space (0x85, 0xA0) is not cut.
    if (C != end_ && whitespace_byte(*C)) {
      while (E > S) {
        const char* previous = step_back(E, S);
        if (!string::is_whitespace(next_char(previous, end_))) break;
        E = previous;
      }
    }
    if (S < E) sink_.sentence(begin_, S, E);
    bool newline;
    S = first_non_white(C, end_, newline);
  }
  W = P;
  C = nullptr;
  N = 0;
}

// Text longer than this cannot be split: offsets are 32-bit.
constexpr unsigned long kLongestText = std::numeric_limits<uint32_t>::max();

// The blackboard's own buffer for the text: the text itself when it lies in
// the blackboard's copy, else a new copy.
char* document_buffer(Blackboard& blackboard, const char* text,
                      unsigned long length) {
  std::string& own = blackboard.text;
  const std::less_equal<const char*> at_or_before;
  if (text != nullptr && !own.empty() && at_or_before(own.data(), text) &&
      at_or_before(text, own.data() + own.size())) {
    const auto room = static_cast<unsigned long>(own.data() + own.size() - text);
    if (length > room) {
      throw std::out_of_range("the text runs past the document's own copy");
    }
    return own.data() + (text - own.data());
  }
  if (length == 0) {
    own.clear();
  } else {
    own.assign(text, length);
  }
  blackboard.text_length = length;
  return own.data();
}

// Makes the sentences on the blackboard: each is appended to the document
// list and tokenized; one that gets no annotation is dropped, every other
// one indexed.
class BlackboardSentences : public SentenceSink {
 public:
  explicit BlackboardSentences(Blackboard& blackboard)
      : blackboard_(blackboard) {}

  void sentence(const char* text, const char* begin, const char* end) override {
    const auto first = static_cast<uint32_t>(begin - text);
    const auto last = static_cast<uint32_t>(end - text);
    if (!blackboard_.annotations) {
      blackboard_.annotations = std::make_shared<AnnotationCollection>();
    }
    AnnotationCollection& list = *blackboard_.annotations;
    auto* sentence = new Sentence(first, last);
    list.push_back(sentence);
    try {
      tokenize(blackboard_, begin, end);
    } catch (...) {
      // A sentence the tokenizer failed on is not left half made.
      delete list.unlink(sentence);
      throw;
    }
    if (sentence->annotations.empty()) {
      delete list.unlink(sentence);
      return;
    }
    blackboard_.sentences.emplace_back(first, SentenceInfo(sentence));
  }

 private:
  Blackboard& blackboard_;
};

}  // namespace

SentenceSink::~SentenceSink() = default;

void Analyzer::text_to_annotations_v2(Blackboard& blackboard, const char* text,
                                      unsigned long length) const {
  BlackboardSentences sentences(blackboard);
  split_document(*this, blackboard, text, length, sentences);
}

void split_sentences(char* text, size_t length, const SplitterSettings& settings,
                     std::deque<SpanMark>& spans, SentenceSink& sink) {
  if (length == 0) return;
  Splitter(text, length, settings, spans, sink).run();
}

int32_t sentence_line_limit(const std::string& sentyziser) {
  constexpr int32_t kDefaultLineLimit = 3;
  if (sentyziser.empty()) return kDefaultLineLimit;
  const std::vector<std::string> fields =
      string::split_vector(sentyziser, ',', false);
  if (fields.empty()) return kDefaultLineLimit;
  try {
    return std::stoi(fields.front());
  } catch (const std::invalid_argument&) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
      os << "Cannot convert option to int:" << fields.front();
    });
    return kDefaultLineLimit;
  }
}

void split_document(const Analyzer& analyzer, Blackboard& blackboard,
                    const char* text, unsigned long length, SentenceSink& sink) {
  try {
    SplitterSettings settings;
    settings.line_limit =
        sentence_line_limit(analyzer.get_sentyziser_option(blackboard));
    settings.resolve_hyphen =
        analyzer.options()->get_bool("resolve_hyphen", true);
    settings.abbreviations = &blackboard.abbreviations;
    if (length > kLongestText) {
      throw std::length_error("the text is longer than 4294967295 bytes");
    }
    char* buffer = document_buffer(blackboard, text, length);
    split_sentences(buffer, length, settings, blackboard.spans, sink);
  } catch (const std::exception& e) {
    std::ostringstream message;
    message << "Could not process document: " << e.what();
    throw Exception(message);
  }
}

std::string Analyzer::get_sentyziser_option(Blackboard& blackboard) const {
  if (blackboard.option_view->has("sentyziser")) {
    return blackboard.option_view->get("sentyziser");
  }
  if (language_module_ && language_module_->module_data) {
    return language_module_->module_data->get_config_option("sentyziser");
  }
  return "3";
}

std::string Analyzer::get_tokenizer_locale(Blackboard& blackboard) const {
  if (blackboard.option_view->has("tokenizer_locale")) {
    return blackboard.option_view->get("tokenizer_locale");
  }
  if (language_module_ && language_module_->module_data) {
    return language_module_->module_data->get_config_option("tokenizer_locale");
  }
  return "";
}

const char* sentence_begin_condition(const char* last_mark, const char* position,
                                     const char* next_start, const char* end,
                                     bool newline) {
  if (position == end) return end;
  const uint32_t b = next_char(last_mark, end);
  const bool has_c = next_start != end;
  const uint32_t c = has_c ? next_char(next_start, end) : 0;
  if (end_of_sentence_QE(b)) {
    return has_c && (string::sentence_begin(c) || end_of_sentence_QE(c))
               ? next_start
               : end;
  }
  if (end_of_sentence_crfl(b, newline)) return next_start;
  if (has_c && string::is_quote(c)) return end;
  if (next_start == position) return end;
  if (has_c && string::sentence_begin(c)) return next_start;
  return end;
}

const char* in_abbrev_sentence_begin_condition(const char* position,
                                               const char* word_begin,
                                               const char* word_end,
                                               const char* next_start,
                                               const char* end, bool newline) {
  return abbreviation_condition(
      position, word_begin, word_end, next_start, end, newline, [&] {
        for (const char* p = word_begin; p != word_end; ++p) {
          if (has_internet_sym(static_cast<unsigned char>(*p))) return true;
        }
        return false;
      });
}

std::pair<bool, const char*> find_end_of_header(const char* first,
                                                const char* last) {
  constexpr int kLongestHeader = 100;
  constexpr int kFirstFullStop = 7;
  const char* p = first;
  int number = 0;
  while (p != last) {
    const char* at = p;
    const uint32_t c = next(p, last);
    ++number;
    if (is_line_break(c)) return {true, at};
    if (c == '.' && number >= kFirstFullStop) {
      const char* after = p;
      if (p == last) return {true, last};
      const uint32_t following = next(p, last);
      if (following == ' ' || is_line_break(following)) return {true, after};
    }
    if (number > kLongestHeader) return {false, last};
  }
  return {true, last};
}

bool has_crlf_until_next_sentence_condition(const char* begin, const char* end) {
  bool line_feed = false;
  const char* p = begin;
  while (p != end) {
    const uint32_t c = next(p, end);
    if (!string::is_whitespace(c)) return line_feed;
    if (c == kLineFeed) line_feed = true;
  }
  return line_feed;
}

}  // namespace kavero
}  // namespace zel
