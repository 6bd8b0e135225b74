// A test fixture for concept insertion: a blackboard holding a hand-built
// document, concepts inserted over its tokens as a rule match inserts them,
// and a compact dump of the result.
#ifndef KAVERO_ANALYSIS_CONCEPT_FIXTURE_TESTUTIL_H_
#define KAVERO_ANALYSIS_CONCEPT_FIXTURE_TESTUTIL_H_

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "domain/domain_facade.h"

namespace zel {
namespace testing {

class ConceptFixture : public ::testing::Test {
 protected:
  // A new blackboard with those analyzer options, holding the document of
  // the text (see build_document).
  void load(const std::string& text, const std::string& analyzer_options = "{}") {
    blackboard = make_blackboard("{}", analyzer_options);
    document = build_document(text);
    load_document(*blackboard, document);
  }

  // Inserts over the tokens from `first` to `last`, as a rule match: from
  // the first token to the annotation after the last one. The document's
  // list must stay well formed.
  kavero::Concept* add(const std::string& uri, const std::string& first,
                       const std::string& last, const std::string& attributes = "",
                       kavero::Concept* parent = nullptr) {
    kavero::Token* from = find_token(*document.sentences, first);
    kavero::Token* to = find_token(*document.sentences, last);
    EXPECT_NE(from, nullptr) << first;
    EXPECT_NE(to, nullptr) << last;
    kavero::Concept* result =
        (*blackboard->collector)(from, to->next, uri, attributes, parent, "rule_1");
    EXPECT_EQ(list_faults(*document.sentences), "")
        << "after " << uri << " " << first << ".." << last;
    return result;
  }

  // Makes a domain of that name the blackboard's current one.
  std::shared_ptr<kavero::DomainFacade> domain(const std::string& name = "dom") {
    auto facade = std::make_shared<kavero::DomainFacade>(name);
    blackboard->set_current_domain(facade);
    return facade;
  }

  std::string dumped() const {
    return dump(*document.sentences, kDumpAttributes | kDumpFlags);
  }

  std::unique_ptr<kavero::Blackboard> blackboard;
  TestDocument document;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ANALYSIS_CONCEPT_FIXTURE_TESTUTIL_H_
