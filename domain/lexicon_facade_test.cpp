#include "domain/lexicon_facade.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"
#include "domain/encoder_facade.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

namespace ser = afst::serialization;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Pair;
using zel::testing::message_of;
using zel::testing::ScratchFolder;

class LexiconFacadeTest : public ::testing::Test {
 protected:
  // Writes the domain (see write_compiled_domain) and opens it.
  std::shared_ptr<sqlite3> write(const std::string& text) {
    testing::write_compiled_domain(text, path());
    return ser::open_file(path());
  }
  std::string path() const { return folder.str("d.dom"); }

  ScratchFolder folder;
  DomainFacade domain{"d"};
};

TEST_F(LexiconFacadeTest, OneLexiconPerStreamTheFirstNameOfAStreamWins) {
  auto db = write(
      "lexicon stem\n"
      "  go:[FromStem]\n"
      "lexicon lemma\n"
      "  go:[FromLemma]\n"
      "lexicon literal\n"
      "  Paris:[City]\n"
      "  New York:[City@alias=\"NYC\"]\n");
  load_lexicons(domain, db);
  ASSERT_EQ(domain.lexicons.size(), 2u);
  const auto& literal = domain.lexicons.at(literal_stream);
  EXPECT_EQ(literal->input(), literal_stream);
  EXPECT_THAT(literal->attributes(), ElementsAre(Pair("input", "literal")));
  EXPECT_THAT(literal->up("Paris"), ElementsAre("City"));
  EXPECT_THAT(literal->up("Lyon"), IsEmpty());
  EXPECT_THAT(domain.lexicons.at(stem_stream)->up("go"), ElementsAre("FromLemma"));

  const std::string text = "New York is big";
  EXPECT_THAT(literal->up(text.data(), text.data() + text.size()),
              ElementsAre(Pair(8, "City@alias=\"NYC\"")));
}

TEST_F(LexiconFacadeTest, TheInputAttributeNamesTheStreamTheRecordNameFilesIt) {
  auto db = write(
      "lexicon literal\n"
      "  Paris:[City]\n");
  // The same lexicon filed as "head" with an input naming no stream.
  const ser::BinaryData record = ser::get_binary_data(db.get(), "entities_literal");
  ser::delete_binary_data(db.get(), "entities_literal");
  ser::store_binary_data(db.get(), "entities_head", "input=nowhere;input=stem", record.second.data(),
                         record.second.size());
  load_lexicons(domain, db);
  ASSERT_EQ(domain.lexicons.size(), 1u);
  EXPECT_EQ(domain.lexicons.at(head_stream)->input(), no_stream);

  struct Case {
    std::string attributes;
    text_stream_type input;
  };
  for (const Case& c : std::vector<Case>{{"", literal_stream},
                                          {"x=1;input=normalized_lemma", normalized_stem_stream},
                                          {"input=Stem", no_stream}}) {
    core::LexiconFacade facade(domain.lexicons.at(head_stream)->transducer(), "conjecture",
                               c.attributes);
    EXPECT_EQ(facade.input(), c.input) << c.attributes;
    EXPECT_THAT(facade.up("Paris"), ElementsAre("City"));
  }
}

TEST_F(LexiconFacadeTest, ARecordThatIsNoTransducerFailsTheLoad) {
  auto db = write(
      "lexicon literal\n"
      "  Paris:[City]\n"
      "lexicon stem\n"
      "  go:[Go]\n"
      "garble entities_stem\n");
  EXPECT_EQ(message_of([&] { core::LexiconFacade facade(db, "entities_stem"); }),
            "Could not read data from stream.");
  const std::string message = message_of([&] { load_lexicons(domain, db); });
  EXPECT_THAT(message, HasSubstr("\"entities_stem\""));
  EXPECT_THAT(message, HasSubstr(path()));
  EXPECT_THAT(message, HasSubstr("Could not read data from stream."));
}

TEST_F(LexiconFacadeTest, ADomainWithoutLexiconsHasNone) {
  load_lexicons(domain, write("concept City\n"));
  EXPECT_THAT(domain.lexicons, IsEmpty());
}

TEST_F(LexiconFacadeTest, LexiconInfoIsStoredUnderDomLexicons) {
  domain.domain_info = std::make_shared<nlohmann::json>(
      nlohmann::json::parse(R"({"dom":{"dom_filename":"d.dom"},"dom_info":null})"));
  load_lexicon_info(domain, write("concept City\n"));
  EXPECT_FALSE((*domain.domain_info)["dom"].contains("lexicons"));

  load_lexicon_info(domain, write("lexicon_info {}\n"));
  EXPECT_EQ(domain.domain_info->dump(),
            R"({"dom":{"dom_filename":"d.dom","lexicons":{}},"dom_info":null})");

  load_lexicon_info(domain, write("lexicon_info {\"literal\":2}\n"));
  EXPECT_EQ((*domain.domain_info)["dom"]["lexicons"].dump(), R"({"literal":2})");

  auto truncated = write("lexicon_info {\"literal\":\n");
  EXPECT_EQ(message_of([&] { load_lexicon_info(domain, truncated); }),
            "Invalid json lexicon info recorded");
}

TEST_F(LexiconFacadeTest, TheTokenEncoderRecordMayBeAbsent) {
  EncoderFacade none(write("concept City\n"), "token_encoder");
  EXPECT_EQ(none.fst(), nullptr);
  EXPECT_EQ(none.symbols(), nullptr);
  EncoderFacade garbled(write("token 7 literal=New\ngarble token_encoder\n"), "token_encoder");
  EXPECT_EQ(garbled.fst(), nullptr);
  EncoderFacade encoder(write("token 7 literal=New\n"), "token_encoder");
  ASSERT_NE(encoder.fst(), nullptr);
  EXPECT_NE(encoder.symbols(), nullptr);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
