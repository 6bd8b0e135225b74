#include "api/handle_accessors.h"

#include <sstream>

#include "api/handles.h"
#include "api/kavero.h"
#include "base/exception.h"

extern "C" {

ZEL_API_EXPORT zel::kavero::Engine* get_engine(zel_object* engine) {
  if (engine == nullptr) return nullptr;
  return zel::api::handle_cast<zel::api::Engine>(engine)->engine.get();
}

ZEL_API_EXPORT zel::kavero::Domain* get_domain(zel_object* domain) {
  if (domain == nullptr) return nullptr;
  return zel::api::handle_cast<zel::api::Domain>(domain)->domain.get();
}

ZEL_API_EXPORT zel::kavero::Blackboard* get_blackboard(zel_object* result) {
  if (result == nullptr) return nullptr;
  return zel::api::handle_cast<zel::api::Blackboard>(result)->blackboard.get();
}

}  // extern "C"

namespace zel {
namespace api {
namespace {

template <typename T>
T& followed(T* object, const char* message) {
  if (object == nullptr) {
    std::ostringstream text;
    text << message;
    throw zel::Exception(text);
  }
  return *object;
}

}  // namespace

kavero::Engine& engine_of(zel_object* engine) {
  return followed(get_engine(engine), "Engine has not been initialized.");
}

kavero::Domain& domain_of(zel_object* domain) {
  return followed(get_domain(domain), "Domain has not been initialized.");
}

kavero::Blackboard& blackboard_of(zel_object* result) {
  return followed(get_blackboard(result), "Result has not been initialized.");
}

}  // namespace api
}  // namespace zel
