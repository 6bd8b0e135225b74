#include "base/json_exception.h"

#include <sstream>

namespace zel {

JSONThrowException::JSONThrowException(std::string const& json_object)
    : Exception(std::ostringstream(json_object)) {}

// Defined here so that the type information and virtual table live in one
// object file.
JSONThrowException::~JSONThrowException() = default;

}  // namespace zel
