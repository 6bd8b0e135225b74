#include "api/profiler.h"

namespace zel {
namespace kavero {
namespace profiler {

Profiler::Profiler() = default;
Profiler::~Profiler() = default;

}  // namespace profiler
}  // namespace kavero
}  // namespace zel
