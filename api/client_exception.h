// The exceptions that a filled error record stands for.
//
// Code on the far side of an error record (the client classes over the C
// interface, and the library itself when it calls a plugin) turns a record
// that reports a failure back into an exception with handle_exception.

#ifndef KAVERO_API_CLIENT_EXCEPTION_H_
#define KAVERO_API_CLIENT_EXCEPTION_H_

#include <stdexcept>
#include <string>

#include "api/kavero.h"

namespace omr {
namespace common {

// A failure reported with code 1.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message);
  ~Exception() override;
};

// A failure reported with code 5; the message is a JSON object text.
class JsonException : public Exception {
 public:
  explicit JsonException(const std::string& message);
  ~JsonException() override;
};

// Raises what the record stands for, with its message (up to its first NUL
// byte, at most the whole message field): code 1 Exception, codes 2 and 3
// std::runtime_error, code 4 std::logic_error, code 5 JsonException. Any
// other code (0 above all) raises nothing.
void handle_exception(const zel_exception& record);

// An error record with every byte zero (code 0, empty message), ready to
// hand to a call of the C interface.
zel_exception zeroed_record();

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_EXCEPTION_H_
