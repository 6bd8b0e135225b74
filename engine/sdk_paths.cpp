#include "engine/sdk_paths.h"

#include <sstream>

#include "base/exception.h"

namespace zel {
namespace kavero {

void fill_in_sdk_paths(const std::shared_ptr<IOptions>&) {
  std::ostringstream message;
  message << "Finding the installation's root and resource folders is not available yet.";
  throw Exception(message);
}

std::string get_default_morvik() {
  auto options = std::make_shared<Options>();
  fill_in_sdk_paths(options);
  return options->get("morvik");
}

}  // namespace kavero
}  // namespace zel
