#include "domain/domain_info.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/scratch_folder_testutil.h"
#include "engine/environment_testutil.h"
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/logging.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using zel::testing::message_of;

// Collects the runtime's log lines while a test runs.
class LogCapture {
 public:
  LogCapture() {
    static const bool added =
        wlog::add_logger({wlog::kRuntimeId, wlog::kLevelTrace, [](std::uint16_t level, const char* text) {
                            if (active_ != nullptr) {
                              active_->push_back(std::to_string(level) + ":" + text);
                            }
                          }});
    (void)added;
    active_ = &lines_;
  }
  ~LogCapture() { active_ = nullptr; }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  static inline std::vector<std::string>* active_ = nullptr;
  std::vector<std::string> lines_;
};

class DomainInfo : public ::testing::Test {
 protected:
  std::string path(const std::string& relative) const { return scratch_.str(relative); }
  fs::path write(const std::string& relative, const std::string& content) const {
    return scratch_.write(relative, content);
  }
  // The search folder of the expansion.
  std::vector<fs::path> folders() const { return {scratch_.path() / "morvik"}; }

  zel::testing::ScratchFolder scratch_;
};

TEST(ChangeExtension, ReplacesOrAppendsTheExtension) {
  const struct {
    const char* path;
    const char* extension;
    const char* changed;
  } cases[] = {
      {"/a/b.dom", ".dom_info", "/a/b.dom_info"},
      {"/a/b", ".dom_info", "/a/b.dom_info"},
      {"/a/b.x.dom", ".dom", "/a/b.x.dom"},
      {"/a.d/b", "dom", "/a.d/b.dom"},
      {"b.dom_info", ".dom", "b.dom"},
      {"b.dom", "", "b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(change_extension(c.path, c.extension), fs::path(c.changed)) << c.path;
  }
}

TEST_F(DomainInfo, AFolderHoldsTheDomainUnderFixedNames) {
  write("with/domain.dom", "");
  write("with/domain.dom_info", R"({"concepts":["City"]})");
  // The search folders are not consulted for a folder.
  const std::vector<fs::path> nowhere = {"/nonexistent-search-folder"};
  EXPECT_EQ(core::get_domain_info(path("with"), nowhere),
            json::parse(R"({"dom":{"dom_filename":")" + path("with/domain.dom") +
                        R"(","dom_info_filename":")" + path("with/domain.dom_info") +
                        R"("},"dom_info":{"concepts":["City"]}})"));

  // Without a description (and without a database) both names are set.
  scratch_.folder("without");
  EXPECT_EQ(core::get_domain_info(path("without"), nowhere),
            json::parse(R"({"dom":{"dom_filename":")" + path("without/domain.dom") +
                        R"(","dom_info_filename":")" + path("without/domain.dom_info") +
                        R"("},"dom_info":null})"));
}

TEST_F(DomainInfo, ANameIsExpandedToItsDatabaseAndDescription) {
  const fs::path described = write("morvik/entity.dom", "");
  const fs::path description = write("morvik/entity.dom_info", R"({"concepts":"A,B"})");
  EXPECT_EQ(core::get_domain_info("entity", folders()),
            json::parse(R"({"dom":{"dom_filename":")" + described.string() +
                        R"(","dom_info_filename":")" + description.string() +
                        R"("},"dom_info":{"concepts":"A,B"}})"));

  const fs::path bare = write("morvik/places.dom", "");
  EXPECT_EQ(core::get_domain_info("places", folders()),
            json::parse(R"({"dom":{"dom_filename":")" + bare.string() +
                        R"("},"dom_info":null})"));

  // A description is looked for beside ".dom" files only.
  const fs::path language = write("morvik/english.language", "");
  write("morvik/english.dom_info", "{}");
  EXPECT_EQ(core::get_domain_info("english", folders()),
            json::parse(R"({"dom":{"dom_filename":")" + language.string() +
                        R"("},"dom_info":null})"));

  // A description that is a folder is not read.
  write("morvik/odd.dom", "");
  scratch_.folder("morvik/odd.dom_info");
  EXPECT_EQ(core::get_domain_info("odd", folders())["dom_info"], nullptr);

  EXPECT_EQ(message_of([&] { core::get_domain_info("missing", folders()); }),
            "Domain file not found. missing");
  EXPECT_EQ(core::get_domain_info("english", folders())["dom_info"], nullptr);
}

TEST_F(DomainInfo, ADescriptionIsReadIntoTheInformation) {
  const fs::path file = write("d.dom_info", R"({"concepts":["X"],"instances":true})");
  json info;
  core::add_dom_info_from_file(file.string(), info);
  EXPECT_EQ(info, json::parse(R"({"dom":{"dom_filename":")" + path("d.dom") +
                              R"(","dom_info_filename":")" + file.string() +
                              R"("},"dom_info":{"concepts":["X"],"instances":true}})"));

  // A database name already there gets the extension ".dom".
  json named = json::parse(R"({"dom":{"dom_filename":"/x/other.bin"},"dom_info":null})");
  core::add_dom_info_from_file(file.string(), named);
  EXPECT_EQ(named["dom"]["dom_filename"], "/x/other.dom");
  EXPECT_EQ(named["dom"]["dom_info_filename"], file.string());

  json wrong = json::parse(R"({"dom":{"dom_filename":3}})");
  EXPECT_THROW(core::add_dom_info_from_file(file.string(), wrong), json::type_error);
}

TEST_F(DomainInfo, ADescriptionThatCannotBeReadOrParsedIsRefused) {
  json info;
  EXPECT_EQ(message_of([&] { core::add_dom_info_from_file(path("none.dom_info"), info); }),
            "dom_info file not found." + path("none.dom_info"));

  const struct {
    const char* text;
    const char* parser_message;
  } cases[] = {
      {"{\"a\":\n  1,}",
       "[json.exception.parse_error.101] parse error at line 2, column 5: syntax error while "
       "parsing object key - unexpected '}'; expected string literal"},
      {" \n\t ",
       "[json.exception.parse_error.101] parse error at line 2, column 3: syntax error while "
       "parsing value - unexpected end of input; expected '[', '{', or a literal"},
      // Comments are not allowed.
      {"// x\n{}",
       "[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while "
       "parsing value - invalid literal; last read: '/'"},
  };
  for (const auto& c : cases) {
    const fs::path file = write("bad.dom_info", c.text);
    json untouched = json::object();
    EXPECT_EQ(message_of([&] { core::add_dom_info_from_file(file.string(), untouched); }),
              "Invalid dom_info file." + file.string() + ", invalid json:" + c.parser_message +
                  "\n" + c.text);
    EXPECT_EQ(untouched["dom_info"], nullptr);
  }
}

TEST_F(DomainInfo, TheDescriptionBesideADatabase) {
  write("full.dom_info", "\n\x01 {\"concepts\":\"A\"} \r\n");
  write("blank.dom_info", " \t\r\n");
  write("bad.dom_info", "{\"concepts\":");
  write("plain.dom_info", "[1]");

  const std::shared_ptr<json> full = core::load_dom_info(path("full.dom"));
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(*full, json::parse(R"({"concepts":"A"})"));
  // A name without extension gets the description's appended.
  ASSERT_NE(core::load_dom_info(path("plain")), nullptr);
  EXPECT_EQ(*core::load_dom_info(path("plain")), json::array({1}));

  const std::shared_ptr<json> blank = core::load_dom_info(path("blank.dom"));
  ASSERT_NE(blank, nullptr);
  EXPECT_TRUE(blank->is_null());

  EXPECT_EQ(message_of([&] { core::load_dom_info(path("bad.dom")); }),
            "Invalid json config file :" + path("bad.dom_info"));

  LogCapture log;
  EXPECT_EQ(core::load_dom_info(path("absent.dom")), nullptr);
  EXPECT_EQ(log.lines(),
            std::vector<std::string>{"4:Domain info file NOT FOUND: " + path("absent.dom_info")});
}

TEST_F(DomainInfo, TheDatabasePathOfAName) {
  const fs::path database = write("morvik/entity.dom", "");
  EXPECT_EQ(core::get_domain_filename("entity", folders()), database.string());
  // An existing path is taken as it is, file or folder.
  EXPECT_EQ(core::get_domain_filename(path("morvik"), {}), path("morvik"));
  EXPECT_EQ(core::get_domain_filename(database.string(), {}), database.string());
  EXPECT_EQ(message_of([&] { core::get_domain_filename("missing", folders()); }),
            "Domain file not found. missing");
}

TEST_F(DomainInfo, TheDatabasePathInTheResourceFoldersIsProbedInOrder) {
  const std::vector<fs::path> resources = {scratch_.path() / "r1", scratch_.path() / "r2"};
  scratch_.folder("r1");
  write("r2/entity.dom", "");
  EXPECT_EQ(get_domain_filename("entity", resources), path("r2/entity.dom"));
  write("r1/entity.dom", "");
  EXPECT_EQ(get_domain_filename("entity", resources), path("r1/entity.dom"));
  EXPECT_EQ(get_domain_filename("entity.dom", resources), path("r1/entity.dom"));

  // The name itself, then with ".dom", win over the folders.
  write("local.dom", "");
  write("r1/local.dom", "");
  EXPECT_EQ(get_domain_filename(path("local").c_str(), resources), path("local.dom"));
  write("local", "");
  EXPECT_EQ(get_domain_filename(path("local").c_str(), resources), path("local"));

  // Found nowhere: the name with ".dom", never twice.
  EXPECT_EQ(get_domain_filename("other", resources), "other.dom");
  EXPECT_EQ(get_domain_filename("other.dom", resources), "other.dom");

  // Without folders the installation's are needed only when the name is
  // not found as it stands.
  EXPECT_EQ(get_domain_filename(path("local").c_str()), path("local"));
  EXPECT_EQ(get_domain_filename(path("r2/entity").c_str()), path("r2/entity.dom"));
  zel::testing::ScratchFolder root;
  root.write("morvik/other.dom", "");
  zel::testing::ScopedEnvironment env;
  env.set("KAVERO_ROOT", root.str());
  env.unset("KAVERO_MORVIK");
  EXPECT_EQ(get_domain_filename("other"), root.str("morvik/other.dom"));
  EXPECT_EQ(get_domain_filename("missing"), "missing.dom");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
