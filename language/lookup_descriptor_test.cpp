#include "language/lookup_descriptor.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/file.h"
#include "base/options.h"
#include "core-afst/afst.h"
#include "core-afst/lookup_interface.h"
#include "engine/engine.h"
#include "language/lookup_type.h"
#include "language/morph_data.h"
#include "base/scratch_folder_testutil.h"
#include "base/error_message_testutil.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace {

using zel::testing::message_of;

namespace fs = std::filesystem;
using nlohmann::json;
using testing::ScratchFolder;

const fs::path kTestLanguage = testing::test_language_folder();

constexpr char kKnownTypes[] =
    "[not_set,plain,compound_v2,compound_v3,compound_numbers,cleaner,guesser,endings,tag,icu]";

class LookupDescriptorTest : public ::testing::Test {
 protected:
  LookupDescriptorTest()
      : engine_(convert_string_to_api_options(
            json{{"root_path", scratch_.path().string()},
                 {"morvik", scratch_.path().string()}}
                .dump())),
        folders_{kTestLanguage, scratch_.path()} {}

  core::MorphDataDescriptors chain(json& config) {
    return create_lookup_chain_descriptors(&engine_, config, "morph_chain", folders_);
  }

  ScratchFolder scratch_;
  Engine engine_;
  std::vector<fs::path> folders_;
};

TEST(LookupType, KnowsElevenTypesByExactName) {
  const std::vector<std::pair<std::string, uint64_t>> expected = {
      {"cleaner", 6},     {"compound", 2},         {"compound_numbers", 5},
      {"compound_v2", 3}, {"compound_v3", 4},      {"endings", 8},
      {"guesser", 7},     {"icu", 10},             {"not_set", 0},
      {"plain", 1},       {"tag", 9}};
  using Rows = std::vector<std::pair<std::string, uint64_t>>;
  EXPECT_EQ(Rows(core::lookup_types().begin(), core::lookup_types().end()), expected);
  for (const auto& [name, code] : expected) EXPECT_EQ(core::get_lookup_type(name), code);
  for (const char* other : {"reverse", "Plain", "", "plain "}) {
    EXPECT_EQ(core::get_lookup_type(other), 0u) << other;
  }
}

TEST(AdditionalProperties, BecomePlusPrefixedTexts) {
  struct Case {
    json entry;
    std::string properties;
  } const cases[] = {
      {json::object(), ""},
      {{{"properties", "proper"}}, "+proper"},
      {{{"properties", "+proper"}}, "+proper"},
      {{{"properties", "x"}}, "x"},
      {{{"properties", ""}}, ""},
      {{{"properties", {"proper", "+name", "x", ""}}}, "+proper+namex"},
      {{{"properties", json::array()}}, ""},
      // Only an object's "properties" counts.
      {json("properties"), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(core::get_additional_properties(c.entry), c.properties) << c.entry.dump();
  }
  for (const json& bad : {json{{"properties", 5}}, json{{"properties", {"a", 1}}},
                          json{{"properties", {{"a", "b"}}}}}) {
    EXPECT_EQ(message_of([&] { core::get_additional_properties(bad); }),
              "invalid config file format, properties should be string:")
        << bad.dump();
  }
}

TEST(Transform, NoneOrLowerCase) {
  EXPECT_EQ(core::get_convert(json::object()), nullptr);
  EXPECT_EQ(core::get_convert({{"transform", "none"}}), nullptr);
  auto lower = core::get_convert({{"transform", "tolower"}});
  ASSERT_NE(lower, nullptr);
  EXPECT_EQ((*lower)("ÄrgerLICH Paris"), "ärgerlich paris");
  // A new converter every time.
  EXPECT_NE(core::get_convert({{"transform", "tolower"}}), lower);
  EXPECT_EQ(message_of([] { core::get_convert({{"transform", "TOLOWER"}}); }),
            "invalid config file format, unknown transformer type. supported "
            "types are [tolower] and not:TOLOWER");
  EXPECT_THROW(core::get_convert({{"transform", 1}}), json::type_error);
}

TEST_F(LookupDescriptorTest, ResolvesFilesAndWritesThePathsBack) {
  json config = json::parse(R"({"morph_chain": [
      {"file": "english.fst", "lookup": "plain"},
      {"file": "english-names.fst", "properties": ["proper"], "extra": 3},
      {"file": "english.fst", "transform": "tolower", "lookup": "not_set"},
      {"lookup": "icu"}]})");
  core::MorphDataDescriptors descriptors = chain(config);
  ASSERT_EQ(descriptors.size(), 4u);

  const std::string lexicon = (kTestLanguage / "english.fst").string();
  const std::string names = (kTestLanguage / "english-names.fst").string();
  const json& entries = config["morph_chain"];
  EXPECT_EQ(entries[0]["file"], lexicon);
  EXPECT_EQ(entries[1]["file"], names);
  EXPECT_EQ(entries[1]["extra"], 3);
  EXPECT_EQ(entries[2]["file"], lexicon);

  EXPECT_EQ(descriptors[0].type, core::kLookupPlain);
  EXPECT_EQ(descriptors[0].file, lexicon);
  EXPECT_EQ(descriptors[0].converter, nullptr);
  EXPECT_EQ(descriptors[0].config, &entries[0]);
  EXPECT_EQ(descriptors[1].type, core::kLookupNotSet);
  EXPECT_EQ(descriptors[1].properties, "+proper");
  // An unknown type name is a plain lookup.
  EXPECT_EQ(descriptors[2].type, core::kLookupNotSet);
  EXPECT_NE(descriptors[2].converter, nullptr);
  // One file, one transducer.
  ASSERT_NE(descriptors[0].fst, nullptr);
  EXPECT_EQ(descriptors[0].fst, descriptors[2].fst);
  EXPECT_NE(descriptors[0].fst, descriptors[1].fst);
  EXPECT_EQ(descriptors[0].fst, engine_.get_afst(lexicon));
  // The character-class lookup needs no file.
  EXPECT_EQ(descriptors[3].type, core::kLookupIcu);
  EXPECT_EQ(descriptors[3].fst, nullptr);
  EXPECT_EQ(descriptors[3].file, "");
}

TEST_F(LookupDescriptorTest, SectionsThatAreMissingOrNotArrays) {
  json config = json::parse(R"({"morph_chain": null,
      "not_found": {"b": {"file": "english-names.fst"}, "a": {"file": "english.fst"}}})");
  EXPECT_TRUE(chain(config).empty());
  json no_object = json::array();
  EXPECT_TRUE(chain(no_object).empty());
  // An object's member values, in key order.
  core::MorphDataDescriptors guessers =
      create_lookup_chain_descriptors(&engine_, config, "not_found", folders_);
  ASSERT_EQ(guessers.size(), 2u);
  EXPECT_EQ(guessers[0].file, (kTestLanguage / "english.fst").string());
  EXPECT_EQ(guessers[1].file, (kTestLanguage / "english-names.fst").string());
  EXPECT_TRUE(create_named_lookup_descriptors(&engine_, config, folders_).empty());
}

TEST_F(LookupDescriptorTest, NamedChainsByName) {
  json config = json::parse(R"({"property_chain": {
      "zeta": [{"file": "english.fst"}],
      "abbrev": [{"file": "english-abbrev.fst"}, {"file": "english-names.fst"}],
      "empty": []}})");
  core::NamedMorphDataDescriptors named =
      create_named_lookup_descriptors(&engine_, config, folders_);
  ASSERT_EQ(named.size(), 3u);
  EXPECT_EQ(named["abbrev"].size(), 2u);
  EXPECT_EQ(named["abbrev"][1].file, (kTestLanguage / "english-names.fst").string());
  EXPECT_TRUE(named["empty"].empty());
  EXPECT_EQ(config["property_chain"]["zeta"][0]["file"],
            (kTestLanguage / "english.fst").string());
}

TEST_F(LookupDescriptorTest, BadEntriesFailWithTheirMessages) {
  const fs::path corrupt = scratch_.write("corrupt.lex", "not a transducer");
  struct Case {
    const char* entry;
    std::string message;
  } const cases[] = {
      {R"("english.fst")",
       "Deprecated Config use new format.english.fstex: { \"file\": "
       "\"english.morph\" , \"lookup\" : \"plain\" , \"transform\" : \"none\" }"},
      {"42", "invalid config file format for an entry that is number, not an object"},
      {"[]", "invalid config file format for an entry that is array, not an object"},
      {R"({"file": "missing.lex"})", "Cannot find morph file:[missing.lex]"},
      // A folder is no regular file.
      {R"({"file": "."})", "Cannot find morph file:[.]"},
      {R"({"file": "english.fst", "lookup": "guesser", "guesser": "nope.lex"})",
       "Cannot find guesser morph file:[nope.lex]"},
      {R"({"file": "english.fst", "lookup": "guesser"})",
       "Missing 'guesser' morph file in the language config file"},
      // A refused type is not called supported; a misspelt or unknown one is
      // no plain lookup.
      {R"({"file": "english.fst", "lookup": "compound"})",
       "invalid config file format, the lookup type \"compound\" is not supported; the "
       "known types are " + std::string(kKnownTypes)},
      {R"({"file": "english.fst", "lookup": "compund_v3"})",
       "invalid config file format, unknown lookup type \"compund_v3\"; the known types "
       "are " + std::string(kKnownTypes)},
      {R"({"file": "english.fst", "lookup": "reverse"})",
       "invalid config file format, unknown lookup type \"reverse\"; the known types are " +
           std::string(kKnownTypes)},
      {R"({"file": "english.fst", "lookup": "Plain"})",
       "invalid config file format, unknown lookup type \"Plain\"; the known types are " +
           std::string(kKnownTypes)},
      {R"({"file": "english.fst", "transform": "upper"})",
       "invalid config file format, unknown transformer type. supported types "
       "are [tolower] and not:upper"},
      {R"({"file": "english.fst", "properties": 1})",
       "invalid config file format, properties should be string:"},
      {R"({"lookup": "plain"})", "morph file not found :(get_afst)[]"},
      {R"({"file": "corrupt.lex"})",
       "Invalid/Corrupt morph file:(get_fst)[" + corrupt.string() +
           "]: not a compiled transducer (no magic number) (byte 0 of 16)"},
      // Members of the wrong JSON type: the library's text without its tag.
      {R"({"file": 1})", "type must be string, but is number"},
      {R"({"file": "english.fst", "lookup": 2})", "type must be string, but is number"},
      {R"({"file": "english.fst", "guesser": false})", "type must be string, but is boolean"},
  };
  // Every message says which entry of which section (and file) it is about.
  for (const Case& c : cases) {
    json config = {{"morph_chain", json::array({json::object(), json::parse(c.entry)})}};
    config["morph_chain"][0] = {{"lookup", "icu"}};
    EXPECT_EQ(message_of([&] { chain(config); }), c.message + " (entry 2 of \"morph_chain\")")
        << c.entry;
    json named = {{"property_chain", {{"abbrev", json::array({json::parse(c.entry)})}}}};
    EXPECT_EQ(message_of([&] {
                create_named_lookup_descriptors(&engine_, named, folders_, "/m/x.language");
              }),
              c.message + " (entry 1 of \"property_chain\".\"abbrev\" in \"/m/x.language\")")
        << c.entry;
  }
}

TEST_F(LookupDescriptorTest, AGuesserEntryLoadsBothTransducers) {
  json config = json::parse(R"({"morph_chain": [
      {"file": "english.fst", "lookup": "guesser", "guesser": "english-rare.fst"}]})");
  core::MorphDataDescriptors descriptors = chain(config);
  ASSERT_EQ(descriptors.size(), 1u);
  EXPECT_EQ(descriptors[0].type, core::kLookupGuesser);
  EXPECT_EQ(descriptors[0].guesser_file, (kTestLanguage / "english-rare.fst").string());
  EXPECT_EQ(descriptors[0].guesser_fst,
            engine_.get_afst((kTestLanguage / "english-rare.fst").string()));
  EXPECT_EQ(descriptors[0].fst, engine_.get_afst((kTestLanguage / "english.fst").string()));
  EXPECT_EQ(config["morph_chain"][0]["guesser"],
            (kTestLanguage / "english-rare.fst").string());
}

TEST_F(LookupDescriptorTest, TheTransducerCacheReloadsAFileThatBecameNewer) {
  const fs::path copy = scratch_.path() / "copy.lex";
  fs::copy_file(kTestLanguage / "english.fst", copy);
  std::shared_ptr<afst::AFst> first = engine_.get_afst(copy.string());
  EXPECT_EQ(engine_.get_afst(copy.string()), first);
  EXPECT_EQ(first->file_time, file::modification_time(copy.c_str()));

  // An older time keeps the cached copy; a newer one replaces it.
  testing::shift_modification_time(copy, std::chrono::seconds(-100));
  EXPECT_EQ(engine_.get_afst(copy.string()), first);
  testing::shift_modification_time(copy, std::chrono::seconds(200));
  std::shared_ptr<afst::AFst> second = engine_.get_afst(copy.string());
  EXPECT_NE(second, first);
  EXPECT_EQ(second->file_time, first->file_time + 100);
  EXPECT_EQ(engine_.get_afst(copy.string()), second);
}

TEST(LoadAfst, ReadsATransducerWithItsSymbolTables) {
  const std::string lexicon = (kTestLanguage / "english.fst").string();
  std::shared_ptr<afst::AFst> network = load_afst(lexicon);
  ASSERT_NE(network, nullptr);
  // Two reads make two networks: only the engine's cache shares them.
  EXPECT_NE(load_afst(lexicon), network);
  EXPECT_FALSE(network->input_symbols().empty());
  EXPECT_EQ(message_of([] { load_afst("/no/such.lex"); }),
            "morph file not found :(get_afst)[/no/such.lex]");
}

}  // namespace
}  // namespace kavero
}  // namespace zel
