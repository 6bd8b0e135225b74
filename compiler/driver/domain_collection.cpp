#include "compiler/driver/domain_collection.h"

#include <utility>

#include "base/string_util.h"

namespace zel {

std::vector<omr::domain::Domain> make_domain_collection(const omr::engine::Engine& engine,
                                                        const std::vector<std::string>& names,
                                                        omr::common::OptionMap options) {
  // On a failure the elements made so far go with the vector, releasing
  // their handles.
  std::vector<omr::domain::Domain> domains;
  domains.reserve(names.size());
  for (const std::string& name : names) {
    omr::domain::Domain domain = omr::domain::wrapper_zel_api_load_domain(engine, name, options);
    // "name" is the client object's own record of what was loaded; the load
    // itself saw the caller's options.
    domain.options["name"] = name;
    domains.push_back(std::move(domain));
  }
  return domains;
}

std::vector<omr::domain::Domain> make_domain_collection(const omr::engine::Engine& engine,
                                                        const std::string& names,
                                                        omr::common::OptionMap options) {
  return make_domain_collection(engine, zel::string::split_vector(names, ",", false),
                                std::move(options));
}

}  // namespace zel
