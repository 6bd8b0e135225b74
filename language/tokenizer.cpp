#include "language/tokenizer.h"

#include <cstdint>
#include <deque>
#include <sstream>
#include <string>
#include <unordered_map>

#include <unicode/uchar.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "base/normalize.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "base/unicode.h"
#include "language/language_module.h"
#include "language/measurement.h"
#include "language/token_flags.h"
#include "language/token_map.h"
#include "language/token_properties.h"
#include "language/tokenizer_facade.h"

namespace zel {
namespace kavero {

namespace {

// Typographic marks that every token literal writes in ASCII: the single
// quotation marks become an apostrophe (so "John’s" reads like "John's"),
// the en dash a hyphen-minus.
const std::unordered_map<UChar, UChar> kSubstitutions = {
    {0x2018, 0x0027},
    {0x2019, 0x0027},
    {0x2013, 0x002D},
};

// Rule statuses with a meaning of their own.
constexpr int32_t kNoStatus = 0;
constexpr int32_t kSentencePunctuation = 501;
constexpr int32_t kUrl = 621;
constexpr int32_t kMarkup = 512;
constexpr int32_t kApostrophe = 513;
// Statuses of 1000 and more without rows become a property.
constexpr int32_t kFirstPropertyStatus = 1000;

// The statuses whose tokens may be measurements (numbers, words, numbers
// with letters, currency, measures).
bool may_be_measurement(int32_t status) {
  return status == 100 || status == 200 || status == 511 || status == 514 ||
         status == 700;
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

const TokenMap& token_map_of(const Blackboard& blackboard) {
  const std::shared_ptr<LanguageModule>& module = blackboard.language_module;
  if (module && module->module_data) return module->module_data->token_map;
  return init_token_map();
}

// Appends the reading (part of speech, the literal as stem) unless the
// token has it already: the rows of a measurement's status come after the
// cut, which gave the piece that keeps the status its reading.
void add_reading_once(Token* token, const std::string& pos) {
  for (const MorphData& reading : token->readings) {
    if (reading.pos() == pos && reading.stem == token->literal) return;
  }
  token->readings.emplace_back(pos, token->literal, 1.0);
}

// Cuts one sentence into tokens.
class SentenceTokenizer {
 public:
  SentenceTokenizer(Blackboard& blackboard, Sentence& sentence,
                    const OffsetTable16* table)
      : blackboard_(blackboard),
        sentence_(sentence),
        facade_(*blackboard.tokenizer),
        table_(table),
        base_(sentence.begin),
        token_map_(token_map_of(blackboard)) {}

  void run(const icu::UnicodeString& sentence_text);

 private:
  // The byte offset, from the sentence's begin, of a UTF-16 offset.
  uint32_t map(int32_t index) const {
    const auto i = static_cast<size_t>(index);
    return table_ != nullptr && i < table_->size() ? (*table_)[i]
                                                   : static_cast<uint32_t>(i);
  }

  // The rule status of the iterator's current boundary; 0 without rules.
  int32_t current_status() const {
    icu::RuleBasedBreakIterator* rules = facade_.rule_iterator();
    return rules != nullptr ? rules->getRuleStatus() : kNoStatus;
  }

  bool is_url_start(int32_t start, int32_t end) const {
    // Made once: every token asks.
    static const icu::UnicodeString kHttp(u"http");
    static const icu::UnicodeString kHttps(u"https");
    const icu::UnicodeString piece = text().tempSubStringBetween(start, end);
    return piece == kHttp || piece == kHttps;
  }

  const icu::UnicodeString& text() const { return facade_.text(); }

  // Makes the token [start, end) of the sentence text; `status` is the rule
  // status of the boundary that ends it.
  void make_token(int32_t start, int32_t end, int32_t status,
                  uint64_t span_kind, bool url_seen);
  void measure(Token* token, int32_t status);
  void apply_token_map(Token* token, int32_t status);

  Blackboard& blackboard_;
  Sentence& sentence_;
  TokenizerFacade& facade_;
  const OffsetTable16* table_;
  const uint32_t base_;
  const TokenMap& token_map_;
};

void SentenceTokenizer::run(const icu::UnicodeString& sentence_text) {
  facade_.set_text(sentence_text);
  icu::BreakIterator& iterator = *facade_.iterator();
  std::deque<SpanMark>& spans = blackboard_.spans;
  constexpr int32_t kDone = icu::BreakIterator::DONE;

  int32_t start = iterator.first();
  int32_t end = iterator.next();
  // The rule statuses of the boundaries at `start` and at `end`.
  int32_t start_status = kNoStatus;
  int32_t end_status = end != kDone ? current_status() : kNoStatus;
  int32_t token_start = start;
  bool url_mode = false;
  bool in_span = false;
  bool url_seen = false;

  for (; end != kDone;
       start = end, start_status = end_status, end = iterator.next(),
       end_status = end != kDone ? current_status() : kNoStatus) {
    const bool space = is_space_section(start, end, text());
    if (space && !url_mode) {
      // White space inside a forced span ("z. B.") belongs to its token.
      if (!in_span) token_start = end;
      continue;
    }
    // Everything up to the next white space belongs to the URL.
    if (!space && url_mode) continue;

    // The white space that closes a URL is not part of it.
    const int32_t token_end_index = space ? start : end;
    const int32_t token_status = space ? start_status : end_status;
    const uint32_t piece_begin = base_ + map(start);
    const uint32_t token_end = base_ + map(token_end_index);

    // Spans the sentence splitter forced: one token from the piece where a
    // span begins to the piece where it ends. Spans left behind (one that
    // began inside a token) are dropped.
    uint64_t span_kind = 0;
    if (!in_span) {
      while (!spans.empty() && spans.front().begin < piece_begin) {
        spans.pop_front();
      }
    }
    if (!spans.empty() && (in_span || spans.front().begin == piece_begin)) {
      if (spans.front().end > token_end) {
        in_span = true;
        url_mode = false;
        continue;
      }
      span_kind = spans.front().kind;
      spans.pop_front();
    }

    if (is_url_start(start, end)) {
      url_mode = true;
      url_seen = true;
      in_span = false;
      continue;
    }

    make_token(token_start, token_end_index, token_status, span_kind,
               url_seen);
    token_start = end;
    url_mode = false;
    in_span = false;
    url_seen = false;
  }

  // A URL (or a forced span) still open when the text ends is a token too:
  // no text is lost. `start` is the end of the text here.
  if (token_start < start) {
    make_token(token_start, start, start_status, 0, url_seen);
  }
}

void SentenceTokenizer::make_token(int32_t start, int32_t end, int32_t status,
                                   uint64_t span_kind, bool url_seen) {
  std::string literal;
  get_substring_data(text(), static_cast<unsigned>(start),
                     static_cast<unsigned>(end - start))
      .toUTF8String(literal);
  auto* token = new Token(base_ + map(start), base_ + map(end), literal);
  sentence_.annotations.push_back(token);

  if ((span_kind & SpanMark::kAbbreviation) != 0) {
    token->flags |= token_flags::abbreviation_range;
  }
  if ((span_kind & SpanMark::kHeaderPrefix) != 0) {
    token->flags |= token_flags::header_range;
  }
  add_properties(token);

  if (facade_.rule_iterator() == nullptr) {
    status = url_seen ? kUrl : kNoStatus;
  }
  if (status == kNoStatus) return;

  measure(token, status);

  if (status == kSentencePunctuation &&
      blackboard_.punct_offsets.count(token->end) > 0) {
    token->readings.clear();
    token->readings.emplace_back("Punct", token->literal, 1.0);
    return;
  }

  if (status == kUrl) {
    // The stem is the address up to its path.
    const std::string stem =
        token->literal.substr(0, string::findn(token->literal, '/', 3));
    token->readings.emplace_back("Url", stem, 1.0);
    token->readings.back().weight = 100.0;
    token->flags |= token_flags::readings_final;
    token->properties.insert(token_property::internet);
    remove_token_property(token, token_property::not_found);
    return;
  }

  apply_token_map(token, status);
}

void SentenceTokenizer::measure(Token* token, int32_t status) {
  const Regex& measures = blackboard_.measures;
  if (measures.empty() || !may_be_measurement(status)) return;
  bool measured = false;
  if (!token->literal.empty()) {
    const char* it = token->literal.data();
    const uint32_t first =
        string::unicode::next(it, it + token->literal.size());
    // The match refers into its subject, which the cut rewrites: match a
    // copy.
    const std::string subject = token->literal;
    SMatch match;
    if (!u_isUAlphabetic(static_cast<UChar32>(first)) &&
        measures.regex_match(subject, match)) {
      apply_measurement(&sentence_, token, match);
      measured = true;
    }
  }
  // A number with letters that is no measurement keeps the readings the
  // token map gives it.
  if (!measured && status == 511) {
    token->flags |= token_flags::readings_final;
  }
}

void SentenceTokenizer::apply_token_map(Token* token, int32_t status) {
  const auto rows = token_map_.equal_range(status);
  if (rows.first == rows.second) {
    if (status >= kFirstPropertyStatus) {
      token->properties.insert(token_property::status_prefix +
                               std::to_string(status));
    }
    return;
  }
  for (auto row = rows.first; row != rows.second; ++row) {
    set_property_lookup_flag(&sentence_, token,
                             static_cast<unsigned long>(status));
    const std::string& entry = row->second;
    if (!entry.empty() && entry[0] == '+') {
      add_reading_once(token, entry.substr(1));
    } else if (!entry.empty() && entry[0] == '-') {
      const std::string pos = entry.substr(1);
      for (auto reading = token->readings.begin();
           reading != token->readings.end(); ++reading) {
        if (reading->pos() == pos) {
          token->readings.erase(reading);
          break;
        }
      }
      token->properties.insert(token_property::not_found);
    } else {
      token->properties.insert(entry);
    }
  }
}

// Brackets the sentence's tokens with its "Sentence" concept and end
// annotation and closes the list; false (nothing added) for an empty list.
bool close_sentence(Sentence& sentence) {
  AnnotationCollection& list = sentence.annotations;
  if (list.empty()) return false;
  sentence.begin = list.head->begin;
  sentence.end = list.tail->end;
  auto* concept_annotation =
      new Concept(sentence.begin, sentence.end, "Sentence");
  list.insert_before(list.head, concept_annotation);
  auto* closing = new EndAnnotation(sentence.end, sentence.end);
  closing->add(concept_annotation);
  concept_annotation->end_annotation = closing;
  list.push_back(closing);
  list.push_back(new EndOfStream(sentence.end));
  return true;
}

}  // namespace

bool tokenize(Blackboard& blackboard, const char* begin, const char* end) {
  icu::UnicodeString text;
  std::shared_ptr<OffsetTable16> table =
      get_offset_mapping_table(begin, end, text);
  return tokenize(blackboard, text, std::move(table));
}

bool tokenize(Blackboard& blackboard, const icu::UnicodeString& text,
              std::shared_ptr<OffsetTable16> table) {
  Sentence* sentence =
      blackboard.annotations
          ? annotation_cast<Sentence>(blackboard.annotations->tail)
          : nullptr;
  if (sentence == nullptr) {
    fail("Cannot tokenize: the document list does not end with a sentence.");
  }
  if (!blackboard.tokenizer || blackboard.tokenizer->iterator() == nullptr) {
    fail("Cannot tokenize: the document has no tokenizer (no language is "
         "bound).");
  }
  SentenceTokenizer(blackboard, *sentence, table.get()).run(text);
  return close_sentence(*sentence);
}

icu::UnicodeString get_substring_data(const icu::UnicodeString& text,
                                      unsigned start, unsigned length) {
  icu::UnicodeString piece(text, static_cast<int32_t>(start),
                           static_cast<int32_t>(length));
  if (string::is_decomposed(piece)) piece = string::compose(piece);
  for (int32_t i = 0; i < piece.length(); ++i) {
    // Every mark substituted lies in U+2013..U+2019; most characters are
    // told apart without the table.
    const UChar c = piece.charAt(i);
    if (c < 0x2013 || c > 0x2019) continue;
    const auto found = kSubstitutions.find(c);
    if (found != kSubstitutions.end()) piece.setCharAt(i, found->second);
  }
  return piece;
}

bool is_space_section(int start, int end, const icu::UnicodeString& text) {
  for (int i = start; i < end; ++i) {
    if (!u_isspace(text.charAt(i))) return false;
  }
  return true;
}

void set_property_lookup_flag(Sentence* sentence, Token* token,
                              unsigned long status) {
  if (status >= 2000 && status <= 2999) {
    token->flags |= token_flags::property_lookup;
  }
  if ((status >= 500 && status <= 509) || (status >= 3000 && status <= 4000)) {
    token->flags |= token_flags::skip_lookup;
  }
  if (status == kMarkup) token->flags |= token_flags::markup;
  if (status == kApostrophe) {
    token->flags |= token_flags::apostrophe;
    sentence->flags |= sentence_flags::has_apostrophe;
  }
}

bool is_punctuation(Blackboard& blackboard,
                    icu::RuleBasedBreakIterator* iterator) {
  const auto rows = token_map_of(blackboard).equal_range(
      iterator->getRuleStatus());
  for (auto row = rows.first; row != rows.second; ++row) {
    if (row->second.compare(0, 6, "+Punct") == 0) return true;
  }
  return false;
}

}  // namespace kavero
}  // namespace zel
