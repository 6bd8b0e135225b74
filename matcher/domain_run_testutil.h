// Test helper: a compiled domain written from the compact text form
// (compiled_domain_testutil.h) and loaded, and a document built from the
// compact document text (document_testutil.h) on a blackboard, encoded for
// the domain, ready for its rules to run.

#ifndef KAVERO_MATCHER_DOMAIN_RUN_TESTUTIL_H_
#define KAVERO_MATCHER_DOMAIN_RUN_TESTUTIL_H_

#include <memory>
#include <string>

#include "analysis/blackboard.h"
#include "analysis/document_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain_facade.h"

namespace zel {
namespace kavero {
namespace testing {

class DomainRun {
 public:
  // Loads the domain "d" of the text; raises what loading raises.
  explicit DomainRun(const std::string& domain_text);

  // A new blackboard (with those document and analyzer options) holding
  // the document of the text, with the domain as its current one, encoded.
  void load(const std::string& document_text, const std::string& document_options = "{}",
            const std::string& analyzer_options = "{}");

  // The document with attributes and flags.
  std::string dump() const;

  // The domain's collection with that qualified name.
  const RuleCollectionBase& collection(const std::string& qualified_name) const;

  zel::testing::ScratchFolder folder;
  std::shared_ptr<DomainFacade> domain;
  std::unique_ptr<Blackboard> blackboard;
  zel::testing::TestDocument document;
};

}  // namespace testing
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_DOMAIN_RUN_TESTUTIL_H_
