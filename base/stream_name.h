// The names of the text streams: the token texts (literal, stem, normalised
// forms and so on) that rules and lexicons select and that domains and the
// result printers name.

#ifndef KAVERO_BASE_STREAM_NAME_H_
#define KAVERO_BASE_STREAM_NAME_H_

#include <cstdint>
#include <map>
#include <string>

namespace zel {

enum text_stream_type : std::uint32_t {
  literal_stream = 0,
  stem_stream = 1,               // also named "lemma"
  normalized_literal_stream = 2,
  normalized_stem_stream = 3,    // also named "normalized_lemma"
  component_stream = 4,
  head_stream = 5,
  canonical_stream = 6,
  no_stream = 7,                 // a name that names no stream
};

// Every stream name with its stream: "literal", "stem", "lemma",
// "normalized_literal", "normalized_stem", "normalized_lemma", "component",
// "head", "canonical". Built at start-up; at() on a missing name raises
// std::out_of_range.
extern const std::map<std::string, text_stream_type> stream_types;

// The first name of the stream in byte order ("lemma" for stem_stream,
// "normalized_lemma" for normalized_stem_stream); "literal" for a value that
// names no stream.
const std::string& get_stream_name(const text_stream_type& type);

// The stream of a name, case-sensitive; no_stream when it names none. A
// name longer than two bytes that starts with a double quote loses its first
// and its last byte first ("stem" in quotes is the stem stream).
text_stream_type get_stream_type(const std::string& name);

}  // namespace zel

#endif  // KAVERO_BASE_STREAM_NAME_H_
