#include "language/resource_file.h"

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace core {
namespace {

namespace fs = std::filesystem;
using testing::RuntimeLog;
using testing::ScratchFolder;
using testing::WorkingFolder;

TEST(GenerateFilename, PlainNames) {
  ScratchFolder scratch;
  const fs::path a = scratch.path() / "a";
  const fs::path b = scratch.path() / "b";
  const fs::path none = scratch.path() / "none";
  scratch.write("a/english.language", "{}");
  scratch.write("b/english.language", "{}");
  scratch.write("b/german.language", "{}");
  scratch.write("english.language", "{}");
  scratch.write("here/dutch.language", "{}");
  fs::create_directories(scratch.path() / "c");

  struct Case {
    std::string name;
    std::vector<fs::path> folders;
    fs::path expected;
  };
  const Case cases[] = {
      // The first folder that holds the name wins; folders need not exist.
      {"english.language", {a, b}, a / "english.language"},
      {"english.language", {none, b, a}, b / "english.language"},
      {"german.language", {a, b}, b / "german.language"},
      {"french.language", {a, b}, ""},
      {"german.language", {}, ""},
      // A name that exists as it stands is taken before any folder.
      {(scratch.path() / "english.language").string(), {a, b},
       scratch.path() / "english.language"},
      {"dutch.language", {a, ""}, "dutch.language"},  // the working folder
      // An empty name names no file, though every folder exists.
      {"", {a, b}, ""},
  };
  WorkingFolder here(scratch.path() / "here");
  for (const Case& c : cases) {
    EXPECT_EQ(generate_filename(c.name, c.folders), c.expected) << c.name;
  }
}

TEST(GenerateFilename, LatestVersions) {
  ScratchFolder scratch;
  const fs::path a = scratch.path() / "a";
  const fs::path b = scratch.path() / "b";
  const fs::path c = scratch.path() / "c";
  // A folder whose own name holds a version sign.
  const fs::path at = scratch.path() / "release@9.9" / "d";
  const fs::path none = scratch.path() / "none";
  scratch.write("a/english@1.2.language", "{}");
  scratch.write("a/english@1.9.language", "{}");
  scratch.write("b/english@1.10.language", "{}");
  // Not versions of english: other names, other extensions, no version.
  scratch.write("a/old-english@2.0.language", "{}");
  scratch.write("a/english-old@3.0.language", "{}");
  scratch.write("b/english@4.0.language.bak", "{}");
  scratch.write("b/english@5.0.fst", "{}");
  scratch.write("b/english@beta.language", "{}");
  scratch.write("b/english.language", "{}");
  fs::create_directories(b / "english@6.0.language");  // a folder
  scratch.write("c/english@1.10.language", "{}");
  scratch.write("c/german@2.language", "{}");
  scratch.write("release@9.9/d/english@0.5.language", "{}");

  struct Case {
    std::string name;
    std::vector<fs::path> folders;
    fs::path expected;
  };
  const Case cases[] = {
      // Parts compare as numbers: 10 > 9 > 2.
      {"english@latest.language", {a, b}, b / "english@1.10.language"},
      {"english@latest.language", {b, a}, b / "english@1.10.language"},
      {"english@latest.language", {a, none}, a / "english@1.9.language"},
      // Equal versions: the later folder wins.
      {"english@latest.language", {c, b}, b / "english@1.10.language"},
      {"english@latest.language", {b, c}, c / "english@1.10.language"},
      // Only the file name is read for the version.
      {"english@latest.language", {at}, at / "english@0.5.language"},
      // Folder parts of the request are not used.
      {"sub/dir/english@latest.language", {a}, a / "english@1.9.language"},
      {"german@latest.language", {a, b, c}, c / "german@2.language"},
      {"german@latest.language", {a, b}, ""},
      {"french@latest.language", {a, b, c, none}, ""},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(generate_filename(k.name, k.folders), k.expected) << k.name;
  }

  // The empty folder is the working folder here too.
  WorkingFolder here(c);
  EXPECT_EQ(generate_filename("german@latest.language", {a, ""}),
            fs::path("german@2.language"));
}

TEST(GenerateFilename, TraceLines) {
  ScratchFolder scratch;
  const fs::path a = scratch.path() / "a";
  scratch.write("a/english@1.2.language", "{}");
  scratch.write("a/x.hmm", "");
  {
    RuntimeLog log;
    generate_filename("english@latest.language", {a});
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "TRACE -- checking filename: english@latest.language",
                  "TRACE -- stem has @latest version: stem=english@latest",
                  "TRACE -- found filename: " + (a / "english@1.2.language").string() +
                      "for english@latest.language"}));
  }
  {
    RuntimeLog log;
    generate_filename("x.hmm", {"no\"where", a});
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "TRACE -- checking filename: x.hmm",
                  "TRACE -- stem has @latest version: stem=x",
                  "TRACE -- checking filename: \"no\\\"where/x.hmm\"",
                  "TRACE -- checking filename: \"" + (a / "x.hmm").string() + "\"",
                  "TRACE -- found filename: " + (a / "x.hmm").string()}));
  }
}

TEST(FilenameGenerator, SectionFiles) {
  ScratchFolder scratch;
  const fs::path a = scratch.path() / "a";
  const fs::path b = scratch.path() / "b";
  scratch.write("b/english.abbrev", "Mr.\n");
  scratch.write("a/english.measure", "km\n");
  scratch.write("b/english.measure", "km\n");
  const std::string absolute = scratch.write("own.apostrophe", "'s\n").string();
  const nlohmann::json configuration = {
      {"abbreviations", "english.abbrev"},
      {"measure", "english.measure"},
      {"apostrophe", absolute},
      {"hmm", "english@latest.hmm"},
      {"postagger", "missing.postagger"},
      {"tokenizer", ""},
  };
  const std::string language = "english";
  const filename_generator resolve({a, b}, configuration, language);
  EXPECT_EQ(resolve(".abbrev", "abbreviations"), b / "english.abbrev");
  EXPECT_EQ(resolve(".measure", "measure"), a / "english.measure");
  EXPECT_EQ(resolve(".apostrophe", "apostrophe"), fs::path(absolute));
  EXPECT_EQ(resolve(".postagger", "postagger"), fs::path());
  EXPECT_EQ(resolve(".tok", "tokenizer"), fs::path());
  // No version support: the name is looked up as it stands.
  scratch.write("a/english@1.0.hmm", "");
  EXPECT_EQ(resolve(".hmm", "hmm"), fs::path());

  const filename_generator reversed(b, a, configuration, language);
  EXPECT_EQ(reversed(".measure", "measure"), b / "english.measure");

  const nlohmann::json numbers = {{"hmm", 3}};
  const filename_generator typed({a}, numbers, language);
  try {
    typed(".hmm", "hmm");
    ADD_FAILURE() << "no error";
  } catch (const nlohmann::json::type_error& e) {
    EXPECT_EQ(e.id, 302);
  }
}

TEST(FilenameGenerator, MissingSections) {
  ScratchFolder scratch;
  const fs::path a = scratch.path() / "a";
  // Named after the language and the extension, but not configured.
  scratch.write("a/english.abbrev", "Mr.\n");
  const std::string language = "english";
  const nlohmann::json configuration = {{"hmm", "x.hmm"}};
  const nlohmann::json not_an_object = nlohmann::json::array({"abbreviations"});

  ::unsetenv("KAVERO_STRICT_CONFIG");
  std::string err = testing::capture_stderr([&] {
    EXPECT_EQ(filename_generator({a}, configuration, language)(".abbrev", "abbreviations"),
              fs::path());
    EXPECT_EQ(filename_generator({a}, not_an_object, language)(".abbrev", "abbreviations"),
              fs::path());
  });
  EXPECT_EQ(err, "");

  ::setenv("KAVERO_STRICT_CONFIG", "", 1);
  err = testing::capture_stderr([&] {
    EXPECT_EQ(filename_generator({a}, configuration, language)(".abbrev", "abbreviations"),
              fs::path());
  });
  ::unsetenv("KAVERO_STRICT_CONFIG");
  EXPECT_EQ(err, "-- [language.config] `abbreviations` section missing in config file.\"\"");
}

TEST(GenerateFilename, DebuggingAid) {
  EXPECT_EQ(testing::capture_stdout([] { test_generate_filename("x.hmm"); }),
            "--->>>>>>>>>>x.hmm\n");
}

}  // namespace
}  // namespace core
}  // namespace kavero
}  // namespace zel
