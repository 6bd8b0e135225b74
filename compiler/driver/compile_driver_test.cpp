#include "compiler/driver/compile_driver.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/fatal_exception.h"
#include "base/logging.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compiler_blackboard.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

namespace fs = std::filesystem;
namespace ser = afst::serialization;
using json = nlohmann::json;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using zel::testing::read_file;
using zel::testing::ScratchFolder;

// Collects the compiler's log lines (all levels) while it lives.
class CompilerLog {
 public:
  CompilerLog() {
    static const bool added = wlog::add_logger(
        {wlog::kCompilerId, wlog::kLevelTrace, [](std::uint16_t, const char* text) {
           if (active_ != nullptr) active_->push_back(text);
         }});
    (void)added;
    active_ = &lines;
  }
  ~CompilerLog() { active_ = nullptr; }

  bool has(const std::string& line) const {
    for (const std::string& text : lines) {
      if (text == line) return true;
    }
    return false;
  }
  int count_beginning(const std::string& prefix) const {
    int count = 0;
    for (const std::string& text : lines) count += text.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
  }

  std::vector<std::string> lines;

 private:
  static inline std::vector<std::string>* active_ = nullptr;
};

json compile(const std::string& options) { return json::parse(build_domain(options)); }

std::string options_of(const json& options) { return options.dump(); }

// The "app" messages of a report.
std::vector<std::string> app_messages(const json& report) {
  std::vector<std::string> out;
  if (!report["sink"].contains("app")) return out;
  for (const json& info : report["sink"]["app"]) out.push_back(info["msg"].get<std::string>());
  return out;
}

// The data of every record whose name begins with the prefix.
std::map<std::string, std::string> records(const fs::path& file, const std::string& prefix) {
  std::map<std::string, std::string> out;
  for (const std::string& name : testing::record_names(file.string())) {
    if (name.rfind(prefix, 0) == 0) out[name] = testing::record_data(file.string(), name);
  }
  return out;
}

// The records of `all` whose names hold the source's file name.
std::map<std::string, std::string> of_source(const std::map<std::string, std::string>& all,
                                             const std::string& file) {
  std::map<std::string, std::string> out;
  for (const auto& record : all) {
    if (record.first.find(file) != std::string::npos) out.insert(record);
  }
  return out;
}

TEST(BuildDomain, OptionErrors) {
  ScratchFolder folder;
  const fs::path a = folder.write("a.kav", "rule:{ <\"a\"> } = Xx;\n");
  folder.folder("empty");
  struct Case {
    std::string options;
    std::string message;
  };
  const Case cases[] = {
      {"{}", "No domain/input directory or input-files given."},
      {"no json at all", "No domain/input directory or input-files given."},
      {options_of({{"domains", folder.str("none")}}),
       "Domain directory or config file [" + folder.str("none") + "] does not exists"},
      {options_of({{"input_files", a.string() + ", " + a.string()},
                   {"output_file", folder.str("out.dom")}}),
       "Could not find input kav file:[ " + a.string() + "]"},
      {options_of({{"domains", folder.str("empty")}}),
       "No kav files to compile or data to compile."},
  };
  for (const Case& c : cases) {
    const json report = compile(c.options);
    EXPECT_EQ(report["return"], false) << c.options;
    EXPECT_THAT(app_messages(report), Contains(c.message)) << report.dump();
    EXPECT_EQ(folder.listing(), "a.kav empty") << c.options;
    EXPECT_EQ(folder.listing("empty"), "") << c.options;
  }
}

TEST(BuildDomain, InlineSourceMustBeAJsonString) {
  ScratchFolder folder;
  const json options = {{"kav_base64", 5}, {"output_file", folder.str("d.dom")}};
  EXPECT_THROW(build_domain(options.dump()), json::type_error);
  EXPECT_EQ(folder.listing(), "");
}

TEST(SetErrorCode, TheMaskIsTheComplementOfTheIgnoredCodes) {
  struct Case {
    const char* ignore_codes;  // null: absent
    std::uint64_t mask;
    bool complains;
  };
  const Case cases[] = {
      {nullptr, ~std::uint64_t{0}, false},
      {"0x40", ~std::uint64_t{0x40}, false},
      {"0X41", ~std::uint64_t{0x41}, false},
      {"64", ~std::uint64_t{64}, false},
      {" 8 and more", ~std::uint64_t{8}, false},
      {"-1", 0, false},
      {"abc", ~std::uint64_t{0}, true},
      {"0x", ~std::uint64_t{0}, true},
  };
  for (const Case& c : cases) {
    auto options = std::make_shared<Options>();
    if (c.ignore_codes != nullptr) options->add("ignore_codes", c.ignore_codes);
    Blackboard blackboard(options);
    ::testing::internal::CaptureStderr();
    set_error_code(blackboard);
    const std::string complaint = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(blackboard.error_code_mask, c.mask) << (c.ignore_codes ? c.ignore_codes : "(none)");
    if (c.complains) {
      EXPECT_THAT(complaint, HasSubstr(std::string("cannot convert error-code ") + c.ignore_codes));
      EXPECT_EQ(complaint.back(), '\n');
    } else {
      EXPECT_EQ(complaint, "");
    }
  }
  auto options = std::make_shared<Options>();
  options->add("ignore_codes", "99999999999999999999");
  Blackboard blackboard(options);
  EXPECT_THROW(set_error_code(blackboard), std::out_of_range);
}

// Three sources in a domain folder, compiled to its default output.
class CompileDriverTest : public ::testing::Test {
 protected:
  CompileDriverTest() {
    folder.write("dom/a.kav",
                 "lexicon:{ london, paris } = City;\nrule:{ <\"alice\"> } = Person;\n");
    folder.write("dom/b.kav", "rule:{ <\"acme\"> <\"corp\"> } = Company;\n");
    folder.write("dom/c.kav", "rule:{ <\"bob\"> } = Person;\n");
  }

  fs::path dom() const { return folder.path() / "dom" / "domain.dom"; }
  fs::path twin() const { return folder.path() / "dom" / "domain.dom_inc"; }

  json options(json extra = json::object()) const {
    json all = {{"domains", folder.str("dom")}};
    all.update(extra);
    return all;
  }

  json build(json extra = json::object()) { return compile(options(std::move(extra)).dump()); }

  // Rewrites a source with a last-write time after the domain file's.
  void edit(const std::string& name, const std::string& text) {
    const fs::path path = folder.write("dom/" + name, text);
    fs::last_write_time(path, fs::last_write_time(dom()) + std::chrono::seconds(2));
  }

  ScratchFolder folder;
};

TEST_F(CompileDriverTest, AFullBuildWritesThePairWithEveryRule) {
  json given = options();
  auto set = std::make_shared<Options>(given.dump().c_str());
  const json report = json::parse(build_domain_(set));
  EXPECT_EQ(report["return"], true) << report.dump();
  // The default output is recorded in the options.
  EXPECT_EQ(set->get("output_file"), dom().string());
  ASSERT_TRUE(fs::exists(dom()));
  ASSERT_TRUE(fs::exists(twin()));
  const auto rules = records(dom(), "rule_");
  EXPECT_EQ(of_source(rules, "a.kav").size(), 1u);
  EXPECT_EQ(of_source(rules, "b.kav").size(), 1u);
  EXPECT_EQ(of_source(rules, "c.kav").size(), 1u);
  EXPECT_EQ(records(dom(), "bitset_").size(), 3u);
  EXPECT_NE(testing::record_data(dom().string(), "entities_literal"), "(none)");
  EXPECT_EQ(testing::record_data(dom().string(), "_BUSY_"), "(none)");
}

TEST_F(CompileDriverTest, InputFilesAndAnOutputFile) {
  const std::string list = folder.str("dom/a.kav") + ",," + folder.str("dom/b.kav");
  const json report = compile(json{{"input_files", list}, {"output_file", folder.str("x.dom")}}.dump());
  EXPECT_EQ(report["return"], true) << report.dump();
  const auto rules = records(folder.path() / "x.dom", "rule_");
  EXPECT_EQ(rules.size(), 2u);
  EXPECT_TRUE(of_source(rules, "c.kav").empty());
}

TEST_F(CompileDriverTest, AnInlineSourceIsAlwaysBuiltFully) {
  ASSERT_EQ(build()["return"], true);
  CompilerLog log;
  const json report = compile(json{{"kav_base64", "cnVsZTp7IDwiZXZlIj4gfSA9IFBlcnNvbjs="},
                                   {"output_file", dom().string()}}
                                  .dump());
  EXPECT_EQ(report["return"], true) << report.dump();
  EXPECT_EQ(log.count_beginning("Full build:"), 1);
  EXPECT_EQ(log.count_beginning("Incremental build:"), 0);
  // Only the inline source's rule is in the domain, and its file is gone.
  const auto rules = records(dom(), "rule_");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_NE(rules.begin()->first.find("tmp-kav-"), std::string::npos) << rules.begin()->first;
  int seen = 0;
  for (const std::string& line : log.lines) {
    const std::string prefix = "Compiling: ";
    if (line.rfind(prefix, 0) != 0) continue;
    ++seen;
    EXPECT_FALSE(fs::exists(line.substr(prefix.size()))) << line;
  }
  EXPECT_EQ(seen, 1);
}

TEST_F(CompileDriverTest, ParseOnlyCompilesNoRule) {
  const json report = build({{"parse_only", true}});
  EXPECT_EQ(report["return"], true) << report.dump();
  EXPECT_TRUE(records(dom(), "rule_").empty());

  edit("b.kav", "rule:{ <\"acme\" } = Company;\n");
  EXPECT_EQ(build({{"parse_only", true}})["return"], false);
}

TEST_F(CompileDriverTest, ASecondBuildOfUnchangedSourcesChangesNothing) {
  ASSERT_EQ(build()["return"], true);
  const std::string domain = read_file(dom());
  const std::string inc = read_file(twin());
  const auto dom_time = fs::last_write_time(dom());

  CompilerLog log;
  const json report = build();
  EXPECT_EQ(report["return"], true) << report.dump();
  EXPECT_EQ(log.count_beginning("Incremental build:"), 1);
  EXPECT_EQ(log.count_beginning("  -- Skipping time stemps ["), 3);
  EXPECT_TRUE(log.has("Nothing to update"));
  EXPECT_EQ(read_file(dom()), domain);
  EXPECT_EQ(read_file(twin()), inc);
  EXPECT_EQ(fs::last_write_time(dom()), dom_time);
  EXPECT_EQ(folder.listing("dom"), "a.kav b.kav c.kav domain.dom domain.dom_inc");
}

// Time stamps are compared at the file system's precision: a source written
// after its domain in the same second is rebuilt.
TEST_F(CompileDriverTest, ASourceWrittenInTheSecondOfItsDomainIsRebuilt) {
  ASSERT_EQ(build()["return"], true);
  const auto second = std::chrono::time_point_cast<std::chrono::seconds>(fs::last_write_time(dom()));
  fs::last_write_time(dom(), second + std::chrono::milliseconds(100));
  const fs::path b = folder.write("dom/b.kav", "rule:{ <\"acme\"> <\"inc\"> } = Company;\n");
  fs::last_write_time(b, second + std::chrono::milliseconds(500));

  CompilerLog log;
  EXPECT_EQ(build()["return"], true);
  EXPECT_EQ(log.count_beginning("  -- Skipping time stemps ["), 2);
  EXPECT_FALSE(log.has("Nothing to update"));
  const auto rules = of_source(records(dom(), "rule_"), "b.kav");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_NE(rules.begin()->second, "(none)");
}

TEST_F(CompileDriverTest, EditingOneSourceReplacesOnlyItsRuleRecords) {
  ASSERT_EQ(build()["return"], true);
  const auto rules = records(dom(), "rule_");
  const auto bitsets = records(dom(), "bitset_");
  const std::string lexicon = testing::record_data(dom().string(), "entities_literal");

  edit("b.kav", "rule:{ <\"acme\"> <\"inc\"> } = Company;\n");
  CompilerLog log;
  const json report = build();
  EXPECT_EQ(report["return"], true) << report.dump();
  EXPECT_TRUE(log.has("No need to rebuild lexicon no changes detected !"));

  const auto new_rules = records(dom(), "rule_");
  const auto new_bitsets = records(dom(), "bitset_");
  for (const char* kept : {"a.kav", "c.kav"}) {
    EXPECT_EQ(of_source(new_rules, kept), of_source(rules, kept)) << kept;
    EXPECT_EQ(of_source(new_bitsets, kept), of_source(bitsets, kept)) << kept;
  }
  ASSERT_EQ(of_source(new_rules, "b.kav").size(), 1u);
  EXPECT_NE(of_source(new_rules, "b.kav"), of_source(rules, "b.kav"));
  EXPECT_EQ(of_source(new_bitsets, "b.kav").size(), 1u);
  EXPECT_EQ(new_rules.size(), 3u);
  // The lexicon of the unvisited source is still there.
  EXPECT_EQ(testing::record_data(dom().string(), "entities_literal"), lexicon);
}

TEST_F(CompileDriverTest, AFailedIncrementalBuildLeavesThePairAsItWas) {
  ASSERT_EQ(build()["return"], true);
  const std::string domain = read_file(dom());
  const std::string inc = read_file(twin());

  // A syntax error, then an error of the build pass.
  for (const char* text : {"rule:{ <\"acme\" } = Company;\n",
                           "lexicon:(bogus=\"x\"){ acme } = Company;\n"}) {
    edit("b.kav", text);
    const json report = build();
    EXPECT_EQ(report["return"], false) << text;
    EXPECT_TRUE(report["sink"].contains(folder.str("dom/b.kav"))) << report.dump();
    EXPECT_EQ(read_file(dom()), domain) << text;
    EXPECT_EQ(read_file(twin()), inc) << text;
    EXPECT_EQ(folder.listing("dom"), "a.kav b.kav c.kav domain.dom domain.dom_inc");
  }
}

TEST_F(CompileDriverTest, AFailedFullBuildKeepsNoOutput) {
  folder.write("dom/b.kav", "lexicon:(bogus=\"x\"){ acme } = Company;\n");
  for (const bool unit_test : {false, true}) {
    const json report = build({{"unit_test", unit_test}});
    EXPECT_EQ(report["return"], false) << report.dump();
    EXPECT_FALSE(fs::exists(dom())) << unit_test;
  }
}

// A domain whose stored token map does not read makes the result store
// raise: without "retry" the error leaves the call and the pair stays, with
// it the domain is rebuilt fully.
TEST_F(CompileDriverTest, ARuntimeErrorOfAnIncrementalBuildAndRetry) {
  ASSERT_EQ(build()["return"], true);
  {
    auto db = ser::open_file(dom());
    const std::string garbage = "not json";
    ser::store_binary_data(db.get(), "uniq_token_map", std::string(), garbage.data(), garbage.size());
  }
  const std::string domain = read_file(dom());
  edit("b.kav", "rule:{ <\"acme\"> <\"inc\"> } = Company;\n");

  EXPECT_ANY_THROW(build());
  EXPECT_EQ(read_file(dom()), domain);

  CompilerLog log;
  const json report = build({{"retry", "true"}});
  EXPECT_EQ(report["return"], true) << report.dump();
  EXPECT_TRUE(log.has("Switching off incremental build :"));
  EXPECT_NE(testing::record_data(dom().string(), "uniq_token_map"), "not json");
  EXPECT_EQ(records(dom(), "rule_").size(), 3u);
}

TEST_F(CompileDriverTest, AGoneSourceLosesItsRecords) {
  ASSERT_EQ(build()["return"], true);
  const auto rules = records(dom(), "rule_");
  fs::remove(folder.path() / "dom" / "c.kav");

  const json report = build();
  EXPECT_EQ(report["return"], true) << report.dump();
  const auto new_rules = records(dom(), "rule_");
  EXPECT_TRUE(of_source(new_rules, "c.kav").empty());
  EXPECT_TRUE(of_source(records(dom(), "bitset_"), "c.kav").empty());
  EXPECT_EQ(of_source(new_rules, "a.kav"), of_source(rules, "a.kav"));
  EXPECT_EQ(of_source(new_rules, "b.kav"), of_source(rules, "b.kav"));
}

}  // namespace
}  // namespace compiler
}  // namespace zel
