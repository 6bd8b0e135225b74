// The general exception of the code base.
//
// Every subsystem raises zel::Exception with a message composed in a string
// stream (fixed words, quoted names, numbers); the C interface reports it
// with error code 1. More specific exception types derive from it.

#ifndef KAVERO_BASE_EXCEPTION_H_
#define KAVERO_BASE_EXCEPTION_H_

#include <sstream>
#include <stdexcept>

namespace zel {

class Exception : public std::runtime_error {
 public:
  // The message is the stream's whole text at the moment of construction;
  // later writes to the stream do not change it.
  explicit Exception(std::ostringstream const& message);
  ~Exception() override;
};

}  // namespace zel

#endif  // KAVERO_BASE_EXCEPTION_H_
