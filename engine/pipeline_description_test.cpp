#include "engine/pipeline_description.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/scratch_folder_testutil.h"

namespace zel {
namespace pipeline {
namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs split(std::string const& description) {
  Pairs pairs;
  for (Component const& c : parse_components(description)) {
    pairs.emplace_back(c.written_text, c.options);
  }
  return pairs;
}

TEST(ParseComponents, SplitsIntoWrittenTextAndOptions) {
  struct Case {
    std::string description;
    Pairs expected;
  };
  std::vector<Case> const cases = {
      {"", {}},
      {",", {{"", "{}"}}},
      {"a,", {{"a", "{}"}}},
      {",a", {{"", "{}"}, {"a", "{}"}}},
      {"a,,b", {{"a", "{}"}, {"", "{}"}, {"b", "{}"}}},
      // Blanks stay; nothing is trimmed or lower-cased.
      {"a, B", {{"a", "{}"}, {" B", "{}"}}},
      {"a()", {{"a", "{}"}}},
      {"a( )", {{"a", " "}}},
      {"a(p,q),b(r)", {{"a", "p,q"}, {"b", "r"}}},
      {"a(x(y,z)),b", {{"a", "x(y,z)"}, {"b", "{}"}}},
      {"entity@1.2({\"k\":\"v,w\"})", {{"entity@1.2", "{\"k\":\"v,w\"}"}}},
      // Text after a closing bracket joins the name.
      {"a(x)b", {{"ab", "x"}}},
      // A second bracket pair takes the earlier one into the name.
      {"a(x)(y)", {{"a(x)", "y"}}},
      // An unclosed bracket swallows the rest.
      {"a(x,b", {{"a", "{}"}}},
      // After a stray ")" bytes are ignored until "(" balances it.
      {"a)b(c", {{"ac", "{}"}}},
      {"a)b,c(d,e", {{"ad", "{}"}, {"e", "{}"}}},
      // A name-less bracket pair at the end gives nothing; before a comma it
      // gives an empty-named component.
      {"()", {}},
      {"(x),a", {{"", "x"}, {"a", "{}"}}},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(split(c.description), c.expected) << c.description;
  }
}

TEST(ParseComponents, LeavesEverythingButTextAndOptionsUnset) {
  auto const components = parse_components("english-x@1.0.dom(o)");
  ASSERT_EQ(components.size(), 1u);
  Component const& c = components[0];
  EXPECT_EQ(c.written_text, "english-x@1.0.dom");
  EXPECT_EQ(c.options, "o");
  EXPECT_TRUE(c.name.empty());
  EXPECT_TRUE(c.base_name.empty());
  EXPECT_TRUE(c.folder.empty());
  EXPECT_TRUE(c.version.empty());
  EXPECT_TRUE(c.language.empty());
  EXPECT_TRUE(c.extensions.empty());
  EXPECT_EQ(c.type, kNoType);
  EXPECT_TRUE(c.filename.empty());
}

TEST(ComponentTypes, NamesAndExtensions) {
  EXPECT_EQ(from_component_type_to_string(0), "");
  EXPECT_EQ(from_component_type_to_string(1), "domain");
  EXPECT_EQ(from_component_type_to_string(2), "language");
  EXPECT_EQ(from_component_type_to_string(3), "app");
  EXPECT_THROW(from_component_type_to_string(4), std::out_of_range);
  EXPECT_THROW(from_component_type_to_string(-1), std::out_of_range);

  struct Case {
    char const* extension;
    int32_t type;
  };
  Case const cases[] = {{"", 0},      {".dom", 1}, {".language", 2}, {".app", 3},
                        {".DOM", -1}, {"dom", -1}, {".kav", -1},     {".dom ", -1}};
  for (Case const& c : cases) {
    EXPECT_EQ(from_extension_to_component(c.extension), c.type) << c.extension;
  }
}

TEST(Pipeline2Str, QuotesAndJoinsWithoutEscaping) {
  EXPECT_EQ(pipeline2str({}), "[]");
  EXPECT_EQ(pipeline2str({"x"}), "['x']");
  EXPECT_EQ(pipeline2str({"a", "b'c", ""}), "['a','b'c','']");
}

TEST(PipelineError, KeepsReasonAndWholeComponent) {
  Component component("entity.txt", "{}");
  component.filename = "/f";
  pipeline_error const error("reason", component);
  EXPECT_STREQ(error.what(), "reason");
  EXPECT_EQ(error.component().written_text, "entity.txt");
  EXPECT_EQ(error.component().filename, "/f");
}

TEST(Convert2Paths, CanonicalExistingFoldersInOrder) {
  testing::ScratchFolder tmp;
  tmp.folder("a/b");
  tmp.folder("c");
  // Relative parts, "." and ".." and a trailing separator go; missing folders
  // give nothing.
  auto const paths = convert2paths(
      {tmp.str("c") + "/", tmp.str("missing"), tmp.str("a/./b/../b"), "", tmp.str("c")});
  EXPECT_EQ(paths, (std::vector<fs::path>{tmp.path() / "c", tmp.path() / "a/b", tmp.path() / "c"}));
  EXPECT_TRUE(convert2paths({}).empty());
  EXPECT_TRUE(convert2paths({tmp.str("missing")}).empty());
}

TEST(Convert2Paths, ResolvesSymbolicLinks) {
  testing::ScratchFolder tmp;
  tmp.folder("real");
  fs::create_directory_symlink(tmp.path() / "real", tmp.path() / "link");
  EXPECT_EQ(convert2paths({tmp.str("link")}), std::vector<fs::path>{tmp.path() / "real"});
}

TEST(Convert2Paths, ResourceFolderBringsItsKaveroSubfolderLast) {
  testing::ScratchFolder tmp;
  tmp.folder("r/morvik/kavero");
  tmp.folder("x/kavero");
  tmp.folder("y");
  tmp.folder("s/morvik");  // without a kavero subfolder

  EXPECT_EQ(convert2paths({tmp.str("r/morvik"), tmp.str("y")}),
            (std::vector<fs::path>{tmp.path() / "r/morvik", tmp.path() / "y",
                                   tmp.path() / "r/morvik/kavero"}));
  // A listed kavero folder keeps the subfolder out.
  EXPECT_EQ(convert2paths({tmp.str("r/morvik"), tmp.str("x/kavero")}),
            (std::vector<fs::path>{tmp.path() / "r/morvik", tmp.path() / "x/kavero"}));
  // The last resource folder decides; one without the subfolder adds nothing.
  EXPECT_EQ(convert2paths({tmp.str("r/morvik"), tmp.str("s/morvik")}),
            (std::vector<fs::path>{tmp.path() / "r/morvik", tmp.path() / "s/morvik"}));
  // The subfolder is joined to the caller's text, not canonicalised.
  testing::WorkingFolder here(tmp.path() / "r");
  EXPECT_EQ(convert2paths({"morvik"}),
            (std::vector<fs::path>{tmp.path() / "r/morvik", fs::path("morvik/kavero")}));
}

}  // namespace
}  // namespace pipeline
}  // namespace zel
