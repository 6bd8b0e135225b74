// The parts of the language identifier that split a text into sections of
// one language each (LIDStore::identify_language_sections).
//
// The text is cut into chunks at line starts that follow at least two
// line-break bytes ("\n" or "\r", so one CR LF or two LF), once the current
// section is at least 19 bytes long. Every chunk is identified on its own;
// a section grows while its chunks agree or are too weak to count, and a
// chunk that clearly names another language starts a new section. Sections
// whose value stays below 0.5 are folded into the section before them, as
// are neighbours of the same language. Cuts fall only at line starts, so a
// chunk never begins or ends inside a character.

#ifndef KAVERO_LANGUAGE_LANGUAGE_SECTIONS_H_
#define KAVERO_LANGUAGE_LANGUAGE_SECTIONS_H_

#include <cstdint>
#include <string>

#include "language/language_identifier.h"

namespace zel {
namespace lid {

// One finished section: its language as identify_language reported it, its
// byte range [begin, end) in the text, and what decided it.
struct LidSection {
  std::string language;
  unsigned long begin = 0;
  unsigned long end = 0;
  int32_t words = 0;
  int32_t hits = 0;
  double probability = 0;
};

// True when a chunk's result counts: decided from the chunk, from more
// than two words.
bool valid_condition(const SectionDetectionResult& result);

// Takes a chunk's result R into its section's accumulated result C: a
// value of R above 0.5 is averaged into C's; C's counters become R's.
void update_probability(SectionDetectionResult& current,
                        const SectionDetectionResult& chunk);

}  // namespace lid
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_SECTIONS_H_
