// One regular expression from a language's word lists: abbreviations,
// apostrophe forms and measures.
//
// A word list is plain text, one entry per line. Bytes 0x20 and 0x00 to 0x0D
// (blank, tab, carriage return, form feed, ...) are trimmed from both ends of
// every line; empty lines and lines starting with "#" are skipped. Every other
// line is one alternative, taken as an expression fragment as it stands
// (nothing escaped, sorted or made unique): "Mr." matches "Mr" and any
// character. A list's ".user" companion (english.abbrev.user for
// english.abbrev) adds its lines after the list's own.

#ifndef KAVERO_LANGUAGE_ABBREVIATION_EXPRESSION_H_
#define KAVERO_LANGUAGE_ABBREVIATION_EXPRESSION_H_

#include <string>
#include <vector>

namespace zel {
namespace kavero {
namespace core {

// The expression of the file and, when it exists, of its ".user" companion.
std::string build_abbreviation_expression(const std::string& file);

// The expression of the files in order, after it has been compiled into the
// process-wide expression cache. An expression that does not compile raises
// zel::Exception "Could not load regex pattern invalid expression: " + the
// expression library's message + "in [" + each file name followed by ", " +
// "]".
std::string build_abbreviation_expression(const std::vector<std::string>& files);

// The alternatives of every line of the files, in order, joined by "|";
// without the compile test. A missing file is logged as a warning
// ("Abbreviation file not found: " + name) and adds nothing, also the empty
// name; an error while a file is read is logged ("Could not load
// abbreviation file: " + name) and keeps the lines read before it.
std::string generate_abbreviation_expression(const std::vector<std::string>& files);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_ABBREVIATION_EXPRESSION_H_
