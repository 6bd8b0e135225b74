#include "matcher/anaphora.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace kavero {
namespace anaphora {

void apply(Blackboard*) {
  std::ostringstream message;
  message << "Resolving anaphora is not available yet.";
  throw Exception(message);
}

}  // namespace anaphora
}  // namespace kavero
}  // namespace zel
