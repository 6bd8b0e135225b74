#include "api/client_exception.h"

#include <cstring>

namespace omr {
namespace common {

Exception::Exception(const std::string& message) : std::runtime_error(message) {}
Exception::~Exception() = default;

JsonException::JsonException(const std::string& message) : Exception(message) {}
JsonException::~JsonException() = default;

void handle_exception(const zel_exception& record) {
  if (record.code < 1 || record.code > 5) return;
  // A record filled by code outside the library need not end in a NUL byte.
  const std::string message(record.message,
                            strnlen(record.message, sizeof(record.message)));
  switch (record.code) {
    case 1:
      throw Exception(message);
    case 2:
    case 3:
      throw std::runtime_error(message);
    case 4:
      throw std::logic_error(message);
    default:
      throw JsonException(message);
  }
}

zel_exception zeroed_record() {
  zel_exception record;
  std::memset(&record, 0, sizeof record);
  return record;
}

}  // namespace common
}  // namespace omr
