// The readable text form of a tagger's tables, from which ".hmm" files are
// made (the hmm-compile tool; the test languages are built with it).
//
// The text holds sections, each headed by a line naming a record of the
// ".hmm" file in brackets; the lines under a header are that record's table
// lines, copied as they stand:
//
//   # English tagger tables
//   [start-hmm]
//   Det	0.4
//   Nn-Std	0.3
//   [emission-hmm]
//   the^^Det	0.6
//   dummy^^Nn-Std	0.001
//   [transmission-hmm]
//   Det Nn-Std	0.7
//
// Table lines always hold a tab (see hmm_tables.h for their form); a line
// without a tab is a header, a comment (starting with "#") or blank
// (skipped). Any other line without a tab is an error, as is a line before
// the first header, an unknown record name or a record named twice. A
// section may be left out or left empty: the file then lacks that record, or
// holds it with no data.

#ifndef KAVERO_LANGUAGE_HMM_SOURCE_H_
#define KAVERO_LANGUAGE_HMM_SOURCE_H_

#include <filesystem>
#include <map>
#include <string>

namespace zel {
namespace kavero {
namespace core {
namespace hmm {

// Record name -> record text (its lines, each ended by a line feed).
// Raises zel::Exception "hmm source line N: " + the fault.
std::map<std::string, std::string> parse_source(const std::string& text);

// Writes the records of the source text as a new ".hmm" file at `output`,
// replacing any file there. Raises the errors of parse_source and of the
// container; then no file is left at `output`.
void write_file(const std::string& source, const std::filesystem::path& output);

}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_HMM_SOURCE_H_
