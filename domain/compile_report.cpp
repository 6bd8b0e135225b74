#include "domain/compile_report.h"

#include <string>

#include <nlohmann/json.hpp>

namespace omr {
namespace compiler {

int display_return_message(const char* result, std::ostream& out, bool marker_layout) {
  if (result == nullptr) return -1;
  const nlohmann::json json = nlohmann::json::parse(result);
  if (json.at("return").get<bool>()) return 0;
  auto sink = json.find("sink");
  if (sink == json.end()) return -1;

  for (auto source = sink->begin(); source != sink->end(); ++source) {
    const std::string& name = source.key();
    const std::string pad(name.size(), ' ');
    for (const nlohmann::json& diagnostic : source.value()) {
      const std::string type = diagnostic.at("type").get<std::string>();
      const std::string message = diagnostic.at("msg").get<std::string>();
      if (marker_layout && type == "error_marker") {
        out << pad << "          " << message << std::endl;
      } else if (diagnostic.contains("line")) {
        // The position as plain numbers; the type keeps its JSON quotes.
        out << name << ":" << diagnostic.at("line") << ":" << diagnostic.at("column") << ":"
            << diagnostic.at("type") << " " << message << std::endl;
      } else {
        out << name << ":" << message << std::endl;
      }
    }
  }
  return -1;
}

}  // namespace compiler
}  // namespace omr
