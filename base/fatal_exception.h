// An exception for a failure the caller cannot repair by changing its
// request: a service that was never set up, a database that cannot be made.
//
// It is a plain std::runtime_error, not a zel::Exception, so the C interface
// reports it with the error code of runtime errors.

#ifndef KAVERO_BASE_FATAL_EXCEPTION_H_
#define KAVERO_BASE_FATAL_EXCEPTION_H_

#include <sstream>
#include <stdexcept>

namespace zel {

class FatalException : public std::runtime_error {
 public:
  // The message is the stream's whole text at the moment of construction.
  explicit FatalException(std::ostringstream const& message);
  ~FatalException() override;
};

}  // namespace zel

#endif  // KAVERO_BASE_FATAL_EXCEPTION_H_
