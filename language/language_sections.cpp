#include "language/language_sections.h"

#include <iterator>
#include <sstream>
#include <vector>

#include <utf8.h>

#include "base/json_escape.h"
#include "language/language_names.h"

namespace zel {
namespace lid {

namespace {

// A section must be longer than this (in bytes) before it can be cut.
constexpr unsigned long kShortestCut = 18;

// Line-break bytes that must lie between a cut and the cut before it.
constexpr int kBreaksPerCut = 2;

// Values below this neither raise a section's value nor keep a section of
// its own.
constexpr double kWeakValue = 0.5;

bool is_line_break(char byte) { return byte == '\n' || byte == '\r'; }

}  // namespace

bool valid_condition(const SectionDetectionResult& result) {
  return result.found && result.words > 2;
}

void update_probability(SectionDetectionResult& current,
                        const SectionDetectionResult& chunk) {
  if (chunk.probability > kWeakValue) {
    current.probability = (chunk.probability + current.probability) * 0.5;
  }
  current.words = chunk.words;
  current.hits = chunk.hits;
}

std::string LIDStore::identify_language_sections(const char* text, unsigned long length) {
  std::vector<LidSection> sections;
  std::string language;
  unsigned long section_start = 0;
  unsigned long chunk_start = 0;
  int breaks = 0;
  SectionDetectionResult current;

  auto finish = [&](const std::string& section_language, unsigned long begin,
                    unsigned long end) {
    sections.push_back(
        {section_language, begin, end, current.words, current.hits, current.probability});
  };

  for (unsigned long p = 0; p < length; ++p) {
    if (is_line_break(text[p])) {
      ++breaks;
      continue;
    }
    // A cut waits for a line start: a section that was still too short
    // where a paragraph began is cut where the next line begins, never
    // inside a line, where it could split a word or a character.
    if (breaks < kBreaksPerCut || p - section_start <= kShortestCut ||
        !is_line_break(text[p - 1])) {
      continue;
    }
    const SectionDetectionResult chunk = identify_language(text + chunk_start, p - chunk_start);
    if (!valid_condition(chunk)) {
      current.probability += chunk.probability;
      current.words += chunk.words;
      current.hits += chunk.hits;
    } else if (language.empty()) {
      language = chunk.language;
      current = chunk;
    } else if (chunk.language == language) {
      update_probability(current, chunk);
    } else {
      finish(language, section_start, chunk_start);
      language = chunk.language;
      section_start = chunk_start;
      current = chunk;
    }
    chunk_start = p;
    breaks = 0;
  }

  if (length > 0) {
    const SectionDetectionResult chunk =
        identify_language(text + chunk_start, length - chunk_start);
    if (language.empty()) {
      language = chunk.language.empty() ? default_language() : chunk.language;
    }
    if (chunk.language == language || !valid_condition(chunk)) {
      update_probability(current, chunk);
      finish(language, section_start, length);
    } else {
      finish(language, section_start, chunk_start);
      current = chunk;
      finish(chunk.language, chunk_start, length);
    }
  }

  // Weak sections and neighbours of one language join the section before
  // them; the first section stays whatever its value.
  std::vector<LidSection> folded;
  for (const LidSection& section : sections) {
    if (!folded.empty() && (section.probability < kWeakValue ||
                            section.language == folded.back().language)) {
      folded.back().end = section.end;
      continue;
    }
    folded.push_back(section);
  }

  std::ostringstream out;
  out << "[";
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const LidSection& section = folded[i];
    if (i > 0) out << ",";
    const std::string name =
        long_names() ? language::longname(section.language, false) : section.language;
    out << "{\"begin_offset\":" << section.begin << ",\"end_offset\":" << section.end
        << ",\"language\":\"" << json::escape_string(name) << "\"";
    if (section_data()) {
      // The text may hold bytes that are no UTF-8, which JSON cannot carry:
      // each invalid sequence becomes U+FFFD.
      const char* const begin = text + section.begin;
      std::string valid;
      valid.reserve(section.end - section.begin);
      utf8::replace_invalid(begin, text + section.end, std::back_inserter(valid));
      out << ",\"text\":\"" << json::escape_string(valid) << "\"";
    }
    out << "}";
  }
  out << "]";
  return out.str();
}

}  // namespace lid
}  // namespace zel
