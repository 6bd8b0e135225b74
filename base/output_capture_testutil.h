// Test helpers that look at what code writes on the standard streams, and
// that run code in a process of its own (for process-wide state that is set
// up once, such as the environment loggers).

#ifndef KAVERO_BASE_OUTPUT_CAPTURE_TESTUTIL_H_
#define KAVERO_BASE_OUTPUT_CAPTURE_TESTUTIL_H_

#include <functional>
#include <string>

namespace zel {
namespace testing {

// Runs the function with standard output (or standard error) sent to a
// temporary file, and returns what was written there, through the C++
// streams and the C library alike.
std::string capture_stdout(const std::function<void()>& function);
std::string capture_stderr(const std::function<void()>& function);

struct ChildResult {
  // The function's return value; -1 when the child did not exit normally.
  int exit_code = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the function in a forked child process with its standard output and
// error captured, and waits for it. The child ends with the function's
// return value, or with 99 when the function raises.
ChildResult run_in_child(const std::function<int()>& function);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_BASE_OUTPUT_CAPTURE_TESTUTIL_H_
