#include "analysis/text_stream.h"

#include <iostream>
#include <iterator>

#include <utf8.h>

#include "analysis/visitor.h"
#include "base/unicode.h"
#include "language/pos_table.h"
#include "language/reading.h"
#include "language/token_flags.h"

namespace zel {
namespace kavero {

// Character conversions. A conversion yields zero or more code points.
struct DefaultCharTraits {
  static std::vector<uint32_t> convert(uint32_t c) { return {c}; }
};
using zel::string::NormalizeToLowerCharTraits;
using zel::string::ToLowerCharTraits;

// Which tokens a stream takes.
struct AllTokens {
  static bool take(const Token&) { return true; }
};
// The normalised streams leave out lone hyphens and underscores, so that
// "e - mail" and "e_mail" meet "e mail" in a normalised lexicon.
struct NormalizedStreamTokens {
  static bool take(const Token& token) {
    return token.literal != "-" && token.literal != "_";
  }
};

namespace {

// Appends a text converted code point by code point. A code point above 126
// has its conversion written in UTF-8, a lower one the low byte of each
// converted code point. A code point that is no scalar value ends the piece
// with a warning; what was written stays. Malformed UTF-8 raises.
template <typename Traits, typename Out>
void append_converted(Out& out, const std::string& text) {
  const char* it = text.data();
  const char* const end = it + text.size();
  try {
    while (it != end) {
      const uint32_t c = zel::string::unicode::next(it, end);
      for (uint32_t converted : Traits::convert(c)) {
        if (c > 126) {
          utf8::append(converted, std::back_inserter(out));
        } else {
          out.push_back(static_cast<char>(converted & 0xFF));
        }
      }
    }
  } catch (const utf8::invalid_code_point&) {
    std::cout << "Warning utf8::invalid_code_point" << std::endl;
  }
}

// The stream being built and the ways a piece goes into it.
template <typename Traits>
class StreamWriter {
 public:
  // A start entry: a piece of the annotation beginning at `begin` starts at
  // the current end of the text.
  void add_begin(uint32_t begin) {
    stream.begin_map.emplace(begin, stream.text.size());
  }
  // An end entry: the current end of the text maps to `end`.
  void add_end(uint32_t end) { stream.end_map.emplace(stream.text.size(), end); }
  void append(const std::string& text) {
    append_converted<Traits>(stream.text, text);
  }
  void append_byte(char c) { stream.text.push_back(c); }
  // A piece with both entries.
  void record(uint32_t begin, uint32_t end, const std::string& text) {
    add_begin(begin);
    append(text);
    add_end(end);
  }
  // A recorded piece followed by its blank.
  void piece(uint32_t begin, uint32_t end, const std::string& text) {
    record(begin, end, text);
    append_byte(' ');
  }
  // A text and its blank, without entries: the literal of a token that has
  // no readings.
  void unmapped(const std::string& text) {
    append(text);
    append_byte(' ');
  }
  // The stems of a reading's parts, each a piece spanning the whole token.
  void parts(const Token& token, const MorphData& reading) {
    for (const MorphData& part : reading.components) {
      piece(token.begin, token.end, part.stem);
    }
  }

  annotation_stream_info stream;
};

}  // namespace

// Literal streams: every taken token's literal, then a blank.
template <typename Stream, typename Traits, typename TokenPolicy>
class get_literal_stream
    : public Visitor<get_literal_stream<Stream, Traits, TokenPolicy>> {
 public:
  using Visitor<get_literal_stream>::visit;
  get_literal_stream() : Visitor<get_literal_stream>(this) {}

  bool visit(const Token& token) {
    if (!TokenPolicy::take(token)) return true;
    writer.piece(token.begin, token.end, token.literal);
    return true;
  }

  StreamWriter<Traits> writer;
};

// Stem streams: the first reading's stem, or for a token marked as an
// imported tag the stems of the first reading's parts; a token without
// readings gives its literal without entries.
template <typename Stream, typename Traits, typename TokenPolicy>
class get_stem_stream
    : public Visitor<get_stem_stream<Stream, Traits, TokenPolicy>> {
 public:
  using Visitor<get_stem_stream>::visit;
  get_stem_stream() : Visitor<get_stem_stream>(this) {}

  bool visit(const Token& token) {
    if (!TokenPolicy::take(token)) return true;
    if (token.readings.empty()) {
      writer.unmapped(token.literal);
      return true;
    }
    const MorphData& reading = token.readings.front();
    writer.add_begin(token.begin);
    // A tag token whose lexicon result was imported: its stem-stream
    // pieces are the stems of its parts.
    if ((token.flags & token_flags::tagged) != 0) {
      writer.parts(token, reading);
      return true;
    }
    writer.append(reading.stem);
    writer.add_end(token.end);
    writer.append_byte(' ');
    return true;
  }

  StreamWriter<Traits> writer;
};

// The component stream: the stems of a compound's parts, each a piece of
// its own, or the stem of a simple word.
template <typename Stream, typename Traits>
class get_component_stream
    : public Visitor<get_component_stream<Stream, Traits>> {
 public:
  using Visitor<get_component_stream>::visit;
  get_component_stream() : Visitor<get_component_stream>(this) {}

  bool visit(const Token& token) {
    if (token.readings.empty()) {
      writer.unmapped(token.literal);
      return true;
    }
    const MorphData& reading = token.readings.front();
    if (reading.components.empty()) {
      writer.piece(token.begin, token.end, reading.stem);
    } else {
      writer.parts(token, reading);
    }
    return true;
  }

  StreamWriter<Traits> writer;
};

// The head stream: the stem of a compound's last part, or the stem of a
// simple word.
template <typename Stream, typename Traits>
class get_head_stream : public Visitor<get_head_stream<Stream, Traits>> {
 public:
  using Visitor<get_head_stream>::visit;
  get_head_stream() : Visitor<get_head_stream>(this) {}

  bool visit(const Token& token) {
    if (token.readings.empty()) {
      writer.unmapped(token.literal);
      return true;
    }
    const MorphData& reading = token.readings.front();
    const std::string& head = reading.components.empty()
                                  ? reading.stem
                                  : reading.components.back().stem;
    writer.piece(token.begin, token.end, head);
    return true;
  }

  StreamWriter<Traits> writer;
};

// The canonical stream: the "canonical" form of every concept that has one
// (also an empty one), then a blank and a comma. Tokens give nothing.
template <typename Stream, typename Traits>
class get_canonical_stream
    : public Visitor<get_canonical_stream<Stream, Traits>> {
 public:
  using Visitor<get_canonical_stream>::visit;
  get_canonical_stream() : Visitor<get_canonical_stream>(this) {}

  bool visit(const Concept& concept_annotation) {
    if (!concept_annotation.has_attribute("canonical")) return true;
    writer.piece(concept_annotation.begin, concept_annotation.end,
                 concept_annotation.get_attribute("canonical"));
    writer.append_byte(',');
    return true;
  }

  StreamWriter<Traits> writer;
};

namespace {

template <typename Builder>
annotation_stream_info build(const AnnotationCollection& list) {
  Builder builder;
  builder.visit(list);
  return std::move(builder.writer.stream);
}

}  // namespace

annotation_stream_info get_annotation_buffer(const AnnotationCollection& list,
                                             const text_stream_type& kind) {
  using Info = annotation_stream_info;
  switch (kind) {
    case literal_stream:
      return build<get_literal_stream<Info, DefaultCharTraits, AllTokens>>(list);
    case stem_stream:
      return build<get_stem_stream<Info, DefaultCharTraits, AllTokens>>(list);
    case normalized_literal_stream:
      return build<get_literal_stream<Info, NormalizeToLowerCharTraits,
                                      NormalizedStreamTokens>>(list);
    case normalized_stem_stream:
      return build<get_stem_stream<Info, NormalizeToLowerCharTraits,
                                   NormalizedStreamTokens>>(list);
    case component_stream:
      return build<get_component_stream<Info, ToLowerCharTraits>>(list);
    case head_stream:
      return build<get_head_stream<Info, ToLowerCharTraits>>(list);
    case canonical_stream:
      return build<get_canonical_stream<Info, DefaultCharTraits>>(list);
    default:
      return Info();
  }
}

// Spacing of the text views, given the end offset of the previous token
// taken (-1 before the first) and the token about to be written.
struct DefaultSpacingPolicy {
  static bool blank_before(int64_t previous_end, const Token&) {
    return previous_end >= 0;
  }
};
struct RealSpacingPolicy {
  static bool blank_before(int64_t previous_end, const Token& token) {
    return previous_end >= 0 && previous_end != token.begin;
  }
};
struct NoSpacingPolicy {
  static bool blank_before(int64_t, const Token&) { return false; }
};

// The literal text view.
template <typename Out, typename Traits, typename Spacing>
class visit_literal_string
    : public Visitor<visit_literal_string<Out, Traits, Spacing>> {
 public:
  using Visitor<visit_literal_string>::visit;
  visit_literal_string() : Visitor<visit_literal_string>(this) {}

  bool visit(const Token& token) {
    if (Spacing::blank_before(previous_end, token)) out.push_back(' ');
    out += token.literal;
    previous_end = token.end;
    return true;
  }

  Out out;
  int64_t previous_end = -1;
};

namespace {

// Whether a token names a person by its readings: a proper-noun reading
// with a given-name, family-name or generic-name property, or a reading
// tagged as a generic proper name.
bool is_person_name(const Token& token) {
  static const unsigned kProperNoun =
      zel::language::pos_table::get_root_pos_id("Prop");
  if (has_pos(&token, kProperNoun) &&
      (has_property(token, "gen") || has_property(token, "giv") ||
       has_property(token, "fam"))) {
    return true;
  }
  return has_pos(&token, std::string("Prop-Gen"));
}

}  // namespace

// The real text view: the document's spacing, hyphen tokens left out, name
// tokens by their stems.
template <typename Out, typename Traits, typename Spacing>
class visit_canonical_string
    : public Visitor<visit_canonical_string<Out, Traits, Spacing>> {
 public:
  using Visitor<visit_canonical_string>::visit;
  visit_canonical_string() : Visitor<visit_canonical_string>(this) {}

  // False for a token that is left out.
  bool visit(const Token& token) {
    if (!token.literal.empty() && token.literal.front() == '-') return false;
    if (Spacing::blank_before(previous_end, token)) out.push_back(' ');
    previous_end = token.end;
    if (!token.readings.empty() && !has_property(token, "guess") &&
        is_person_name(token)) {
      out += token.readings.front().stem;
    } else {
      out += token.literal;
    }
    return true;
  }

  Out out;
  int64_t previous_end = -1;
};

// The part-of-speech sequence.
template <typename Out, typename Traits, typename Spacing>
class visit_pos_string
    : public Visitor<visit_pos_string<Out, Traits, Spacing>> {
 public:
  using Visitor<visit_pos_string>::visit;
  visit_pos_string() : Visitor<visit_pos_string>(this) {}

  bool visit(const Token& token) {
    if (token.readings.empty()) return true;
    const std::string& pos = token.readings.front().pos();
    out.append(pos, 0, pos.find('-'));
    return true;
  }

  Out out;
};

namespace {

bool is_trimmed_byte(char c) {
  return c == ' ' || static_cast<unsigned char>(c) <= 13;
}

std::string trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && is_trimmed_byte(text[first])) ++first;
  while (last > first && is_trimmed_byte(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// Walks [first, last). The walk also ends at the end of the list, so a
// `last` that does not follow `first` cannot run it off the list.
template <typename View>
std::string walk_range(const RawPtrIterator& first, const RawPtrIterator& last) {
  View view;
  for (RawPtrIterator it = first; it.get() != nullptr && it != last; ++it) {
    view.visit(*it);
  }
  return std::move(view.out);
}

// From the concept up to its end annotation (to the end of its list when it
// has none).
RawPtrIterator range_begin(const Concept* concept_annotation) {
  return RawPtrIterator(const_cast<Concept*>(concept_annotation));
}
RawPtrIterator range_end(const Concept* concept_annotation) {
  return RawPtrIterator(concept_annotation->end_annotation);
}

}  // namespace

std::string get_annotation_string(const RawPtrIterator& first,
                                  const RawPtrIterator& last) {
  return trim(walk_range<visit_literal_string<std::string, DefaultCharTraits,
                                              DefaultSpacingPolicy>>(first, last));
}

std::string get_annotation_real_string(const RawPtrIterator& first,
                                       const RawPtrIterator& last) {
  return trim(walk_range<visit_canonical_string<std::string, DefaultCharTraits,
                                                RealSpacingPolicy>>(first, last));
}

std::string get_canonical(const Concept* concept_annotation) {
  const std::string& canonical = concept_annotation->get_attribute("canonical");
  if (!canonical.empty()) return canonical;
  return get_annotation_string(range_begin(concept_annotation),
                               range_end(concept_annotation));
}

std::string get_person_canonical(const Concept* concept_annotation) {
  const std::string& canonical = concept_annotation->get_attribute("canonical");
  if (!canonical.empty()) return canonical;
  return zel::string::camel_case_word(
      get_annotation_real_string(range_begin(concept_annotation),
                                 range_end(concept_annotation)),
      ' ');
}

std::string get_pos_sequence(const Concept* concept_annotation) {
  return walk_range<visit_pos_string<std::string, DefaultCharTraits,
                                     NoSpacingPolicy>>(
      range_begin(concept_annotation), range_end(concept_annotation));
}

}  // namespace kavero
}  // namespace zel
