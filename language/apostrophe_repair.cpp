#include "language/apostrophe_repair.h"

#include <utf8.h>

#include <algorithm>
#include <sstream>

#include "analysis/blackboard.h"
#include "analysis/navigation.h"
#include "base/exception.h"
#include "base/logging.h"
#include "base/normalize.h"
#include "base/regex.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

namespace zel {
namespace kavero {

namespace {

template <class Compose>
void trace(Compose&& compose) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace,
            std::forward<Compose>(compose));
}

// The document bytes from the first token's begin to the last one's end.
std::string document_stretch(const Blackboard& blackboard, const Token* first,
                             const Token* last) {
  const uint64_t size =
      std::min<uint64_t>(blackboard.text_length, blackboard.text.size());
  if (first->begin > last->end || last->end > size) {
    std::ostringstream message;
    message << "apostrophe repair: the tokens [" << first->begin << ", "
            << last->end << ") lie outside the document text of " << size
            << " bytes";
    throw Exception(message);
  }
  return blackboard.text.substr(first->begin, last->end - first->begin);
}

// Moves over one code point and the combining marks that follow it.
void step_character(const std::string& text, size_t& at) {
  auto it = text.begin() + at;
  utf8::next(it, text.end());
  while (it != text.end()) {
    auto peek = it;
    const uint32_t next = utf8::next(peek, text.end());
    if (!string::is_decomposed(static_cast<UChar>(next & 0xFFFF))) break;
    it = peek;
  }
  at = it - text.begin();
}

// What find_cut answers when the expression does not match, and when it
// matches without a group that took part.
constexpr int kNoMatch = -1;
constexpr int kNoGroup = -2;

// Matches the expression against the whole text: kNoMatch, kNoGroup, or
// the byte offset where the first group that took part ends (a group that
// took no part starts at the end of the text).
int find_cut(const Regex& expression, const std::string& text) {
  SMatch match;
  if (!expression.regex_match(text, match)) return kNoMatch;
  for (size_t i = 1; i < match.size(); ++i) {
    if (match[i].matched && match[i].first != text.end()) {
      const int cut = static_cast<int>(match[i].second - text.begin());
      trace([&](std::ostream& os) {
        os << "[APOSTROPH][GROUP]:[" << match[i].text << ":" << cut << "]";
      });
      return cut;
    }
  }
  return kNoGroup;
}

// Whether a cut leaves text on both sides.
bool cuts_inside(int cut, const std::string& text) {
  return cut > 0 && cut < static_cast<int>(text.size());
}

// Repairs the apostrophe token T; returns the last token of its group that
// is still in the list, after which the walk goes on.
Token* repair(Blackboard& blackboard, AnnotationCollection& list,
              Token* token) {
  if ((token->flags & token_flags::apostrophe) == 0) return token;

  Token* prev = find_previous_token(RawPtrIterator(token), 1);
  if (prev != nullptr && prev->end != token->begin) prev = nullptr;
  Token* next = find_next_token(RawPtrIterator(token), 1);
  if (next != nullptr && token->end != next->begin) next = nullptr;

  std::string joined;
  if (prev != nullptr) joined += prev->literal;
  joined += token->literal;
  if (next != nullptr) joined += next->literal;
  trace([&](std::ostream& os) { os << "[APOSTROPH][IN]:" << joined; });
  int cut = find_cut(blackboard.apostrophes, joined);

  // A word that the tokenizer kept whole ("don't") often touches
  // punctuation ("don't."), which the expression does not expect: when the
  // joined text fails, the word alone is tried, and only a cut inside it is
  // taken.
  if (cut == kNoMatch && (prev != nullptr || next != nullptr)) {
    trace([&](std::ostream& os) {
      os << "[APOSTROPH][IN]:" << token->literal;
    });
    const int alone = find_cut(blackboard.apostrophes, token->literal);
    if (cuts_inside(alone, token->literal)) {
      prev = nullptr;
      next = nullptr;
      joined = token->literal;
      cut = alone;
    }
  }

  if (cut == kNoMatch) {
    token->properties.erase("apostrophe");
    return token;
  }
  if (!cuts_inside(cut, joined)) {
    make_single_token(list, joined, prev, token, next);
    return token;
  }

  // When the literals are the document's bytes the cut is the same in both;
  // otherwise some token was normalised and the cut is mapped.
  const Token* first = prev != nullptr ? prev : token;
  const Token* last = next != nullptr ? next : token;
  const int mapped =
      document_stretch(blackboard, first, last) == joined
          ? cut
          : get_utf8_mapping_tbl(blackboard, joined, prev, token, next)[cut];
  make_split_token(list, joined, cut, mapped, prev, token, next);
  // The second part is T when P took the first, else the token after T:
  // N, or the token the split made.
  return prev != nullptr ? token : annotation_cast<Token>(token->next);
}

void repair_list(Blackboard& blackboard, AnnotationCollection& list) {
  Annotation* item = list.begin().get();
  while (item != nullptr) {
    if (auto* nested = annotation_cast<Sentence>(item)) {
      repair_list(blackboard, nested->annotations);
    } else if (auto* token = annotation_cast<Token>(item)) {
      item = repair(blackboard, list, token);
    }
    item = item->next;
  }
}

}  // namespace

void fix_apostrophes(Blackboard& blackboard, Sentence& sentence) {
  if (blackboard.apostrophes.empty() ||
      (sentence.flags & sentence_flags::has_apostrophe) == 0) {
    return;
  }
  repair_list(blackboard, sentence.annotations);
}

void make_single_token(AnnotationCollection& list, const std::string& joined,
                       Token* prev, Token* token, Token* next) {
  token->literal = joined;
  token->readings.clear();
  token->flags |= token_flags::apostrophe;
  if (prev != nullptr) {
    token->properties.insert(prev->properties.begin(), prev->properties.end());
    token->begin = prev->begin;
    list.erase(prev);
  }
  if (next != nullptr) {
    token->end = next->end;
    list.erase(next);
  }
}

void make_split_token(AnnotationCollection& list, const std::string& joined,
                      int cut, int mapped_cut, Token* prev, Token* token,
                      Token* next) {
  Token* first = nullptr;
  Token* second = nullptr;
  if (prev != nullptr) {
    first = prev;
    second = token;
  } else if (next != nullptr) {
    first = token;
    second = next;
  } else {
    // A word the tokenizer left whole ("It's"): the second part becomes a
    // token of its own right after T, made by the same break rule.
    first = token;
    second = new Token(token->begin, token->end, std::string());
    second->flags = token->flags;
    list.insert_after(token, second);
  }

  first->properties.clear();
  first->readings.clear();
  first->literal = joined.substr(0, cut);
  add_properties(first);
  first->end = first->begin + mapped_cut;
  first->flags |= token_flags::apostrophe;

  second->properties.clear();
  second->readings.clear();
  second->literal = joined.substr(cut);
  second->flags |= token_flags::apostrophe;
  second->begin = first->begin + mapped_cut;
  if (prev != nullptr && next != nullptr) second->end = next->end;
  add_properties(second);

  if (prev != nullptr && next != nullptr) list.erase(next);
}

std::vector<int> get_utf8_mapping_tbl(Blackboard& blackboard,
                                      const std::string& joined, Token* prev,
                                      Token* token, Token* next) {
  const std::string document =
      document_stretch(blackboard, prev != nullptr ? prev : token,
                       next != nullptr ? next : token);
  std::vector<int> table(joined.size() + 1, 0);
  size_t a = 0;
  size_t b = 0;
  while (b < document.size()) {
    step_character(document, b);
    if (a == joined.size()) {
      table[a] = static_cast<int>(b);
      break;
    }
    auto it = joined.begin() + a;
    utf8::next(it, joined.end());
    a = it - joined.begin();
    table[a] = static_cast<int>(b);
  }
  return table;
}

}  // namespace kavero
}  // namespace zel
