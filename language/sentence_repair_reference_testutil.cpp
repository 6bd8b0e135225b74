#include "language/sentence_repair_reference_testutil.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>

#include "analysis/blackboard.h"
#include "analysis/navigation.h"
#include "analysis/sentence_info.h"
#include "base/normalize.h"
#include "language/dictionary_pass.h"
#include "language/reading.h"
#include "language/sentence_repair.h"
#include "language/sentence_splitter.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

namespace zel {
namespace testing {

namespace {

using namespace kavero;

const int kTokenLimit = get_kavero_max_nrof_tokens();

constexpr uint32_t kPropRoot = 0x4000000;

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

// Whether some token after `token` in its list is no sentence punctuation.
bool is_followed_by_word(const Token* token) {
  for (Annotation* a = token->next; a != nullptr; a = a->next) {
    const Token* t = annotation_cast<Token>(a);
    if (t != nullptr && !is_punct_sentence(t)) return true;
  }
  return false;
}

// The repair of one document: the sentence index position walks in step
// with the sentence in hand.
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
        append_sentences(blackboard_, document_, index_, sentence);
      } else {
        a = sentence->next;
        ++index_;
      }
    }
  }

 private:
  struct Pass {
    // The sentence in hand at the end: the last one a cut made.
    Sentence* sentence;
    bool cut;
    // The last token examined; what merge_condition is asked about.
    const Token* last;
  };

  // Cuts the sentence in hand before `first`; the new sentence becomes the
  // one in hand and its index pair the current one.
  Sentence* cut(Sentence* sentence, Token* first) {
    Sentence* made = split_sentence(document_, sentence, first);
    auto& index = blackboard_.sentences;
    const size_t at = std::min(index_ + 1, index.size());
    index.insert(index.begin() + static_cast<std::ptrdiff_t>(at),
                 {made->begin, SentenceInfo(made)});
    index_ = at;
    add_lowercase_morphdata(blackboard_, first);
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
        Token* closing = find_closing_quote(t1);
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
        demote(t1);
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
  size_t index_ = 0;
};

}  // namespace

void reference_fix_sentences(Blackboard& blackboard) {
  if (blackboard.annotations == nullptr) return;
  Repair(blackboard).run();
}

}  // namespace testing
}  // namespace zel
