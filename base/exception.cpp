#include "base/exception.h"

namespace zel {

Exception::Exception(std::ostringstream const& message)
    : std::runtime_error(message.str()) {}

// Defined here so that the exception's type information and virtual table
// live in one object file.
Exception::~Exception() = default;

}  // namespace zel
