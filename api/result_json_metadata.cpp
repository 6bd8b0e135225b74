#include "api/result_json_metadata.h"

#include <nlohmann/json.hpp>

#include "analysis/blackboard.h"

namespace zel {
namespace kavero {

void stream_json_api_metadata(Blackboard& blackboard, std::ostream& out) {
  v2::stream_json_api_metadata(blackboard, out);
}

namespace v2 {

void stream_json_api_metadata(Blackboard& blackboard, std::ostream& out) {
  jsonMetaData(blackboard, out);
}

void jsonMetaData(const Blackboard& blackboard, std::ostream& out) {
  if (!blackboard.metadata) {
    out << "{}";
    return;
  }
  out << blackboard.metadata->dump();
}

}  // namespace v2
}  // namespace kavero
}  // namespace zel
