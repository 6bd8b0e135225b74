// The probability tables of a language's part-of-speech tagger: start,
// emission and transition, read once from the language's ".hmm" file and
// shared read-only by every document of the language.
//
// A ".hmm" file is a container of named binary objects with three records,
// each a text table of lines ending in a line feed (the last may lack it):
//
//   "start-hmm"         tag <tab> probability
//   "emission-hmm"      literal^^tag <tab> probability
//                       (dummy^^tag: the value for literals not listed)
//   "transmission-hmm"  previous-tag <space> current-tag <tab> probability
//
// Keys are taken byte for byte; the probability is read the way strtod reads
// it (a text that is no number counts 0) and kept in single precision. When a
// key repeats, its first line wins. Tag names become part-of-speech ids; an
// unknown name becomes 0. An empty line, or a line without its separators,
// fails the whole load.

#ifndef KAVERO_LANGUAGE_HMM_TABLES_H_
#define KAVERO_LANGUAGE_HMM_TABLES_H_

#include <cstdint>
#include <string>
#include <unordered_map>

namespace zel {
namespace kavero {
namespace core {
namespace hmm {

// The probability of everything the tables do not hold.
constexpr float kFloorProbability = 1e-13f;

class TransitionTableResource {
 public:
  // The probability of the transition id, or the default.
  float get(uint64_t transition_id) const {
    auto it = table.find(transition_id);
    return it == table.end() ? default_probability : it->second;
  }

  std::unordered_map<uint64_t, float> table;
  float default_probability = kFloorProbability;
};

// Empty tables mean the language has no tagger.
struct Resource {
  // literal "^^" tag, or "dummy^^" tag -> probability.
  std::unordered_map<std::string, float> emission;
  // tag id -> probability that a decoding window begins with it.
  std::unordered_map<uint32_t, float> start;
  TransitionTableResource transition;
};

// Reads the three tables of a ".hmm" file. A file that cannot be opened as
// a container (a missing file among them; none is created) gives empty
// tables. A file that is no database, or a damaged one, reads as one without
// records. A missing or empty record raises zel::Exception "Cannot find start
// resource in hmm file.", "Cannot find emission resource in hmm file." or
// "Cannot find transmission resource in hmm file.", checked in that order,
// followed by " [" + path + "]" and, when the database cannot be read, ": "
// and the database engine's reason; a bad line raises zel::Exception
// "Invalid line N in the <table> table of the hmm file [" + path + "]: " +
// the fault.
Resource load(const std::string& path);

namespace detail {

// previous << 32 | current.
inline uint64_t make_transition_id(uint32_t previous, uint32_t current) {
  return static_cast<uint64_t>(previous) << 32 | current;
}

// Parse one record's text into a table; entries already present stay. A bad
// line raises as load does, without the file's name.
void load_probalitity_table(std::unordered_map<uint32_t, float>& table,
                            const std::string& text);
void load_emission_table(std::unordered_map<std::string, float>& table,
                         const std::string& text);
void load_transition_table(TransitionTableResource& table,
                           const std::string& text);

}  // namespace detail
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_HMM_TABLES_H_
