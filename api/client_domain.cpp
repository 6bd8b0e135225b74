#include "api/client_domain.h"

#include "api/client_exception.h"

namespace omr {
namespace domain {

Domain::Domain(zel_object* handle, const engine::Engine& engine,
               const common::OptionMap& options)
    : common::Object(handle), options(options), engine(engine) {}

Domain::~Domain() = default;

analyzer::Results Domain::operator()(analyzer::Results results) {
  wrapper_zel_api_domain_process(*this, results);
  return analyzer::Results(results);
}

Domain wrapper_zel_api_load_domain(const engine::Engine& engine, const std::string& name,
                                   const common::OptionMap& options) {
  const std::string text = common::options_to_string(options);
  zel_exception record = common::zeroed_record();
  zel_object* handle =
      zel_api_load_domain(engine.handle(), name.c_str(), text.c_str(), text.size(), &record);
  Domain domain(handle, engine, options);
  common::handle_exception(record);
  return domain;
}

void wrapper_zel_api_domain_process(const Domain& domain, const analyzer::Results& results) {
  results.drop_parsed();
  zel_exception record = common::zeroed_record();
  zel_api_domain_process(domain.handle(), results.handle(), &record);
  common::handle_exception(record);
}

}  // namespace domain
}  // namespace omr
