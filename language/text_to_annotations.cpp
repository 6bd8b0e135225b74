// Analyzer::text_to_annotations and the ICU sentence splitter.
//
// text_to_annotations turns the text of one document into sentences, tokens
// and dictionary readings on its blackboard: the option "sentyziser" picks
// the splitter ("icu" the ICU sentence-break iterator, anything else the
// character-level splitter), the splitter cuts the text and tokenizes every
// sentence, then the dictionary pass gives the tokens their readings and
// the sentence repair corrects the boundaries (it may rely on the
// readings).
//
// The ICU splitter ends a sentence at every boundary of ICU's sentence-break
// iterator for the "tokenizer_locale", except where the analyzer's option
// "multiline" joins lines: a line that ends in one of its connector
// characters (blanks and tabs after it allowed) continues on the next line,
// unless a blank line follows; at most five ICU sentences become one.
// Boundaries are UTF-16 positions; the blackboard's offset table (or, for a
// blackboard without one, a table made here) turns them into byte offsets.
// A stretch that yields no token makes no sentence; every other one,
// however short, is kept with its tokens.

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "analysis/sentence_info.h"
#include "base/exception.h"
#include "base/logging.h"
#include "language/dictionary_pass.h"
#include "language/offset_table.h"
#include "language/sentence_repair.h"
#include "language/tokenizer.h"

namespace zel {
namespace kavero {

namespace {

// The most ICU sentences that joining makes into one.
constexpr int kMostJoined = 5;

// The connector characters of the "multiline" text, as code points.
std::vector<UChar32> connector_characters(const std::string& text) {
  std::vector<UChar32> characters;
  const icu::UnicodeString units = icu::UnicodeString::fromUTF8(text);
  for (int32_t i = 0; i < units.length(); i = units.moveIndex32(i, 1)) {
    characters.push_back(units.char32At(i));
  }
  return characters;
}

std::unique_ptr<icu::BreakIterator> sentence_iterator(
    const std::string& locale_name) {
  const icu::Locale locale = locale_name.empty()
                                 ? icu::Locale::getDefault()
                                 : icu::Locale(locale_name.c_str());
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> iterator;
  if (!locale.isBogus()) {
    iterator.reset(icu::BreakIterator::createSentenceInstance(locale, status));
  }
  if (locale.isBogus() || U_FAILURE(status) || iterator == nullptr) {
    std::ostringstream message;
    message << "[Language] Could not create the sentence break iterator for "
               "the locale \""
            << locale_name << "\"";
    if (U_FAILURE(status)) message << ": " << u_errorName(status);
    throw Exception(message);
  }
  return iterator;
}

// Whether the boundary at `end` is joined over: the line before it ends in
// a connector and the line after it is no blank line.
bool joins_lines(const icu::UnicodeString& text, int32_t end,
                 int32_t segment_start,
                 const std::vector<UChar32>& connectors) {
  constexpr char16_t kLineFeed = 0x0A;
  if (end >= text.length() || text.charAt(end) == kLineFeed) return false;
  if (end - 2 < segment_start || text.charAt(end - 1) != kLineFeed) return false;
  if (text.charAt(end - 2) == kLineFeed) return false;
  int32_t at = end - 2;
  while (at > 0 && (text.charAt(at) == u' ' || text.charAt(at) == u'\t')) --at;
  const UChar32 last = text.char32At(at);
  for (UChar32 c : connectors) {
    if (c == last) return true;
  }
  return false;
}

}  // namespace

void Analyzer::text_to_annotations(Blackboard& blackboard, const char* text,
                                   unsigned long length) const {
  if (get_sentyziser_option(blackboard) == "icu") {
    text_to_annotations_icu(blackboard, text, length);
  } else {
    text_to_annotations_v2(blackboard, text, length);
  }
  add_dictionary_lookup_information(blackboard);
  fix_sentences(blackboard);
}

void Analyzer::text_to_annotations_icu(Blackboard& blackboard,
                                       const char* text,
                                       unsigned long length) const {
  std::unique_ptr<icu::BreakIterator> iterator =
      sentence_iterator(get_tokenizer_locale(blackboard));

  if (length > static_cast<unsigned long>(INT32_MAX)) {
    std::ostringstream message;
    message << "[Language] The text is too long for the ICU sentence "
               "splitter: "
            << length << " bytes";
    throw Exception(message);
  }

  // Byte offsets of UTF-16 positions: the document's table, or one made
  // here while converting when the blackboard has none.
  icu::UnicodeString units;
  std::shared_ptr<OffsetTable16> own_table;
  const std::vector<uint32_t>* table = nullptr;
  if (blackboard.offset_table != nullptr) {
    units = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text, static_cast<int32_t>(length)));
    table = &blackboard.offset_table->utf16_to_byte;
  } else {
    own_table = get_offset_mapping_table(text, text + length, units);
    table = own_table.get();
  }
  iterator->setText(units);

  const std::string multiline = option("multiline");
  const bool joining = !multiline.empty();
  const std::vector<UChar32> connectors = connector_characters(multiline);
  if (joining) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, [&](std::ostream& os) {
      os << "Sentence Connectors: [" << multiline << "]";
    });
  }

  AnnotationCollection& document = *blackboard.annotations;
  int32_t start = iterator->first();
  int32_t segment_start = start;
  int joined = 1;
  for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE;
       end = iterator->next()) {
    if (joining && joined < kMostJoined &&
        joins_lines(units, end, segment_start, connectors)) {
      ++joined;
      segment_start = end;
      continue;
    }
    const uint32_t begin_byte = table->at(static_cast<size_t>(start));
    const uint32_t end_byte = table->at(static_cast<size_t>(end));
    auto* sentence = new Sentence(begin_byte, end_byte);
    document.push_back(sentence);
    try {
      tokenize(blackboard, text + begin_byte, text + end_byte);
    } catch (...) {
      // A sentence the tokenizer did not finish does not stay behind.
      document.erase(sentence);
      throw;
    }
    if (sentence->annotations.empty()) {
      document.erase(sentence);
    } else {
      blackboard.sentences.emplace_back(sentence->begin, SentenceInfo(sentence));
    }
    start = segment_start = end;
    joined = 1;
  }
}

}  // namespace kavero
}  // namespace zel
