// The runtime objects behind the engine, domain and result handles, for the
// C interface's own functions and for plugins. Exported with C linkage;
// the handle must be valid, not null and of that kind.

#ifndef KAVERO_API_HANDLE_ACCESSORS_H_
#define KAVERO_API_HANDLE_ACCESSORS_H_

#include "api/zel_object.h"

namespace zel {
namespace kavero {
class Blackboard;
class Domain;
class Engine;
}  // namespace kavero
}  // namespace zel

extern "C" {
zel::kavero::Engine* get_engine(zel_object* engine);
zel::kavero::Domain* get_domain(zel_object* domain);
zel::kavero::Blackboard* get_blackboard(zel_object* result);
}

#endif  // KAVERO_API_HANDLE_ACCESSORS_H_
