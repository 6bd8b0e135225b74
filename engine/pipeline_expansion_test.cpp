#include "engine/pipeline_expansion.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/json_exception.h"
#include "base/logging.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace pipeline {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::WorkingFolder;
using testing::ScratchFolder;

json resolved(std::string const& type, std::string const& original, fs::path const& file,
              std::string const& options = "{}") {
  return {
      {"type", type}, {"original", original}, {"options", options}, {"filename", file.string()}};
}

json not_found(std::string const& type, std::string const& original,
               std::string const& options = "{}") {
  return {{"type", type},
          {"original", original},
          {"options", options},
          {"exception_type", "not_found"},
          {"exception_msg",
           type == "language" ? "Language component not found." : "Domain component not found."}};
}

// The filename of every entry, or the exception type of entries without one.
std::vector<std::string> files_of(json const& array) {
  std::vector<std::string> files;
  for (json const& entry : array) {
    files.push_back(entry.contains("filename") ? entry["filename"].get<std::string>()
                                               : entry["exception_type"].get<std::string>());
  }
  return files;
}

TEST(Classify, ReadsTypeNameVersionFolderAndLanguageFromTheWrittenText) {
  struct Case {
    std::string text;
    int32_t type;
    std::string name;
    std::string version;
    std::string folder;
    std::string base_name;
    std::string language;
    std::vector<std::string> extensions;
  };
  std::vector<std::string> const any = {".language", ".dom"};
  std::vector<std::string> const dom = {".dom"};
  std::vector<std::string> const lang = {".language"};
  std::vector<std::string> const app = {".app"};
  std::vector<Case> const cases = {
      {"entity", 0, "entity", "", "", "entity", "", any},
      {"entity.dom", 1, "entity", "", "", "entity", "", dom},
      {"entity.language", 2, "entity", "", "", "entity", "", lang},
      {"entity@1.2.dom", 1, "entity", "1.2", "", "entity", "", dom},
      {"entity@1.2", 0, "entity", "1.2", "", "entity", "", any},
      {"entity@latest", 0, "entity", "latest", "", "entity", "", any},
      // Only the second "@" piece is the version, empty or not.
      {"entity@@1.2", 0, "entity", "", "", "entity", "", any},
      {"entity@1@2.dom", 1, "entity", "1", "", "entity", "", dom},
      // An extension before the version is part of the name.
      {"entity.dom@1.2", 0, "entity.dom", "1.2", "", "entity.dom", "", any},
      {"sub/entity", 0, "sub/entity", "", "sub", "entity", "", any},
      {"a/b/entity.dom", 1, "a/b/entity", "", "a/b", "entity", "", dom},
      {"sub/english-entity@2.dom", 1, "sub/english-entity", "2", "sub", "english-entity", "english",
       dom},
      // The folder part ends before the first "-".
      {"sub-x/entity", 0, "sub-x/entity", "", "", "sub-x/entity", "", any},
      // A known language name alone is a language, whatever its extension.
      {"english", 2, "english", "", "", "english", "", lang},
      {"english.dom", 2, "english", "", "", "english", "", lang},
      {"english.app", 2, "english", "", "", "", "", lang},
      {"sub/english", 2, "sub/english", "", "sub", "english", "", lang},
      {"english@1.0", 2, "english", "1.0", "", "english", "", lang},
      {"english-entity", 0, "english-entity", "", "", "english-entity", "english", any},
      // Languages are named exactly.
      {"English", 0, "English", "", "", "English", "", any},
      {"klingon-entity", 0, "klingon-entity", "", "", "klingon-entity", "", any},
      {"-x", 0, "-x", "", "", "-x", "", any},
      // Language components keep no language of their name.
      {"english-x.language", 2, "english-x", "", "", "english-x", "", lang},
      // Apps have no folder part, but take the language of their name.
      {"english-myapp@1.0.app", 3, "english-myapp", "1.0", "", "", "english", app},
      {"@1.0", 0, "", "1.0", "", "", "", any},
  };
  for (Case const& c : cases) {
    Component component(c.text, "{}");
    classify(component);
    EXPECT_EQ(component.type, c.type) << c.text;
    EXPECT_EQ(component.name, c.name) << c.text;
    EXPECT_EQ(component.version, c.version) << c.text;
    EXPECT_EQ(component.folder, c.folder) << c.text;
    EXPECT_EQ(component.base_name, c.base_name) << c.text;
    EXPECT_EQ(component.language, c.language) << c.text;
    EXPECT_EQ(component.extensions, c.extensions) << c.text;
  }
}

// A resource folder F of empty files, searched by the expansions below.
class PipelineExpansion : public ::testing::Test {
 protected:
  fs::path folder(std::string const& name = "F") const { return tmp_.path() / name; }
  fs::path file(std::string const& relative) const { return tmp_.file(relative); }

  json expand_in(std::string const& description, std::vector<fs::path> const& folders,
                 bool allow_files = true, bool allow_dev = true,
                 std::string const& language = "") const {
    return expand2json(description, folders, allow_files, allow_dev, language);
  }
  json expand_in_f(std::string const& description, bool allow_dev = true,
                   std::string const& language = "") const {
    return expand_in(description, {folder()}, true, allow_dev, language);
  }

  ScratchFolder tmp_;
};

TEST_F(PipelineExpansion, ResolvesExactNamesToCanonicalFiles) {
  fs::path const english = file("F/english.language");
  fs::path const entity_language = file("F/entity.language");
  fs::path const entity_domain = file("F/entity.dom");
  fs::path const versioned = file("F/entity@1.2.dom");
  fs::path const sub = file("F/sub/entity.dom");
  file("F/unrelated.txt");

  EXPECT_EQ(expand_in_f("english"), json::array({resolved("language", "english", english)}));
  // Without a type a language file comes before a domain file.
  EXPECT_EQ(expand_in_f("entity"), json::array({resolved("language", "entity", entity_language)}));
  EXPECT_EQ(expand_in_f("entity.dom"),
            json::array({resolved("domain", "entity.dom", entity_domain)}));
  EXPECT_EQ(expand_in_f("entity@1.2({\"a\":[1,2]})"),
            json::array({resolved("domain", "entity@1.2", versioned, "{\"a\":[1,2]}")}));
  EXPECT_EQ(expand_in_f("sub/entity.dom"),
            json::array({resolved("domain", "sub/entity.dom", sub)}));
  // The folder is given through a path that is not canonical.
  EXPECT_EQ(expand_in("english", {folder() / "sub" / ".."}),
            json::array({resolved("language", "english", english)}));
}

TEST_F(PipelineExpansion, ExplicitVersionTriesOnlyThatVersion) {
  file("F/entity@1.2.dom");
  file("F/entity@1.10.dom");
  file("F/entity.dom");
  EXPECT_EQ(files_of(expand_in_f("entity@1.2,entity@1.3,entity@1.10.dom")),
            (std::vector<std::string>{folder().string() + "/entity@1.2.dom", "not_found",
                                      folder().string() + "/entity@1.10.dom"}));
}

TEST_F(PipelineExpansion, FirstFolderThatHoldsTheNameWins) {
  fs::path const second = file("G/entity.dom");
  file("H/entity.dom");
  file("F/entity@5.dom");
  // The exact names are tried in every folder before any latest scan.
  EXPECT_EQ(files_of(expand_in("entity", {folder("F"), folder("G"), folder("H")})),
            std::vector<std::string>{second.string()});
  // A latest scan stops at the first folder with a match, not at the highest
  // version over all folders.
  file("H/other@9.dom");
  fs::path const low = file("G/other@1.dom");
  EXPECT_EQ(files_of(expand_in("other", {folder("G"), folder("H")})),
            std::vector<std::string>{low.string()});
}

TEST_F(PipelineExpansion, LatestComparesVersionsAsNumbers) {
  file("F/entity@1.2.dom");
  file("F/entity@1.9.dom");
  fs::path const newest = file("F/entity@1.10.dom");
  file("F/entity@1.10.bak");
  file("F/entity-extra@7.dom");
  file("F/myentity@7.dom");
  file("F/entity@abc.dom");
  tmp_.folder("F/entity@20.dom");  // a folder, not a file
  EXPECT_EQ(expand_in_f("entity"), json::array({resolved("domain", "entity", newest)}));
  // An explicit "latest" scans at once.
  EXPECT_EQ(expand_in_f("entity@latest"),
            json::array({resolved("domain", "entity@latest", newest)}));
}

TEST_F(PipelineExpansion, LatestTakesDevOnlyWhenAllowed) {
  fs::path const dev = file("F/entity@dev.dom");
  fs::path const release = file("F/entity@2.0.dom");
  file("F/entity@1.10.dom");
  EXPECT_EQ(files_of(expand_in_f("entity", true)), std::vector<std::string>{dev.string()});
  EXPECT_EQ(files_of(expand_in_f("entity", false)), std::vector<std::string>{release.string()});
  // Dev alone and not allowed: not found.
  fs::remove(release);
  fs::remove(folder() / "entity@1.10.dom");
  EXPECT_EQ(files_of(expand_in_f("entity", false)), std::vector<std::string>{"not_found"});
}

TEST_F(PipelineExpansion, LatestChoiceBetweenEqualVersionsIsFixed) {
  struct Case {
    std::vector<std::string> files;
    std::string description;
    std::string language;
    std::string chosen;
  };
  std::vector<Case> const cases = {
      // Equal versions: the earlier extension wins, as in the exact lookup.
      {{"entity@1.0.dom", "entity@1.0.language"}, "entity", "", "entity@1.0.language"},
      // ... and the language prefix.
      {{"entity@1.0.dom", "english-entity@1.0.dom"}, "entity", "english", "english-entity@1.0.dom"},
      // A higher version beats both.
      {{"entity@3.dom", "english-entity@2.dom", "entity@2.language"},
       "entity",
       "english",
       "entity@3.dom"},
      // 1.0 and 1.0.0 are equal; the path's byte order settles it.
      {{"entity@1.0.dom", "entity@1.0.0.dom"}, "entity.dom", "", "entity@1.0.0.dom"},
      // A file without version is taken only when no version is there.
      {{"entity.dom", "entity@0.dom"}, "entity@latest", "", "entity@0.dom"},
      {{"entity.dom", "entity@abc.dom"}, "entity@latest", "", "entity.dom"},
      // Version 0, and "latest" written in a file name, are versions.
      {{"entity@0.dom"}, "entity", "", "entity@0.dom"},
      {{"entity@latest.dom", "entity.language"}, "entity@latest", "", "entity@latest.dom"},
  };
  for (Case const& c : cases) {
    ScratchFolder tree;
    for (std::string const& name : c.files) tree.file("F/" + name);
    json const result = expand2json(c.description, std::vector<fs::path>{tree.path() / "F"}, true,
                                    true, c.language);
    EXPECT_EQ(files_of(result), std::vector<std::string>{tree.str("F/" + c.chosen)})
        << c.description << " " << c.files[0];
  }
}

TEST_F(PipelineExpansion, LatestScansTheNamesFolderPart) {
  fs::path const sub = file("F/sub/entity@2.dom");
  file("F/entity@3.dom");
  EXPECT_EQ(files_of(expand_in_f("sub/entity")), std::vector<std::string>{sub.string()});
}

TEST_F(PipelineExpansion, PatternCharactersInNamesAreLiteral) {
  fs::path const plus = file("F/c++@1.dom");
  file("F/c@3.dom");
  file("F/cc@2.dom");
  fs::path const bracket = file("F/x[1@2.dom");
  fs::path const dots = file("F/a.b@1.dom");
  file("F/axb@5.dom");
  // Round brackets cannot reach a name (they open the options); the others
  // can.
  EXPECT_EQ(
      files_of(expand_in_f("c++,x[1,a.b,c+")),
      (std::vector<std::string>{plus.string(), bracket.string(), dots.string(), "not_found"}));
}

TEST_F(PipelineExpansion, PatternCharactersInFoldersAndPrefixesAreLiteral) {
  fs::path const in_odd_folder = file("v1.0+x[2]/entity@1.dom");
  EXPECT_EQ(files_of(expand_in("entity", {folder("v1.0+x[2]")})),
            std::vector<std::string>{in_odd_folder.string()});

  fs::path const prefixed = file("F/x(+-entity@1.dom");
  EXPECT_EQ(files_of(expand_in("entity", {folder()}, true, true, "x(+")),
            std::vector<std::string>{prefixed.string()});
}

TEST_F(PipelineExpansion, LanguageFoundFirstBecomesThePrefix) {
  fs::path const english = file("F/english.language");
  fs::path const prefixed = file("F/english-entity.dom");
  fs::path const plain = file("F/entity.dom");
  fs::path const prefixed_sub = file("F/sub/english-entity.dom");
  file("F/sub/entity.dom");
  file("F/english-other@1.dom");
  file("F/other@2.dom");

  EXPECT_EQ(expand_in_f("english,entity"), json::array({resolved("language", "english", english),
                                                        resolved("domain", "entity", prefixed)}));
  EXPECT_EQ(files_of(expand_in_f("english,sub/entity,other")),
            (std::vector<std::string>{english.string(), prefixed_sub.string(),
                                      fs::path(folder() / "other@2.dom").string()}));
  // The caller's language works the same way.
  EXPECT_EQ(files_of(expand_in_f("entity", true, "english")),
            std::vector<std::string>{prefixed.string()});
  // Only the first entry counts, and only a language found in the folders.
  EXPECT_EQ(files_of(expand_in_f("entity,english,entity")),
            (std::vector<std::string>{plain.string(), english.string(), plain.string()}));
  EXPECT_EQ(files_of(expand_in_f("german,entity")),
            (std::vector<std::string>{"not_found", plain.string()}));
}

TEST_F(PipelineExpansion, NotFoundAppsAndSkippedEntries) {
  fs::path const english = file("F/english.language");
  fs::path const dash = file("F/-x.dom");
  EXPECT_EQ(
      expand_in_f(",missing,,missing.language(o),missing@1.2,-x,"),
      json::array({not_found("domain", "missing"), not_found("language", "missing.language", "o"),
                   not_found("domain", "missing@1.2"), resolved("domain", "-x", dash)}));
  // Apps are named, never searched.
  EXPECT_EQ(
      expand_in_f("english-myapp@1.0.app,myapp.app(x)"),
      json::array(
          {{{"type", "app"},
            {"original", "english-myapp@1.0.app"},
            {"options", "{}"},
            {"name", "english-myapp@1.0"}},
           {{"type", "app"}, {"original", "myapp.app"}, {"options", "x"}, {"name", "myapp"}}}));
  // A language name written as a domain is looked up as a language.
  EXPECT_EQ(expand_in_f("english.dom"),
            json::array({resolved("language", "english.dom", english)}));
  // Nothing to search.
  EXPECT_EQ(expand_in("entity", {}), json::array({not_found("domain", "entity")}));
}

TEST_F(PipelineExpansion, ExistingPathsAreUsedDirectly) {
  fs::path const rules = tmp_.folder("rules");
  file("rules/a.kav");
  file("rules/b.kav");
  tmp_.folder("empty");
  file("empty/readme.txt");
  fs::path const domain = file("x.dom");
  fs::path const language = file("english.language");
  file("y.app");
  fs::path const in_folder = file("F/entity.dom");
  tmp_.folder("entity");
  file("entity/a.kav");
  file("F/english-entity.dom");
  WorkingFolder here(tmp_.path());

  EXPECT_EQ(expand_in_f("./rules(o)"),
            json::array({{{"type", "domain"}, {"options", "o"}, {"filename", rules.string()}}}));
  EXPECT_EQ(expand_in_f("x.dom"), json::array({resolved("domain", "x.dom", domain)}));
  EXPECT_EQ(expand_in_f("y.app"),
            json::array({{{"type", "app"},
                          {"original", "y.app"},
                          {"options", "{}"},
                          {"exception_type", "not_supported"},
                          {"exception_msg", "Applications can not be filename."}}}));
  // A folder without rule sources is searched by name.
  EXPECT_EQ(expand_in_f("./empty"), json::array({not_found("domain", "./empty")}));
  // A plain name is never looked for in the current folder.
  EXPECT_EQ(expand_in_f("entity"), json::array({resolved("domain", "entity", in_folder)}));
  // A language file named directly does not become the prefix.
  EXPECT_EQ(files_of(expand_in_f("./english.language,entity")),
            (std::vector<std::string>{language.string(), in_folder.string()}));
}

TEST_F(PipelineExpansion, ForbiddenOrUnknownFilesStopTheExpansion) {
  file("notes.txt");
  file("x.dom");
  tmp_.folder("entity");
  WorkingFolder here(tmp_.path());

  struct Case {
    std::string description;
    bool allow_files;
    std::string name;
    std::string message;
  };
  std::vector<Case> const cases = {
      {"missing,notes.txt", true, "notes.txt",
       "Unkown Extensions, use one of the following [ .language, .dom, .app ]"},
      {"x.dom", false, "x.dom", "Does not have permission for file access."},
      {"./entity", false, "./entity", "Does not have permission for file access."},
  };
  for (Case const& c : cases) {
    try {
      expand_in(c.description, {folder()}, c.allow_files);
      ADD_FAILURE() << c.description << " expanded";
    } catch (pipeline_error const& e) {
      EXPECT_EQ(e.what(), c.message);
      EXPECT_EQ(e.component().written_text, c.name);
    }
    try {
      expand(c.description, {folder().string()}, c.allow_files, true, "");
      ADD_FAILURE() << c.description << " expanded";
    } catch (JSONThrowException const& e) {
      EXPECT_EQ(std::string(e.what()), json({{"name", c.name},
                                             {"exception_type", "pipeline_error"},
                                             {"exception_msg", c.message}})
                                           .dump());
    }
  }
  // Missing paths and plain names are no file access.
  EXPECT_EQ(files_of(expand_in("./missing.dom,entity", {folder()}, false)),
            (std::vector<std::string>{"not_found", "not_found"}));
}

TEST_F(PipelineExpansion, OtherFailuresBecomeStdErrorObjects) {
  // A path element longer than the system allows cannot even be tested.
  std::string const too_long = "./" + std::string(300, 'x') + ".dom";
  try {
    expand(too_long, {folder().string()}, true, true, "");
    ADD_FAILURE() << "expanded";
  } catch (JSONThrowException const& e) {
    json const error = json::parse(e.what());
    EXPECT_EQ(error["name"], "unknown");
    EXPECT_EQ(error["exception_type"], "std");
    EXPECT_FALSE(error["exception_msg"].get<std::string>().empty());
  }
}

TEST_F(PipelineExpansion, ErrorObjectSurvivesNamesThatAreNotUtf8) {
  file("caf\xE9.txt");
  WorkingFolder here(tmp_.path());
  try {
    expand("caf\xE9.txt", {}, true, true, "");
    ADD_FAILURE() << "expanded";
  } catch (JSONThrowException const& e) {
    EXPECT_EQ(json::parse(e.what())["name"], "caf\xEF\xBF\xBD.txt");
  }
}

TEST_F(PipelineExpansion, ExpandPrintsCompactlyWithSortedKeys) {
  fs::path const english = file("F/english.language");
  EXPECT_EQ(expand("english(\"\xC3\xA9\xFF\"),missing", {folder().string(), tmp_.str("none")}, true,
                   true, ""),
            "[{\"filename\":\"" + english.string() +
                "\",\"options\":\"\\\"\xC3\xA9\\\"\",\"original\":\"english\",\"type\":"
                "\"language\"},{\"exception_msg\":\"Domain component not found.\","
                "\"exception_type\":\"not_found\",\"options\":\"{}\",\"original\":\"missing\","
                "\"type\":\"domain\"}]");
  EXPECT_EQ(expand("", {}, true, true, ""), "[]");
}

TEST_F(PipelineExpansion, FolderTextsGoThroughSearchPaths) {
  fs::path const kavero = file("r/morvik/kavero/entity.dom");
  fs::path const english = file("r/morvik/english.language");
  EXPECT_EQ(files_of(expand2json("english,entity", std::vector<std::string>{tmp_.str("r/morvik")},
                                 true, true, "")),
            (std::vector<std::string>{english.string(), kavero.string()}));
}

TEST(CountFilesWithExtension, CountsRegularFilesDirectlyInside) {
  ScratchFolder tmp;
  tmp.file("a.kav");
  tmp.file("b.kav");
  tmp.file("c.txt");
  tmp.file("sub/d.kav");
  tmp.folder("e.kav");
  std::size_t counter = 10;
  count_files_with_extension(tmp.path(), ".kav", counter);
  EXPECT_EQ(counter, 12u);
  counter = 0;
  count_files_with_extension(tmp.path(), "", counter);
  EXPECT_EQ(counter, 3u);
}

TEST(TestExpandedPipeline, TrueForAnyValue) {
  for (json const& value : {json::array({json::object({{"a", "b"}}), 1}), json({{"a", 1}}),
                            json("x\xFF"), json(nullptr)}) {
    EXPECT_TRUE(test_expanded_pipeline(value));
  }
}

// Collects the runtime's log lines while a test runs.
class LogCapture {
 public:
  LogCapture() {
    static bool const added =
        wlog::add_logger({wlog::kRuntimeId, wlog::kLevelTrace, [](std::uint16_t, char const* text) {
                            if (active_ != nullptr) active_->push_back(text);
                          }});
    (void)added;
    active_ = &lines_;
  }
  ~LogCapture() { active_ = nullptr; }
  std::vector<std::string> const& lines() const { return lines_; }

 private:
  static inline std::vector<std::string>* active_ = nullptr;
  std::vector<std::string> lines_;
};

TEST_F(PipelineExpansion, LogsEachStep) {
  fs::path const english = file("F/english.language");
  file("F/entity@2.dom");
  file("a\"b.dom");
  WorkingFolder here(tmp_.path());
  LogCapture capture;
  expand("english,entity,a\"b.dom", {folder().string()}, true, true, "");
  std::string const f = folder().string();
  std::vector<std::string> const expected = {
      "[PIPELINE] DESCRIPTION:english,entity,a\"b.dom",
      "[PIPELINE] COMPONENT:english",
      "[PIPELINE]   -- PATH:\"" + f + "\"",
      "[PIPELINE]     -- check:" + f + "/english.language:1",
      "[PIPELINE]   -- Found:" + f + "/english.language:1",
      "[PIPELINE]     -- check:" + f + "/english-entity.language:0",
      "[PIPELINE]     -- Pattern:" + f + "/(?:english-)?entity(?:@(.*))?\\.dom",
      "[PIPELINE]       --   CANDIDATE:" + f + "/entity@2.dom",
      "[PIPELINE]   -- Found " + f + "/entity@2.dom",
      "[PIPELINE] EXISTS:\"a\\\"b.dom\"",
  };
  EXPECT_THAT(capture.lines(), ::testing::IsSupersetOf(expected));
}

}  // namespace
}  // namespace pipeline
}  // namespace zel
