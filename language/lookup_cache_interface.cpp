#include "language/lookup_cache_interface.h"

namespace zel {
namespace kavero {
namespace core {

ILookupCache::~ILookupCache() = default;

}  // namespace core
}  // namespace kavero
}  // namespace zel
