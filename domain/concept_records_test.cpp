#include "domain/concept_records.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(ConvertAttributes, PairsBecomeASortedListWithoutEnclosingQuotes) {
  const Attributes list =
      convert_attributes(Pairs{{"to", "\"Region\""}, {"from", "City"},
                               {"to", "Region"}, {"note", "\"\""}});
  EXPECT_EQ(convert_attributes(list),
            (Pairs{{"from", "City"}, {"note", ""}, {"to", "Region"}}));
}

TEST(ConvertAttributes, AFunctionCallOfADefinitionKeepsItsName) {
  const KavFunctionPlaceHolder call("kav::push_att", Pairs{{"to", "\"X\""}});
  EXPECT_EQ(call.name, "kav::push_att");
  EXPECT_EQ(convert_attributes(call.attributes), (Pairs{{"to", "X"}}));
}

// A domain database in a scratch folder whose records the tests write as
// the compiler's texts.
class ConceptRecords : public ::testing::Test {
 protected:
  ConceptRecords() : db_(afst::serialization::open_file(folder_.path() / "d.dom")) {
    afst::serialization::create_cbf_table(db_.get());
  }

  void store(const std::string& name, const std::string& data) {
    afst::serialization::store_binary_data(db_.get(), name, "", data.data(), data.size());
  }

  zel::testing::ScratchFolder folder_;
  std::shared_ptr<sqlite3> db_;
};

TEST_F(ConceptRecords, VersionIsTheFirstWordOfItsRecord) {
  EXPECT_EQ(core::load_sdk_version(db_), "");
  const struct {
    std::string data;
    std::string version;
  } cases[] = {
      {"3.1.1\n", "3.1.1"},
      {"  3.2.0 beta", "3.2.0"},
      {" \t\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    store("sdk_version", c.data);
    EXPECT_EQ(core::load_sdk_version(db_), c.version) << c.data;
  }
}

TEST_F(ConceptRecords, IdMapsKeepTheFirstNameOfAnIdAndHideInternalNames) {
  using Ids = std::map<unsigned, std::string>;
  EXPECT_EQ(core::load_concept_groups_pairs(db_, true), Ids{});
  EXPECT_EQ(core::load_capture_groups_pairs(db_, true), Ids{});
  EXPECT_EQ(core::get_dom_db_annotations(db_), std::vector<std::string>{});
  EXPECT_EQ(core::get_dom_db_annotations(nullptr), std::vector<std::string>{});
  EXPECT_TRUE(core::load_concept_definitions(db_).empty());

  // "City" and "Town" share id 2; "City" comes first in byte order.
  store("uniq_concept_map", R"({"$tmp":1,"Town":2,"City":2,"Person":3})");
  EXPECT_EQ(core::load_concept_groups_pairs(db_, false), (Ids{{2, "City"}, {3, "Person"}}));
  const Ids all = core::load_concept_groups_pairs(db_, true);
  EXPECT_EQ(all, (Ids{{1, "$tmp"}, {2, "City"}, {3, "Person"}}));
  EXPECT_EQ(core::reverse_map(all),
            (std::map<std::string, unsigned>{{"$tmp", 1}, {"City", 2}, {"Person", 3}}));

  store("uniq_capture_map", R"({"$cap":1,"Person":5,"":4,"Org":3})");
  EXPECT_EQ(core::load_capture_groups_pairs(db_, false),
            (Ids{{3, "Org"}, {4, ""}, {5, "Person"}}));
  EXPECT_EQ(core::load_capture_groups_pairs(db_, true),
            (Ids{{1, "$cap"}, {3, "Org"}, {4, ""}, {5, "Person"}}));
  EXPECT_EQ(core::get_dom_db_annotations(db_), (std::vector<std::string>{"Org", "", "Person"}));
}

TEST(ReverseMap, ANameUnderSeveralIdsKeepsTheSmallest) {
  EXPECT_EQ(core::reverse_map({{7, "A"}, {3, "A"}, {5, "B"}}),
            (std::map<std::string, unsigned>{{"A", 3}, {"B", 5}}));
}

TEST(ConceptDefinitions, EachValueKindBecomesAttributesOrCalls) {
  EXPECT_TRUE(core::load_concept_definitions(testing::ScratchDomain("").db()).empty());

  // on City :{ scope = "geo", trigger = kav::push_att(to="Region") };
  // on Person :{ trigger = kav::first, attributes = (kind="human", id=plain),
  //              trigger = [kav::listed, kav::also_listed], ... };
  const testing::ScratchDomain domain(
      "definition City\n"
      "  text scope \"geo\"\n"
      "  call trigger kav::push_att to=\"Region\"\n"
      "definition Person\n"
      "  call trigger kav::first\n"
      "  pairs attributes kind=\"human\" id=plain\n"
      "  calls trigger kav::listed | kav::also_listed k=\"v\"\n"
      "  text note \"as written\"\n"
      "  call trigger kav::last\n"
      "definition Empty\n");
  const std::map<std::string, ConceptDefinition> definitions =
      core::load_concept_definitions(domain.db());
  ASSERT_EQ(definitions.size(), 3u);

  // A call after a text and a text after a call: calls keep their order in
  // the vector, texts go to the attributes whatever their place. A text
  // keeps its quotes; the pairs of an attribute list lose them.
  const ConceptDefinition& city = definitions.at("City");
  EXPECT_EQ(convert_attributes(city.attributes), (Pairs{{"scope", "\"geo\""}}));
  ASSERT_EQ(city.functions.size(), 1u);
  EXPECT_EQ(city.functions[0].name, "kav::push_att");
  EXPECT_EQ(convert_attributes(city.functions[0].attributes), (Pairs{{"to", "Region"}}));

  // A stored list of calls comes back as calls of their own.
  const ConceptDefinition& person = definitions.at("Person");
  EXPECT_EQ(convert_attributes(person.attributes),
            (Pairs{{"id", "plain"}, {"kind", "human"}, {"note", "\"as written\""}}));
  std::vector<std::string> names;
  for (const KavFunctionPlaceHolder& call : person.functions) names.push_back(call.name);
  EXPECT_EQ(names, (std::vector<std::string>{"kav::first", "kav::listed", "kav::also_listed",
                                             "kav::last"}));
  EXPECT_EQ(convert_attributes(person.functions[2].attributes), (Pairs{{"k", "v"}}));

  EXPECT_TRUE(definitions.at("Empty").attributes.empty());
  EXPECT_TRUE(definitions.at("Empty").functions.empty());
}

TEST(ConceptDefinitions, ScopesAreDispatchedIntoSharedEntries) {
  const testing::ScratchDomain domain(
      "definition City\n"
      "  text scope geo\n"
      "  text kind place\n"
      "definition Region\n"
      "  text scope geo\n"
      "  text scope admin\n"
      "definition Person\n"
      "  text kind human\n");
  std::map<std::string, ConceptDefinition> definitions =
      core::load_concept_definitions(domain.db());
  const std::map<std::string, NamespaceAction> actions =
      core::dispatch_concept_definitions(definitions);
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions.at("geo").names, (std::set<std::string>{"City", "Region"}));
  EXPECT_EQ(actions.at("admin").names, (std::set<std::string>{"Region"}));
  EXPECT_EQ(convert_attributes(definitions.at("City").attributes), (Pairs{{"kind", "place"}}));
  EXPECT_TRUE(definitions.at("Region").attributes.empty());
  EXPECT_EQ(convert_attributes(definitions.at("Person").attributes), (Pairs{{"kind", "human"}}));
}

TEST_F(ConceptRecords, ARecordThatIsNotJsonRaises) {
  for (const char* record :
       {"uniq_concept_map", "uniq_capture_map", "uniq_concept_definitions"}) {
    store(record, "not json");
  }
  EXPECT_THROW(core::load_concept_groups_pairs(db_, true), nlohmann::json::parse_error);
  EXPECT_THROW(core::load_capture_groups_pairs(db_, false), nlohmann::json::parse_error);
  EXPECT_THROW(core::get_dom_db_annotations(db_), nlohmann::json::parse_error);
  EXPECT_THROW(core::load_concept_definitions(db_), nlohmann::json::parse_error);

  // An id map of another shape reads as empty.
  store("uniq_concept_map", R"(["Person"])");
  EXPECT_TRUE(core::load_concept_groups_pairs(db_, true).empty());
}

}  // namespace
}  // namespace kavero
}  // namespace zel
