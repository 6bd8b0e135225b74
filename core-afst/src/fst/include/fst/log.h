// The finite-state library's log-message class, replaced for this system.
//
// Every diagnostic report of the finite-state library goes through
// LogMessage. The library's own class prints every report on standard error
// and ends the process on a fatal one; a library inside a host process must
// do neither. This class composes each report in its own string stream and
//   - raises AFSTException with the whole text (level word, ": ", the report,
//     a newline) when a report of level "FATAL" ends, so the caller's
//     handlers of std::runtime_error decide what happens next;
//   - drops every other report ("ERROR", "WARNING", "INFO") unprinted; the
//     library operation then answers as it always does (null, false, an
//     error property).
//
// The build puts this header ahead of the library's own headers, both for the
// library's compiled units (core-afst/src/fst) and for every template
// instance in our code, so no unit keeps the original class.

#ifndef FST_LIB_LOG_H_
#define FST_LIB_LOG_H_

#include <cassert>
#include <exception>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <fst/types.h>
#include <fst/flags.h>

DECLARE_int32(v);

// A fatal report of the finite-state library. Nothing catches it by this
// type: it reaches the nearest handler of std::runtime_error.
class AFSTException : public std::runtime_error {
 public:
  explicit AFSTException(const std::string &text) : std::runtime_error(text) {}
};

class LogMessage {
 public:
  explicit LogMessage(const std::string &type) : fatal_(type == "FATAL") {
    message_ << type << ": ";
  }

  // Raises for a fatal report, hence noexcept(false). A report that ends
  // while another exception is unwinding (one made by a library destructor,
  // or one whose own operands threw) is dropped: raising then would end the
  // process.
  ~LogMessage() noexcept(false) {
    message_ << std::endl;
    if (fatal_ && std::uncaught_exceptions() == 0) {
      throw AFSTException(message_.str());
    }
  }

  LogMessage(const LogMessage &) = delete;
  LogMessage &operator=(const LogMessage &) = delete;

  std::ostream &stream() { return message_; }

 private:
  std::ostringstream message_;
  bool fatal_;
};

#define LOG(type) LogMessage(#type).stream()
#define VLOG(level) if ((level) <= FLAGS_v) LOG(INFO)

// Checks: a failed check is a fatal report like any other.
inline void FstCheck(bool x, const char *expr, const char *file, int line) {
  if (!x) {
    LOG(FATAL) << "Check failed: \"" << expr << "\" file: " << file
               << " line: " << line;
  }
}

#define CHECK(x) FstCheck(static_cast<bool>(x), #x, __FILE__, __LINE__)
#define CHECK_EQ(x, y) CHECK((x) == (y))
#define CHECK_LT(x, y) CHECK((x) < (y))
#define CHECK_GT(x, y) CHECK((x) > (y))
#define CHECK_LE(x, y) CHECK((x) <= (y))
#define CHECK_GE(x, y) CHECK((x) >= (y))
#define CHECK_NE(x, y) CHECK((x) != (y))

#define DCHECK(x) assert(x)
#define DCHECK_EQ(x, y) DCHECK((x) == (y))
#define DCHECK_LT(x, y) DCHECK((x) < (y))
#define DCHECK_GT(x, y) DCHECK((x) > (y))
#define DCHECK_LE(x, y) DCHECK((x) <= (y))
#define DCHECK_GE(x, y) DCHECK((x) >= (y))
#define DCHECK_NE(x, y) DCHECK((x) != (y))

#define ATTRIBUTE_DEPRECATED __attribute__((deprecated))

#endif  // FST_LIB_LOG_H_
