#include "compiler/driver/test_engine.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "api/kavero.h"
#include "api/client_exception.h"
#include "api/client_options.h"
#include "base/options.h"
#include "compiler/driver/domain_collection.h"

namespace zel {
namespace compiler {

const std::string kTestOptionAnnotationFilter = "annotation_filter";
const std::string kTestOptionLanguage = "language";
const std::string kTestOptionDbg = "dbg";
const std::string kTestOptionInitialLowerCasing = "initial_lower_casing";
const std::string kTestOptionTagOutput = "tag_output";

namespace {

const char kDomKey[] = "dom";
const char kDomFilenameKey[] = "dom_filename";
const char kConceptsKey[] = "concepts";
const char kDomInfoKey[] = "dom_info";
const char kImportsKey[] = "imports";
const char kDependenciesKey[] = "dependencies";

// The texts of the array at object/key, when object is an object holding
// the key; an element that is not a text raises the JSON library's type
// error.
void insert_texts(const nlohmann::json& info, const char* object, const char* key,
                  std::set<std::string>& out) {
  const auto it = info.find(object);
  if (it == info.end() || !it->is_object()) return;
  const auto member = it->find(key);
  if (member == it->end()) return;
  for (const nlohmann::json& element : *member) out.insert(element.get<std::string>());
}

std::string domain_information(const omr::domain::Domain& domain) {
  zel_exception record{};
  const char* text = zel_api_domain_info(domain.handle(), &record);
  omr::common::handle_exception(record);
  return text == nullptr ? std::string() : std::string(text);
}

}  // namespace

omr::analyzer::Analyzer make_analyzer(Blackboard& blackboard) {
  // The test engine is the rule tests' own, separate from the
  // compilation's; it reads the same resource folder.
  omr::common::OptionMap engine_options;
  std::string language;
  if (blackboard.options != nullptr) {
    engine_options = language_engine_options(*blackboard.options);
    language = blackboard.options->get(kTestOptionLanguage.c_str());
  }
  engine_options[kTestOptionLanguage] = "auto";
  if (language == "generic") language = "english";

  const omr::engine::Engine engine(engine_options);
  const omr::common::OptionMap analyzer_options = {
      {kTestOptionLanguage, language},
      {kTestOptionDbg, "rule_info"},
      {kTestOptionInitialLowerCasing, "false"},
      {kTestOptionAnnotationFilter, "__compiler__"},
  };
  return omr::analyzer::Analyzer(engine, analyzer_options);
}

std::vector<omr::domain::Domain> make_test_domain_collection(Blackboard& blackboard) {
  blackboard.test_domains.push_back(blackboard.domain_file);
  if (blackboard.engine == nullptr) return {};
  return make_domain_collection(*blackboard.engine, blackboard.test_domains,
                                {{kTestOptionAnnotationFilter, ".*"}});
}

std::set<std::string> make_available_concept(const Blackboard& blackboard,
                                             const std::vector<omr::domain::Domain>& domains) {
  std::set<std::string> available = {"Sentence"};
  std::set<std::string> visited;
  for (const omr::domain::Domain& domain : domains) {
    add_available(blackboard, domain, visited, available);
  }
  return available;
}

void add_available(const Blackboard& blackboard, const omr::domain::Domain& domain,
                   std::set<std::string>& visited, std::set<std::string>& available) {
  const nlohmann::json info = nlohmann::json::parse(domain_information(domain));
  // Each domain file is described once, so shared dependencies are not
  // walked twice and dependency cycles end.
  const std::string file = info.at(kDomKey).at(kDomFilenameKey).get<std::string>();
  if (!visited.insert(file).second) return;

  insert_texts(info, kDomKey, kConceptsKey, available);
  insert_texts(info, kDomInfoKey, kImportsKey, available);

  const auto description = info.find(kDomInfoKey);
  if (description == info.end() || !description->is_object()) return;
  const auto names = description->find(kDependenciesKey);
  if (names == description->end()) return;
  for (const nlohmann::json& element : *names) {
    const std::string name = element.get<std::string>();
    if (blackboard.engine == nullptr) {
      // Without the compilation's engine there is nothing to load the
      // dependency with.
      throw std::logic_error("The dependency '" + name +
                             "' cannot be loaded: the compilation has no engine.");
    }
    omr::domain::Domain dependency =
        omr::domain::wrapper_zel_api_load_domain(*blackboard.engine, name, {});
    dependency.options["name"] = name;
    add_available(blackboard, dependency, visited, available);
  }
}

}  // namespace compiler
}  // namespace zel
