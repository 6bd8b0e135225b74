#include "language/language_listing.h"

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/options.h"
#include "engine/engine.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::ScratchFolder;

std::shared_ptr<Engine> engine_over(const std::string& morvik, const std::string& root) {
  return std::make_shared<Engine>(convert_string_to_api_options(
      json{{"root_path", root}, {"morvik", morvik}}.dump()));
}

TEST(LanguageListing, ListsEveryConfigurationOfTheResourceFolders) {
  ScratchFolder scratch;
  scratch.write("first/english.language",
                R"({"tokenizer": "e.tok", "tokenizer_locale": "en", "morph_chain": []})");
  scratch.write("first/dutch@2.language", R"({"tokenizer_locale": "nl"})");
  scratch.write("first/dutch@3@x.language", R"({"morph_chain": []})");
  scratch.write("first/plain.language", R"({"hmm": "plain.hmm"})");
  scratch.write("first/broken.language", "{ not json");
  scratch.write("first/list.language", "[1, 2]");
  // Not listed: other extensions, capitals, subfolders.
  scratch.write("first/english.fst", "");
  scratch.write("first/shout.LANGUAGE", "{}");
  scratch.write("first/sub/deep.language", "{}");
  // A later folder does not list a language again.
  scratch.write("second/english.language", R"({"morph_chain": []})");
  scratch.write("second/german.language", R"({"tokenizer": "g.tok"})");

  const std::string first = (scratch.path() / "first").string();
  const std::string second = (scratch.path() / "second").string();
  auto engine = engine_over(first + ":" + second, scratch.path().string());
  // Compact, keys in byte order.
  EXPECT_EQ(engine->languages(),
            R"({"broken":{"none":{"error":"Invalid json language file."}},)"
            R"("dutch":{"2":{"support":["tokenizer_locale"]}},)"
            R"("english":{"none":{"support":["tokenizer","morphology"]}},)"
            R"("german":{"none":{"support":["tokenizer"]}},)"
            R"("list":{"none":null},"plain":{"none":null}})");
}

TEST(LanguageListing, AFolderThatCannotBeListedListsNothing) {
  ScratchFolder scratch;
  scratch.write("first/english.language", R"({"morph_chain": []})");
  scratch.write("second/german.language", R"({"tokenizer": "g.tok"})");
  const std::string first = (scratch.path() / "first").string();
  const std::string second = (scratch.path() / "second").string();
  auto engine = engine_over(first + ":" + second, scratch.path().string());
  fs::remove_all(first);
  EXPECT_EQ(engine->languages(), R"({"german":{"none":{"support":["tokenizer"]}}})");
  // The listing released the engine mutex.
  EXPECT_TRUE(engine->get_mutex()->try_lock());
  engine->get_mutex()->unlock();
}

TEST(LanguageListing, NothingToList) {
  ScratchFolder scratch;
  auto engine = engine_over(scratch.path().string(), scratch.path().string());
  EXPECT_EQ(engine->languages(), "{}");
}

TEST(LanguageListing, SupportLevelOfOneFile) {
  ScratchFolder scratch;
  json description;
  add_support_level(description, (scratch.path() / "missing.language").string());
  EXPECT_TRUE(description.is_null());
  add_support_level(description,
                    scratch.write("v.language", R"({"version": 1, "morph_chain": 0})").string());
  EXPECT_EQ(description, json::parse(R"({"support": ["morphology"]})"));
}

}  // namespace
}  // namespace kavero
}  // namespace zel
