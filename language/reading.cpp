#include "language/reading.h"

#include <algorithm>

#include "analysis/annotation.h"
#include "language/pos_table.h"

namespace zel {
namespace kavero {

MorphData::MorphData(const std::string& pos, const std::string& s, double w)
    : stem(s), weight(w), pos_(pos), pos_id_(language::pos_table::id(pos)) {}

void MorphData::set_pos(const std::string& pos) {
  pos_ = pos;
  pos_id_ = language::pos_table::id(pos);
}

namespace {

constexpr uint32_t kNounRoot = 0x200000;

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Whether `test` holds for some reading, or, with `components`, for some
// component of some reading.
template <typename Test>
bool any_reading(const Token* token, bool components, const Test& test) {
  for (const MorphData& reading : token->readings) {
    if (test(reading)) return true;
    if (components &&
        std::any_of(reading.components.begin(), reading.components.end(),
                    test)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool has_pos(const Token* token, const unsigned& root) {
  return any_reading(token, false, [&](const MorphData& r) {
    return root_of(r.pos_id()) == root;
  });
}

bool has_pos_components(const Token* token, const unsigned& root) {
  return any_reading(token, true, [&](const MorphData& r) {
    return root_of(r.pos_id()) == root;
  });
}

bool has_pos(const Token* token, const std::string& prefix) {
  return any_reading(token, false, [&](const MorphData& r) {
    return starts_with(r.pos(), prefix);
  });
}

bool has_pos_components(const Token* token, const std::string& prefix) {
  return any_reading(token, true, [&](const MorphData& r) {
    return starts_with(r.pos(), prefix);
  });
}

bool is_punctuation(const Token* token) { return has_pos(token, "Punct"); }

bool is_open_quote(const Annotation* annotation) {
  const Token* token = annotation_cast<Token>(annotation);
  return token != nullptr &&
         any_reading(token, false, [](const MorphData& r) {
           return r.pos() == "Punct-Quote" || r.pos() == "Punct-Open";
         });
}

bool is_sentence_begin_candidate(const Token* token) {
  bool answer = false;
  for (const MorphData& reading : token->readings) {
    switch (root_of(reading.pos_id())) {
      case kNounRoot:
        return false;
      case 0x20000:     // Adv
      case 0x40000:     // Aux
      case 0x80000:     // Conj
      case 0x100000:    // Det
      case 0x800000:    // Part
      case 0x1000000:   // Prep
      case 0x2000000:   // Pron
      case 0x10000000:  // V
        answer = true;
        break;
      default:
        break;
    }
  }
  return answer;
}

bool has_property(const Token& token, const std::string& property) {
  if (token.properties.count(property) != 0) return true;
  return any_reading(&token, false, [&](const MorphData& r) {
    return std::find(r.properties.begin(), r.properties.end(), property) !=
           r.properties.end();
  });
}

bool has_token_property(const Token* token, const std::string& property) {
  return has_property(*token, property);
}

void remove_pos_with_morpho_syntax(Token* token, const std::string& property) {
  token->readings.remove_if([&](const MorphData& r) {
    return std::find(r.properties.begin(), r.properties.end(), property) !=
           r.properties.end();
  });
}

}  // namespace kavero
}  // namespace zel
