#include "base/fatal_exception.h"

namespace zel {

FatalException::FatalException(std::ostringstream const& message)
    : std::runtime_error(message.str()) {}

// Defined here so that the exception's type information and virtual table
// live in one object file.
FatalException::~FatalException() = default;

}  // namespace zel
