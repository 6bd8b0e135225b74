// The message of the exception a call raises, for tests that compare error
// texts in tables.
#ifndef KAVERO_BASE_ERROR_MESSAGE_TESTUTIL_H_
#define KAVERO_BASE_ERROR_MESSAGE_TESTUTIL_H_

#include <exception>
#include <functional>
#include <string>

namespace zel {
namespace testing {

// What the call raises as a std::exception, or "(no exception)" when it
// returns normally.
inline std::string message_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no exception)";
}

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_BASE_ERROR_MESSAGE_TESTUTIL_H_
