#include "domain/domain_concepts.h"

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/scratch_folder_testutil.h"
#include "engine/environment_testutil.h"
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace core {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using Names = std::vector<std::string>;
using zel::testing::message_of;

Names names_of(const std::shared_ptr<OutputFilter>& filter) {
  return Names(filter->begin(), filter->end());
}

class DomainConcepts : public ::testing::Test {
 protected:
  std::string path(const std::string& relative) const { return scratch_.str(relative); }

  // A compiled domain whose capture map holds the names (ids 1, 2, ...),
  // with its description when one is given.
  std::string domain(const std::string& relative, const Names& captures,
                     const char* description = nullptr) const {
    std::string text = "capture";
    for (const std::string& name : captures) text += " " + name;
    text += description == nullptr ? "\nno_dom_info\n" : "\ndom_info " + std::string(description);
    const fs::path file = scratch_.path() / relative;
    fs::create_directories(file.parent_path());
    return testing::write_compiled_domain(text, file).dom.string();
  }

  zel::testing::ScratchFolder scratch_;
};

TEST(DomInfoConcepts, TheInformationFormAddsSentence) {
  const struct {
    const char* info;
    Names names;
  } cases[] = {
      {R"({"dom_info":{"concepts":"City,Person"}})", {"City", "Person", "Sentence"}},
      // Parts are kept as written.
      {R"({"dom_info":{"concepts":"B, A,B"}})", {" A", "B", "Sentence"}},
      {R"({"dom_info":{"concepts":["Z","A"]}})", {"A", "Sentence", "Z"}},
      {R"({"dom_info":{"concepts":{"x":"Org","y":"Org"}}})", {"Org", "Sentence"}},
      {R"({"dom_info":{"concepts":null}})", {"Sentence"}},
      {R"({"dom_info":{"other":1}})", {}},
      {R"({"dom_info":null})", {}},
      {R"({"dom":{}})", {}},
      {R"(["dom_info"])", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(names_of(get_dom_info_concepts(std::make_shared<json>(json::parse(c.info)))),
              c.names)
        << c.info;
  }
  EXPECT_EQ(names_of(get_dom_info_concepts(std::shared_ptr<json>())), Names{});
  EXPECT_EQ(message_of([] {
              get_dom_info_concepts(
                  std::make_shared<json>(json::parse(R"({"dom_info":{"concepts":["A",1]}})")));
            }),
            "[json.exception.type_error.302] type must be string, but is number");
}

TEST_F(DomainConcepts, TheDatabaseFormTakesTheDescriptionBesideIt) {
  scratch_.write("two.dom_info", R"({"concepts":"City,Person"})");
  scratch_.write("none.dom_info", R"({"concepts":null})");
  scratch_.write("blank.dom_info", "  ");
  scratch_.write("number.dom_info", R"({"concepts":["A",1]})");
  EXPECT_EQ(names_of(get_dom_info_concepts(path("two.dom"))), (Names{"City", "Person"}));
  EXPECT_EQ(names_of(get_dom_info_concepts(path("none.dom"))), Names{});
  EXPECT_EQ(names_of(get_dom_info_concepts(path("blank.dom"))), Names{});
  EXPECT_EQ(names_of(get_dom_info_concepts(path("absent.dom"))), Names{});
  EXPECT_THROW(get_dom_info_concepts(path("number.dom")), json::type_error);
}

TEST_F(DomainConcepts, ADomainKnowsItsDescribedConceptsAndItsCaptures) {
  const std::string file = domain("d.dom", {"City", "_tmp", "$internal", "::kav::push_att"},
                                  R"({"concepts":"Person,City"})");
  EXPECT_EQ(get_domain_concepts(file, true), (Names{"City", "Person"}));
  EXPECT_EQ(get_domain_concepts(file, false),
            (Names{"$internal", "::kav::push_att", "City", "Person", "_tmp"}));

  EXPECT_EQ(message_of([&] { get_domain_concepts(path("missing.dom"), true); }),
            "Cannot open domain file:" + path("missing.dom"));

  // A file that is no database adds no capture names, nor does a folder.
  scratch_.write("text.dom", "not a database");
  scratch_.write("text.dom_info", R"({"concepts":["A"]})");
  EXPECT_EQ(get_domain_concepts(path("text.dom"), false), Names{"A"});
  scratch_.folder("folder.dom");
  EXPECT_EQ(get_domain_concepts(path("folder.dom"), false), Names{});

  // A capture map that is not JSON is an error of the domain.
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(file);
  const std::string broken = "{";
  afst::serialization::store_binary_data(db.get(), "uniq_capture_map", "", broken.data(),
                                         broken.size());
  EXPECT_THROW(get_domain_concepts(file, true), json::parse_error);
}

TEST_F(DomainConcepts, TheOutputFilterIsEmptyOnlyWhenNothingIsNamed) {
  EXPECT_EQ(get_output_filter(domain("empty.dom", {})), nullptr);
  EXPECT_EQ(get_output_filter(domain("hidden.dom", {"_a", "$b"})), nullptr);
  const std::shared_ptr<OutputFilter> filter =
      get_output_filter(domain("d.dom", {"City", "_a"}, R"({"concepts":["Person"]})"));
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(names_of(filter), (Names{"City", "Person"}));
  // Not built: the filter's user builds it.
  EXPECT_EQ(filter->filter, nullptr);
}

TEST_F(DomainConcepts, AListOfDomainsGivesDescriptionsOrCaptures) {
  const std::vector<fs::path> folders = {scratch_.path() / "morvik"};
  // The first domain's captures are not used: it has a description list.
  domain("morvik/first.dom", {"Hidden", "Shared"}, R"({"concepts":"Shared,Alpha"})");
  domain("morvik/second.dom", {"Zulu", "Shared", "_tmp"});
  EXPECT_EQ(get_domain_list_concepts("first,second", true, folders),
            (Names{"Alpha", "Shared", "Zulu"}));
  EXPECT_EQ(get_domain_list_concepts("second,first", false, folders),
            (Names{"Alpha", "Shared", "Zulu", "_tmp"}));
  // A description without names falls back to the captures.
  domain("morvik/third.dom", {"Three"}, R"({"concepts":[]})");
  EXPECT_EQ(get_domain_list_concepts("third", true, folders), Names{"Three"});
  // A name that is a path is taken as it is.
  EXPECT_EQ(get_domain_list_concepts(path("morvik/second.dom"), true, {}),
            (Names{"Shared", "Zulu"}));

  EXPECT_EQ(get_domain_list_concepts("", true, folders), Names{});
  EXPECT_EQ(message_of([&] { get_domain_list_concepts("first,missing", true, folders); }),
            "Domain file not found. missing");
  // A folder that exists is taken as the path; it holds no database.
  scratch_.folder("morvik/plain_folder");
  EXPECT_EQ(get_domain_list_concepts(path("morvik/plain_folder"), false, folders), Names{});
}

TEST(DomainListConcepts, TheDefaultFolderIsNeededOnlyForNames) {
  EXPECT_EQ(get_domain_list_concepts("", true), Names{});
  EXPECT_EQ(get_domain_list_concepts(static_cast<const char*>(nullptr), true), Names{});
  // A name is looked for in the installation's resource folders.
  zel::testing::ScratchFolder root;
  root.folder("morvik");
  zel::testing::ScopedEnvironment env;
  env.set("KAVERO_ROOT", root.str());
  env.unset("KAVERO_MORVIK");
  EXPECT_EQ(message_of([] { get_domain_list_concepts(std::string("entity"), true); }),
            "Domain file not found. entity");
}

}  // namespace
}  // namespace core
}  // namespace kavero
}  // namespace zel
