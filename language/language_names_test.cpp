#include "language/language_names.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace language {
namespace {

TEST(LanguageNamesTest, TablesKeepTheFirstRowOfARepeatedCodeOrName) {
  EXPECT_EQ(get_language_map().size(), 186u);
  EXPECT_EQ(&language_map(), &get_language_map());
  EXPECT_EQ(get_language_map().at("KL"), "greenlandic");
  EXPECT_EQ(get_language_map().at("GV"), "gaelic-manx");
  EXPECT_EQ(get_language_map().at("II"), "nuosu");
  EXPECT_EQ(get_language_map().at("SS"), "siswati");
  EXPECT_EQ(get_language_map().at("PI"), "p\xC4\x81li");

  const auto codes = get_language_codes();
  EXPECT_EQ(codes.size(), 186u);
  EXPECT_EQ(codes.count("ZH-HANS"), 1u);
  EXPECT_EQ(codes.count("KL"), 1u);

  size_t names = 0;
  for (const auto& entry : get_language_map()) names += is_known_language(entry.second);
  EXPECT_EQ(names, 186u);  // every name of the table is known...
  EXPECT_FALSE(is_known_language("kalaallisut"));  // ...the dropped ones are not
  EXPECT_FALSE(is_known_language("manx"));
  EXPECT_TRUE(is_known_language("greenlandic"));
  EXPECT_TRUE(is_known_language("southern ndebele"));
}

TEST(LanguageNamesTest, Codes) {
  struct Case {
    std::string name, code;
  };
  const std::vector<Case> cases = {
      {"danish", "DA"},       {"portuguese", "PO"},      {"english", "EN"},
      {"sami", "SE"},         {"swedish", "SV"},         {"manx", "not-supported"},
      {"Danish", "not-supported"}, {"", "not-supported"}, {"chinese-simplified", "ZH-HANS"},
  };
  for (const auto& c : cases) EXPECT_EQ(get_code(c.name), c.code) << c.name;
}

TEST(LanguageNamesTest, LongNames) {
  struct Case {
    std::string text;
    bool check;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"en", false, "english"},
      {"En", true, "english"},
      {"dk", false, "danish"},
      {"xx", false, "not-supported"},
      {"xx", true, "not-supported"},
      {"ZH-HANS", false, "zh-hans"},
      {"zh-hans", false, "zh-hans"},
      {"English", false, "english"},
      {"Klingon", false, "klingon"},
      {"Klingon", true, "not-supported"},
      {"German", true, "german"},
      {"", false, ""},
      {"", true, "not-supported"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(longname(c.text, c.check), c.expected) << c.text << " check=" << c.check;
  }
}

TEST(LanguageNamesTest, PathsOfFilesComeBackUnchangedFoldersAreLowerCased) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kavero-names-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "Sub");
  const auto file = dir / "MyLang.language";
  std::ofstream(file) << "{}";
  EXPECT_EQ(longname(file.string(), true), file.string());
  std::string folder = (dir / "Sub").string();
  std::string lowered = folder;
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(longname(folder, false), lowered);
  std::filesystem::remove_all(dir);
}

TEST(LanguageNamesTest, PathsTheFileSystemRefusesToExamineAreNames) {
  // Longer than any file name the system allows: the status query fails
  // with "name too long"; that is no file, and nothing is raised.
  const std::string long_name(5000, 'A');
  EXPECT_EQ(longname(long_name, false), std::string(5000, 'a'));
  EXPECT_EQ(longname(long_name, true), "not-supported");
}

TEST(LanguageNamesTest, GenitiveForms) {
  EXPECT_EQ(get_genitive_form("german"), "s");
  EXPECT_EQ(get_genitive_form("swedish"), "s");
  EXPECT_EQ(get_genitive_form("english"), "");
  EXPECT_EQ(get_genitive_form("German"), "");
}

}  // namespace
}  // namespace language
}  // namespace zel
