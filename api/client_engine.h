// The client class of an engine (see client_object.h).

#ifndef KAVERO_API_CLIENT_ENGINE_H_
#define KAVERO_API_CLIENT_ENGINE_H_

#include "api/client_object.h"
#include "api/client_options.h"

namespace omr {
namespace engine {

class Engine : public common::Object {
 public:
  // Makes an engine of the options through the C interface; raises what
  // the library reports.
  explicit Engine(const common::OptionMap& options);
  // Takes over the reference to an engine handle made with the options.
  Engine(zel_object* handle, const common::OptionMap& options);
  ~Engine() override;

  common::OptionMap options;
};

}  // namespace engine
}  // namespace omr

#endif  // KAVERO_API_CLIENT_ENGINE_H_
