// The runtime objects behind the engine, domain and result handles, for the
// C interface's own functions and for plugins. Exported with C linkage;
// the handle must be valid and of that kind; a null handle gives null.

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

namespace zel {
namespace api {

// The same objects for the C interface's functions, which must answer a null
// handle with an error record rather than follow it: a null handle raises
// zel::Exception "Engine has not been initialized." (likewise "Domain ...",
// "Result ...").
kavero::Engine& engine_of(zel_object* engine);
kavero::Domain& domain_of(zel_object* domain);
kavero::Blackboard& blackboard_of(zel_object* result);

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_HANDLE_ACCESSORS_H_
