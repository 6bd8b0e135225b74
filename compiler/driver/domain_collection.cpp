#include "compiler/driver/domain_collection.h"

#include <sstream>

#include "base/exception.h"

namespace zel {

namespace {

[[noreturn]] void not_available() {
  std::ostringstream message;
  message << "Compile-time domain collections are not available yet.";
  throw Exception(message);
}

}  // namespace

std::vector<omr::domain::Domain> make_domain_collection(const omr::engine::Engine&,
                                                        const std::vector<std::string>&,
                                                        omr::common::OptionMap) {
  not_available();
}

std::vector<omr::domain::Domain> make_domain_collection(const omr::engine::Engine&,
                                                        const std::string&,
                                                        omr::common::OptionMap) {
  not_available();
}

}  // namespace zel
