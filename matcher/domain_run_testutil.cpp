#include "matcher/domain_run_testutil.h"

#include <stdexcept>

#include "analysis/blackboard_testutil.h"
#include "domain/domain_loader.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace kavero {
namespace testing {

DomainRun::DomainRun(const std::string& domain_text) {
  write_compiled_domain(domain_text, folder.path() / "d.dom");
  domain = std::make_shared<DomainFacade>("d");
  if (!load_domain(*domain, {folder.str()}, "d")) {
    throw std::runtime_error("the test domain was not loaded");
  }
}

void DomainRun::load(const std::string& document_text, const std::string& document_options,
                     const std::string& analyzer_options) {
  blackboard = zel::testing::make_blackboard(document_options, analyzer_options);
  document = zel::testing::build_document(document_text);
  zel::testing::load_document(*blackboard, document);
  blackboard->set_current_domain(domain);
  encode_stream(*blackboard, domain);
}

std::string DomainRun::dump() const {
  return zel::testing::dump(*document.sentences,
                            zel::testing::kDumpAttributes | zel::testing::kDumpFlags);
}

const RuleCollectionBase& DomainRun::collection(const std::string& qualified_name) const {
  for (const auto& entry : domain->rule_collections) {
    if (entry.second.qualified_name == qualified_name) return entry.second;
  }
  throw std::runtime_error("no collection " + qualified_name);
}

}  // namespace testing
}  // namespace kavero
}  // namespace zel
