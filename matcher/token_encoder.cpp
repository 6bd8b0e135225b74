#include "matcher/token_encoder.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <stdexcept>

#include <utf8.h>

#include "base/normalize.h"

namespace zel {
namespace kavero {
namespace idstrm {

TokenEncoder::TokenEncoder(std::shared_ptr<const EncoderArcs> arcs, const EncoderSymbols& symbols)
    : arcs_(std::move(arcs)), symbols_(&symbols), sorted_(arcs_->sorted()) {
  stack_.reserve(50);
}

TokenEncoder::TokenEncoder(const std::shared_ptr<fst::StdVectorFst>& transducer,
                           const EncoderSymbols& symbols, bool sorted)
    : TokenEncoder(std::make_shared<const EncoderArcs>(*transducer, symbols, sorted), symbols) {}

void TokenEncoder::sub_matcher(Input& input) {
  const size_t depth = stack_.size();
  if (depth == 0) return;
  while (stack_.size() >= depth) {
    Entry& top = stack_.back();
    if (top.next == top.end) {
      input = top.input;
      stack_.pop_back();
      continue;
    }
    // Moved past first: check() may push, which moves the entries.
    const EncoderArc& arc = *top.next++;
    check(arc, input);
  }
}

void TokenEncoder::encode(Token& token, Sentence& sentence) {
  current_token = &token;
  current_sentence = &sentence;
  current_reading = nullptr;
  part_of_speech_mode = false;
  property_counts_ready_ = false;
  decoded_at_ = nullptr;
  token.encodings.clear();
  if (!arcs_->has_start()) return;
  // At the literal's end: every path must begin with a command.
  const char* begin = token.literal.data();
  const char* end = begin + token.literal.size();
  Input input{begin, end, end};
  stack_.clear();
  stack_.push_back(Entry{arcs_->start_begin(), arcs_->start_end(), input});
  // The ids are ascending: each distinct one enters the sentence once, also
  // those emitted before a faulty label stopped the search.
  const auto add_ids = [&] {
    auto hint = sentence.ids.begin();
    for (size_t i = 0; i < token.encodings.size(); ++i) {
      if (i > 0 && token.encodings[i] == token.encodings[i - 1]) continue;
      hint = sentence.ids.insert(hint, token.encodings[i] | Sentence::kTokenIdBit);
      sentence.changed = true;
    }
  };
  try {
    sub_matcher(input);
  } catch (...) {
    add_ids();
    throw;
  }
  add_ids();
}

void TokenEncoder::continue_over(const EncoderArc& arc, const std::string& text) {
  // The entry keeps the input this path had; the nested search ends with
  // its removal.
  const char* begin = text.data();
  Input local{begin, begin + text.size(), begin};
  push(arc, local);
  sub_matcher(local);
}

void TokenEncoder::continue_at_end(const EncoderArc& arc, const Input& input) {
  push(arc, input);
  // The property command goes on at the end of an empty text.
  static const char kNoText[] = "";
  Input local{kNoText, kNoText, kNoText};
  sub_matcher(local);
}

uint32_t TokenEncoder::property_count(uint32_t index) {
  if (!property_counts_ready_) {
    property_counts_ready_ = true;
    property_counts_.clear();
    // The token's own properties count once each, marked by a count of 0
    // while the readings are added.
    for (const std::string& text : current_token->properties) {
      const int i = symbols_->property_index(text);
      if (i >= 0) property_counts_.emplace_back(static_cast<uint32_t>(i), 0);
    }
    const size_t own = property_counts_.size();
    for (const MorphData& reading : current_token->readings) {
      for (const std::string& text : reading.properties) {
        const int i = symbols_->property_index(text);
        if (i < 0) continue;
        bool found = false;
        for (size_t k = 0; k < property_counts_.size(); ++k) {
          if (property_counts_[k].first != static_cast<uint32_t>(i)) continue;
          if (k >= own) ++property_counts_[k].second;
          found = true;
          break;
        }
        if (!found) property_counts_.emplace_back(static_cast<uint32_t>(i), 1);
      }
    }
    for (size_t k = 0; k < own; ++k) property_counts_[k].second = 1;
    std::sort(property_counts_.begin(), property_counts_.end());
  }
  for (const auto& [i, count] : property_counts_) {
    if (i == index) return count;
  }
  return 0;
}

void TokenEncoder::skip_to(uint64_t key) {
  Entry& top = stack_.back();
  top.next = std::lower_bound(top.next, top.end, key,
                              [](const EncoderArc& arc, uint64_t k) { return arc.key < k; });
}

uint32_t TokenEncoder::code_point(const Input& input, const char** after) {
  if (input.current != decoded_at_) {
    const char* at = input.current;
    decoded_ = utf8::next(at, input.end);
    decoded_after_ = at;
    decoded_at_ = input.current;
  }
  *after = decoded_after_;
  return decoded_;
}

void TokenEncoder::check(const EncoderArc& arc, Input& input) {
  if (arc.faulty) throw std::out_of_range("token encoder: an arc label without a symbol text");
  const bool at_end = input.at_end();
  const char* after = nullptr;
  switch (arc.kind) {
    case EncoderSymbolKind::kNothing:
      return;
    case EncoderSymbolKind::kAny:
      if (at_end) return;
      code_point(input, &after);
      break;
    case EncoderSymbolKind::kClass:
      if (at_end ||
          !zel::string::check_character_class(code_point(input, &after) & 0xFFFF,
                                              symbols_->class_texts()[arc.label])) {
        return;
      }
      break;
    case EncoderSymbolKind::kCharacter: {
      if (at_end) {
        // Every arc left in the state is a character.
        if (sorted_) stack_.back().next = stack_.back().end;
        return;
      }
      const uint32_t c = code_point(input, &after);
      if (c == arc.value) break;
      if (sorted_) {
        // The arcs of `c`, if any, come next; after them none can match.
        if (arc.value < c) {
          skip_to(character_key(c));
        } else {
          stack_.back().next = stack_.back().end;
        }
      }
      return;
    }
    case EncoderSymbolKind::kEmit:
      // The sentence gets the token's ids once its search is done.
      if (at_end || *input.current == '-') current_token->push(arc.value);
      return;
    case EncoderSymbolKind::kLiteral: {
      if (!at_end) return;
      push(arc, input);
      const char* begin = current_token->literal.data();
      input = Input{begin, begin + current_token->literal.size(), begin};
      return;
    }
    case EncoderSymbolKind::kStems:
    case EncoderSymbolKind::kStemsAndComponents:
    case EncoderSymbolKind::kHead: {
      if (!at_end) return;
      // The reading of the text goes back to what it was after each
      // reading, so that arcs tried later on the same path still test the
      // reading this path matched.
      const MorphData* outer = current_reading;
      for (const MorphData& reading : current_token->readings) {
        current_reading = &reading;
        if (arc.kind == EncoderSymbolKind::kHead) {
          const MorphData& head = reading.components.empty() ? reading : reading.components.back();
          continue_over(arc, head.stem);
        } else {
          continue_over(arc, reading.stem);
          if (arc.kind == EncoderSymbolKind::kStemsAndComponents) {
            for (const MorphData& component : reading.components) {
              current_reading = &component;
              continue_over(arc, component.stem);
            }
          }
        }
        current_reading = outer;
      }
      return;
    }
    case EncoderSymbolKind::kPartOfSpeech: {
      if (!at_end) return;
      const bool outer = part_of_speech_mode;
      part_of_speech_mode = true;
      if (current_reading != nullptr) {
        continue_over(arc, current_reading->pos());
      } else {
        for (const MorphData& reading : current_token->readings) {
          continue_over(arc, reading.pos());
        }
      }
      part_of_speech_mode = outer;
      return;
    }
    case EncoderSymbolKind::kProperty: {
      if (!at_end) {
        if (sorted_) skip_to(kFirstCharacterKey);
        return;
      }
      const uint32_t count = property_count(arc.value);
      if (count == 0 && sorted_) {
        // On to the arc of the token's next property, if any.
        auto next = std::upper_bound(property_counts_.begin(), property_counts_.end(),
                                     std::make_pair(arc.value, UINT32_MAX));
        while (next != property_counts_.end() && next->second == 0) ++next;
        skip_to(next == property_counts_.end() ? kFirstCharacterKey : property_key(next->first));
        return;
      }
      for (uint32_t n = count; n > 0; --n) continue_at_end(arc, input);
      return;
    }
    case EncoderSymbolKind::kEndOfPart:
      if (!(at_end || (part_of_speech_mode && *input.current == '-'))) return;
      push(arc, input);
      input.current = input.end;
      return;
    case EncoderSymbolKind::kPartOfSpeechClass:
      if (!at_end) return;
      if (current_reading != nullptr) {
        if ((current_reading->pos_id() >> 16) == arc.value) push(arc, input);
      } else {
        for (const MorphData& reading : current_token->readings) {
          if ((reading.pos_id() >> 16) == arc.value) push(arc, input);
        }
      }
      return;
    case EncoderSymbolKind::kLength: {
      const size_t length = current_token->literal.size();
      if (length >= arc.value && length <= arc.last) push(arc, input);
      return;
    }
  }
  // A character that matched: the target goes on after it.
  push(arc, input);
  input.current = after;
}

void ConceptEncoder::encode(Concept& concept_annotation, Sentence& sentence) const {
  auto found = concept_ids.find(concept_annotation.uri);
  if (found == concept_ids.end()) return;
  concept_annotation.push(found->second);
  sentence.add_id(found->second | Sentence::kConceptIdBit);
}

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel
