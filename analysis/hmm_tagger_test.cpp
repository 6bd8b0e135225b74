#include "language/hmm_tagger.h"

#include <cctype>
#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "base/exception.h"
#include "base/options.h"
#include "base/output_capture_testutil.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/hmm_source.h"
#include "language/hmm_tables.h"
#include "language/pos_table.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace kavero {
namespace core {
namespace hmm {
namespace {

using zel::testing::build_document;
using zel::testing::dump;
using zel::testing::find_token;
using zel::testing::kDumpReadings;
using zel::testing::TestDocument;

constexpr uint64_t kMarkup = 0x100;

uint32_t id(const char* tag) { return language::pos_table::id(tag); }

// Tables from their text form (see hmm_source.h).
Resource tables_of(const std::string& source) {
  auto records = parse_source(source);
  Resource tables;
  detail::load_probalitity_table(tables.start, records["start-hmm"]);
  detail::load_emission_table(tables.emission, records["emission-hmm"]);
  detail::load_transition_table(tables.transition, records["transmission-hmm"]);
  return tables;
}

// The test language's tables, as the build compiled them.
const Resource& test_language() {
  static const Resource tables =
      load((testing::test_language_folder() / "english.hmm").string());
  return tables;
}

// The document's sentences with their readings, one line each, without the
// "Sentence" concept around them.
std::string readings(const TestDocument& doc) {
  std::istringstream lines(dump(*doc.sentences, kDumpReadings));
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    const std::string head = "[Sentence ";
    const std::string tail = " ]Sentence $";
    if (line.compare(0, head.size(), head) == 0) line.erase(0, head.size());
    if (line.size() >= tail.size() &&
        line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
      line.erase(line.size() - tail.size());
    }
    if (!out.empty()) out += "\n";
    out += line;
  }
  return out;
}

// Tags a compact document (document_testutil.h) and returns its readings.
std::string tag(const Resource& tables, const std::string& input) {
  TestDocument doc = build_document(input);
  tag_document(tables, *doc.sentences);
  return readings(doc);
}

// The tokens of a document's first sentence.
std::vector<Token*> tokens_of(const TestDocument& doc) {
  std::vector<Token*> tokens;
  for (Annotation* a : zel::testing::sentence_at(*doc.sentences, 0)->annotations) {
    if (Token* t = annotation_cast<Token>(a)) tokens.push_back(t);
  }
  return tokens;
}

// The decision as plain single-precision products make it, for a sentence
// whose tokens all have readings and that is one window. `underflow` tells
// whether some product fell below the normal floats.
struct FloatDecision {
  std::vector<uint32_t> tags;
  bool underflow = false;
};

FloatDecision float_viterbi(const Resource& tables, const std::vector<Token*>& tokens) {
  FloatDecision out;
  auto mul = [&](float a, float b) {
    const float p = a * b;
    if (std::fpclassify(p) == FP_SUBNORMAL || (p == 0 && a != 0 && b != 0)) {
      out.underflow = true;
    }
    return p;
  };
  auto emission = [&](const Token& t, const kavero::MorphData& r) {
    auto it = tables.emission.find(t.literal + "^^" + r.pos());
    if (it == tables.emission.end()) it = tables.emission.find("dummy^^" + r.pos());
    return it == tables.emission.end() ? kFloorProbability : it->second;
  };
  struct State {
    uint32_t previous;
    float probability;
  };
  std::vector<std::map<uint32_t, State>> columns(tokens.size());
  for (const kavero::MorphData& r : tokens[0]->readings) {
    auto s = tables.start.find(r.pos_id());
    const float start = s == tables.start.end() ? kFloorProbability : s->second;
    columns[0].emplace(r.pos_id(), State{0, mul(start, emission(*tokens[0], r))});
  }
  for (size_t i = 1; i < tokens.size(); ++i) {
    for (const kavero::MorphData& m : tokens[i - 1]->readings) {
      const float pp = columns[i - 1].at(m.pos_id()).probability;
      for (const kavero::MorphData& r : tokens[i]->readings) {
        const float tr = tables.transition.get(detail::make_transition_id(m.pos_id(), r.pos_id()));
        const float v = mul(mul(tr, pp), emission(*tokens[i], r));
        auto [it, added] = columns[i].emplace(r.pos_id(), State{m.pos_id(), v});
        if (!added && v >= it->second.probability) it->second = State{m.pos_id(), v};
      }
    }
  }
  out.tags.resize(tokens.size());
  float best = 0;
  for (const auto& [tag, s] : columns.back()) {
    if (s.probability > best) best = s.probability;
  }
  for (const auto& [tag, s] : columns.back()) {
    if (s.probability == best) {
      out.tags.back() = tag;
      break;
    }
  }
  for (size_t i = tokens.size() - 1; i > 0; --i) {
    out.tags[i - 1] = columns[i].at(out.tags[i]).previous;
  }
  return out;
}

TEST(HmmTagger, TestLanguageKeepsTheVerbAfterANoun) {
  EXPECT_EQ(tag(test_language(), "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl ./Punct-Sent"),
            "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg ./Punct-Sent");
  // A determiner the tables do not know scores by the floor alone; the
  // choice for "runs" must not depend on how small that makes the path.
  EXPECT_EQ(tag(test_language(), "The/Det dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl"),
            "The/Det dog/Nn-Sg runs/V-Pres-3-Sg");
  EXPECT_EQ(tag(test_language(), "the/Det-Def dogs/Nn-Pl fish/Nn-Sg|Nn-Pl|V-Inf ./Punct-Sent"),
            "the/Det-Def dogs/Nn-Pl fish/V-Inf ./Punct-Sent");
}

// Ordinary sentences make paths far smaller than a float holds within a
// window; the choice must still follow the tables all the way along.
TEST(HmmTagger, LongSentencesDoNotLoseTheTables) {
  std::string input;
  std::string expected;
  for (int i = 0; i < 7; ++i) {
    input += "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl ,/Punct-Comma ";
    expected += "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg ,/Punct-Comma ";
  }
  input += "the/Det-Def dog/Nn-Sg runs/Nn-Pl|V-Pres-3-Sg";
  expected += "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg";
  TestDocument doc = build_document(input);
  // Plain floats run out of range here and choose by their tie rules.
  const FloatDecision floats = float_viterbi(test_language(), tokens_of(doc));
  EXPECT_TRUE(floats.underflow);
  EXPECT_NE(floats.tags.back(), id("V-Pres-3-Sg"));
  tag_document(test_language(), *doc.sentences);
  EXPECT_EQ(readings(doc), expected);
}

struct Case {
  const char* name;
  const char* tables;
  const char* document;
  const char* expected;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class HmmTaggerCases : public ::testing::TestWithParam<Case> {};

TEST_P(HmmTaggerCases, KeepsTheChosenReadings) {
  const Case& c = GetParam();
  EXPECT_EQ(tag(tables_of(c.tables), c.document), c.expected);
}

const char kFlat[] = "[start-hmm]\n[emission-hmm]\n[transmission-hmm]\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HmmTaggerCases,
    ::testing::Values(
        Case{"one token: start times emission",
             "[start-hmm]\nNn-Sg\t0.9\nV-Inf\t0.1\n"
             "[emission-hmm]\nx^^Nn-Sg\t0.3\nx^^V-Inf\t0.5\n",
             "x/Nn-Sg|V-Inf", "x/Nn-Sg"},
        Case{"one token: of equal scores the lower tag id",
             kFlat, "x/V-Inf|Nn-Sg:a|Nn-Sg:b", "x/Nn-Sg:a|Nn-Sg:b"},
        Case{"same tag and stem: merged into the first, properties in order",
             kFlat, "x/Nn-Sg+a+b|Nn-Sg+c+a+d|V-Inf+e",
             "x/Nn-Sg+a+b+c+d"},
        Case{"same tag, other stems: kept and not merged with each other",
             kFlat, "x/Nn-Sg:a+p|Nn-Sg:b+q|Nn-Sg:b+r|Nn-Sg:a+s",
             "x/Nn-Sg:a+p+s|Nn-Sg:b+q|Nn-Sg:b+r"},
        Case{"a token without readings inside a sentence gets Nn-Std",
             kFlat, "a/Adj b c/Adj", "a/Adj b/Nn-Std c/Adj"},
        Case{"a lone token without readings stays as it is",
             kFlat, "a", "a"},
        Case{"a first token without readings is scored like the others",
             "[start-hmm]\nNn-Std\t0.5\n"
             "[emission-hmm]\nb^^Nn-Pl\t0.5\nb^^V-Inf\t0.5\n"
             "[transmission-hmm]\nNn-Std V-Inf\t0.9\nNn-Std Nn-Pl\t0.1\n",
             "a b/V-Inf|Nn-Pl", "a/Nn-Std b/V-Inf"},
        Case{"a literal's own emission",
             "[start-hmm]\n"
             "[emission-hmm]\nx^^Nn-Sg\t0.5\ndummy^^V-Inf\t0.4\n",
             "x/Nn-Sg|V-Inf", "x/Nn-Sg"},
        Case{"an unknown literal's dummy emission",
             "[start-hmm]\n"
             "[emission-hmm]\ny^^Nn-Sg\t0.5\ndummy^^V-Inf\t0.4\n",
             "x/Nn-Sg|V-Inf", "x/V-Inf"},
        Case{"no emission at all is the floor",
             "[start-hmm]\n"
             "[emission-hmm]\ndummy^^Nn-Sg\t1e-14\n",
             "x/Nn-Sg|V-Inf", "x/V-Inf"},
        Case{"the floor for what the start table lacks",
             "[start-hmm]\nNn-Sg\t1e-14\n", "x/Nn-Sg|V-Inf", "x/V-Inf"},
        Case{"transitions decide the second token",
             "[start-hmm]\nDet-Def\t1\n"
             "[transmission-hmm]\nDet-Def Nn-Sg\t0.6\nDet-Def V-Inf\t0.1\n",
             "the/Det-Def x/V-Inf|Nn-Sg", "the/Det-Def x/Nn-Sg"},
        Case{"equal paths into a state: the later reading before wins",
             kFlat, "a/Adj|Nn-Sg b/V-Inf", "a/Nn-Sg b/V-Inf"},
        Case{"equal paths into a state: the later reading before wins, reversed",
             kFlat, "a/Nn-Sg|Adj b/V-Inf", "a/Adj b/V-Inf"},
        Case{"sentences are tagged apart",
             "[start-hmm]\nNn-Sg\t0.9\nV-Inf\t0.1\n"
             "[transmission-hmm]\nNn-Sg V-Inf\t0.9\n",
             "x/Nn-Sg\nx/Nn-Sg|V-Inf", "x/Nn-Sg\nx/Nn-Sg"}),
    [](const ::testing::TestParamInfo<Case>& info) {
      std::string name;
      for (const char* p = info.param.name; *p != 0; ++p) {
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      }
      return name;
    });

// Within a window "x" follows its predecessor by the transitions, which
// make it a verb; at the start of a window the start table makes it a noun.
// Everything else scores 1, so that paths stay well inside the floats.
const char kWindowTables[] =
    "[start-hmm]\nNn-Sg\t0.9\nV-Inf\t0.01\nAdj\t1\n"
    "[emission-hmm]\nw^^Adj\t1\n.^^Punct-Sent\t1\nx^^Nn-Sg\t1\nx^^V-Inf\t1\n"
    "[transmission-hmm]\n"
    "Adj Adj\t1\nAdj Punct-Sent\t1\nV-Inf Adj\t1\nNn-Sg Adj\t1\n"
    "Adj V-Inf\t0.9\nAdj Nn-Sg\t0.01\n"
    "Punct-Sent V-Inf\t0.9\nPunct-Sent Nn-Sg\t0.01\n"
    "V-Inf V-Inf\t0.9\nV-Inf Nn-Sg\t0.01\n"
    "Nn-Sg V-Inf\t0.9\n";

// n filler tokens "w/Adj" with a full stop after the listed (1-based)
// positions, then "x/Nn-Sg|V-Inf" after each stop and at the end.
std::string window_sentence(int n, std::vector<int> stops) {
  std::string input;
  for (int i = 1; i <= n; ++i) {
    input += "w/Adj ";
    for (int stop : stops) {
      if (stop == i) input += "./Punct-Sent x/Nn-Sg|V-Inf ";
    }
  }
  return input + "x/Nn-Sg|V-Inf";
}

std::vector<std::string> tags_of_x(const std::string& input) {
  TestDocument doc = build_document(input);
  tag_document(tables_of(kWindowTables), *doc.sentences);
  std::vector<std::string> tags;
  for (int i = 1; Token* x = find_token(*doc.sentences, "x", i); ++i) {
    std::string t;
    for (const kavero::MorphData& r : x->readings) t += (t.empty() ? "" : "|") + r.pos();
    tags.push_back(t);
  }
  return tags;
}

TEST(HmmTagger, WindowsEndAtPunctuationFromTheThirtiethToken) {
  // The stop is the 29th token: no cut.
  EXPECT_THAT(tags_of_x(window_sentence(28, {28})),
              ::testing::ElementsAre("V-Inf", "V-Inf"));
  // The stop is the 30th token: the next token starts a window.
  EXPECT_THAT(tags_of_x(window_sentence(29, {29})),
              ::testing::ElementsAre("Nn-Sg", "V-Inf"));
  // A stop before the 30th token does not cut; the first from it on does,
  // and the new window counts from its own first token.
  // Here the stops are the 11th, 33rd and (in the new window) 3rd tokens.
  EXPECT_THAT(tags_of_x(window_sentence(31, {10, 30, 31})),
              ::testing::ElementsAre("V-Inf", "Nn-Sg", "V-Inf", "V-Inf"));
}

TEST(HmmTagger, WindowsEndAtTheFiftiethTokenWithoutPunctuation) {
  std::string input;
  for (int i = 1; i <= 49; ++i) input += "x/Nn-Sg|V-Inf ";
  input += "x/Nn-Sg|V-Inf x/Nn-Sg|V-Inf x/Nn-Sg|V-Inf";
  const auto tags = tags_of_x(input);
  ASSERT_EQ(tags.size(), 52u);
  // Each window begins with a noun and goes on with verbs.
  EXPECT_EQ(tags[0], "Nn-Sg");
  EXPECT_EQ(tags[49], "V-Inf");
  EXPECT_EQ(tags[50], "Nn-Sg");
  EXPECT_EQ(tags[51], "V-Inf");
}

TEST(HmmTagger, MarkupTokensAreNeitherTaggedNorCounted) {
  // 28 fillers, a markup token, then the stop: the stop is the 29th
  // counted token, so the window goes on into "x".
  std::string input;
  for (int i = 1; i <= 28; ++i) input += "w/Adj ";
  input += "m/Nn-Sg|V-Inf ./Punct-Sent x/Nn-Sg|V-Inf";
  TestDocument doc = build_document(input);
  find_token(*doc.sentences, "m")->flags |= kMarkup;
  tag_document(tables_of(kWindowTables), *doc.sentences);
  EXPECT_EQ(find_token(*doc.sentences, "m")->readings.size(), 2u);
  EXPECT_EQ(find_token(*doc.sentences, "x")->readings.front().pos(), "V-Inf");
}

TEST(HmmTagger, MarkupTokensDoNotSeparateTheirNeighbours) {
  // "m" would make "x" a noun if it took part.
  const Resource tables = tables_of(
      "[start-hmm]\nPunct-Sent\t1\n"
      "[transmission-hmm]\nPunct-Sent V-Inf\t0.9\nPunct-Sent Nn-Sg\t0.01\n"
      "Adj Nn-Sg\t0.9\nAdj V-Inf\t0.01\n");
  TestDocument doc = build_document("./Punct-Sent m/Adj x/Nn-Sg|V-Inf");
  find_token(*doc.sentences, "m")->flags |= kMarkup;
  tag_document(tables, *doc.sentences);
  EXPECT_EQ(readings(doc), "./Punct-Sent m/Adj x/V-Inf");

  doc = build_document("./Punct-Sent m/Adj x/Nn-Sg|V-Inf");
  tag_document(tables, *doc.sentences);
  EXPECT_EQ(readings(doc), "./Punct-Sent m/Adj x/Nn-Sg");
}

TEST(HmmTagger, TaggingAgainWorksOnTheReducedReadings) {
  TestDocument doc = build_document("the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl");
  tag_document(test_language(), *doc.sentences);
  const std::string once = readings(doc);
  tag_document(test_language(), *doc.sentences);
  EXPECT_EQ(readings(doc), once);
}

TEST(HmmTagger, ASentenceListAlone) {
  TestDocument doc = build_document("the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl\n"
                                    "dog/Nn-Sg runs/Nn-Pl|V-Pres-3-Sg");
  Sentence* second = zel::testing::sentence_at(*doc.sentences, 1);
  tag_sentence(test_language(), second->annotations);
  EXPECT_EQ(readings(doc),
            "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl\n"
            "dog/Nn-Sg runs/V-Pres-3-Sg");
}

TEST(HmmTagger, ADecoderLeftEarlyStillDecodesItsWindow) {
  TestDocument doc = build_document("dog/Nn-Sg runs/Nn-Pl|V-Pres-3-Sg");
  {
    detail::CalculatePermutation decoder(&test_language());
    decoder.add(find_token(*doc.sentences, "dog"));
    decoder.add(find_token(*doc.sentences, "runs"));
    EXPECT_EQ(decoder.columns().size(), 2u);
  }
  EXPECT_EQ(readings(doc), "dog/Nn-Sg runs/V-Pres-3-Sg");
}

// Where plain floats do not underflow, the tags are exactly theirs, ties
// included: random sentences over random tables whose values come from a
// few numbers, so that many paths score alike.
TEST(HmmTagger, SameTagsAsPlainFloatsWhereTheyDoNotUnderflow) {
  const std::vector<std::string> tags = {"Adj", "Nn-Sg", "Nn-Pl", "V-Inf", "Prep", "Det-Def"};
  const std::vector<std::string> words = {"a", "b", "c", "d"};
  const std::vector<float> values = {0.01f, 0.02f, 0.1f, 0.3f, 0.25f, 0.5f, 0.7f, 1.0f};
  std::mt19937 random(20240611);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  int tables_with_floors = 0;
  for (int round = 0; round < 300; ++round) {
    // Full tables, so that no floor value enters; one round in four leaves
    // some out, and then only short sentences stay clear of underflow.
    const bool with_floors = round % 4 == 3;
    std::ostringstream source;
    source << "[start-hmm]\n";
    for (const auto& t : tags) {
      if (!with_floors || pick(2) == 0) source << t << "\t" << values[pick(values.size())] << "\n";
    }
    source << "[emission-hmm]\n";
    for (const auto& w : words) {
      for (const auto& t : tags) {
        if (!with_floors || pick(2) == 0) {
          source << w << "^^" << t << "\t" << values[pick(values.size())] << "\n";
        }
      }
    }
    source << "[transmission-hmm]\n";
    for (const auto& a : tags) {
      for (const auto& b : tags) {
        if (!with_floors || pick(2) == 0) {
          source << a << " " << b << "\t" << values[pick(values.size())] << "\n";
        }
      }
    }
    const Resource tables = tables_of(source.str());
    const size_t length = with_floors ? 1 + pick(2) : 1 + pick(7);
    std::string input;
    for (size_t i = 0; i < length; ++i) {
      input += (i > 0 ? " " : "") + words[pick(words.size())] + "/";
      const size_t n = 1 + pick(3);
      for (size_t k = 0; k < n; ++k) {
        input += (k > 0 ? "|" : "") + tags[pick(tags.size())] + ":s" + std::to_string(pick(2));
      }
    }
    SCOPED_TRACE(input + "\n" + source.str());
    TestDocument doc = build_document(input);
    const std::vector<Token*> tokens = tokens_of(doc);
    const FloatDecision expected = float_viterbi(tables, tokens);
    if (with_floors && expected.underflow) continue;
    ASSERT_FALSE(expected.underflow);
    if (with_floors) ++tables_with_floors;
    tag_document(tables, *doc.sentences);
    for (size_t i = 0; i < tokens.size(); ++i) {
      ASSERT_FALSE(tokens[i]->readings.empty());
      for (const kavero::MorphData& r : tokens[i]->readings) {
        EXPECT_EQ(r.pos_id(), expected.tags[i]) << "token " << i;
      }
    }
  }
  // The rounds with floor values must have checked something.
  EXPECT_GT(tables_with_floors, 0);
}

TEST(HmmTagger, PrintListsTheLattice) {
  TestDocument doc = build_document("dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl");
  std::vector<detail::viterbi_element> lattice;
  lattice.emplace_back(find_token(*doc.sentences, "dog"));
  lattice.back().insert(id("Nn-Sg"), {0, detail::Probability(0.5f)});
  lattice.emplace_back(find_token(*doc.sentences, "runs"));
  lattice.back().insert(id("V-Pres-3-Sg"), {id("Nn-Sg"), detail::Probability(0.25f)});
  lattice.back().insert(id("Nn-Pl"), {id("Nn-Sg"), detail::Probability()});
  std::ostringstream nn;
  nn << std::hex << id("Nn-Sg");
  EXPECT_EQ(zel::testing::capture_stdout([&] { detail::print(lattice); }),
            "[HMM][RESULTS]\n"
            "  dog [Nn-Sg,]\n"
            "   -- posid=0x0:Nn-Sg:0.5\n"
            "  runs [V-Pres-3-Sg,Nn-Pl,]\n"
            "   -- posid=0x" + nn.str() + ":Nn-Pl:0\n"
            "   -- posid=0x" + nn.str() + ":V-Pres-3-Sg:0.25\n");

  lattice.back().insert(0, {0x2a, detail::Probability()});
  std::string message;
  const std::string printed = zel::testing::capture_stdout([&] {
    try {
      detail::print(lattice);
    } catch (const zel::Exception& e) {
      message = e.what();
    }
  });
  EXPECT_EQ(message, "Invalid tag, not in the pos_table, index:2a");
  EXPECT_EQ(printed, "[HMM][RESULTS]\n  dog [Nn-Sg,]\n   -- posid=0x0:Nn-Sg:0.5\n"
                     "  runs [V-Pres-3-Sg,Nn-Pl,]\n");
}

// Documents on blackboards of the test language, bound as an analysis
// binds them.
class HmmBlackboard : public ::testing::Test {
 protected:
  std::unique_ptr<Blackboard> document(const std::string& input) {
    static const std::shared_ptr<Engine> engine = std::make_shared<Engine>(
        convert_string_to_api_options(nlohmann::json{{"root_path", morvik()}, {"morvik", morvik()}}.dump()));
    std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard(
        "{}", R"({"language": "english"})", engine, engine->get_language_module("english"));
    blackboard->set_analyzer(blackboard->analyzer);
    doc_ = build_document(input);
    zel::testing::load_document(*blackboard, doc_);
    return blackboard;
  }

  static std::string morvik() {
    return testing::test_language_folder().string();
  }

  TestDocument doc_;
};

TEST_F(HmmBlackboard, TagsTheDocumentWithItsLanguagesTables) {
  std::unique_ptr<Blackboard> blackboard = document(
      "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl\n"
      "a/Det-Indef dog/Nn-Sg runs/Nn-Pl|V-Pres-3-Sg ./Punct-Sent");
  EXPECT_TRUE(can_execute(*blackboard));
  EXPECT_TRUE(execute(*blackboard));
  EXPECT_EQ(readings(doc_),
            "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg\n"
            "a/Det-Indef dog/Nn-Sg runs/V-Pres-3-Sg ./Punct-Sent");
}

TEST_F(HmmBlackboard, OneSentence) {
  std::unique_ptr<Blackboard> blackboard = document(
      "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl\n"
      "dog/Nn-Sg runs/Nn-Pl|V-Pres-3-Sg");
  sentence(*blackboard, *zel::testing::sentence_at(*doc_.sentences, 1));
  EXPECT_EQ(readings(doc_),
            "the/Det-Def dog/Nn-Sg runs/V-Pres-3-Sg|Nn-Pl\n"
            "dog/Nn-Sg runs/V-Pres-3-Sg");
}

TEST_F(HmmBlackboard, TheTaggerIsMadeOnceAndKept) {
  std::unique_ptr<Blackboard> blackboard = document("dog/Nn-Sg");
  EXPECT_EQ(blackboard->hmm_store, nullptr);
  EngineInterface* engine = get_store(*blackboard);
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine, blackboard->hmm_store.get());
  EXPECT_EQ(get_store(*blackboard), engine);
  std::shared_ptr<EngineInterface> other = agent::create(nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other.get(), engine);
}

TEST_F(HmmBlackboard, ExecuteGoesThroughTheBlackboardsTagger) {
  struct Recording : EngineInterface {
    void execute(const Blackboard&, AnnotationCollection& annotations) override {
      lists.push_back(&annotations);
    }
    std::vector<AnnotationCollection*> lists;
  };
  std::unique_ptr<Blackboard> blackboard = document("runs/V-Pres-3-Sg|Nn-Pl");
  auto recording = std::make_shared<Recording>();
  blackboard->hmm_store = recording;
  EXPECT_TRUE(execute(*blackboard));
  EXPECT_THAT(recording->lists, ::testing::ElementsAre(blackboard->annotations.get()));
  EXPECT_EQ(readings(doc_), "runs/V-Pres-3-Sg|Nn-Pl");
}

TEST(HmmBlackboardWithoutTables, SentencesAreStillTaggedWithTheFloor) {
  std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard();
  EXPECT_FALSE(can_execute(*blackboard));
  TestDocument doc = build_document("a/Adj b x/V-Inf|Nn-Sg");
  zel::testing::load_document(*blackboard, doc);
  sentence(*blackboard, *zel::testing::sentence_at(*doc.sentences, 0));
  EXPECT_EQ(readings(doc), "a/Adj b/Nn-Std x/Nn-Sg");

  // A language without tables.
  blackboard->language_module = std::make_shared<LanguageModule>();
  EXPECT_FALSE(can_execute(*blackboard));
  blackboard->language_module->module_data = std::make_shared<LanguageModuleData>();
  EXPECT_FALSE(can_execute(*blackboard));
  blackboard->language_module->module_data->hmm_tables.emission["x^^Nn-Sg"] = 0.5f;
  EXPECT_TRUE(can_execute(*blackboard));
}

}  // namespace
}  // namespace hmm
}  // namespace core
}  // namespace kavero
}  // namespace zel
