#include "matcher/instance_store.h"

#include <sstream>
#include <utility>

#include "analysis/analyzer.h"
#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/option_collection.h"
#include "base/exception.h"
#include "base/options.h"

namespace zel {
namespace kavero {
namespace instances {

namespace {

[[noreturn]] void not_available(const std::string& what) {
  std::ostringstream message;
  message << what << " is not available yet.";
  throw Exception(message);
}

}  // namespace

void IStore::close() {}
IStore::~IStore() = default;

namespace short_term {

Store::Store(std::set<std::string> tracked_names,
             std::shared_ptr<IStore> long_term_store)
    : tracked_names_(std::move(tracked_names)),
      long_term_store_(std::move(long_term_store)) {}

Store::~Store() = default;

bool Store::is_instance(const Concept* concept_annotation) const {
  return tracked_names_.count(concept_annotation->uri) > 0;
}

void Store::check_concept(Blackboard&, Concept*) {
  not_available("Linking concepts to their instances");
}

std::shared_ptr<Instance> Store::get_instance(Blackboard&, const Concept*) {
  not_available("Finding the instance of a concept");
}

std::shared_ptr<IStore> create_store(Blackboard& blackboard) {
  std::set<std::string> names;
  args::parse_option_collection(names, blackboard.option_view, "instances",
                                "Person");
  if (names.empty()) return nullptr;
  if (names.count("Person") > 0) names.insert("GivenName");
  std::shared_ptr<IStore> long_term;
  if (blackboard.analyzer) long_term = blackboard.analyzer->long_term_store();
  return std::make_shared<Store>(std::move(names), std::move(long_term));
}

}  // namespace short_term

namespace long_term {

std::shared_ptr<IStore> create_store(std::shared_ptr<EngineInterface>,
                                     const std::shared_ptr<IOptions>& options) {
  if (!options || options->get("instance_module").empty()) return nullptr;
  not_available("The long-term instance store (\"instance_module\" " +
                options->get("instance_module") + ")");
}

}  // namespace long_term

void apply(Blackboard*) { not_available("Running the instance stores"); }

}  // namespace instances
}  // namespace kavero
}  // namespace zel
