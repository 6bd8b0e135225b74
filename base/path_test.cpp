#include "base/path.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace filesystem {
namespace {

// Sets HOME for one test and puts the old value back afterwards.
class HomeTest : public testing::Test {
 protected:
  void SetUp() override {
    if (char const* home = std::getenv("HOME")) saved_ = home;
  }
  void TearDown() override {
    if (saved_) {
      setenv("HOME", saved_->c_str(), 1);
    } else {
      unsetenv("HOME");
    }
  }
  std::optional<std::string> saved_;
};

TEST_F(HomeTest, ExpandsLeadingMarkers) {
  setenv("HOME", "/h", 1);
  std::vector<std::pair<std::string, std::string>> const cases = {
      {"~/data/x", "/h/data/x"},
      {"$HOME/a", "/h/a"},
      {"${HOME}\\x", "/h/x"},
      {"$(HOME)/a", "/h/a"},
      {"~\\x", "/h/x"},
      {"~", "~"},
      {"~/", "~/"},
      {"~user/x", "~user/x"},
      {"$HOMEx/a", "$HOMEx/a"},
      {"a/~/b", "a/~/b"},
      {"/abs/path", "/abs/path"},
      {"", ""},
      // The rest is joined as a path: an absolute rest replaces HOME.
      {"~//etc", "/etc"},
  };
  for (auto const& [input, expected] : cases) {
    EXPECT_EQ(resolve_home(input).string(), expected) << input;
  }
}

TEST_F(HomeTest, UnsetHomeLeavesPathsAlone) {
  unsetenv("HOME");
  for (std::string const path : {"~/x", "$HOME/x", "${HOME}\\x"}) {
    EXPECT_EQ(resolve_home(path).string(), path);
  }
  EXPECT_EQ(resolve_name_offset("~/x", "~").string(), "~/x");
}

TEST_F(HomeTest, NameOffsetSkipsMarkerAndSeparator) {
  setenv("HOME", "/home/me", 1);
  EXPECT_EQ(resolve_name_offset("$(HOME)/a/b", "$(HOME)").string(), "/home/me/a/b");
  EXPECT_EQ(resolve_name_offset("~/", "~").string(), "/home/me/");
}

TEST(ChopFilename, KeepsTheLastElements) {
  struct Case {
    std::string path;
    int32_t n;
    std::string result;
  };
  std::vector<Case> const cases = {
      {"/home/u/dom/src/rules.kav", 3, "dom/src/rules.kav"},
      {"/a/b", 3, "/a/b"},
      {"a/b", 3, "a/b"},
      {"/a/b/c", 3, "a/b/c"},
      {"a/b/c/d", 1, "d"},
      {"a/b/", 2, "b/"},  // a trailing separator is an empty last element
      {"/home/u/dom/src/rules.kav", 0, ""},
      {"/home/u/dom/src/rules.kav", 99, "/home/u/dom/src/rules.kav"},
      {"", 3, ""},
  };
  for (auto const& c : cases) EXPECT_EQ(chop_filename(c.path, c.n), c.result) << c.path << " " << c.n;
}

}  // namespace
}  // namespace filesystem
}  // namespace zel
