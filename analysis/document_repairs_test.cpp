#include "analysis/document_repairs.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "domain/domain_facade.h"

namespace zel {
namespace kavero {
namespace {

using testing::build_document;
using testing::dump;
using testing::find_concept;
using testing::find_token;
using testing::kDumpFlags;
using testing::kDumpReadings;
using testing::TestDocument;

TEST(FixEntities, GuessedTokensOfEntitiesBecomeProperNouns) {
  TestDocument doc = build_document(
      "[City Quux/Nn-Sg:quux+guess|V:quux+x]"
      " [Person Mary/Prop-Std+first Zorb/Nn:zorb+a|Adj:zorb+guess+b|V:zorb+c|Nn:zorb+guess]"
      " [Organization [Street Blip/Nn:blip+guess]] plain/Adj:plain+guess\n"
      "[Company Yzz/Nn:yzz+guess] [Street Blop/Nn:blop+guess] [City Xyz/Nn:xyz+guess]");
  find_concept(*doc.sentences, "City", 2)->flags.set(kDeleted);
  fix_entities(*doc.sentences);
  EXPECT_EQ(dump(*doc.sentences, kDumpReadings),
            // The first guessed reading and every later one lose their
            // properties; readings before it keep theirs.
            "[Sentence [City Quux/Prop-Std|V:quux ]City"
            " [Person Mary/Prop-Std+first Zorb/Nn:zorb+a|Prop-Std|V:zorb|Prop-Std ]Person"
            // A token inside another concept inside an entity is repaired
            // too; one outside every entity is not.
            " [Organization [Street Blip/Prop-Std ]Street,Organization"
            " plain/Adj+guess ]Sentence $\n"
            // Not an entity name, or a deleted entity: unchanged.
            "[Sentence [Company Yzz/Prop-Std ]Company [Street Blop/Nn:blop+guess ]Street"
            " [City Xyz/Nn:xyz+guess ]City,Sentence $");
  const Token* quux = find_token(*doc.sentences, "Quux");
  EXPECT_EQ(quux->readings.front().pos_id(), find_token(*doc.sentences, "Mary")->readings.front().pos_id());
}

TEST(FixEntities, AConceptWithoutEndAnnotationIsPassedOver) {
  TestDocument doc = build_document("[City Quux/Nn:quux+guess]");
  find_concept(*doc.sentences, "City")->end_annotation = nullptr;
  fix_entities(*doc.sentences);
  EXPECT_EQ(find_token(*doc.sentences, "Quux")->readings.front().pos(), "Nn");
}

TEST(NamespaceActions, MarkTheListedConceptsDeleted) {
  const std::string text =
      "[Person Ann/Prop] [City Rome/Prop] [Person [Title Dr/Nn] Bo/Prop]\n[Person Cy/Prop]";
  auto domain = std::make_shared<DomainFacade>("people");
  domain->namespace_actions["cleanup"].names = {"Person", "Title"};
  domain->namespace_actions["nothing"].names = {};
  domain->namespace_actions["last"].names = {"City"};
  struct Case {
    std::string namespace_name;
    std::shared_ptr<DomainFacade> domain;
    std::string result;
  } const cases[] = {
      {"cleanup", domain,
       "[Sentence [Person!deleted Ann ]Person [City Rome ]City [Person!deleted [Title!deleted"
       " Dr ]Title Bo ]Person,Sentence $\n"
       "[Sentence [Person!deleted Cy ]Person,Sentence $"},
      {"last", domain,
       "[Sentence [Person Ann ]Person [City!deleted Rome ]City [Person [Title Dr ]Title Bo"
       " ]Person,Sentence $\n"
       "[Sentence [Person Cy ]Person,Sentence $"},
      {"nothing", domain,
       "[Sentence [Person Ann ]Person [City Rome ]City [Person [Title Dr ]Title Bo"
       " ]Person,Sentence $\n"
       "[Sentence [Person Cy ]Person,Sentence $"},
      {"unknown", domain,
       "[Sentence [Person Ann ]Person [City Rome ]City [Person [Title Dr ]Title Bo"
       " ]Person,Sentence $\n"
       "[Sentence [Person Cy ]Person,Sentence $"},
      {"cleanup", nullptr,
       "[Sentence [Person Ann ]Person [City Rome ]City [Person [Title Dr ]Title Bo"
       " ]Person,Sentence $\n"
       "[Sentence [Person Cy ]Person,Sentence $"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Blackboard> blackboard = testing::make_blackboard();
    testing::load_document(*blackboard, build_document(text));
    apply_namespace_actions(c.namespace_name, *blackboard, c.domain);
    EXPECT_EQ(dump(*blackboard->annotations, kDumpFlags), c.result) << c.namespace_name;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
