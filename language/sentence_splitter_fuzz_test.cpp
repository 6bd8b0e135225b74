// Random and truncated texts through the sentence splitter.
//
// The splitter reads an exactly sized heap copy of each text, so that the
// address sanitizer of the test build reports any read before or after it.
// Its results are compared with a plain splitter written here: the same
// rules with every scan unbounded and done afresh, as slow as that is. The
// two must cut the same sentences, queue the same spans and join the same
// hyphens; on invalid UTF-8 both must fail with the same error. The plain
// splitter shares the public conditions of the real one and keeps the
// three mends of the real one: a hyphen before the current sentence start
// is not joined, the end of a sentence is found by whole characters (never
// inside one), and the end of the text counts as not white space (nothing
// past it is read). The real splitter looks for a word's start no further
// back than the sentence start; the plain one does so too, and also runs
// without that bound, to show that the bound changes only texts where a
// word start lay before its sentence: a first word that reaches back to the
// start of the text, whose first character (a single blank, or "?" ending
// a sentence of its own) would be taken as the word's start whatever it
// is, and a word that a length cut split.

#include <unicode/uchar.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "base/unicode.h"
#include "language/sentence_characters.h"
#include "language/sentence_splitter.h"
#include "language/splitter_settings.h"

namespace zel {
namespace kavero {
namespace {

using string::unicode::next;
using string::unicode::next_char;

struct Outcome {
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> sentences;
  std::vector<std::tuple<uint32_t, uint32_t, uint64_t>> spans;
  std::string text;
  std::string error;
  // Whether a word start was found before the start of its sentence.
  bool word_before_sentence = false;

  bool operator==(const Outcome& other) const {
    if (!error.empty() || !other.error.empty()) return error == other.error;
    return sentences == other.sentences && spans == other.spans &&
           text == other.text;
  }
};

std::string printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

std::ostream& operator<<(std::ostream& os, const Outcome& outcome) {
  if (!outcome.error.empty()) return os << "error: " << outcome.error;
  os << "sentences:";
  for (const auto& [b, e] : outcome.sentences) os << " [" << b << "," << e << ")";
  os << " spans:";
  for (const auto& [b, e, k] : outcome.spans) {
    os << " [" << b << "," << e << ")/" << k;
  }
  return os << " text: " << printable(outcome.text);
}

// The plain splitter.
class PlainSplitter {
 public:
  PlainSplitter(std::string& text, const SplitterSettings& settings,
                bool bound_word_start, Outcome& outcome)
      : text_(text),
        begin_(text.data()),
        end_(text.data() + text.size()),
        settings_(settings),
        bound_word_start_(bound_word_start),
        outcome_(outcome) {}

  void run() {
    P = Q = W = L = begin_;
    bool newline;
    S = first_non_white(begin_, newline);
    while (P != end_) {
      step();
      if (C != nullptr && P != end_) emit();
    }
    if (S != end_) {
      C = end_;
      emit();
    }
  }

 private:
  const char* first_non_white(const char* p, bool& newline) {
    newline = false;
    while (p != end_) {
      const char* q = p;
      const uint32_t c = next(q, end_);
      if (!string::is_whitespace(c)) break;
      if (c == '\n') newline = true;
      p = q;
    }
    return p;
  }

  const char* back(const char* p) {
    do {
      --p;
    } while (p > begin_ && (static_cast<unsigned char>(*p) & 0xC0) == 0x80);
    return p;
  }

  void mark(const char* b, const char* e, uint64_t kind) {
    outcome_.spans.emplace_back(static_cast<uint32_t>(b - begin_),
                                static_cast<uint32_t>(e - begin_), kind);
  }

  bool matches_abbreviation(const char* b, const char* e) {
    return settings_.abbreviations != nullptr &&
           !settings_.abbreviations->empty() &&
           settings_.abbreviations->regex_match(b, e);
  }

  void step() {
    Q = P;
    const uint32_t c = next(P, end_);
    if (string::is_whitespace(c)) {
      W = P;
      if (c == '\n' || c == '\r') {
        if (!join()) line_break();
      } else {
        blank();
      }
      return;
    }
    if (c == '.') return full_stop();
    if (c == ')') return parenthesis();
    if (c == '?' || c == '!' || c == 0xBF || c == 0xA1) return marks();
    if (c == '`' && end_ - P >= 3 && P[0] == '`' && P[1] == '`') {
      F = !F;
      P += 2;
      return;
    }
    if (c == '#') return heading();
    if (c == ':') return field();
    if (u_ispunct(static_cast<UChar32>(c))) {
      if (is_ellipsis(c)) {
        bool nl;
        const char* n = first_non_white(P, nl);
        if (sentence_begin_condition(Q, P, n, end_, nl) != end_) C = P;
      }
      W = P;
      return;
    }
    if (P - S > 2048) {
      const char* p = P;
      while (p != end_) {
        const char* q = p;
        if (!string::no_withespace(next(q, end_))) break;
        p = q;
      }
      if (p != end_) P = p;
      C = P;
    }
  }

  bool join() {
    if (!settings_.resolve_hyphen || Q < S) return false;
    const char* h = Q;
    while (h != begin_ && string::is_whitespace(static_cast<unsigned char>(*h))) --h;
    if (h == begin_ || *h != '-') return false;
    if (h - 1 != begin_ && h[-1] == '-') return false;
    const char* x;
    const char* e;
    try {
      const char* p = h + 1;
      for (int i = 0; i < 6; ++i) {
        const char* q = p;
        const uint32_t c = next(q, end_);
        if (c != ' ' && c != '\t') break;
        p = q;
      }
      next(p, end_);
      int feeds = 0;
      for (;;) {
        const char* q = p;
        const uint32_t c = next(q, end_);
        if (c != '\n' && c != '\r') break;
        if (c == '\n' && ++feeds == 3) return false;
        p = q;
      }
      x = p;
      const uint32_t first = next(p, end_);
      if (first < 'a' || first > 'z') return false;
      while (p != end_) {
        if (!u_isalpha(static_cast<UChar32>(next(p, end_)))) break;
      }
      e = p;
    } catch (const std::exception&) {
      return false;
    }
    const std::string continuation(x, e);
    const size_t at = static_cast<size_t>(h - begin_);
    text_.replace(at, continuation.size(), continuation);
    for (size_t i = at + continuation.size(); i < static_cast<size_t>(e - begin_); ++i) {
      text_[i] = ' ';
    }
    P = h;
    return true;
  }

  void line_break() {
    int feeds = 0;
    while (P != end_) {
      const char* q = P;
      const uint32_t c = next(q, end_);
      if (c != '\n' && c != '\r') break;
      if (c == '\n') ++feeds;
      P = q;
    }
    const std::ptrdiff_t length = P - L;
    L = P;
    W = P;
    if (F || feeds >= 1 || N >= settings_.line_limit) {
      C = Q;
      return;
    }
    while (P != end_) {
      const char* q = P;
      if (!u_isspace(static_cast<UChar32>(next(q, end_)))) break;
      P = q;
    }
    if (P != end_ && is_bullet_point(static_cast<unsigned char>(*P)) &&
        P + 1 != end_ && P[1] != *P) {
      C = Q;
    } else if (length >= 2) {
      ++N;
    }
  }

  void blank() {
    if (P - S <= 1024) return;
    const char* found = nullptr;
    for (const char* x = Q - 1; x > S; --x) {
      if (*x == '\n' || *x == '\r') {
        found = x;
        break;
      }
    }
    if (found != nullptr && P - (found + 1) <= 1023) {
      C = found + 1;
      return;
    }
    const char* p = P;
    while (p != end_) {
      const char* q = p;
      if (!string::no_withespace(next(q, end_))) break;
      p = q;
    }
    if (p != end_) P = p;
    C = P;
  }

  void full_stop() {
    // The word start, looked for back to the first character of the text,
    // which is taken whatever it is.
    const char* w = Q;
    while (w != begin_ && abbrev_allowed_abbrev(next_char(w, end_))) w = back(w);
    if (w != begin_) next(w, end_);
    if (w < S) outcome_.word_before_sentence = true;
    W = bound_word_start_ ? std::max(w, S) : w;
    while (L != end_ && abbrev_begin(static_cast<unsigned char>(*L))) ++L;
    const char* E = P;
    while (E != end_) {
      const char* q = E;
      if (!abbrev_end(next(q, end_))) break;
      E = q;
    }
    bool nl;
    if (E - W >= 2) {
      const bool m = matches_abbreviation(W, E);
      if (W == L && header_prefix_pattern.regex_match(W, E)) {
        C = W;
        mark(W, E, m ? 3 : 2);
      } else if (m) {
        mark(W, E, 1);
      } else {
        const char* n = first_non_white(E, nl);
        const char* r = in_abbrev_sentence_begin_condition(P, W, E, n, end_, nl);
        if (r != end_) C = r;
      }
      P = E;
      W = E;
      return;
    }
    const char* n = first_non_white(P, nl);
    if (in_abbrev_sentence_begin_condition(P, W, P, n, end_, nl) != end_) C = P;
    W = P;
  }

  void parenthesis() {
    if (P == end_) return;
    if ((*P == '\n' || *P == '\r') && P + 1 != end_ &&
        u_isupper(static_cast<UChar32>(next_char(P + 1, end_)))) {
      C = P;
      Q = P;
      next(P, end_);
      W = P;
      if (!join()) line_break();
      return;
    }
    if (W < end_ && (*W == '\n' || *W == '\r')) {
      while (W != end_ && abbrev_begin(static_cast<unsigned char>(*W))) ++W;
    }
    if (W == S && header_prefix_pattern.regex_match(W, P)) {
      const auto found = find_end_of_header(W, end_);
      if (found.first) {
        mark(W, P, 2);
        P = W = C = found.second;
      }
    }
  }

  void marks() {
    const char* M = Q;
    while (P != end_) {
      const char* q = P;
      if (!end_of_sentence(next(q, end_))) break;
      M = P;
      P = q;
    }
    bool nl;
    const char* n = first_non_white(P, nl);
    if (sentence_begin_condition(M, P, n, end_, nl) != end_) C = P;
    W = P;
  }

  void heading() {
    const char* R = Q;
    while (R != end_) {
      const char* q = R;
      if (!string::no_withespace(next(q, end_))) break;
      R = q;
    }
    std::ptrdiff_t indentation = 0;
    if (Q != begin_) {
      const char* run = Q;
      if (Q[-1] == ' ' || Q[-1] == '\t') {
        while (run != begin_ && (run[-1] == ' ' || run[-1] == '\t')) --run;
      } else {
        run = back(Q);
      }
      indentation = Q - run;
    }
    if (Q != S || !header_prefix_pattern.regex_match(Q, R) || indentation > 3) {
      return;
    }
    P = R;
    const auto found = find_end_of_header(R, end_);
    if (found.first) {
      mark(Q, R, 2);
      P = C = found.second;
    }
  }

  void field() {
    if (P - S > settings_.field_limit || P == end_) return;
    if (*P != ' ' && *P != '\n' && *P != '\r') return;
    const char* V = P;
    while (V != end_ && (*V == ' ' || *V == '\t')) ++V;
    if (V == end_ || *V == '\n') return;
    const char* T = P;
    while (T != end_ && *T != '\n') ++T;
    if (T == end_) return;
    ++T;
    if (T - V >= settings_.value_limit) return;
    const char* U = T;
    while (U != end_ && (*U == ' ' || *U == '\t')) ++U;
    if (U == end_) return;
    bool colon = false;
    for (const char* p = T; p != end_; ++p) {
      if (*p == ':') colon = true;
      if (*p == '\n') break;
    }
    if (colon || u_isupper(static_cast<UChar32>(next_char(U, end_)))) {
      N = settings_.line_limit;
    }
  }

  void emit() {
    const char* E = C;
    if (C != end_ && string::is_whitespace(static_cast<unsigned char>(*C))) {
      while (E != begin_ && string::is_whitespace(next_char(back(E), end_))) {
        E = back(E);
      }
    }
    if (S - begin_ < E - begin_) outcome_.sentences.emplace_back(S - begin_, E - begin_);
    bool nl;
    S = first_non_white(C, nl);
    W = P;
    C = nullptr;
    N = 0;
  }

  std::string& text_;
  const char* begin_;
  const char* end_;
  const SplitterSettings& settings_;
  const bool bound_word_start_;
  Outcome& outcome_;
  const char* P = nullptr;
  const char* Q = nullptr;
  const char* S = nullptr;
  const char* W = nullptr;
  const char* L = nullptr;
  const char* C = nullptr;
  int32_t N = 0;
  bool F = false;
};

Outcome plain_split(const std::string& text, const SplitterSettings& settings,
                    bool bound_word_start) {
  Outcome outcome;
  outcome.text = text;
  try {
    PlainSplitter(outcome.text, settings, bound_word_start, outcome).run();
  } catch (const std::exception& e) {
    outcome.error = e.what();
  }
  return outcome;
}

class RangeSink : public SentenceSink {
 public:
  explicit RangeSink(Outcome& outcome) : outcome_(outcome) {}
  void sentence(const char* text, const char* begin, const char* end) override {
    outcome_.sentences.emplace_back(begin - text, end - text);
  }

 private:
  Outcome& outcome_;
};

Outcome split(const std::string& text, const SplitterSettings& settings) {
  Outcome outcome;
  // Exactly the text's bytes: a read past either end is a sanitizer report.
  std::unique_ptr<char[]> buffer(new char[text.size()]);
  std::memcpy(buffer.get(), text.data(), text.size());
  std::deque<SpanMark> spans;
  RangeSink sink(outcome);
  try {
    split_sentences(buffer.get(), text.size(), settings, spans, sink);
  } catch (const std::exception& e) {
    outcome.error = e.what();
  }
  for (const SpanMark& span : spans) {
    outcome.spans.emplace_back(span.begin, span.end, span.kind);
  }
  outcome.text.assign(buffer.get(), text.size());
  return outcome;
}

// Fragments that steer the splitter, among letters, blanks and stray bytes.
const std::vector<std::string> kFragments = {
    "a",      "b",     "The",    "Dr",      "e.g.",   "Mr.",  "x",
    "12",     "1",     "iv",     "a)",      "2.",     ".",    "..",
    "?",      "!",     "?!",     "\u00BF",  "\u00A1", "\u2026", ")",
    "(",      "#",     "##",     "`",       "```",    ":",    "-",
    "--",     "*",     "+",      "@",       "/",      " ",    "  ",
    "\t",     "\n",    "\r",     "\r\n",    "\n\n",   "\n ", "-\n",
    "- \n",   "\u00A0", "\u00E0", "\u0445",  "\u201C", "\u201D", "\u00BB",
    "\u00C9", "Z",     "w",      "Subject", "\u3000", "\u2028", "\x85",
};

std::string random_text(std::mt19937& random, size_t fragments) {
  std::uniform_int_distribution<size_t> fragment(0, kFragments.size() - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> byte(0, 255);
  // A quarter of the texts get stray bytes, most of them not UTF-8.
  const bool stray_bytes = percent(random) < 25;
  std::string text;
  for (size_t i = 0; i < fragments; ++i) {
    const int roll = percent(random);
    if (roll < 2 && stray_bytes) {
      text += static_cast<char>(byte(random));
    } else if (roll < 4) {
      text.append(static_cast<size_t>(percent(random)) * 8, 'y');
    } else if (roll < 5) {
      text.append(2100, 'y');  // past the length cuts on its own
    } else {
      text += kFragments[fragment(random)];
    }
  }
  // Cut anywhere, also inside a character.
  if (!text.empty() && percent(random) < 20) {
    text.resize(std::uniform_int_distribution<size_t>(0, text.size())(random));
  }
  return text;
}

TEST(SentenceSplitterFuzz, RandomTextsCutAsThePlainRulesCutThem) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> percent(0, 99);
  const Regex abbreviations(R"(Dr\.|Mr\.|e\.g\.|iv\.|x\.)", false);
  const int32_t line_limits[] = {-1, 0, 1, 3, 7};
  int failures = 0;
  int invalid = 0;
  int changed_by_the_bound = 0;
  constexpr int kTexts = 6000;
  for (int i = 0; i < kTexts && failures < 5; ++i) {
    // Mostly short texts; some long enough for the length cuts.
    const size_t fragments = percent(random) < 5 ? 1500 : 60;
    const std::string text =
        random_text(random, std::uniform_int_distribution<size_t>(0, fragments)(random));
    SplitterSettings settings;
    settings.line_limit = line_limits[percent(random) % 5];
    settings.resolve_hyphen = percent(random) < 80;
    settings.abbreviations = percent(random) < 70 ? &abbreviations : nullptr;
    if (percent(random) < 30) {
      settings.field_limit = percent(random) % 12;
      settings.value_limit = percent(random) % 12;
    }
    const Outcome actual = split(text, settings);
    const Outcome expected = plain_split(text, settings, true);
    const Outcome unbounded = plain_split(text, settings, false);
    if (!expected.error.empty()) ++invalid;
    const auto report = [&](const char* what, const Outcome& wanted) {
      ++failures;
      ADD_FAILURE() << what << "\ntext: " << printable(text) << "\nline limit "
                    << settings.line_limit << ", hyphens "
                    << settings.resolve_hyphen << ", abbreviations "
                    << (settings.abbreviations != nullptr) << ", limits "
                    << settings.field_limit << "/" << settings.value_limit
                    << "\nexpected " << wanted << "\nactual   " << actual;
    };
    if (!(actual == expected)) {
      report("differs from the plain rules", expected);
    } else if (!(actual == unbounded) && !unbounded.word_before_sentence) {
      report("the word start bound changed another outcome", unbounded);
    } else if (!(actual == unbounded)) {
      ++changed_by_the_bound;
    }
  }
  // Texts whose outcome the bound changed came up.
  EXPECT_GT(changed_by_the_bound, 0);
  // Both kinds of text were tried.
  EXPECT_GT(invalid, 100);
  EXPECT_LT(invalid, kTexts - 1000);
}

// Long texts that defeat short look-arounds: few or no blanks, so the word
// and sentence scans would run far back or to the end of the text again and
// again. What the remembered and bounded scans find must be what the plain
// rules find.
TEST(SentenceSplitterFuzz, LongTextsWithoutWhiteSpaceCutAsThePlainRulesCutThem) {
  // The last alternative matches words that reach far back.
  const Regex abbreviations(R"(Dr\.|e\.g\.|a\.|(?:a\.-)+a\.)", false);
  const std::vector<std::string> units = {
      "a.",     "a.-",   "a.B.c-", "x",     "Dr.",   "e.g.",  "a@b.C/",
      "a.a.A",  "1.",    "a)",     "##",    "?",     "a: ",   ":",
      " \n",    "-\n \n", "-\nx",   "\u2026", "x\u00E0.", "a.\n",
  };
  for (const std::string& unit : units) {
    std::string text;
    while (text.size() < 6000) text += unit;
    for (const int32_t line_limit : {3, 0}) {
      for (const bool with_abbreviations : {false, true}) {
        SCOPED_TRACE(printable(unit) + " line limit " +
                     std::to_string(line_limit) +
                     (with_abbreviations ? " abbreviations" : ""));
        SplitterSettings settings;
        settings.line_limit = line_limit;
        settings.abbreviations = with_abbreviations ? &abbreviations : nullptr;
        const Outcome expected = plain_split(text, settings, true);
        ASSERT_TRUE(expected.error.empty()) << expected.error;
        EXPECT_EQ(split(text, settings), expected);
      }
    }
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
