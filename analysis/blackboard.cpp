#include "analysis/blackboard.h"

namespace zel {
namespace kavero {

Blackboard::Blackboard() : lookup_cache(std::make_shared<LookupCache>()) {}

Blackboard::~Blackboard() = default;

}  // namespace kavero
}  // namespace zel
