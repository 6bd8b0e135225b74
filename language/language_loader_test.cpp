// The language loader (Engine::get_language_module_nolock) over the test
// language and over small configurations made by the tests.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fst/vector-fst.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
            "The language configuration \"" + config_path("folder.language") +
                "\" is not a regular file.");

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
    std::string message;  // "$" stands for the quoted path, "#" for the path
  } const cases[] = {
      // The parser's position, never the file's text.
      {"broken", "{ \"morph_chain\": [",
       "Invalid json input file:$\nparse error at line 1, column 19: syntax error while "
       "parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {"comment", "{ // no comments\n}",
       "Invalid json input file:$\nparse error at line 1, column 3: syntax error while "
       "parsing object key - invalid literal; last read: '{ /'"},
      {"headers", "{\"detect_headers\": \"yes\"}",
       "Invalid type for the field 'detect_headers' for the language [headers] in $\n"
       "a boolean is expected, not string \\\"yes\\\""},
      {"headers2", "{\"detect_headers\": 1}",
       "Invalid type for the field 'detect_headers' for the language [headers2] in $\n"
       "a boolean is expected, not number 1"},
      {"negative", "{\"tokenizer_mapper\": [[-3, \"x\"]]}", head + "#" + format1},
      {"single", "{\"tokenizer_mapper\": [[3]]}", head + "#" + format1},
      {"textfirst", "{\"tokenizer_mapper\": [[\"x\", 3]]}", head + "#" + format1},
      {"notarray", "{\"tokenizer_mapper\": [3]}", head + "#" + format1},
      {"later", "{\"tokenizer_mapper\": [[3, \"a\"], [4, \"x\", 5]]}", head + "#" + format2},
      {"hmm", "{\"hmm\": 5}",
       "Invalid language file $: the value of \"hmm\" must be a file name (a text), not "
       "number."},
      {"abbrev", "{\"abbreviations\": [\"x\"]}",
       "Invalid language file $: type must be string, but is array"},
      {"lexicon", "{\"morph_chain\": [{\"icu\": 1, \"lookup\": \"icu\"}, {\"file\": \"missing.lex\"}]}",
       "Cannot find morph file:[missing.lex] (entry 2 of \"morph_chain\" in $)"},
      {"misspelt", "{\"morph_chain\": [{\"lookup\": \"compund_v3\"}]}",
       "invalid config file format, unknown lookup type \"compund_v3\"; the known types are "
       "[not_set,plain,compound_v2,compound_v3,compound_numbers,cleaner,guesser,endings,tag,"
       "icu] (entry 1 of \"morph_chain\" in $)"},
      {"named", "{\"property_chain\": {\"p\": [7]}}",
       "invalid config file format for an entry that is number, not an object (entry 1 of "
       "\"property_chain\".\"p\" in $)"},
      {"chains", "{\"property_chain\": [[{\"lookup\": \"icu\"}]]}",
       "invalid config file format, \"property_chain\" must be an object of named chains, "
       "not array (in $)"},
      {"mapper", "{\"tokenizer_mapper\": [{\"a\": 1, \"b\": 2}]}",
       "Invalid language file $: cannot use operator[] with a numeric argument with object"},
      {"tokenizer", "{\"tokenizer\": \"gone.tokenizer\"}",
       "Missing tokenizer file: [tokenizer] gone.tokenizer (named by \"tokenizer\" in $)"},
  };
  for (const Case& c : cases) {
    write(c.name + ".language", c.text);
    const std::string path = config_path(c.name + ".language");
    std::string expected;
    for (char ch : c.message) {
      if (ch == '$') {
        expected += "\"" + path + "\"";
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
  // A file the transducer reader refuses: no transducer; the error names
  // the file and what is wrong with it.
  write("broken.postagger", "not a transducer");
  write("tagged.language", "{\"postagger\": \"broken.postagger\", \"morph_chain\": []}");
  {
    RuntimeLog log;
    auto module = engine()->get_language_module("tagged");
    EXPECT_EQ(module->module_data->postagger, nullptr);
    EXPECT_TRUE(log.has("TRACE", "[Language] Postagger file: " + config_path("broken.postagger")));
    EXPECT_TRUE(log.has("ERROR", "[Language] Invalid transducer file [" +
                                     config_path("broken.postagger") +
                                     "]: not a compiled transducer (no magic number) (byte 0 of "
                                     "16)"));
  }

  // A transducer without symbol tables cannot be walked: logged, left out.
  fst::StdVectorFst bare;
  bare.SetStart(bare.AddState());
  ASSERT_TRUE(bare.Write((morvik() / "bare.postagger").string()));
  write("bare.language", "{\"postagger\": \"bare.postagger\", \"morph_chain\": []}");
  {
    RuntimeLog log;
    auto module = engine()->get_language_module("bare");
    EXPECT_EQ(module->module_data->postagger, nullptr);
    EXPECT_TRUE(log.has("ERROR", "[Language] Cannot load/find pos disambiguator file " +
                                     config_path("bare.postagger")));
  }

  // A damaged transducer (an arc to a state it does not have) is refused
  // before the disambiguator lays it out.
  write("damaged.postagger.txt", "0 1 N #1\n1\n");
  disambiguation::compile_postagger_file((morvik() / "damaged.postagger.txt").string(),
                                         (morvik() / "damaged.postagger").string());
  std::ifstream in(morvik() / "damaged.postagger", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The last state has no arcs: its weight and arc count (4 + 8 bytes) end
  // the file, after the next state (4 bytes) of the arc before it.
  ASSERT_GT(bytes.size(), 16u);
  bytes[bytes.size() - 12 - 4] = 9;
  write("damaged.postagger", bytes);
  write("damaged.language", "{\"postagger\": \"damaged.postagger\", \"morph_chain\": []}");
  RuntimeLog log;
  auto module = engine()->get_language_module("damaged");
  EXPECT_EQ(module->module_data->postagger, nullptr);
  bool named = false;
  for (const std::string& line : log.lines()) {
    if (line.rfind("ERROR [Language] Invalid transducer file [" + config_path("damaged.postagger") +
                       "]: arc ",
                   0) == 0 &&
        line.find(" leads to state 9 of ") != std::string::npos) {
      named = true;
    }
  }
  EXPECT_TRUE(named);
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

// Configuration files are quoted in messages by short excerpts at most,
// never whole.
TEST_F(LoaderScratch, MessagesNeverEchoAWholeFile) {
  const std::string secret = "secret-" + std::string(100000, 's');
  write("binary.language", std::string("\x01\x02") + secret);
  const std::string message = message_of([&] { engine()->get_language_module("binary"); });
  EXPECT_EQ(message.rfind("Invalid json input file:\"" + config_path("binary.language") + "\"\n", 0),
            0u)
      << message;
  EXPECT_LT(message.size(), 400u) << message;

  write("quiet.language", "{\"long\": \"" + secret + "\"}");
  RuntimeLog log;
  engine()->get_language_module("quiet");
  for (const std::string& line : log.lines()) EXPECT_LT(line.size(), 1000u) << line.substr(0, 200);
}

// Files the configuration names but that are not there: the language
// loads, and the warning names the file and who named it. Sections that
// are not there name nothing and warn of nothing.
TEST_F(LoaderScratch, MissingNamedFilesAreWarnedOfByName) {
  write("gone.language",
        R"({"abbreviations": "gone.abbrev", "apostrophe": "gone.apostrophe",
            "measure": "gone.measure", "hmm": "gone.hmm", "postagger": "gone.postagger",
            "morph_chain": []})");
  const std::string where = " in \"" + config_path("gone.language") + "\")";
  {
    RuntimeLog log;
    auto module = engine()->get_language_module("gone");
    EXPECT_TRUE(module->module_data->hmm_tables.start.empty());
    EXPECT_EQ(module->module_data->postagger, nullptr);
    for (const char* line :
         {"Abbreviation file not found: gone.abbrev (named by \"abbreviations\"",
          "Abbreviation file not found: gone.apostrophe (named by \"apostrophe\"",
          "Abbreviation file not found: gone.measure (named by \"measure\"",
          "[Language] HMM file not found: gone.hmm (named by \"hmm\"",
          "[Language] Postagger file not found: gone.postagger (named by \"postagger\""}) {
      EXPECT_TRUE(log.has("WARNING", line + where)) << line;
    }
  }
  write("plain.language", R"({"morph_chain": []})");
  RuntimeLog log;
  engine()->get_language_module("plain");
  for (const std::string& line : log.lines()) {
    EXPECT_EQ(line.find("not found"), std::string::npos) << line;
  }

  // A file that is there but is no transducer: named in the error line.
  write("broken.postagger", "not a transducer");
  write("tagged.language", R"({"postagger": "broken.postagger", "morph_chain": []})");
  RuntimeLog tagged;
  EXPECT_EQ(engine()->get_language_module("tagged")->module_data->postagger, nullptr);
  EXPECT_TRUE(tagged.has("ERROR", "[Language] Cannot load/find pos disambiguator file " +
                                      config_path("broken.postagger")));
  EXPECT_TRUE(tagged.has("ERROR", "[Language] Invalid transducer file [" +
                                      config_path("broken.postagger") +
                                      "]: not a compiled transducer (no magic number) (byte 0 of "
                                      "16)"));
}

// An abbreviation list whose converted form does not compile fails the
// load, naming the file and line, instead of every later analysis.
TEST_F(LoaderScratch, AnAbbreviationListIsCheckedInTheFormDocumentsRun) {
  write("abbr.abbrev", "Mr\\.\n");
  write("abbr.abbrev.user", "No]\\.\n");
  write("abbr.language", R"({"abbreviations": "abbr.abbrev", "morph_chain": []})");
  const std::string list = config_path("abbr.abbrev");
  EXPECT_EQ(message_of([&] { engine()->get_language_module("abbr"); }),
            "Could not load regex pattern invalid expression: invalid expression ] need to be "
            "escaped.in [" + list + ", " + list + ".user, ] (" + list + ".user, line 1: No]\\.)");
}

// Only a regular ".language" file is opened by path: a FIFO (which would
// block the load with the engine mutex held), a device or a file of another
// kind are refused before they are read.
TEST_F(LoaderScratch, AHostPathMustNameARegularLanguageFile) {
  const fs::path fifo = morvik() / "fifo.language";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string other = write("hostname", "my-host-name\n");
  struct Case {
    std::string language;
    std::string message;
  } const cases[] = {
      {fifo.string(), "The language configuration \"" + fifo.string() + "\" is not a regular file."},
      {"/dev/null", "The language configuration \"/dev/null\" is not a regular file."},
      {other, "The language configuration \"" + other + "\" is no \".language\" file."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_of([&] { engine()->get_language_module(c.language); }), c.message);
  }
}

// A language that a document names is a name, looked up in the engine's
// resource folders and the analyzer's project folder; never a path, never
// the working folder.
TEST_F(LoaderScratch, ADocumentsLanguageIsANameNeverAPath) {
  write("doc.language", R"({"morph_chain": []})");
  write("sub/nested.language", R"({"morph_chain": []})");
  const std::string elsewhere = scratch_.write("elsewhere/away.language", "{}").string();
  scratch_.write("project/mine.language", R"({"morph_chain": []})");
  const std::string project = (scratch_.path() / "project").string();

  auto doc = engine()->get_document_language_module("doc", "");
  EXPECT_EQ(doc->module_data->config_file, config_path("doc.language"));
  EXPECT_EQ(engine()->get_language_module("doc")->module_data, doc->module_data);
  EXPECT_EQ(engine()->get_document_language_module("sub/nested", "")->language_name, "sub/nested");
  EXPECT_EQ(engine()->get_document_language_module("mine", project)->module_data->config_file,
            project + "/mine.language");

  // Paths and texts that are no names are refused before anything is read.
  const std::string kRefused = "Invalid language name in the document: \"";
  const std::string kTail = "\" (a language name is expected, not a path)";
  for (const std::string& name :
       {elsewhere, std::string("/etc/hostname"), std::string("../morvik/doc"),
        std::string("./doc"), std::string("sub//nested"), std::string("a\\b"),
        std::string("doc\n"), std::string(300, 'x')}) {
    const std::string message =
        message_of([&] { engine()->get_document_language_module(name, ""); });
    EXPECT_EQ(message.rfind(kRefused, 0), 0u) << message;
    EXPECT_LT(message.size(), 200u) << message;
  }
  EXPECT_EQ(message_of([&] { engine()->get_document_language_module("", ""); }),
            "Language has not been set.");

  // A configuration in the working folder is not found by name.
  testing::WorkingFolder here(scratch_.path() / "elsewhere");
  EXPECT_EQ(message_of([&] { engine()->get_document_language_module("away", ""); }),
            "language config file missing for [away] :away");
  // A listed language without a configuration loads "generic".
  write("generic.language", R"({"morph_chain": []})");
  EXPECT_EQ(engine()->get_document_language_module("italian", "")->language_name, "generic");
}

// A damaged tokenizer cache beside the test language's rules is rebuilt
// when the language loads; the language tokenizes as before.
TEST(LanguageLoader, ADamagedTokenizerCacheIsRebuiltOnLoad) {
  ScratchFolder scratch;
  const fs::path morvik = scratch.path() / "morvik";
  fs::copy(kTestLanguage, morvik, fs::copy_options::recursive);
  auto engine = engine_over(morvik);
  const std::string key = fs::canonical(morvik / "english.language").string();
  auto first = engine->get_language_module("english");
  const std::string rules = (fs::canonical(morvik) / "english.tokenizer").string();
  const std::string good = testing::read_file(rules + "_cache");
  const std::string compiled(reinterpret_cast<const char*>(first->module_data->rules),
                             first->module_data->rules_size);
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    std::string damaged = good;
    std::mt19937 random(seed);
    for (int n = 0; n < 4; ++n) {
      damaged[std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random)] ^=
          static_cast<char>(1 + seed);
    }
    if (seed % 2 == 0) damaged.resize(damaged.size() / 2);
    scratch.write("morvik/english.tokenizer_cache", damaged);
    ASSERT_TRUE(engine->release_language(key));
    auto module = engine->get_language_module("english");
    EXPECT_FALSE(module->module_data->rules_owned);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(module->module_data->rules),
                          module->module_data->rules_size),
              compiled);
    EXPECT_EQ(testing::read_file(rules + "_cache"), good);
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
