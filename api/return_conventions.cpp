#include "api/return_conventions.h"

#include <cstring>
#include <stdexcept>

namespace zel {
namespace api {

int copy_after_probe(const std::string& text, char* buffer, std::size_t* size) {
  if (size == nullptr) throw std::logic_error("a null size pointer");
  const std::size_t length = text.size();
  if (*size < length) {
    *size = length;
    return 0;
  }
  if (buffer == nullptr) throw std::logic_error("a null buffer");
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  *size = length;
  return 1;
}

int copy_after_int_probe(const std::string& text, std::size_t needed, char* buffer, int* size) {
  if (size == nullptr) return 0;
  if (*size > 0 && needed < static_cast<std::size_t>(*size)) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *size = static_cast<int>(text.size());
    return 1;
  }
  *size = static_cast<int>(needed + 1);
  return 0;
}

std::size_t copy_cut(const std::string& text, char* buffer, std::size_t length) {
  if (length != 0) {
    if (buffer == nullptr) throw std::logic_error("a null buffer");
    const std::size_t n = text.size() < length ? text.size() : length;
    std::memcpy(buffer, text.data(), n);
    if (n < length) std::memset(buffer + n, 0, length - n);
  }
  return text.size();
}

}  // namespace api
}  // namespace zel
