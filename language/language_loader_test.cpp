// The language loader (Engine::get_language_module_nolock) over the test
// language and over small configurations made by the tests.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fst/vector-fst.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/file.h"
#include "base/options.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/lookup_descriptor.h"
#include "language/lookup_type.h"
#include "language/postagger.h"
#include "language/postagger_text.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "language/token_map.h"
#include "base/error_message_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using nlohmann::json;
using testing::RuntimeLog;
using testing::ScratchFolder;

const fs::path kTestLanguage = testing::test_language_folder();

std::shared_ptr<IOptions> options_of(const json& object) {
  return convert_string_to_api_options(object.dump());
}

std::shared_ptr<Engine> engine_over(const fs::path& morvik) {
  return std::make_shared<Engine>(
      options_of({{"root_path", morvik.parent_path().string()}, {"morvik", morvik.string()}}));
}

int64_t now_seconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::vector<std::string> rows_of(const TokenMap& map, int32_t status) {
  std::vector<std::string> rows;
  auto range = map.equal_range(status);
  for (auto it = range.first; it != range.second; ++it) rows.push_back(it->second);
  return rows;
}

TEST(LanguageLoader, LoadsTheTestLanguage) {
  auto engine = engine_over(kTestLanguage);
  const int64_t before = now_seconds();
  std::shared_ptr<LanguageModule> module = engine->get_language_module("english");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->requested_name, "english");
  EXPECT_EQ(module->language_name, "english");

  const std::string config = (kTestLanguage / "english.language").string();
  const LanguageModuleData& data = *module->module_data;
  EXPECT_EQ(data.name, config);
  EXPECT_EQ(data.config_file, config);
  EXPECT_EQ(data.last_write_time_stamp.load(), file::modification_time(config.c_str()));
  EXPECT_GE(data.last_access.load(), before);
  EXPECT_LE(data.last_access.load(), now_seconds());
  EXPECT_TRUE(data.detect_headers);
  EXPECT_EQ(data.get_config_option("sentyziser"), "3");

  // The word lists, the ".user" companion's lines last.
  EXPECT_EQ(data.abbreviation_expression,
            "Mr\\.|Mrs\\.|Dr\\.|St\\.|Inc\\.|etc\\.|e\\.g\\.|i\\.e\\.|Prof\\.");
  EXPECT_EQ(data.apostrophe_expression,
            "([A-Za-z]+)'s|([A-Za-z]+)'ll|([A-Za-z]+)'re|([A-Za-z]+)'ve|(ca)n't|"
            "([A-Za-z]+)n't|O'[A-Z][a-z]+|([ld]')[a-zàâçéèêîôû]+");
  EXPECT_EQ(data.measure_expression, "(\\$|£|€)?([0-9]+)(km|cm|kg|mi|m|g|h)?");

  EXPECT_FALSE(data.hmm_tables.start.empty());
  EXPECT_FALSE(data.hmm_tables.emission.empty());
  EXPECT_FALSE(data.hmm_tables.transition.table.empty());
  EXPECT_EQ(data.conditions.size(), 2u);
  EXPECT_NE(data.rules, nullptr);
  EXPECT_GT(data.rules_size, 0u);
  ASSERT_NE(data.postagger, nullptr);
  ASSERT_NE(data.postagger_rules, nullptr);
  EXPECT_EQ(&data.postagger_rules->afst(), data.postagger.get());

  ASSERT_EQ(data.lookup_descriptors.size(), 8u);
  ASSERT_EQ(data.guesser_descriptors.size(), 2u);
  EXPECT_EQ(data.guesser_descriptors[1].type, core::kLookupGuesser);
  EXPECT_EQ(data.guesser_descriptors[1].guesser_file,
            (kTestLanguage / "english-guesser.fst").string());
  EXPECT_NE(data.guesser_descriptors[1].guesser_fst, nullptr);
  ASSERT_EQ(data.named_descriptors.size(), 2u);
  EXPECT_EQ(data.named_descriptors.begin()->first, "abbrev");
  EXPECT_EQ(data.lookup_descriptors[1].properties, "+proper");

  // The default token map, then the configuration's rows after the rows of
  // their status.
  EXPECT_EQ(data.token_map.size(), init_token_map().size() + 3);
  EXPECT_EQ(rows_of(data.token_map, 2000), (std::vector<std::string>{"tag", "hashtag"}));
  EXPECT_EQ(rows_of(data.token_map, 501),
            (std::vector<std::string>{"+Punct-Sent", "sentence-end"}));
  EXPECT_EQ(rows_of(data.token_map, 200), std::vector<std::string>{"word"});
}

TEST(LanguageLoader, WritesResolvedFilesIntoTheConfigurationAndSharesTransducers) {
  auto engine = engine_over(kTestLanguage);
  auto module = engine->get_language_module("english");
  const LanguageModuleData& data = *module->module_data;
  const json& config = *data.config_json;
  const std::string lexicon = (kTestLanguage / "english.fst").string();
  EXPECT_EQ(config["morph_chain"][0]["file"], lexicon);
  EXPECT_EQ(config["morph_chain"][1]["file"], (kTestLanguage / "english-names.fst").string());
  EXPECT_EQ(config["morph_chain"][2]["file"], lexicon);
  EXPECT_EQ(config["not_found"][0]["file"], (kTestLanguage / "english-rare.fst").string());
  EXPECT_EQ(config["property_chain"]["apostrophe"][0]["file"], lexicon);
  // Descriptors point into the configuration the data keeps.
  EXPECT_EQ(data.lookup_descriptors[0].config, &config["morph_chain"][0]);

  // Three entries name english.fst: one transducer.
  const auto& apostrophe = data.named_descriptors.at("apostrophe");
  ASSERT_NE(data.lookup_descriptors[0].fst, nullptr);
  EXPECT_EQ(data.lookup_descriptors[2].fst, data.lookup_descriptors[0].fst);
  EXPECT_EQ(apostrophe[0].fst, data.lookup_descriptors[0].fst);
  EXPECT_NE(data.lookup_descriptors[1].fst, data.lookup_descriptors[0].fst);
}

TEST(LanguageLoader, TwoRequestsShareOneDataRecord) {
  auto engine = engine_over(kTestLanguage);
  auto first = engine->get_language_module("english");
  auto second = engine->get_language_module(options_of({{"language", "english"}}));
  // The configuration named by its path.
  auto third = engine->get_language_module((kTestLanguage / "english.language").string());
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);
  EXPECT_EQ(first->module_data, second->module_data);
  EXPECT_EQ(first->module_data, third->module_data);
  EXPECT_EQ(third->requested_name, (kTestLanguage / "english.language").string());
  EXPECT_EQ(third->language_name, "english");

  // Released, the language loads again into a new record; the old handles
  // keep theirs.
  EXPECT_TRUE(engine->release_language((kTestLanguage / "english.language").string()));
  EXPECT_FALSE(engine->release_language((kTestLanguage / "english.language").string()));
  auto fourth = engine->get_language_module("english");
  EXPECT_NE(fourth->module_data, first->module_data);
  EXPECT_EQ(first->module_data->config_file, fourth->module_data->config_file);
  // The transducers stay in the engine's cache.
  EXPECT_EQ(fourth->module_data->lookup_descriptors[0].fst,
            first->module_data->lookup_descriptors[0].fst);
}

TEST(LanguageLoader, ANewerConfigurationIsLoadedAgain) {
  ScratchFolder scratch;
  const fs::path morvik = scratch.path() / "morvik";
  fs::copy(kTestLanguage, morvik, fs::copy_options::recursive);
  auto engine = engine_over(morvik);
  const fs::path config = fs::canonical(morvik / "english.language");

  auto before = engine->get_language_module("english");
  auto unchanged = engine->get_language_module("english");
  EXPECT_EQ(unchanged->module_data, before->module_data);

  testing::shift_modification_time(config, std::chrono::seconds(10));
  RuntimeLog log;
  auto after = engine->get_language_module("english");
  EXPECT_NE(after->module_data, before->module_data);
  EXPECT_EQ(after->module_data->last_write_time_stamp.load(),
            before->module_data->last_write_time_stamp.load() + 10);
  EXPECT_TRUE(log.has("DEBUG", "[Language]  Newer version of " + config.string()));
  EXPECT_TRUE(log.has("DEBUG", "[Language] Release language: " + config.string()));
  EXPECT_TRUE(log.has("DEBUG", "[Language] Load: " + config.string()));
  // The old handle still works with the old data; the lexicons did not
  // change, so both share their transducers.
  EXPECT_EQ(before->module_data->config_file, config.string());
  EXPECT_EQ(before->module_data->lookup_descriptors.size(), 8u);
  EXPECT_EQ(after->module_data->lookup_descriptors[0].fst,
            before->module_data->lookup_descriptors[0].fst);

  // An older time does not bring the old copy back.
  testing::shift_modification_time(config, std::chrono::seconds(-100));
  EXPECT_EQ(engine->get_language_module("english")->module_data, after->module_data);
}

TEST(LanguageLoader, ConcurrentRequestsShareOneLoad) {
  auto engine = engine_over(kTestLanguage);
  std::vector<std::shared_ptr<LanguageModule>> modules(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    threads.emplace_back([&, i] { modules[i] = engine->get_language_module("english"); });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto& module : modules) {
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->module_data, modules[0]->module_data);
  }
}

// A scratch resource folder named "morvik", with the test language's
// lexicons available by their absolute paths.
class LoaderScratch : public ::testing::Test {
 protected:
  LoaderScratch() { fs::create_directories(morvik()); }
  fs::path morvik() const { return scratch_.path() / "morvik"; }
  std::string write(const std::string& name, const std::string& text) {
    return scratch_.write("morvik/" + name, text).string();
  }
  std::shared_ptr<Engine> engine() {
    if (!engine_) engine_ = engine_over(morvik());
    return engine_;
  }
  std::string config_path(const std::string& name) {
    return (fs::canonical(morvik()) / name).string();
  }

  ScratchFolder scratch_;
  std::shared_ptr<Engine> engine_;
};

TEST_F(LoaderScratch, ErrorsOfTheRequestAndOfTheConfiguration) {
  EXPECT_EQ(message_of([&] { engine()->get_language_module(options_of(json::object())); }),
            "Language has not been set.");
  EXPECT_EQ(message_of([&] { engine()->get_language_module(""); }),
            "Language has not been set.");
  EXPECT_EQ(message_of([&] { engine()->get_language_module("klingon"); }),
            "language config file missing for [klingon] :klingon");
  // A configuration that cannot be read.
  fs::create_directories(morvik() / "folder.language");
  EXPECT_EQ(message_of([&] { engine()->get_language_module("folder"); }),
            "can not open file " + config_path("folder.language"));

  const std::string head =
      "Invalid config file format in the tokenizer_mapper :\n - file:\"";
  const std::string format1 =
      "\"\n - Format : \"tokenizer_mapper\" : [ [int,string,...,string],"
      "[int,string,...,string] ]";
  const std::string format2 =
      "\"\n - Format : \"tokenizer_mapper\" : [ [int,string,...,string],"
      "[int,string...,string] ]";
  struct Case {
    std::string name;
    std::string text;
    std::string message;  // "$" stands for the quoted path, "@" for the text
  } const cases[] = {
      {"broken", "{ \"morph_chain\": [", "Invalid json input file:$\n@"},
      {"comment", "{ // no comments\n}", "Invalid json input file:$\n@"},
      {"headers", "{\"detect_headers\": \"yes\"}",
       "Invalid type for the field 'detect_headers' for the language [headers] in $\n@"},
      {"headers2", "{\"detect_headers\": 1}",
       "Invalid type for the field 'detect_headers' for the language [headers2] in $\n@"},
      {"negative", "{\"tokenizer_mapper\": [[-3, \"x\"]]}", head + "#" + format1},
      {"single", "{\"tokenizer_mapper\": [[3]]}", head + "#" + format1},
      {"textfirst", "{\"tokenizer_mapper\": [[\"x\", 3]]}", head + "#" + format1},
      {"notarray", "{\"tokenizer_mapper\": [3]}", head + "#" + format1},
      {"later", "{\"tokenizer_mapper\": [[3, \"a\"], [4, \"x\", 5]]}", head + "#" + format2},
      {"hmm", "{\"hmm\": 5}", "[json.exception.type_error.302] type must be string, but is number"},
      {"lexicon", "{\"morph_chain\": [{\"file\": \"missing.lex\"}]}",
       "Cannot find morph file:[missing.lex]"},
  };
  for (const Case& c : cases) {
    write(c.name + ".language", c.text);
    const std::string path = config_path(c.name + ".language");
    std::string expected;
    for (char ch : c.message) {
      if (ch == '$') {
        expected += "\"" + path + "\"";
      } else if (ch == '@') {
        expected += c.text;
      } else if (ch == '#') {
        expected += path;
      } else {
        expected += ch;
      }
    }
    EXPECT_EQ(message_of([&] { engine()->get_language_module(c.name); }), expected) << c.name;
    // A failed load leaves nothing in the cache.
    EXPECT_FALSE(engine()->release_language(path)) << c.name;
  }
}

TEST_F(LoaderScratch, AMinimalConfiguration) {
  write("bare.language", "{}");
  RuntimeLog log;
  auto module = engine()->get_language_module("bare");
  const LanguageModuleData& data = *module->module_data;
  EXPECT_TRUE(log.has("WARNING", "Missing morph_chain file in \"" + config_path("bare.language") + "\"{}"));
  EXPECT_TRUE(data.detect_headers);
  EXPECT_TRUE(data.hmm_tables.start.empty());
  EXPECT_EQ(data.rules, nullptr);
  EXPECT_TRUE(data.lookup_descriptors.empty());
  EXPECT_TRUE(data.guesser_descriptors.empty());
  EXPECT_TRUE(data.named_descriptors.empty());
  EXPECT_EQ(data.abbreviation_expression, "");
  EXPECT_EQ(data.token_map, init_token_map());

  write("quiet.language",
        "{\"detect_headers\": false, \"hmm\": \"missing.hmm\", \"morph_chain\": []}");
  auto quiet = engine()->get_language_module("quiet");
  EXPECT_FALSE(quiet->module_data->detect_headers);
  EXPECT_TRUE(quiet->module_data->hmm_tables.emission.empty());
}

TEST_F(LoaderScratch, AnUnusableDisambiguatorIsLeftOut) {
  // A file the transducer reader refuses: no transducer, nothing logged.
  write("broken.postagger", "not a transducer");
  write("tagged.language", "{\"postagger\": \"broken.postagger\", \"morph_chain\": []}");
  {
    RuntimeLog log;
    auto module = engine()->get_language_module("tagged");
    EXPECT_EQ(module->module_data->postagger, nullptr);
    EXPECT_TRUE(log.has("TRACE", "[Language] Postagger file: " + config_path("broken.postagger")));
  }

  // A transducer without symbol tables cannot be walked: logged, left out.
  fst::StdVectorFst bare;
  bare.SetStart(bare.AddState());
  ASSERT_TRUE(bare.Write((morvik() / "bare.postagger").string()));
  write("bare.language", "{\"postagger\": \"bare.postagger\", \"morph_chain\": []}");
  RuntimeLog log;
  auto module = engine()->get_language_module("bare");
  EXPECT_EQ(module->module_data->postagger, nullptr);
  EXPECT_TRUE(log.has("ERROR", "[Language] Cannot load/find pos disambiguator file " +
                                   config_path("bare.postagger")));
}

TEST_F(LoaderScratch, TheDisambiguatorsLabelsAreCheckedOnLoad) {
  auto compile = [&](const std::string& name, const std::string& rules) {
    write(name + ".txt", rules);
    disambiguation::compile_postagger_file((morvik() / (name + ".txt")).string(),
                                           (morvik() / name).string());
  };
  // Well-formed rules load with the transducer they were checked on.
  compile("good.postagger", "0 1 N\n1 2 -p1 #2\n2 3 D\n3\n");
  write("good.language", "{\"postagger\": \"good.postagger\", \"morph_chain\": []}");
  auto good = engine()->get_language_module("good");
  ASSERT_NE(good->module_data->postagger, nullptr);
  ASSERT_NE(good->module_data->postagger_rules, nullptr);
  EXPECT_EQ(&good->module_data->postagger_rules->afst(),
            good->module_data->postagger.get());

  // A property label without a property name: refused once, here, and the
  // language loads without it.
  compile("bad.postagger", "0 1 N\n1 2 -m1 #2\n2\n");
  write("bad.language", "{\"postagger\": \"bad.postagger\", \"morph_chain\": []}");
  RuntimeLog log;
  auto bad = engine()->get_language_module("bad");
  EXPECT_EQ(bad->module_data->postagger, nullptr);
  EXPECT_EQ(bad->module_data->postagger_rules, nullptr);
  EXPECT_TRUE(log.has("ERROR", "[Language] Cannot load/find pos disambiguator file " +
                                   config_path("bad.postagger")));
  EXPECT_TRUE(log.has("ERROR", "[Language] malformed postagger input label 3 \"-m1\": "
                               "a property label must name a property"));
}

TEST_F(LoaderScratch, ListedLanguagesWithoutAConfigurationLoadGeneric) {
  write("generic.language", "{\"morph_chain\": [], \"sentyziser\": \"icu\"}");
  RuntimeLog log;
  auto module = engine()->get_language_module("italian");
  EXPECT_EQ(module->requested_name, "generic");
  EXPECT_EQ(module->language_name, "generic");
  EXPECT_EQ(module->module_data->config_file, config_path("generic.language"));
  EXPECT_TRUE(log.has("DEBUG", "using generic language module.{\"language\":\"italian\"}"));
  // The same data as a request for "generic".
  EXPECT_EQ(engine()->get_language_module("generic")->module_data, module->module_data);

  // The list is exact: other names and other cases fail.
  for (const char* language : {"english", "Italian", "italiano"}) {
    EXPECT_EQ(message_of([&] { engine()->get_language_module(language); }),
              std::string("language config file missing for [") + language + "] :" + language);
  }
}

TEST_F(LoaderScratch, LanguagesOfTheProjectFolderAndByPath) {
  // A language of its own in the project folder, whose lexicon is found in
  // the test language's folder by its absolute path, shares the transducer
  // with the test language.
  const std::string lexicon = (kTestLanguage / "english.fst").string();
  scratch_.write("project/mine.language",
                 json{{"morph_chain", {{{"file", lexicon}}}}}.dump());
  auto engine = std::make_shared<Engine>(
      options_of({{"root_path", scratch_.path().string()},
                  {"morvik", kTestLanguage.string() + ":" + morvik().string()}}));
  const std::string project = (scratch_.path() / "project").string();
  auto mine = engine->get_language_module(options_of({{"language", "mine"}, {"project_path", project}}));
  EXPECT_EQ(mine->language_name, "mine");
  EXPECT_EQ(mine->module_data->config_file, project + "/mine.language");
  auto english = engine->get_language_module("english");
  EXPECT_EQ(mine->module_data->lookup_descriptors[0].fst,
            english->module_data->lookup_descriptors[0].fst);
  // Without the project folder it is not found.
  EXPECT_EQ(message_of([&] { engine->get_language_module("mine"); }),
            "language config file missing for [mine] :mine");

  // A configuration outside every search folder, named by its path, is
  // named by that path.
  const std::string outside = scratch_.write("elsewhere/other.language", "{}").string();
  auto other = engine->get_language_module(outside);
  EXPECT_EQ(other->language_name, outside);
  EXPECT_EQ(other->module_data->config_file, outside);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
