#include "matcher/token_encoder.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <stdexcept>

#include "base/normalize.h"

namespace zel {
namespace kavero {
namespace idstrm {

namespace {

EncoderInput input_over(const char* begin, const char* end, const char* current) {
  return EncoderInput(Utf8Iterator(begin, begin, end), Utf8Iterator(end, begin, end),
                      Utf8Iterator(current, begin, end));
}

// Whether the rest of the input begins with "-" (a part-of-speech text
// such as "Nn-Pl" goes on past the pattern "Nn").
bool rest_begins_with_hyphen(const EncoderInput& input) {
  return !input.at_end() && *input.current.base() == '-';
}

}  // namespace

EncoderInput& property_input_state() {
  static const char kText[] = "dummy";
  thread_local EncoderInput state = input_over(kText, kText + 5, kText);
  return state;
}

TokenEncoder::TokenEncoder(std::shared_ptr<fst::StdVectorFst> transducer,
                           const EncoderSymbols& symbols, bool sorted)
    : Base(this, std::move(transducer)), symbols_(&symbols), sorted_(sorted) {
  stack().reserve(50);
}

void TokenEncoder::sub_matcher(EncoderInput& input) {
  EncoderStack& stack = this->stack();
  const size_t depth = stack.size();
  if (depth == 0) return;
  while (stack.size() >= depth) {
    auto& top = stack.top();
    if (top.state == -1 || top.arcs.Done()) {
      input = top.position;
      stack.pop();
      continue;
    }
    // A copy: check() may push, which moves the entries.
    const int state = top.state;
    check(state, top.arcs.Value(), input);
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
  const int start = fst().Start();
  if (start == fst::kNoStateId) return;
  // At the literal's end: every path must begin with a command.
  const char* begin = token.literal.data();
  const char* end = begin + token.literal.size();
  EncoderInput input = input_over(begin, end, end);
  stack().clear();
  stack().push(start, input, nullptr);
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

void TokenEncoder::continue_over(const fst::StdArc& arc, const std::string& text,
                                 const EncoderInput& input) {
  push(arc, input);
  const char* begin = text.data();
  EncoderInput local = input_over(begin, begin + text.size(), begin);
  sub_matcher(local);
}

void TokenEncoder::continue_at_end(const fst::StdArc& arc, const EncoderInput& input) {
  push(arc, input);
  EncoderInput local = property_input_state();
  local.current = local.end;
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
  auto& arcs = stack().top().arcs;
  const std::vector<EncoderSymbol>& symbols = symbols_->symbols();
  arcs.next = std::lower_bound(arcs.next, arcs.end, key,
                               [&](const fst::StdArc& arc, uint64_t k) {
                                 return search_key(symbols[arc.ilabel]) < k;
                               });
}

uint32_t TokenEncoder::code_point(const EncoderInput& input) {
  const char* at = input.current.base();
  if (at != decoded_at_) {
    decoded_ = *input.current;
    decoded_at_ = at;
  }
  return decoded_;
}

void TokenEncoder::check(const int& /*state*/, const fst::StdArc& arc, EncoderInput& input) {
  const std::vector<EncoderSymbol>& symbols = symbols_->symbols();
  if (arc.ilabel < 0 || static_cast<size_t>(arc.ilabel) >= symbols.size() || arc.olabel < 0 ||
      static_cast<size_t>(arc.olabel) >= output_symbols().size()) {
    throw std::out_of_range("token encoder: an arc label without a symbol text");
  }
  stack().top().arcs.Next();
  const EncoderSymbol& symbol = symbols[arc.ilabel];
  const bool at_end = input.at_end();
  switch (symbol.kind) {
    case EncoderSymbolKind::kNothing:
      return;
    case EncoderSymbolKind::kAny:
      if (at_end) return;
      break;
    case EncoderSymbolKind::kClass:
      if (at_end ||
          !zel::string::check_character_class(code_point(input) & 0xFFFF,
                                              symbols_->class_texts()[arc.ilabel])) {
        return;
      }
      break;
    case EncoderSymbolKind::kCharacter: {
      if (at_end) {
        // Every arc left in the state is a character.
        if (sorted_) stack().top().arcs.next = stack().top().arcs.end;
        return;
      }
      const uint32_t c = code_point(input);
      if (c == symbol.value) break;
      if (sorted_) {
        // The arcs of `c`, if any, come next; after them none can match.
        if (symbol.value < c) {
          skip_to(character_key(c));
        } else {
          stack().top().arcs.next = stack().top().arcs.end;
        }
      }
      return;
    }
    case EncoderSymbolKind::kEmit:
      // The sentence gets the token's ids once its search is done.
      if (at_end || rest_begins_with_hyphen(input)) current_token->push(symbol.value);
      return;
    case EncoderSymbolKind::kLiteral: {
      if (!at_end) return;
      push(arc, input);
      const char* begin = current_token->literal.data();
      input = input_over(begin, begin + current_token->literal.size(), begin);
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
        if (symbol.kind == EncoderSymbolKind::kHead) {
          const MorphData& head = reading.components.empty() ? reading : reading.components.back();
          continue_over(arc, head.stem, input);
        } else {
          continue_over(arc, reading.stem, input);
          if (symbol.kind == EncoderSymbolKind::kStemsAndComponents) {
            for (const MorphData& component : reading.components) {
              current_reading = &component;
              continue_over(arc, component.stem, input);
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
        continue_over(arc, current_reading->pos(), input);
      } else {
        for (const MorphData& reading : current_token->readings) {
          continue_over(arc, reading.pos(), input);
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
      const uint32_t count = property_count(symbol.value);
      if (count == 0 && sorted_) {
        // On to the arc of the token's next property, if any.
        auto next = std::upper_bound(property_counts_.begin(), property_counts_.end(),
                                     std::make_pair(symbol.value, UINT32_MAX));
        while (next != property_counts_.end() && next->second == 0) ++next;
        skip_to(next == property_counts_.end() ? kFirstCharacterKey : property_key(next->first));
        return;
      }
      for (uint32_t n = count; n > 0; --n) continue_at_end(arc, input);
      return;
    }
    case EncoderSymbolKind::kEndOfPart:
      if (!(at_end || (part_of_speech_mode && rest_begins_with_hyphen(input)))) return;
      push(arc, input);
      input.current = input.end;
      return;
    case EncoderSymbolKind::kPartOfSpeechClass:
      if (!at_end) return;
      if (current_reading != nullptr) {
        if ((current_reading->pos_id() >> 16) == symbol.value) push(arc, input);
      } else {
        for (const MorphData& reading : current_token->readings) {
          if ((reading.pos_id() >> 16) == symbol.value) push(arc, input);
        }
      }
      return;
    case EncoderSymbolKind::kLength: {
      const size_t length = current_token->literal.size();
      if (length >= symbol.value && length <= symbol.last) push(arc, input);
      return;
    }
  }
  // A character that matched: the target goes on after it.
  push(arc, input);
  input.next();
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
