#include "domain/lexicon_lookup.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "api/profiler.h"
#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain_facade.h"
#include "domain/domain_loader.h"
#include "domain/lexicon_facade.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zel::testing::build_document;
using zel::testing::capture_stderr;
using zel::testing::capture_stdout;
using zel::testing::dump;
using zel::testing::ScratchFolder;

// Domains written by the fixture writer into a scratch folder and loaded,
// and one document (see build_document) on a blackboard whose analyzer has
// the given debug flags.
class LexiconLookupTest : public ::testing::Test {
 protected:
  std::shared_ptr<DomainFacade> domain(const std::string& name, const std::string& text) {
    testing::write_compiled_domain(text, folder_.str(name + ".dom"));
    auto facade = std::make_shared<DomainFacade>(name);
    EXPECT_TRUE(load_domain(*facade, {folder_.str()}, name));
    return facade;
  }

  Blackboard& document(const std::string& text, const std::string& dbg = "") {
    blackboard_ = zel::testing::make_blackboard(
        "{}", dbg.empty() ? "{}" : "{\"dbg\":\"" + dbg + "\"}");
    zel::testing::load_document(*blackboard_, build_document(text));
    return *blackboard_;
  }

  void run(const std::vector<std::shared_ptr<DomainFacade>>& domains) {
    blackboard_->domains.clear();
    for (const auto& d : domains) blackboard_->domains.emplace_back(d->name(), d);
    all_domains_lexicon_lookup(*blackboard_);
  }

  std::string concepts() const {
    return dump(*blackboard_->annotations, zel::testing::kDumpAttributes);
  }
  // The tokens with their properties.
  std::string tokens() const { return dump(*blackboard_->annotations, zel::testing::kDumpReadings); }

  ScratchFolder folder_;
  std::unique_ptr<Blackboard> blackboard_;
};

TEST_F(LexiconLookupTest, MatchesEndingAtATokenEndBecomeConcepts) {
  // Every match starting at a token is tried, shorter and longer ones; a
  // match must end where a token of the same sentence ends.
  auto cities = domain("cities",
                       "lexicon literal\n"
                       "  New:[Adjective]\n"
                       "  New York:[City@alias=\"NYC\"]\n"
                       "  New York City:[City]\n"
                       "  Paris:[City]\n"
                       "  York .:[Punctuated]\n");
  document(
      "I left New York City for Paris .\n"
      "New\\ Yorker York\n"
      ". Then");
  run({cities});
  EXPECT_EQ(concepts(),
            "[Sentence I left [City [City{alias=NYC} [Adjective New ]Adjective York ]City City "
            "]City for [City Paris ]City . ]Sentence $\n"
            "[Sentence New Yorker York ]Sentence $\n"
            "[Sentence . Then ]Sentence $");
}

TEST_F(LexiconLookupTest, OutputsSplitAtTheFirstAtSign) {
  // The inserter gets the URI and the attribute text from the "@" on; an
  // attribute text of "@" alone is what its parser reports.
  struct Case {
    const char* entry;
    const char* expected;
    const char* parser_output;
  } const cases[] = {
      {"Paris:[City]", "[Sentence [City Paris ]City,Sentence $", ""},
      {"Paris:[City@kind=capital@x]", "[Sentence [City{kind=capital@x} Paris ]City,Sentence $",
       ""},
      {"Paris:[City@]", "[Sentence [City Paris ]City,Sentence $", "ERROR:[@]\n"},
      {"Paris:[@kind=capital]", "[Sentence [{kind=capital} Paris ],Sentence $", ""},
  };
  for (const Case& c : cases) {
    auto d = domain("d", std::string("lexicon literal\n  ") + c.entry + "\n");
    document("Paris");
    EXPECT_EQ(capture_stdout([&] { run({d}); }), c.parser_output) << c.entry;
    EXPECT_EQ(concepts(), c.expected) << c.entry;
  }
}

TEST_F(LexiconLookupTest, WithoutLexiconsNothingHappens) {
  auto rules_only = domain("rules", "concept City\n");
  Blackboard& blackboard = document("Zorblax{nf} Quux{nf,nf-lex} runs", "stream_lookup");
  bool result = true;
  const std::string trace = capture_stderr([&] {
    blackboard.domains = {{"rules", rules_only}};
    result = all_domains_lexicon_lookup(blackboard);
  });
  EXPECT_FALSE(result);
  EXPECT_EQ(trace, "[Stream Lookup]\n");
  EXPECT_EQ(tokens(), "[Sentence Zorblax{nf} Quux{nf,nf-lex} runs ]Sentence $");
  EXPECT_EQ(blackboard.named_objects.count(kStreamCollectionName), 0u);
}

TEST_F(LexiconLookupTest, UnknownWordsAreThoseNoLexiconFound) {
  // "nf" tokens that no lexicon found get "nf-lex"; a token that one
  // domain's lexicon found keeps no "nf-lex" when a later domain, with or
  // without lexicons, does not know it.
  auto names = domain("names", "lexicon literal\n  Zorblax:[Person]\n");
  auto places = domain("places", "lexicon literal\n  Paris:[City]\n");
  auto rules_only = domain("rules", "concept City\n");
  document("Zorblax{nf} met Quux{nf} in Paris{nf,nf-lex} and Blorp{nf-lex}");
  run({names, places, rules_only});
  EXPECT_EQ(tokens(),
            "[Sentence [Person Zorblax{nf} ]Person met Quux{nf,nf-lex} in [City Paris{nf} ]City "
            "and Blorp{nf-lex} ]Sentence $");

  // A later run with another domain on the same document: what the first
  // run's lexicons found stays found.
  auto others = domain("others", "lexicon literal\n  met:[Verb]\n");
  run({others});
  EXPECT_EQ(tokens(),
            "[Sentence [Person Zorblax{nf} ]Person [Verb met ]Verb Quux{nf,nf-lex} in "
            "[City Paris{nf} ]City and Blorp{nf-lex} ]Sentence $");
}

TEST_F(LexiconLookupTest, ASecondPassInsertsNoSecondCopy) {
  auto cities = domain("cities", "lexicon literal\n  Paris:[City]\n");
  document("Paris");
  run({cities});
  run({cities});
  EXPECT_EQ(concepts(), "[Sentence [City Paris ]City,Sentence $");
}

TEST_F(LexiconLookupTest, ATokenIsLookedUpAtEveryPositionOfItsStream) {
  // The component stream holds one piece per part of a compound.
  auto parts = domain("parts",
                      "lexicon component\n"
                      "  haus:[Building]\n"
                      "  boot:[Vehicle]\n");
  document("Hausboot/Nn(Nn:haus,Nn:boot)");
  run({parts});
  EXPECT_EQ(concepts(), "[Sentence [Vehicle [Building Hausboot ]Vehicle,Building,Sentence $");
}

TEST_F(LexiconLookupTest, ALexiconReadingNoStreamIsLookedUpOnlyOverAStreamBuiltForAnother) {
  auto written = domain("written", "lexicon literal\n  Paris:[City]\n");
  // The same transducer, filed under the literal stream but reading a stream
  // that does not exist.
  auto strange = std::make_shared<DomainFacade>("strange");
  strange->sqlite_filename = "strange.dom";
  strange->lexicons[literal_stream] = std::make_shared<core::LexiconFacade>(
      written->lexicons.at(literal_stream)->transducer(), "strange", "input=nothing");
  ASSERT_EQ(strange->lexicons[literal_stream]->input(), no_stream);

  document("Paris");
  run({strange});
  EXPECT_EQ(concepts(), "[Sentence Paris ]Sentence $");
  EXPECT_TRUE(get_stream_collection(*blackboard_)->at(literal_stream).text.empty());

  auto other = domain("other", "lexicon literal\n  Lyon:[City]\n");
  document("Paris");
  run({other, strange});
  EXPECT_EQ(concepts(), "[Sentence [City Paris ]City,Sentence $");
}

TEST_F(LexiconLookupTest, StreamsAreBuiltOncePerPassAndPrinted) {
  auto a = domain("a", "lexicon literal\n  Paris:[City]\n");
  auto b = domain("b",
                  "lexicon literal\n  Lyon:[City]\n"
                  "lexicon normalized_literal\n  paris:[Place]\n");
  Blackboard& blackboard = document("Paris and Lyon", "streams");
  const std::string printed = capture_stdout([&] { run({a, b}); });
  EXPECT_EQ(printed,
            "Display Lexicon Streams\n"
            "input= literal\n"
            "[Paris and Lyon ]\n"
            "Display Lexicon Streams\n"
            "input= normalized_literal\n"
            "[paris and lyon ]\n");
  EXPECT_EQ(concepts(), "[Sentence [Place [City Paris ]Place,City and [City Lyon ]City,Sentence $");
  const stream_collection_type& streams = *get_stream_collection(blackboard);
  EXPECT_EQ(streams[literal_stream].stream_type, literal_stream);
  EXPECT_EQ(streams[normalized_literal_stream].stream_type, normalized_literal_stream);
  EXPECT_TRUE(streams[stem_stream].begin_map.empty());
}

TEST_F(LexiconLookupTest, TheTraceShowsEveryLookupAndResult) {
  auto d = domain("d",
                  "lexicon literal\n"
                  "  New:[Adjective]\n"
                  "  York .:[Punctuated]\n");
  document("New\\ Yorker\nYork", "stream_lookup");
  std::string trace;
  const std::string streams = capture_stdout([&] { trace = capture_stderr([&] { run({d}); }); });
  EXPECT_EQ(streams, "Display Lexicon Streams\ninput= literal\n[New Yorker York ]\n");
  // "New" ends inside a token and "York ." past its sentence: both are
  // reported and neither is inserted.
  EXPECT_EQ(trace,
            "[Stream Lookup]\n"
            "[literal]:New Yorker York \n"
            "[result]:\n"
            " - length    :3\n"
            " - uri       :Adjective\n"
            " - total     :3\n"
            "[literal]:York \n");
  EXPECT_EQ(concepts(), "[Sentence New Yorker ]Sentence $\n[Sentence York ]Sentence $");
}

TEST_F(LexiconLookupTest, TheProfilerTimesEachDomain) {
  auto d = domain("d", "lexicon literal\n  Paris:[City]\n");
  blackboard_ = zel::testing::make_blackboard("{\"profiler\":true}");
  zel::testing::load_document(*blackboard_, build_document("Paris"));
  ASSERT_NE(blackboard_->profiler, nullptr);
  run({d});
  const std::string unit = "lexicon:" + d->get_sqlite_filename();
  ASSERT_EQ(blackboard_->profiler->timings.count(unit), 1u);
  EXPECT_EQ(blackboard_->profiler->timings.at(unit).name, unit);
}

TEST_F(LexiconLookupTest, LookingOneTokenUp) {
  auto first = domain("first", "lexicon literal\n  paris:[Lowered]\n  go:[Verb]\n");
  auto second = domain("second", "lexicon literal\n  Paris:[City]\n  paris:[Other]\n");
  document("PARIS Paris went/V:go Lyon/Prop:lyon");
  blackboard_->domains = {{"first", first}, {"second", second}};
  std::vector<const Token*> tokens;
  for (Annotation* a = blackboard_->annotations->head; a != nullptr; a = a->next) {
    for (Annotation* b : annotation_cast<Sentence>(a)->annotations) {
      if (const Token* t = annotation_cast<Token>(b)) tokens.push_back(t);
    }
  }
  ASSERT_EQ(tokens.size(), 4u);
  // The normalised literal of the first domain's lexicon comes before the
  // literal of the second's.
  EXPECT_THAT(lexicon_lookup(*blackboard_, tokens[0]), ElementsAre("Lowered"));
  EXPECT_THAT(lexicon_lookup(*blackboard_, tokens[1]), ElementsAre("Lowered"));
  EXPECT_THAT(lexicon_lookup(*blackboard_, tokens[2]), ElementsAre("Verb"));
  EXPECT_THAT(lexicon_lookup(*blackboard_, tokens[3]), IsEmpty());
  EXPECT_EQ(concepts(), "[Sentence PARIS Paris went Lyon ]Sentence $");
}

}  // namespace
}  // namespace kavero
}  // namespace zel

namespace zel {
namespace kavero {
namespace {

TEST(LexiconLoggerTest, WritesARecordByWhatItHolds) {
  struct Case {
    std::function<void(LexiconLogger&)> fill;
    const char* expected;
  } const cases[] = {
      {[](LexiconLogger& r) { r["msg"] = std::string("hello"); }, "hello"},
      {[](LexiconLogger& r) {
         r["msg"] = std::string("hello");
         r["endl"] = true;
         r["action"] = std::string("lookup");
       },
       "hello\n"},
      // A message that is no text writes nothing at all.
      {[](LexiconLogger& r) {
         r["msg"] = static_cast<const char*>("c text");
         r["action"] = std::string("lookup");
       },
       ""},
      {[](LexiconLogger& r) {
         r["action"] = std::string("lookup");
         r["input"] = std::string("stem");
         r["word"] = std::string("go ");
       },
       "[stem]:go \n"},
      // Missing variables write nothing.
      {[](LexiconLogger& r) { r["action"] = static_cast<const char*>("result"); },
       "[result]:\n - length    :\n - uri       :\n - total     :\n"},
      {[](LexiconLogger& r) {
         r["action"] = static_cast<const char*>("other");
         r["b"] = 2;
         r["a"] = std::string("x");
       },
       " a:x\n action:other\n b:2\n"},
      {[](LexiconLogger& r) { r["word"] = std::string("x"); }, ""},
  };
  for (const Case& c : cases) {
    const std::string written = zel::testing::capture_stderr([&] {
      LexiconLogger record;
      c.fill(record);
    });
    EXPECT_EQ(written, c.expected);
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
