#include "api/output_concept_filter.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "base/error_message_testutil.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain.h"
#include "engine/engine.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::build_document;
using zel::testing::dump;
using zel::testing::find_concept;

TEST(MakeOutputFilter, SplitsAtBarsElseAtCommas) {
  struct Case {
    const char* text;
    std::vector<std::string> names;
  } const cases[] = {
      {"Person,City", {"City", "Person"}},
      // A bar anywhere makes the comma part of a name.
      {"Person,City|Town", {"Person,City", "Town"}},
      {"Town|City|Town", {"City", "Town"}},
      {"Person", {"Person"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    const OutputFilter filter = make_output_filter(c.text);
    EXPECT_EQ(std::vector<std::string>(filter.names.begin(), filter.names.end()), c.names)
        << c.text;
    ASSERT_NE(filter.filter, nullptr) << c.text;
  }
  const OutputFilter filter = make_output_filter("Person,City|Town");
  EXPECT_TRUE(filter.has("Person,City"));
  EXPECT_TRUE(filter.has("Town"));
  EXPECT_FALSE(filter.has("Person"));
  // Names are patterns.
  EXPECT_TRUE(make_output_filter("Ci.*").has("City"));
  EXPECT_NE(zel::testing::message_of([] { make_output_filter("Ci(ty"); }), "(no exception)");
}

TEST(OutputConceptFilter, InfoJoinsTheNamesInByteOrder) {
  EXPECT_EQ(Filter("Person,City").info(), "City|Person");
  EXPECT_EQ(Filter("B|A,C").info(), "A,C|B");
  EXPECT_EQ(Filter("").info(), "");
  // A handle is made with one reference.
  Filter* filter = new Filter("Person");
  EXPECT_EQ(filter->ref_count, 1u);
  filter->dec_ref();
}

TEST(OutputConceptFilter, WhatIsNeverReturned) {
  struct Case {
    const char* uri;
    bool deleted;
    bool never;
  } const cases[] = {
      {"Person", false, false}, {"Person", true, true}, {"$tmp", false, true},
      {":x", false, true},      {"", false, false},     {"", true, true},
      {"a$b", false, false},
  };
  for (const Case& c : cases) {
    Concept concept_annotation(0, 1, c.uri);
    concept_annotation.flags.set(kDeleted, c.deleted);
    EXPECT_EQ(do_not_return(concept_annotation), c.never) << c.uri << c.deleted;
  }
}

TEST(OutputConceptFilter, TheSetFilterLeavesOutWhatTheNamesDoNotAccept) {
  const SetFilter persons(make_output_filter("Person"));
  const SetFilter everything(make_output_filter(""));
  struct Case {
    const char* uri;
    bool deleted;
    bool persons_leave_out;
    bool everything_leaves_out;
  } const cases[] = {
      {"Person", false, false, false}, {"City", false, true, false},
      {"Person", true, true, true},    {"$Person", false, true, true},
      {":Person", false, true, true},  {"", false, true, false},
  };
  for (const Case& c : cases) {
    Concept concept_annotation(0, 1, c.uri);
    concept_annotation.flags.set(kDeleted, c.deleted);
    EXPECT_EQ(persons(concept_annotation), c.persons_leave_out) << c.uri << c.deleted;
    EXPECT_EQ(everything(concept_annotation), c.everything_leaves_out) << c.uri << c.deleted;
  }
  EXPECT_TRUE(persons.has("Person"));
  EXPECT_FALSE(persons.has("City"));
  // The copy shares the compiled pattern.
  const OutputFilter original = make_output_filter("Person");
  EXPECT_EQ(SetFilter(original).filter.filter, original.filter);
}

class FilterOutputConceptsTest : public ::testing::Test {
 protected:
  // A document whose concepts all carry "import".
  Blackboard& document(const std::string& text) {
    blackboard_ = zel::testing::make_blackboard();
    zel::testing::load_document(*blackboard_, build_document(text));
    for (Annotation* s : *blackboard_->annotations) {
      for (Annotation* a : annotation_cast<Sentence>(s)->annotations) {
        if (Concept* c = annotation_cast<Concept>(a)) c->flags.set(kImport);
      }
    }
    return *blackboard_;
  }
  std::string dumped() const { return dump(*blackboard_->annotations, zel::testing::kDumpFlags); }

  std::unique_ptr<Blackboard> blackboard_;
};

TEST_F(FilterOutputConceptsTest, OnlyTheAcceptedConceptsKeepTheirMark) {
  Blackboard& blackboard = document("[Person Anna ] in [City Paris ] [Town Lyon ] [Person{x=1} Bob ]");
  Concept* deleted_town = find_concept(*blackboard.annotations, "Town");
  deleted_town->flags.set(kDeleted);
  const Filter filter("Person,City");
  blackboard.result_json = "printed before";
  filter.process(blackboard);
  EXPECT_EQ(blackboard.result_json, "");
  // The "Sentence" concept loses its mark; the deleted concept keeps its
  // flags.
  const std::string once =
      "[Sentence [Person!import Anna ]Person in [City!import Paris ]City "
      "[Town!deleted,import Lyon ]Town [Person!import Bob ]Person,Sentence $";
  EXPECT_EQ(dumped(), once);
  // Again, or with a filter that accepts everything: no change.
  filter.process(blackboard);
  EXPECT_EQ(dumped(), once);
  Filter("").process(blackboard);
  EXPECT_EQ(dumped(), once);
  Filter(".*").process(blackboard);
  EXPECT_EQ(dumped(), once);
  // A second filter narrows further; nothing comes back.
  Filter("City|Sentence").process(blackboard);
  EXPECT_EQ(dumped(),
            "[Sentence [Person Anna ]Person in [City!import Paris ]City "
            "[Town!deleted,import Lyon ]Town [Person Bob ]Person,Sentence $");
}

TEST_F(FilterOutputConceptsTest, ConceptsInTheDocumentListAreFilteredToo) {
  Blackboard& blackboard = document("[City Paris ]");
  auto* loose_town = new Concept(0, 5, "Town");
  loose_town->flags.set(kImport);
  auto* loose_city = new Concept(0, 5, "City");
  loose_city->flags.set(kImport);
  blackboard.annotations->push_back(loose_town);
  blackboard.annotations->push_back(loose_city);
  filter_output_concepts(blackboard, make_output_filter("City"));
  EXPECT_FALSE(loose_town->flags.test(kImport));
  EXPECT_TRUE(loose_city->flags.test(kImport));
  EXPECT_TRUE(find_concept(*blackboard.annotations, "City")->flags.test(kImport));
  EXPECT_FALSE(find_concept(*blackboard.annotations, "Sentence")->flags.test(kImport));
}

TEST_F(FilterOutputConceptsTest, AResultWithoutDocumentIsOnlyEmptied) {
  blackboard_ = zel::testing::make_blackboard();
  blackboard_->annotations.reset();
  blackboard_->result_json = "printed before";
  Filter("City").process(*blackboard_);
  EXPECT_EQ(blackboard_->result_json, "");
}

// A fixture domain without an output filter marks every concept; the host's
// filter then keeps the marks of its names only.
TEST(OutputConceptFilterOverADomainRun, KeepsOnlyTheHostsConcepts) {
  zel::testing::ScratchFolder folder;
  folder.folder("morvik");
  // lexicon literal: Paris -> City, Lyon -> Town, Anna -> Person
  kavero::testing::write_compiled_domain(
      "dom_info {\"concepts\":\".*\"}\n"
      "lexicon literal\n  Paris:[City]\n  Lyon:[Town]\n  Anna:[Person]\n",
      folder.path() / "morvik" / "d.dom");
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", folder.str()}, {"morvik", folder.str("morvik")}}.dump()));
  const Domain domain(engine, "d", convert_string_to_api_options("{}"));
  std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard();
  zel::testing::load_document(*blackboard, build_document("Anna saw Paris and Lyon"));
  domain.process(*blackboard);
  EXPECT_EQ(dump(*blackboard->annotations, zel::testing::kDumpFlags),
            "[Sentence!import [Person!import Anna ]Person saw [City!import Paris ]City and "
            "[Town!import Lyon ]Town,Sentence $");
  Filter("Person,City").process(*blackboard);
  EXPECT_EQ(dump(*blackboard->annotations, zel::testing::kDumpFlags),
            "[Sentence [Person!import Anna ]Person saw [City!import Paris ]City and "
            "[Town Lyon ]Town,Sentence $");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
