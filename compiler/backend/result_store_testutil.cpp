#include "compiler/backend/result_store_testutil.h"

#include <tuple>
#include <utility>

#include "base/options.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace testing {

namespace ser = afst::serialization;

Compilation::Compilation(const std::string& options)
    : blackboard(convert_string_to_api_options(options)), binding_(&blackboard) {}

Compilation::~Compilation() { close_database(); }

void Compilation::open_database(bool full_build, int64_t timestamp) {
  blackboard.domain_database.reset();
  blackboard.domain_database =
      std::make_shared<DomainDatabase>(blackboard, dom(), timestamp, full_build);
}

void Compilation::close_database() { blackboard.domain_database.reset(); }

std::unique_ptr<ResultStore> Compilation::store() {
  if (!blackboard.domain_database) open_database(true);
  return std::make_unique<ResultStore>(blackboard);
}

std::string record_data(const std::string& file, const std::string& name) {
  auto db = ser::open_file_read(file);
  if (!ser::has_binary_data(db.get(), name)) return "(none)";
  const ser::BinaryData record = ser::get_binary_data(db.get(), name);
  return std::string(record.second.begin(), record.second.end());
}

std::vector<std::string> record_names(const std::string& file) {
  std::vector<std::string> names;
  ser::foreach_rule(
      ser::open_file_read(file),
      [&](const std::tuple<std::string, std::string>& record) {
        names.push_back(std::get<0>(record));
        return true;
      },
      "%");
  return names;
}

ast::node::AssignCaptureGroup call(const std::string& uri, const AttributeList& pairs) {
  ast::node::AssignCaptureGroup group;
  group.uri_ = uri;
  group.attributes_ = pairs;
  return group;
}

ast::node::RuleCapture capture(const std::string& name, ast::node::RuleNodes nodes) {
  ast::node::RuleCapture result;
  result.assignment.uri_ = name;
  result.nodes = std::move(nodes);
  return result;
}

ast::node::RuleConcept concept_ref(const std::string& name, ast::node::RuleNodes nodes) {
  ast::node::RuleConcept result;
  result.name = name;
  result.nodes = std::move(nodes);
  return result;
}

ast::node::RuleToken literal(const std::string& text) {
  ast::node::RuleToken token;
  token.literal = text;
  return token;
}

ast::node::Rule rule(const std::string& name, ast::node::RuleNodes nodes) {
  ast::node::Rule result;
  result.capture = capture(name, std::move(nodes));
  return result;
}

}  // namespace testing
}  // namespace compiler
}  // namespace zel
