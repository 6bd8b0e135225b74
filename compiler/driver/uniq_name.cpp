#include "compiler/driver/uniq_name.h"

#include <sys/random.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace zel {
namespace compiler {
namespace {

// Fills the bytes from the operating system's random source, repeating the
// call for what is still missing and after an interruption by a signal.
void fill_random(uint8_t* bytes, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    const ssize_t got = getrandom(bytes + filled, size - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("getrandom failed, errno " + std::to_string(errno));
    }
    filled += static_cast<size_t>(got);
  }
}

}  // namespace

std::string generate_uniq_name(std::string prefix, std::string suffix) {
  uint8_t bytes[16];
  fill_random(bytes, sizeof bytes);
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // variant 10
  static const char kHex[] = "0123456789abcdef";
  std::string text = std::move(prefix);
  for (size_t i = 0; i < sizeof bytes; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 0x0F];
  }
  return text + suffix;
}

}  // namespace compiler
}  // namespace zel
