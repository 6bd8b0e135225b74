#include "matcher/matcher_interface.h"

namespace zel {
namespace kavero {
namespace matcher {

MatcherInterface::~MatcherInterface() = default;

}  // namespace matcher
}  // namespace kavero
}  // namespace zel
