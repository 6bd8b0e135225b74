#include "api/profiler.h"

#include <map>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/string_string_map.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"
#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {
namespace profiler {
namespace {

using zel::testing::message_of;

// A rule that is only its id.
class NamedRule : public RuleInterface {
 public:
  explicit NamedRule(std::string id) : id_(std::move(id)) {}
  const std::string& id() const override { return id_; }
  const std::string& attribute(const std::string&) const override { return id_; }
  bool is_candidate(const Sentence*) const override { return false; }
  std::shared_ptr<matcher::MatcherInterface> get_matcher() override { return nullptr; }
  std::shared_ptr<afst::AFst> bitset_fsm() const override { return nullptr; }

 private:
  std::string id_;
};

class ProfilerTest : public ::testing::Test {
 protected:
  ProfilerTest() : domain_("cities"), collection_("grammar", "grammar", kRuleCollectionId) {
    domain_.sqlite_filename = (folder_.path() / "cities.dom").string();
    collection_.rules = {std::make_shared<NamedRule>("rule_a"),
                         std::make_shared<NamedRule>("rule_b")};
  }

  void write_twin(const compiler::StringStringMap& names) {
    std::shared_ptr<sqlite3> db = afst::serialization::open_file(folder_.path() / "cities.dom_inc");
    afst::serialization::create_cbf_table(db.get());
    afst::serialization::store_object(db.get(), "uniq_id_2_filename_map", names, "");
  }

  zel::testing::ScratchFolder folder_;
  DomainFacade domain_;
  RuleCollectionBase collection_;
  Profiler profiler_;
};

TEST_F(ProfilerTest, InitRegistersTheRulesAndMergesTheTwinsFileNames) {
  // Without a twin only the rules are registered.
  profiler_.start("rule_b");
  profiler_.init(&domain_, collection_);
  EXPECT_TRUE(profiler_.files.empty());
  compiler::StringStringMap names;
  names["F1"] = "/src/cities.kav";
  names["F2"] = "/src/streets.kav";
  write_twin(names);
  profiler_.files["F1"] = "/kept.kav";
  profiler_.init(&domain_, collection_);
  profiler_.init(nullptr, collection_);
  EXPECT_EQ(profiler_.files, (std::map<std::string, std::string>{{"F1", "/kept.kav"},
                                                                  {"F2", "/src/streets.kav"}}));
  ASSERT_EQ(profiler_.timings.size(), 2u);
  EXPECT_EQ(profiler_.timings.at("rule_a").name, "rule_a");
  EXPECT_EQ(profiler_.timings.at("rule_a").count, 0u);
  // A unit already started keeps its count.
  EXPECT_EQ(profiler_.timings.at("rule_b").count, 1u);
}

TEST_F(ProfilerTest, StartCountsRunsAndStopAddsTheirTime) {
  for (int run = 0; run < 3; ++run) {
    profiler_.start("lexicon:cities.dom");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    profiler_.stop("lexicon:cities.dom");
  }
  const Info& info = profiler_.timings.at("lexicon:cities.dom");
  EXPECT_EQ(info.count, 3u);
  EXPECT_GE(info.total, 3e6);
  // A unit never started is not made by stop.
  profiler_.stop("rule_x");
  EXPECT_EQ(profiler_.timings.count("rule_x"), 0u);
  profiler_.clear();
  EXPECT_TRUE(profiler_.timings.empty());
  EXPECT_EQ(message_of([&] { profiler_.report(); }), "The profiler report is not available yet.");
}

}  // namespace
}  // namespace profiler
}  // namespace kavero
}  // namespace zel
