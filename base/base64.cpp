#include "base/base64.h"

#include <algorithm>
#include <cctype>

#include <boost/archive/iterators/base64_from_binary.hpp>
#include <boost/archive/iterators/binary_from_base64.hpp>
#include <boost/archive/iterators/transform_width.hpp>

namespace zel {
namespace string {
namespace base64 {
namespace {

namespace it = boost::archive::iterators;

// Padding by input length modulo 3.
const char* const kPadding[3] = {"", "==", "="};

template <class Iterator>
std::string encode_range(Iterator begin, Iterator end, std::size_t size) {
  using Encoder = it::base64_from_binary<it::transform_width<Iterator, 6, 8>>;
  std::string out{Encoder(begin), Encoder(end)};
  out += kPadding[size % 3];
  return out;
}

}  // namespace

std::string encode(const std::string& bytes) {
  return encode_range(bytes.begin(), bytes.end(), bytes.size());
}

std::string encode(const std::vector<unsigned char>& bytes) {
  return encode_range(bytes.begin(), bytes.end(), bytes.size());
}

std::string decode(std::string text) {
  using Decoder =
      it::transform_width<it::binary_from_base64<std::string::const_iterator>, 8, 6>;
  // White space goes first, so that it counts neither for the padding nor
  // for the bytes dropped at the end: a line-wrapped text decodes whole.
  text.erase(std::remove_if(text.begin(), text.end(),
                            [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }),
             text.end());
  text.append((4 - text.size() % 4) % 4, '=');
  const std::size_t padding = static_cast<std::size_t>(std::count(text.begin(), text.end(), '='));
  std::replace(text.begin(), text.end(), '=', 'A');
  std::string out{Decoder(text.cbegin()), Decoder(text.cend())};
  out.erase(out.size() - std::min(padding, out.size()));
  return out;
}

}  // namespace base64
}  // namespace string
}  // namespace zel
