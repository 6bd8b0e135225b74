// Attribute strings: the one-line form of an ordered list of key and value
// pairs, key "=" value items joined by ";" (a=1;b=2).
//
// The container of named binary objects stores them with its records, the
// compiler writes them and the domain loader and the rule matcher read them.
// Nothing is escaped: a key holding "=" or a value holding ";" does not
// survive writing and reading back.

#ifndef KAVERO_BASE_ATTRIBUTE_STRING_H_
#define KAVERO_BASE_ATTRIBUTE_STRING_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zel {

// Keys need not be unique; the order of the pairs is part of the list.
using AttributeList = std::vector<std::pair<std::string, std::string>>;

// The pairs of an attribute string, in order: the text is split at ";" (a
// run of ";" counts as one cut), each item at its first "=" (further "="
// belong to the value). An item without "=" and an empty item are skipped;
// blanks are kept. The pointer form reads that many bytes (none when the
// length is 0).
AttributeList string2attributes(const std::string& text);
AttributeList string2attributes(const char* data, std::uint32_t length);

// The value of the first pair with the key, or an empty text that lives as
// long as the program.
const std::string& get_attribute(const AttributeList& attributes, const std::string& key);

}  // namespace zel

// The printers live in the standard namespace, where the argument types are,
// so that every caller finds them whatever namespace it is in.
namespace std {

// key "=" value
std::ostream& operator<<(std::ostream& os, const std::pair<std::string, std::string>& attribute);

// The attribute string: the pairs joined by ";", no trailing ";"; nothing for
// an empty list.
std::ostream& operator<<(std::ostream& os,
                         const std::vector<std::pair<std::string, std::string>>& attributes);

}  // namespace std

#endif  // KAVERO_BASE_ATTRIBUTE_STRING_H_
