#include "compiler/driver/source_visitor.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "compiler/driver/file_time.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zel::testing::ScratchFolder;

// Writes down every builder call: "open:<file name>", "collect:<number of
// statements>", "close:<file name>", "finalize".
class RecordingBuilder : public DomainBuilderInterface {
 public:
  void open(const std::string& path) override { calls.push_back("open:" + name(path)); }
  void collect(const ast::node::Root& root) override {
    calls.push_back("collect:" + std::to_string(root.statements.size()));
  }
  void close(const std::string& path) override { calls.push_back("close:" + name(path)); }
  void finalize() override { calls.push_back("finalize"); }

  std::vector<std::string> calls;

 private:
  static std::string name(const std::string& path) {
    EXPECT_TRUE(fs::path(path).is_absolute()) << path;
    return fs::path(path).filename().string();
  }
};

class SourceVisitorTest : public ::testing::Test {
 protected:
  SourceVisitorTest() : blackboard(std::make_shared<Options>()), binding(&blackboard) {
    blackboard.error_code_mask = ~std::uint64_t{0};
  }

  std::string add(const std::string& name, const std::string& text) {
    const std::string path = folder.write(name, text).string();
    blackboard.input_pool.add_file(path);
    return path;
  }

  // The messages of one sink.
  std::vector<std::string> messages(const std::string& sink) {
    std::vector<std::string> out;
    for (const DiagnosticsInfo& info : (*blackboard.diagnostics)[sink]) out.push_back(info.message);
    return out;
  }

  ScratchFolder folder;
  Blackboard blackboard;
  BlackboardBinding binding;
  std::shared_ptr<RecordingBuilder> builder = std::make_shared<RecordingBuilder>();
};

TEST_F(SourceVisitorTest, OnlySourcesNewerThanTheListAreParsed) {
  const std::string a = add("a.kav", "rule:{ <\"a\"> } = Xx;");
  const std::string b = add("b.kav", "rule:{ <\"b\"> } = Xx;\nrule:{ <\"c\"> } = Xx;");
  const std::int64_t b_time = last_write_time_ns(b);
  fs::last_write_time(a, fs::last_write_time(b) - std::chrono::nanoseconds(1));

  SourceVisitor all(blackboard, kNoFileTime);
  parse_sources(all, blackboard.input_pool, builder, "Compiling");
  EXPECT_THAT(builder->calls, ElementsAre("open:a.kav", "collect:1", "close:a.kav", "open:b.kav",
                                          "collect:2", "close:b.kav"));
  ASSERT_EQ(all.roots.size(), 2u);
  EXPECT_EQ(all.roots[1].provider->get_id(), b);

  // The same time stamp counts as not newer, one nanosecond less as newer.
  builder->calls.clear();
  SourceVisitor same(blackboard, b_time);
  parse_sources(same, blackboard.input_pool, builder, "Compiling");
  EXPECT_THAT(builder->calls, IsEmpty());
  EXPECT_TRUE(same.roots.empty());

  SourceVisitor just_before(blackboard, b_time - 1);
  parse_sources(just_before, blackboard.input_pool, builder, "Compiling");
  EXPECT_THAT(builder->calls, ElementsAre("open:b.kav", "collect:2", "close:b.kav"));
  EXPECT_FALSE(results::has_errors());
}

TEST_F(SourceVisitorTest, AFailedParseEndsTheStep) {
  add("a.kav", "rule:{ <\"a\" } = Xx;");
  add("b.kav", "rule:{ <\"b\"> } = Xx;");
  SourceVisitor sources(blackboard, kNoFileTime);
  parse_sources(sources, blackboard.input_pool, builder, "Compiling");
  EXPECT_THAT(builder->calls, IsEmpty());
  EXPECT_TRUE(sources.roots.empty());
  EXPECT_TRUE(results::has_errors());
  EXPECT_EQ(blackboard.diagnostics->count(folder.str("a.kav")), 1u);
  EXPECT_EQ(blackboard.diagnostics->count(folder.str("b.kav")), 0u);
}

TEST_F(SourceVisitorTest, VariablesOfAllSourcesAreSubstitutedBeforeParsing) {
  add("a.kav", "rule:{ <\"${word}\"> } = Xx;");
  add("b.kav", "define:word = alice;");
  collect_variables(blackboard, blackboard.input_pool, blackboard.variables);
  ASSERT_FALSE(results::has_errors());
  ASSERT_EQ(blackboard.variables.count("word"), 1u);

  SourceVisitor sources(blackboard, kNoFileTime);
  parse_sources(sources, blackboard.input_pool, builder, "Compiling");
  ASSERT_EQ(sources.roots.size(), 2u);
  EXPECT_NE(sources.roots[0].text->find("<\"alice\">"), std::string::npos) << *sources.roots[0].text;
}

TEST_F(SourceVisitorTest, AnUndefinedVariableEndsTheStep) {
  add("a.kav", "rule:{ <\"${nothing}\"> } = Xx;");
  add("b.kav", "rule:{ <\"b\"> } = Xx;");
  SourceVisitor sources(blackboard, kNoFileTime);
  parse_sources(sources, blackboard.input_pool, builder, "Compiling");
  EXPECT_TRUE(results::has_errors());
  EXPECT_THAT(builder->calls, IsEmpty());
}

// The define collection of each source starts with an empty store: an
// error in an earlier source must end the collection, or it is lost.
TEST_F(SourceVisitorTest, AVariableErrorIsNotWipedByTheNextSource) {
  add("a.kav", "define:x = a;\ndefine:bad = ${nothing};");
  add("b.kav", "define:other = b;");
  collect_variables(blackboard, blackboard.input_pool, blackboard.variables);
  EXPECT_TRUE(results::has_errors());
  EXPECT_EQ(blackboard.variables.count("other"), 0u);
}

TEST_F(SourceVisitorTest, TheUtf8CheckStopsAtTheFirstBadSourceUnderItsNameAsAdded) {
  add("a.kav", "rule:{ <\"a\"> } = Xx;");
  const std::string relative_name = (folder.path() / "." / "b.kav").string();
  folder.write("b.kav", "rule:{ <\"\xC3\x28\"> } = Xx;");
  blackboard.input_pool.add_file(relative_name);
  add("c.kav", "\xFF");
  check_sources(blackboard, blackboard.input_pool);
  EXPECT_THAT(messages(relative_name), ElementsAre("Invalid utf8 character in kav file, "));
  EXPECT_EQ(blackboard.diagnostics->count(folder.str("c.kav")), 0u);
  EXPECT_EQ((*blackboard.diagnostics)[relative_name][0].line, -1);
}

TEST_F(SourceVisitorTest, VisitRunsTheBuilderOverTheKeptTrees) {
  SourceVisitor empty(blackboard, kNoFileTime);
  EXPECT_EQ(empty.visit_ast(builder, "Build", false, false), 0u);
  EXPECT_THAT(builder->calls, IsEmpty());

  add("a.kav", "lexicon:(input=\"stem\"){ cafe } = Xx;");
  add("b.kav", "rule:{ <\"b\"> } = Xx;");
  SourceVisitor sources(blackboard, kNoFileTime);
  parse_sources(sources, blackboard.input_pool, get_visitor_syntax(blackboard), "Compiling");
  EXPECT_EQ(sources.visit_ast(builder, "Build", true, false), 2u);
  EXPECT_THAT(builder->calls, ElementsAre("open:a.kav", "collect:1", "close:a.kav", "open:b.kav",
                                          "collect:1", "close:b.kav"));
  EXPECT_EQ(blackboard.source_filename(), folder.str("b.kav"));
}

TEST(AddSourcesFromDirectory, TakesTheFolder) {
  ScratchFolder folder;
  for (const char* name : {"a.kav", "b.KAV", "c.kav.bak", "._e.kav", "sub/d.kav", "f"}) {
    folder.file(name);
  }
  struct Case {
    std::string extension;
    bool recursive;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {".kav", false, {"._e.kav", "a.kav"}},
      {".kav", true, {"._e.kav", "a.kav", "sub/d.kav"}},
      {"", false, {"._e.kav", "a.kav", "b.KAV", "c.kav.bak", "f"}},
  };
  for (const Case& c : cases) {
    Blackboard blackboard;
    add_sources_from_directory(folder.str(), c.extension, blackboard, c.recursive);
    std::vector<std::string> names;
    for (const InputPool::Input& input : blackboard.input_pool) {
      names.push_back(fs::path(input->get_id()).lexically_relative(folder.path()).string());
      EXPECT_EQ(input->get_id().rfind(folder.str(), 0), 0u) << input->get_id();
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.names) << c.extension << " " << c.recursive;
  }

  // Entries are left out by their whole path text beginning with "._".
  zel::testing::WorkingFolder inside(folder.path());
  fs::create_directory("._hidden");
  folder.file("._hidden/g.kav");
  Blackboard blackboard;
  add_sources_from_directory("._hidden", ".kav", blackboard, false);
  EXPECT_TRUE(blackboard.input_pool.empty());

  EXPECT_THROW(add_sources_from_directory(folder.str("none"), ".kav", blackboard, false),
               fs::filesystem_error);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
