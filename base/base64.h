// Base64 with the standard alphabet and "=" padding (RFC 4648).
//
// The compile driver decodes rule sources passed inline as base64 option
// text with it.

#ifndef KAVERO_BASE_BASE64_H_
#define KAVERO_BASE_BASE64_H_

#include <string>
#include <vector>

namespace zel {
namespace string {
namespace base64 {

// The base64 form of the bytes, padded with "=" to a multiple of four
// characters. An empty input gives an empty text.
std::string encode(const std::string& bytes);
std::string encode(const std::vector<unsigned char>& bytes);

// The bytes of a base64 text. White space (as isspace() has it) is dropped,
// then missing padding is added. A character outside the alphabet (or a byte at or
// above 0x80) raises boost::archive::iterators::dataflow_exception, a
// std::exception whose message is "attempt to decode a value not in base64
// char set".
//
// Meant for plain base64 text: every "=" counts as padding wherever it
// stands, and removes one byte from the end of the result.
std::string decode(std::string text);

}  // namespace base64
}  // namespace string
}  // namespace zel

#endif  // KAVERO_BASE_BASE64_H_
