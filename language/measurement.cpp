#include "language/measurement.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/regex.h"
#include "language/morph_data.h"
#include "language/reading.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

namespace zel {
namespace kavero {

namespace {

// The root bit of the Adj tags in the part-of-speech table.
constexpr unsigned kAdjRoot = 0x10000;

// The end of a piece that starts at `begin` and is `length` bytes long,
// never past the end of the token it was cut from. A literal that differs
// in length from the document's bytes (a normalised character) cannot push
// a piece out of its token.
uint32_t piece_end(uint32_t begin, size_t length, uint32_t token_end) {
  return static_cast<uint32_t>(
      std::min<uint64_t>(static_cast<uint64_t>(begin) + length, token_end));
}

// Cuts the token's literal down to its first piece and returns the token's
// end before the cut.
uint32_t cut_token(Token* token, const std::string& first_piece) {
  const uint32_t end = token->end;
  token->literal = first_piece;
  token->end = piece_end(token->begin, first_piece.size(), end);
  return end;
}

// A new token right after `after` in the sentence's list.
Token* add_piece(Sentence* sentence, Annotation* after, uint32_t begin,
                 uint32_t end, const std::string& literal) {
  auto* piece = new Token(begin, std::max(begin, end), literal);
  sentence->annotations.insert_after(after, piece);
  return piece;
}

const SubMatch& group(const SMatch& match, size_t n) {
  static const SubMatch kAbsent;
  return n < match.size() ? match[n] : kAbsent;
}

}  // namespace

void apply_measurement(Sentence* sentence, Token* token, const SMatch& match) {
  size_t taking_part = 0;
  for (size_t i = 1; i < match.size(); ++i) {
    if (match[i].matched) ++taking_part;
  }
  if (taking_part == 2) {
    if (group(match, 1).matched) {
      apply_measurement_unit_value(sentence, token, group(match, 1),
                                   group(match, 2));
    } else {
      apply_measurement_value_unit(sentence, token, group(match, 2),
                                   group(match, 3));
    }
  } else if (taking_part == 3) {
    apply_3part_measurement(sentence, token, match);
  }
}

void apply_measurement_unit_value(Sentence* sentence, Token* token,
                                  const SubMatch& unit, const SubMatch& value) {
  const uint32_t end = cut_token(token, unit.text);
  Token* value_token =
      add_piece(sentence, token, token->end, end, value.text);
  token->readings.emplace_back("Nn-Sym", unit.text, 1.0);
  token->properties.clear();
  value_token->readings.emplace_back("Num", value.text, 1.0);
  token->flags |= token_flags::readings_final;
  value_token->flags |= token_flags::readings_final;
}

void apply_measurement_value_unit(Sentence* sentence, Token* token,
                                  const SubMatch& value, const SubMatch& unit) {
  const uint32_t end = cut_token(token, value.text);
  Token* unit_token = add_piece(sentence, token, token->end, end, unit.text);
  token->readings.emplace_back("Num", value.text, 1.0);
  token->properties.clear();
  if (unit.text == "m") {
    // Metre or million: the word after it decides (fix_measurements).
    unit_token->flags |= token_flags::measure_candidate;
    unit_token->properties.insert(token_property::measure_undecided);
    sentence->flags |= sentence_flags::has_measure_candidate;
  } else if (unit.text == "bn" || unit.text == "tn" || unit.text == "k") {
    unit_token->readings.emplace_back("Num", unit.text, 1.0);
    unit_token->properties.insert(token_property::measure);
    unit_token->properties.insert(token_property::measure_undecided);
    token->flags |= token_flags::readings_final;
  } else {
    unit_token->readings.emplace_back("Nn-Sym", unit.text, 1.0);
    unit_token->properties.insert(token_property::unit);
    token->flags |= token_flags::readings_final;
    unit_token->flags |= token_flags::readings_final;
  }
}

void apply_3part_measurement(Sentence* sentence, Token* token,
                             const SMatch& match) {
  const std::string& currency = group(match, 1).text;
  const std::string& value = group(match, 2).text;
  const std::string& magnitude = group(match, 3).text;
  const uint32_t end = cut_token(token, currency);
  token->readings.clear();
  token->readings.emplace_back("Nn-Sym", currency, 1.0);
  remove_token_property(token, token_property::not_found);
  remove_token_property(token, token_property::alphanum);
  token->flags |= token_flags::readings_final;
  token->properties.insert(token_property::currency);

  Token* value_token = add_piece(sentence, token, token->end,
                                 piece_end(token->end, value.size(), end),
                                 value);
  value_token->readings.emplace_back("Num", value, 1.0);
  value_token->flags |= token_flags::readings_final;

  Token* magnitude_token =
      add_piece(sentence, value_token, value_token->end, end, magnitude);
  magnitude_token->properties.insert(token_property::measure);
  magnitude_token->flags |=
      token_flags::measure_candidate | token_flags::measure_unit;
  sentence->flags |= sentence_flags::has_measure_candidate;
}

void fix_measurements(Blackboard& blackboard, Sentence& sentence) {
  if ((sentence.flags & sentence_flags::has_measure_candidate) == 0) return;
  if (!blackboard.morph_data || blackboard.morph_data->lookups.empty()) return;
  for (Annotation* a = sentence.annotations.head; a != nullptr; a = a->next) {
    auto* token = annotation_cast<Token>(a);
    if (token == nullptr ||
        (token->flags & token_flags::measure_candidate) == 0) {
      continue;
    }
    if ((token->flags & token_flags::measure_unit) != 0) {
      remove_pos_with_morpho_syntax(token, reading_property::unit);
      continue;
    }
    Token* next = nullptr;
    for (Annotation* b = token->next; b != nullptr; b = b->next) {
      auto* candidate = annotation_cast<Token>(b);
      if (candidate != nullptr && !has_pos(candidate, kAdjRoot)) {
        next = candidate;
        break;
      }
    }
    if (next == nullptr) {
      remove_pos_with_morpho_syntax(token, reading_property::value);
    } else if (has_pos(next, std::string("Nn-Pl")) ||
               has_property(*next, token_property::unit) ||
               has_property(*next, token_property::currency)) {
      remove_pos_with_morpho_syntax(token, reading_property::unit);
    } else if (has_pos(next, std::string("Nn-Sg"))) {
      token->properties.insert(token_property::measure);
      remove_pos_with_morpho_syntax(token, reading_property::value);
    } else {
      remove_pos_with_morpho_syntax(token, reading_property::value);
    }
  }
}

}  // namespace kavero
}  // namespace zel
