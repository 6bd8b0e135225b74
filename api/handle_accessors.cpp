#include "api/handle_accessors.h"

#include "api/handles.h"
#include "api/kavero.h"

extern "C" {

ZEL_API_EXPORT zel::kavero::Engine* get_engine(zel_object* engine) {
  return zel::api::handle_cast<zel::api::Engine>(engine)->engine.get();
}

ZEL_API_EXPORT zel::kavero::Domain* get_domain(zel_object* domain) {
  return zel::api::handle_cast<zel::api::Domain>(domain)->domain.get();
}

ZEL_API_EXPORT zel::kavero::Blackboard* get_blackboard(zel_object* result) {
  return zel::api::handle_cast<zel::api::Blackboard>(result)->blackboard.get();
}

}  // extern "C"
