// The one way every function of the C interface turns an exception into its
// error record.
//
//   return guarded(error, static_cast<zel_object*>(nullptr), [&] { ... });
//
// The body runs inside one try block. On an exception the record gets the
// code of the exception's most specific class (5 zel::JSONThrowException,
// 1 zel::Exception, 3 std::runtime_error, 4 std::logic_error, 2 any other
// std::exception, and 2 with a fixed message for anything thrown that is
// no std::exception) and its text, and the function returns its failure
// value. Nothing leaves the library as an exception. A null record is not
// written.

#ifndef KAVERO_API_GUARDED_H_
#define KAVERO_API_GUARDED_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "api/kavero.h"

namespace zel {

class IOptions;

namespace api {

// The message of a thrown object of no standard exception class.
extern const char kUnknownFailure[];

// Writes the code and the text into the record: at most 1023 bytes of the
// text, cut at a UTF-8 character boundary, then zero bytes to the end of
// the field, so the message is always terminated.
void fill_error(zel_exception* error, int32_t code, const char* text, std::size_t length);

// Fills the record from the exception being handled; call only inside a
// catch handler.
void record_current_exception(zel_exception* error);

// Test seam: when set, every guarded body calls it first, so that a test
// can make a function's body throw what it likes.
extern void (*guarded_entry_hook)();

template <typename R, typename Body>
R guarded(zel_exception* error, R failure, Body&& body) {
  try {
    if (guarded_entry_hook != nullptr) guarded_entry_hook();
    return body();
  } catch (...) {
    record_current_exception(error);
    return failure;
  }
}

template <typename Body>
void guarded_void(zel_exception* error, Body&& body) {
  try {
    if (guarded_entry_hook != nullptr) guarded_entry_hook();
    body();
  } catch (...) {
    record_current_exception(error);
  }
}

// The option set of an option text: null or empty gives an empty set; a
// text that is not valid JSON raises zel::Exception quoting it, so that a
// host's typo is not taken for the defaults.
std::shared_ptr<IOptions> options_of(const char* text);

// The text of (text, length); a null text of length 0 is empty, a null text
// of another length raises std::logic_error.
std::string text_of(const char* text, std::size_t length, const char* what);

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_GUARDED_H_
