#include "compiler/driver/lexicon_stem_checks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/client_annotation.h"
#include "base/options.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/source_parser.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace compiler {
namespace analytics {
namespace {

using nlohmann::json;

// A compilation of the test language whose diagnostics go to "t.kav".
class StemChecks : public ::testing::Test {
 protected:
  // Every code reported unless masked; with "strict" when asked.
  void open(bool strict, std::uint64_t ignored = 0) {
    json options = {{"language", "english"},
                    {"morvik", zel::testing::test_language_folder().string()}};
    if (strict) options["strict"] = true;
    blackboard = std::make_unique<Blackboard>(std::make_shared<Options>(options.dump().c_str()));
    blackboard->error_code_mask = ~ignored;
  }

  // The diagnostics the checks give for the source, as
  // "type line (code) message".
  std::vector<std::string> check(const std::string& source) {
    if (blackboard == nullptr) open(false);
    const ParseResult parsed = parse_kavero_source(*blackboard, source, "t.kav", nullptr);
    EXPECT_TRUE(parsed.ok) << source << "\n"
                           << ::testing::PrintToString(collect_formatted_errors(parsed.sinks));
    blackboard->diagnostics->reset();
    BlackboardBinding binding(blackboard.get());
    blackboard->set_source_filename("t.kav");
    visit(*blackboard, parsed.root);
    std::vector<std::string> found;
    for (const auto& sink : *blackboard->diagnostics) {
      for (const DiagnosticsInfo& info : sink.second) {
        std::ostringstream text;
        text << (sink.first == "t.kav" ? "" : sink.first + ": ")
             << diagnostic_type_to_string(info) << " " << info.line << " (0x" << std::hex
             << info.code << std::dec << ") " << info.message;
        EXPECT_EQ(info.column, 0) << text.str();
        found.push_back(text.str());
      }
    }
    return found;
  }

  std::unique_ptr<Blackboard> blackboard;
};

using Lines = std::vector<std::string>;

const char kPlural[] = "lexicon:(input=\"stem\"){\n  cities\n} = Place;\n";
const Lines kPluralWarning = {
    "warning 2 (0x1) The stem of the lexicon entry 'cities' stems to -> city ,"};

TEST_F(StemChecks, APluralInAStemLexicon) {
  EXPECT_EQ(check(kPlural), kPluralWarning);
  // "lemma" is the same stream.
  EXPECT_EQ(check("lexicon:(input=\"lemma\"){\n  cities\n} = Place;\n"), kPluralWarning);
}

TEST_F(StemChecks, StrictMakesItAnErrorThatNoMaskHides) {
  const Lines error = {"error 2 (0x0) The stem of the lexicon entry 'cities' stems to -> city ,"};
  open(true);
  EXPECT_EQ(check(kPlural), error);
  open(true, 0x1);
  EXPECT_EQ(check(kPlural), error);
  open(false, 0x1);
  EXPECT_EQ(check(kPlural), Lines{});
}

TEST_F(StemChecks, LexiconEntries) {
  struct Case {
    const char* what;
    const char* source;
    Lines diagnostics;
  };
  const Case cases[] = {
      {"stems are accepted", "lexicon:(input=\"stem\"){ city, bank, airport } = Place;", {}},
      {"an unknown word",
       "lexicon:(input=\"stem\"){\n zorgle\n} = Place;",
       {"warning 2 (0x1) The stem has not been found 'zorgle'"}},
      {"several words, one of them a stem", "lexicon:(input=\"stem\"){ big cities } = Place;", {}},
      {"several words, none of them a stem",
       "lexicon:(input=\"stem\"){ cities banks } = Place;",
       {"warning 1 (0x1) The stem of the lexicon entry 'cities banks' stems to -> city ,bank ,"}},
      {"patterns and one-byte entries are skipped",
       "lexicon:(input=\"stem\"){ citie., (cities)+, cities\\., x } = Place;",
       {}},
      {"the part after ':' is tested",
       "lexicon:(input=\"stem\"){\n city:cities,\n cities:city\n} = Place;",
       {"warning 2 (0x1) The stem of the lexicon entry 'cities' stems to -> city ,"}},
      {"other inputs are not checked",
       "lexicon:(input=\"literal\"){ cities } = Place;\n"
       "lexicon:(input=\"canonical\"){ cities } = Place;\n"
       "lexicon:{ cities } = Place;\n"
       "lexicon:(input=\"normalized_literal\"){ cities } = Place;",
       {}},
      {"lexicons inside namespaces and chains",
       "namespace n {\n lexicon:(input=\"stem\"){\n  cities } = Place;\n}",
       {"warning 3 (0x1) The stem of the lexicon entry 'cities' stems to -> city ,"}},
  };
  for (const Case& c : cases) EXPECT_EQ(check(c.source), c.diagnostics) << c.what;
}

TEST_F(StemChecks, RuleTokenStems) {
  EXPECT_EQ(check("rule:{\n <'city'> <\"cities\"> \n <'banks'> !( <'cities'> )\n} = Xx;"),
            (Lines{"warning 3 (0x1) The stem of the lexicon entry 'banks' stems to -> bank ,",
                   "warning 3 (0x1) The stem of the lexicon entry 'cities' stems to -> city ,"}));
  EXPECT_EQ(check("rule:{ Yy[ <'zorgle'> ] } = Xx;"),
            Lines{"warning 1 (0x1) The stem has not been found 'zorgle'"});
}

// "stem" decorators switch the checks for the rest of the source; the
// next source starts with them on.
TEST_F(StemChecks, StemDecoratorsSwitchTheChecks) {
  const std::string source =
      "lexicon:(input=\"stem\"){ cities } = Aa;\n"
      "@stem: off\n"
      "lexicon:(input=\"stem\"){ banks } = Bb;\n"
      "namespace n {\n"
      "@stem: on\n"
      "}\n"
      "lexicon:(input=\"stem\"){ airports } = Cc;\n"
      "@stem: yes\n"
      "rule:{ <'banks'> } = Dd;\n";
  EXPECT_EQ(check(source),
            (Lines{"warning 1 (0x1) The stem of the lexicon entry 'cities' stems to -> city ,",
                   "warning 7 (0x1) The stem of the lexicon entry 'airports' stems to -> airport ,"}));
  EXPECT_EQ(check("@stem: off\n" + std::string(kPlural)), Lines{});
  EXPECT_EQ(check(kPlural), kPluralWarning);
}

TEST_F(StemChecks, NormalizedStemLexicons) {
  struct Case {
    const char* what;
    const char* source;
    Lines diagnostics;
  };
  const Case cases[] = {
      {"an entry that is its own stem", "lexicon:(input=\"normalized_stem\"){ city } = Pl;", {}},
      {"an entry the analyzer does not know",
       "lexicon:(input=\"normalized_stem\"){ zorgle } = Pl;",
       {"warning 1 (0x1) The stem has not been found 'zorgle'"}},
      {"a plural with a stem after ':'",
       "lexicon:(input=\"normalized_stem\"){ cities:city } = Pl;",
       {}},
      {"a wrong normalized stem",
       "lexicon:(input=\"normalized_lemma\"){\n cities:banks } = Pl;",
       {"warning 2 (0x20) Lexicon entry has a wrong normalized stem: cities:banks -> bank ,"}},
      // "paris" is unknown; capitalised it is the name "Paris".
      {"a lower-case name is tried capitalised",
       "lexicon:(input=\"normalized_stem\"){ cities:paris } = Pl;",
       {}},
      {"an unknown word tried capitalised",
       "lexicon:(input=\"normalized_stem\"){ cities:zorgle } = Pl;",
       {}},
      // "joneses" is unknown; capitalised it is the name "Jones".
      {"still no stem capitalised",
       "lexicon:(input=\"normalized_stem\"){ cities:joneses } = Pl;",
       {"warning 1 (0x20) Lexicon entry has a wrong normalized stem: cities:joneses -> Jones ,"}},
  };
  for (const Case& c : cases) EXPECT_EQ(check(c.source), c.diagnostics) << c.what;
}

TEST_F(StemChecks, NothingWithoutALanguage) {
  blackboard = std::make_unique<Blackboard>(std::make_shared<Options>("{}"));
  blackboard->error_code_mask = ~std::uint64_t{0};
  EXPECT_EQ(check(kPlural), Lines{});
}

TEST_F(StemChecks, IsValidStem) {
  open(false);
  struct Case {
    const char* text;
    std::int32_t status;
    const char* stems;
  };
  const Case cases[] = {
      {"city", 0, ""},
      {"cities", 1, "city ,"},
      {"zorgle", 2, ""},
      {"big cities", 0, "city ,"},
      {"cities banks", 1, "city ,bank ,"},
      {"  city  ", 0, ""},
      // One word of two tokens: only the first is compared.
      {"paris's", 1, "paris ,"},
  };
  for (const Case& c : cases) {
    const StemCollectorResults r = is_valid_stem(*blackboard->analyzer, c.text);
    EXPECT_EQ(r.status, c.status) << c.text;
    EXPECT_EQ(r.stems, c.stems) << c.text;
    EXPECT_FALSE(r.results.parse_results(true)->empty()) << c.text;
  }
}

omr::common::Token* token(const std::string& literal, bool not_found) {
  auto* item = new omr::common::Token(0, static_cast<uint32_t>(literal.size()), literal);
  if (not_found) item->properties.insert("nf");
  return item;
}

// Unknown words get a capital initial, whatever their script; known words
// and concepts are left as they are.
TEST(CapitalizeNotFounds, UnknownWordsBecomeNames) {
  omr::common::AnnotationList document;
  auto* sentence = new omr::common::Sentence(0, 40);
  sentence->annotations.push_back(token("paris", true));
  sentence->annotations.push_back(new omr::common::Concept(0, 5, "City"));
  sentence->annotations.push_back(token("city", false));
  sentence->annotations.push_back(token("москва", true));
  sentence->annotations.push_back(token("élan", true));
  sentence->annotations.push_back(token("Rome", true));
  sentence->annotations.push_back(token("42", true));
  document.push_back(sentence);
  EXPECT_EQ(capitalize_not_founds(document), "Paris city Москва Élan Rome 42 ");
}

TEST(UnicodePrint, PrintableTexts) {
  struct Case {
    const char* text;
    const char* printed;
  };
  const Case cases[] = {
      {"café", "café"},
      {"a-b c", "a-b c"},
      {"!\"#$%&'()*+,-./", "!\"#$%&'()*+,-./"},
      {"a:b", "a<\\u3a>b"},
      {"a_b", "a<\\u5f>b"},
      {"x\\u003ay", "x<\\u3a>y"},
      {"tab\there", "tab<\\u9>here"},
      {"€", "<\\u20ac>"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(unicode_print(c.text), c.printed) << c.text;
}

}  // namespace
}  // namespace analytics
}  // namespace compiler
}  // namespace zel
