#include "api/client_options.h"

#include "base/json_escape.h"

namespace omr {
namespace common {

std::string options_to_string(const OptionMap& options) {
  std::string text = "{";
  for (const auto& entry : options) {
    if (text.size() > 1) text += ',';
    text += '"' + zel::json::escape_string(entry.first) + "\":\"" +
            zel::json::escape_string(entry.second) + '"';
  }
  return text + "}";
}

}  // namespace common
}  // namespace omr
