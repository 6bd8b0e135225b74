// The client class of a loaded domain (see client_object.h).

#ifndef KAVERO_API_CLIENT_DOMAIN_H_
#define KAVERO_API_CLIENT_DOMAIN_H_

#include <string>

#include "api/client_engine.h"
#include "api/client_results.h"

namespace omr {
namespace domain {

class Domain : public common::Object, public common::CallableInterface {
 public:
  // Takes over the reference to the domain handle; keeps its own copy of
  // the engine.
  Domain(zel_object* handle, const engine::Engine& engine, const common::OptionMap& options);
  ~Domain() override;

  using common::CallableInterface::operator();
  // Runs the domain over the result; a new client object of the result.
  analyzer::Results operator()(analyzer::Results results) override;

  common::OptionMap options;
  engine::Engine engine;
};

// Loads the named domain of the engine with the options. Raises what the
// library reports.
Domain wrapper_zel_api_load_domain(const engine::Engine& engine, const std::string& name,
                                   const common::OptionMap& options);

// Runs the domain over the result, dropping the result's parsed list first
// (the run changes the document). Raises what the library reports.
void wrapper_zel_api_domain_process(const Domain& domain, const analyzer::Results& results);

}  // namespace domain
}  // namespace omr

#endif  // KAVERO_API_CLIENT_DOMAIN_H_
