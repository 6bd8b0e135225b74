#include "language/sentence_repair.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <vector>

#include "analysis/blackboard.h"
#include "analysis/navigation.h"
#include "analysis/sentence_info.h"
#include "base/environment.h"
#include "base/normalize.h"
#include "language/dictionary_pass.h"
#include "language/reading.h"
#include "language/sentence_splitter.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

int get_kavero_max_nrof_tokens() {
  return zel::system::get_environment_int("KAVERO_MAX_NROF_TOKENS", 150);
}

namespace zel {
namespace kavero {

const std::map<std::string, std::pair<std::string, std::string>>
    closing_quote_map = {
        {"\"", {"\"", ""}},
        {"\u201E", {"\u201C", "\""}},
        {"'", {"'", ""}},
        {"\u00AB", {"\u00BB", ""}},
        {"\u201C", {"\u201D", "\u201C"}},
        {"\u201D", {"\u201C", "\u201D"}},
        {"\u2019", {"\u2018", ""}},
        {"\u2018", {"\u2019", ""}},
};

namespace {

const int kTokenLimit = get_kavero_max_nrof_tokens();

constexpr char kSentenceUri[] = "Sentence";
constexpr uint32_t kPropRoot = 0x4000000;

bool is_sentence_concept(const Annotation* annotation) {
  const Concept* c = annotation_cast<Concept>(annotation);
  return c != nullptr && c->uri == kSentenceUri;
}

bool first_reading_is(const Token* token, const char* pos) {
  return !token->readings.empty() && token->readings.front().pos() == pos;
}

bool has_own_property(const Token* token, const char* property) {
  return token->properties.count(property) != 0;
}

// The C library's capital test on the first byte of a text.
bool starts_with_ascii_capital(const std::string& text) {
  return !text.empty() && std::isupper(static_cast<unsigned char>(text[0]));
}

Token* last_token_of(const AnnotationCollection& list) {
  for (Annotation* a = list.tail; a != nullptr; a = a->prev) {
    if (Token* token = annotation_cast<Token>(a)) return token;
  }
  return nullptr;
}

// Sentence punctuation that does not end a sentence becomes a plain mark.
void demote(Token* token) {
  token->readings.clear();
  token->readings.emplace_back("Punct", token->literal, 1.0);
}

// Whether token `a` lies after token `b` of the same document. Tokens of a
// document come in order of their begin offsets; two tokens that begin at
// the same offset are not known to be in order.
bool lies_after(const Token* a, const Token* b) { return a->begin > b->begin; }

// The first token from `from` on (in its list and the lists the walk
// reaches by links) for which `wanted` holds; null when there is none.
template <typename Wanted>
Token* first_token_from(Annotation* from, Wanted&& wanted) {
  for (Annotation* a = from; a != nullptr; a = a->next) {
    Token* t = annotation_cast<Token>(a);
    if (t != nullptr && wanted(t)) return t;
  }
  return nullptr;
}

// The answer of a forward search for the first token with some quality,
// kept so that a later search from a later token reuses it instead of
// walking the same tokens again. A search starts just after `from`; its
// answer `found` (or none up to the end of the list) holds for every later
// start in the same list that lies before `found`, as long as the owner
// reports every token that gains or loses the quality (changed()) and
// forgets the answer when the list changes its end. The walk of a repair
// mostly moves forward, so every token is walked over a bounded number of
// times, not once per search.
struct RememberedSearch {
  bool valid = false;
  const Token* from = nullptr;
  Token* found = nullptr;

  // The remembered answer for a search after `token`, or false when it does
  // not apply.
  bool answer(const Token* token, Token*& out) const {
    if (!valid || (token != from && !lies_after(token, from))) return false;
    if (found != nullptr && !lies_after(found, token)) return false;
    out = found;
    return true;
  }
  void remember(const Token* token, Token* result) {
    valid = true;
    from = token;
    found = result;
  }
  // `token` has now the quality (`has`) or no longer has it.
  void changed(Token* token, bool has) {
    if (!valid || token == from) return;
    if (!lies_after(token, from)) {
      // Before the search, unless the order is not known.
      if (token->begin == from->begin) valid = false;
      return;
    }
    if (has) {
      if (found == nullptr || lies_after(found, token)) {
        found = token;
      } else if (found != token && found->begin == token->begin) {
        valid = false;
      }
    } else if (found == token) {
      valid = false;
    }
  }
};

// Cuts `sentence` before `first` as split_sentence does, but leaves the
// new sentence's initial token to the caller. The annotations from `first`
// on move in one step.
Sentence* cut_sentence(AnnotationCollection& document, Sentence* sentence,
                       Annotation* first) {
  AnnotationCollection& list = sentence->annotations;
  auto* made = new Sentence(first->begin, sentence->end);
  uint32_t cut_end = first->begin;
  if (const Token* before = find_previous_token(RawPtrIterator(first), 1)) {
    cut_end = before->end;
  }
  sentence->end = cut_end;
  document.insert_after(sentence, made);

  auto* concept_annotation = new Concept(made->begin, made->end, kSentenceUri);
  made->annotations.push_back(concept_annotation);
  made->annotations.splice_back(list, first);

  // The old end annotation now closes the new sentence's concept alone.
  Annotation* before_last =
      made->annotations.tail != nullptr ? made->annotations.tail->prev : nullptr;
  if (auto* old_end = annotation_cast<EndAnnotation>(before_last)) {
    old_end->concepts.clear();
    old_end->concepts.push_back(concept_annotation);
    concept_annotation->end_annotation = old_end;
  }

  auto* closing = new EndAnnotation(cut_end, cut_end);
  if (is_sentence_concept(list.head)) {
    auto* own = static_cast<Concept*>(list.head);
    own->end = cut_end;
    closing->add(own);
    own->end_annotation = closing;
  }
  list.push_back(closing);
  list.push_back(new EndOfStream(cut_end));
  return made;
}

// Joins the sentence after `sentence` into it as append_sentences does,
// without touching the sentence index. False when no sentence follows.
bool join_next_sentence(AnnotationCollection& document, Sentence* sentence) {
  Sentence* next = annotation_cast<Sentence>(sentence->next);
  if (next == nullptr) return false;

  AnnotationCollection& list = sentence->annotations;
  if (annotation_cast<EndOfStream>(list.tail) != nullptr) list.erase(list.tail);
  if (annotation_cast<EndAnnotation>(list.tail) != nullptr &&
      remove_safe_end_annotation_sentence(list.tail)) {
    list.erase(list.tail);
  }

  AnnotationCollection& joined = next->annotations;
  Annotation* joined_concept = nullptr;
  if (is_sentence_concept(joined.head)) joined_concept = joined.unlink(joined.head);
  if (joined.head != nullptr) list.splice_back(joined, joined.head);

  sentence->end = next->end;
  // Still names the joined sentence's concept, which is deleted below.
  fix_sentence_end_annotation(sentence);

  delete document.unlink(next);
  delete joined_concept;
  return true;
}

// The repair of one document, in time linear in its tokens: every cut moves
// the rest of a sentence in one step, the searches that look ahead (for a
// closing quote, for a word after a quote, for a new sentence's first word)
// remember their answers, and the sentence index is rebuilt once at the end
// rather than grown in the middle at every cut.
class Repair {
 public:
  explicit Repair(Blackboard& blackboard)
      : blackboard_(blackboard), document_(*blackboard.annotations) {}

  void run() {
    Annotation* a = document_.head;
    while (a != nullptr) {
      Sentence* sentence = annotation_cast<Sentence>(a);
      if (sentence == nullptr) {
        a = a->next;
        continue;
      }
      const Pass pass = run_pass(sentence);
      if (pass.cut) {
        a = pass.sentence;
      } else if (merge_condition(blackboard_, sentence, pass.last)) {
        join_next_sentence(document_, sentence);
        // The list grew at its end: an answer of "none up to the end" no
        // longer holds.
        forget_searches();
      } else {
        a = sentence->next;
        // Searches end with their sentence's list; the next sentence's
        // tokens were never searched.
        forget_searches();
      }
    }
    rebuild_index();
  }

 private:
  struct Pass {
    // The sentence in hand at the end: the last one a cut made.
    Sentence* sentence;
    bool cut;
    // The last token examined; what merge_condition is asked about.
    const Token* last;
  };

  void forget_searches() {
    for (RememberedSearch& search : closing_quotes_) search = RememberedSearch();
    word_after_ = RememberedSearch();
    first_word_ = RememberedSearch();
  }

  // One pair per sentence of the document list, in order.
  void rebuild_index() {
    auto& index = blackboard_.sentences;
    index.clear();
    for (Annotation* a = document_.head; a != nullptr; a = a->next) {
      if (Sentence* sentence = annotation_cast<Sentence>(a)) {
        index.emplace_back(sentence->begin, SentenceInfo(sentence));
      }
    }
  }

  // find_closing_quote, remembering one answer per row of the quote table.
  Token* closing_quote(const Token* token) {
    auto row = closing_quote_map.find(token->literal);
    if (row == closing_quote_map.end()) return nullptr;
    RememberedSearch& search =
        closing_quotes_[static_cast<size_t>(std::distance(closing_quote_map.begin(), row))];
    Token* found = nullptr;
    if (search.answer(token, found)) return found;
    const auto& [closing, alternative] = row->second;
    found = first_token_from(token->next, [&](const Token* t) {
      return t->literal == closing || (!alternative.empty() && t->literal == alternative);
    });
    search.remember(token, found);
    return found;
  }

  // Whether some token after `token` in its list is no sentence
  // punctuation. A remembered token must still be one: a demotion or a
  // new lookup may have changed its readings since.
  bool is_followed_by_word(const Token* token) {
    Token* found = nullptr;
    if (word_after_.answer(token, found) &&
        (found == nullptr || !is_punct_sentence(found))) {
      return found != nullptr;
    }
    found = first_token_from(token->next, [](const Token* t) { return !is_punct_sentence(t); });
    word_after_.remember(token, found);
    return found != nullptr;
  }

  // set_init_token_attribute on a sentence that a cut just made, whose
  // first annotation after its "Sentence" concept is `first`.
  void mark_first_word(Token* first) {
    Token* found = first;
    if (is_punctuation(first)) {
      const bool known = first_word_.answer(first, found) &&
                         (found == nullptr || !is_punctuation(found));
      if (!known) {
        found = first_token_from(first->next,
                                 [](const Token* t) { return !is_punctuation(t); });
        first_word_.remember(first, found);
      }
    }
    if (found == nullptr) return;
    found->properties.insert("init-token");
    found->properties.erase(token_property::not_found);
  }

  // Tells the remembered searches that the readings of `token` changed.
  void readings_changed(Token* token) {
    word_after_.changed(token, !is_punct_sentence(token));
    first_word_.changed(token, !is_punctuation(token));
  }

  // Sentence punctuation that does not end a sentence becomes a plain
  // mark; a pass that starts again before it must see it as such.
  void demote_token(Token* token) {
    demote(token);
    readings_changed(token);
  }

  // Cuts the sentence in hand before `first`; the new sentence becomes the
  // one in hand.
  Sentence* cut(Sentence* sentence, Token* first) {
    Sentence* made = cut_sentence(document_, sentence, first);
    mark_first_word(first);
    // The new lookup may give `first`, or the word after it, other readings.
    Token* following = annotation_cast<Token>(first->next);
    add_lowercase_morphdata(blackboard_, first);
    readings_changed(first);
    if (following != nullptr) readings_changed(following);
    return made;
  }

  // Whether an abbreviation at the end of a line is followed by a word that
  // starts a new sentence.
  bool abbreviation_ends_line(const Token* t1, const Token* t2) const {
    if (!is_abbrev(t1)) return false;
    const std::string& text = blackboard_.text;
    if (t1->end > t2->begin || t2->begin > text.size()) return false;
    return has_crlf_until_next_sentence_condition(text.data() + t1->end,
                                                  text.data() + t2->begin) &&
           !zel::string::starts_with_lowercase(t2->literal) &&
           !has_pos(t2, kPropRoot);
  }

  Pass run_pass(Sentence* sentence) {
    int steps = 0;
    int quotes = 0;
    bool cut_made = false;
    bool examined = false;
    const Token* last = nullptr;
    Annotation* prev = sentence->annotations.head;
    Annotation* cur = prev != nullptr ? prev->next : nullptr;

    auto move_on = [&] {
      prev = cur;
      cur = cur->next;
    };
    auto cut_before = [&](Token* first) {
      sentence = cut(sentence, first);
      cut_made = true;
    };

    while (cur != nullptr && cur->next != nullptr) {
      ++steps;
      Token* t1 = annotation_cast<Token>(prev);
      Token* t2 = annotation_cast<Token>(cur);
      if (t1 == nullptr || t2 == nullptr) {
        move_on();
        continue;
      }
      examined = true;
      last = t2;

      // Length.
      if (steps > kTokenLimit) {
        cut_before(t2);
        break;
      }

      // Quotation: a closed one is stepped over; an open one is counted.
      bool only_spacing_rules = false;
      if (is_quote(t1)) {
        Token* closing = closing_quote(t1);
        if (closing == nullptr) {
          ++quotes;
          only_spacing_rules = true;
        } else {
          Token* before = find_previous_token(RawPtrIterator(closing), 1);
          Token* after = find_next_token(RawPtrIterator(closing), 1);
          last = after;
          if (before != nullptr && after != nullptr &&
              is_punct_sentence(before) &&
              (init_cap(after) || is_quote(after))) {
            cut_before(after);
            break;
          }
          if (after == nullptr) break;
          if (is_opening_quote(after)) {
            cut_before(after);
            break;
          }
          quotes += 2;
          prev = after;
          cur = after->next;
          continue;
        }
      }

      if (!only_spacing_rules) {
        // A full stop split off a word that ends the sentence.
        if ((t1->flags & token_flags::sentence_end) != 0) {
          cut_before(t2);
          break;
        }
        // Adjacent tokens.
        if (is_punct_sentence(t1) &&
            (t2->begin == t1->end || t2->begin == t1->end + 1) &&
            !(init_cap(t2) && !has_own_property(t1, "abbrev") &&
              !has_own_property(t1, "hdr-prefix"))) {
          if (is_quote(t2)) {
            if (is_followed_by_word(t2)) {
              cut_before(t2);
              break;
            }
            move_on();
            continue;
          }
          if (is_punct_line(t2)) {
            if (t2->begin < blackboard_.text_length &&
                t2->literal.size() <= 4 && t2->literal[0] == '#') {
              cut_before(t2);
              break;
            }
            move_on();
            continue;
          }
          if (is_colum(t2)) {
            move_on();
            continue;
          }
        }
      }

      if (is_punct_sentence(t1)) {
        if (is_quote(t2)) {
          Annotation* after = t2->next;
          const bool is_token = annotation_cast<Token>(after) != nullptr;
          if (quotes % 2 == 1) {
            if (!is_token) break;
            if (starts_with_ascii_capital(t2->literal)) {
              if (!cut_made) {
                cut_before(t2);
                break;
              }
              prev = after;
              cur = after->next;
              continue;
            }
            move_on();
            continue;
          }
          if (!is_token) break;
          if (!cut_made) {
            cut_before(t2);
            break;
          }
          move_on();
          continue;
        }
        if (is_line_breaker(t2)) {
          if (!cut_made) {
            cut_before(t2);
            break;
          }
          move_on();
          continue;
        }
        // Followed by more sentence punctuation or by anything else that
        // does not end the sentence here.
        demote_token(t1);
        move_on();
        continue;
      }

      if (abbreviation_ends_line(t1, t2)) {
        cut_before(t2);
        prev = t2;
        cur = t2->next;
        continue;
      }
      move_on();
    }

    // A sentence of a single token examines no pair; its token is its last
    // word. The last token examined never comes from an earlier sentence.
    if (!examined) last = last_token_of(sentence->annotations);
    return Pass{sentence, cut_made, last};
  }

  Blackboard& blackboard_;
  AnnotationCollection& document_;
  // One per row of closing_quote_map, in its order.
  std::vector<RememberedSearch> closing_quotes_ =
      std::vector<RememberedSearch>(closing_quote_map.size());
  RememberedSearch word_after_;
  RememberedSearch first_word_;
};

}  // namespace

bool is_quote(const Token* token) {
  return std::any_of(token->readings.begin(), token->readings.end(),
                     [](const MorphData& r) { return r.pos() == "Punct-Quote"; });
}

bool is_punct_sentence(const Token* token) {
  return first_reading_is(token, "Punct-Sent");
}

bool is_punct_line(const Token* token) {
  return first_reading_is(token, "Punct-Line");
}

bool is_line_breaker(const Token* token) {
  return first_reading_is(token, "Punct");
}

bool is_colum(const Token* token) {
  return !token->literal.empty() && token->literal[0] == ':';
}

bool is_abbrev(const Token* token) { return has_own_property(token, "abbrev"); }

bool is_opening_quote(const Token* token) {
  return closing_quote_map.count(token->literal) != 0;
}

Token* find_closing_quote(const Token* token) {
  auto row = closing_quote_map.find(token->literal);
  if (row == closing_quote_map.end()) return nullptr;
  const auto& [closing, alternative] = row->second;
  for (Annotation* a = token->next; a != nullptr; a = a->next) {
    Token* t = annotation_cast<Token>(a);
    if (t == nullptr) continue;
    if (t->literal == closing ||
        (!alternative.empty() && t->literal == alternative)) {
      return t;
    }
  }
  return nullptr;
}

bool remove_safe_end_annotation_sentence(Annotation* annotation) {
  EndAnnotation* end = annotation_cast<EndAnnotation>(annotation);
  if (end == nullptr) return false;
  auto found = std::find_if(end->concepts.begin(), end->concepts.end(),
                            is_sentence_concept);
  if (found != end->concepts.end()) end->concepts.erase(found);
  return end->concepts.empty();
}

void fix_sentence_end_annotation(Sentence* sentence) {
  AnnotationCollection& list = sentence->annotations;
  if (!is_sentence_concept(list.head)) return;
  auto* concept_annotation = static_cast<Concept*>(list.head);
  EndAnnotation* end = nullptr;
  for (Annotation* a = list.tail; a != nullptr && end == nullptr; a = a->prev) {
    end = annotation_cast<EndAnnotation>(a);
  }
  if (end == nullptr) return;
  remove_safe_end_annotation_sentence(end);
  end->add(concept_annotation);
  concept_annotation->end = end->end;
  concept_annotation->end_annotation = end;
}

void set_init_token_attribute(AnnotationCollection& list) {
  for (Annotation* a = list.head; a != nullptr; a = a->next) {
    Token* token = annotation_cast<Token>(a);
    if (token == nullptr || is_punctuation(token)) continue;
    token->properties.insert("init-token");
    token->properties.erase(token_property::not_found);
    return;
  }
}

Sentence* split_sentence(AnnotationCollection& document, Sentence* sentence,
                         Annotation* first) {
  Sentence* made = cut_sentence(document, sentence, first);
  set_init_token_attribute(made->annotations);
  return made;
}

std::pair<Sentence*, size_t> append_sentences(Blackboard& blackboard,
                                              AnnotationCollection& document,
                                              size_t index_position,
                                              Sentence* sentence) {
  Sentence* next = annotation_cast<Sentence>(sentence->next);
  if (next == nullptr) return {nullptr, kNoIndexPosition};
  auto& index = blackboard.sentences;
  auto pair = std::find_if(index.begin(), index.end(),
                           [&](const std::pair<uint32_t, SentenceInfo>& p) {
                             return p.second.sentence == next;
                           });
  if (pair != index.end()) index.erase(pair);
  join_next_sentence(document, sentence);
  return {sentence, index_position};
}

bool merge_condition(const Blackboard& blackboard, const Sentence* sentence,
                     const Token* token) {
  (void)blackboard;
  if (token == nullptr || !starts_with_ascii_capital(token->literal) ||
      !has_property(*token, "giv")) {
    return false;
  }
  const Sentence* next = annotation_cast<Sentence>(sentence->next);
  if (next == nullptr || next->annotations.head == nullptr) return false;
  const Token* first =
      find_next_token(RawPtrIterator(next->annotations.head), 1);
  return first != nullptr && first->literal.size() > 3 &&
         starts_with_ascii_capital(first->literal) &&
         has_property(*first, "fam");
}

void fix_sentences(Blackboard& blackboard) {
  if (blackboard.annotations == nullptr) return;
  Repair(blackboard).run();
}

}  // namespace kavero
}  // namespace zel
