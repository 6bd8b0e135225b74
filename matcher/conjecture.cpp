#include "matcher/conjecture.h"

#include "analysis/blackboard.h"
#include "base/exception.h"

#include <sstream>

namespace zel {
namespace kavero {

void delete_conjecture(Blackboard& blackboard, const Concept*,
                       const std::string&) {
  if (!blackboard.conjector) return;
  std::ostringstream message;
  message << "The conjecture collector is not available yet.";
  throw Exception(message);
}

}  // namespace kavero
}  // namespace zel
