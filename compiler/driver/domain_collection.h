// Loads a list of compiled domains through the client classes, in the order
// of their names, for the compiler's own runs over analysed text (the rule
// tests).
//
// Every element holds one reference to its domain handle and one more to
// the engine's handle; its option map is the caller's map with "name" set
// to the element's domain name. A name that cannot be loaded raises what
// the library reports; the domains loaded before it are released and
// nothing is returned.

#ifndef KAVERO_COMPILER_DRIVER_DOMAIN_COLLECTION_H_
#define KAVERO_COMPILER_DRIVER_DOMAIN_COLLECTION_H_

#include <string>
#include <vector>

#include "api/client_domain.h"
#include "api/client_engine.h"
#include "api/client_options.h"

namespace zel {

// One domain per name, in list order; the load sees `options` as given. An
// empty list makes no call into the library.
std::vector<omr::domain::Domain> make_domain_collection(const omr::engine::Engine& engine,
                                                        const std::vector<std::string>& names,
                                                        omr::common::OptionMap options);

// The names as one text split at every "," (empty parts kept, nothing
// trimmed); an empty text is an empty list.
std::vector<omr::domain::Domain> make_domain_collection(const omr::engine::Engine& engine,
                                                        const std::string& names,
                                                        omr::common::OptionMap options);

}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_DOMAIN_COLLECTION_H_
