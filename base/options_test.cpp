#include "base/options.h"

#include <iomanip>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/error_message_testutil.h"
#include "base/output_capture_testutil.h"

namespace zel {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(Options, EmptySetAnswersDefaults) {
  const Options options;
  EXPECT_EQ(options.get("k"), "");
  EXPECT_EQ(options.get("k", "fallback"), "fallback");
  EXPECT_TRUE(options.get_bool("k", true));
  EXPECT_FALSE(options.has("k"));
  EXPECT_EQ(options.get_json("k"), nullptr);
  EXPECT_EQ(options.str(), "null");
}

TEST(Options, ReadsStringValuesByKey) {
  const Options options(R"({"language":"english","empty":"","n":5})");
  EXPECT_EQ(options.get("language"), "english");
  EXPECT_EQ(options.get("language", "dutch"), "english");
  EXPECT_EQ(options["language"], "english");
  EXPECT_EQ(options[std::string("language")], "english");
  EXPECT_EQ(options.at("language"), "english");
  EXPECT_EQ(options.get("empty", "d"), "");
  EXPECT_EQ(options.get("missing", "d"), "d");
  EXPECT_EQ(options["missing"], "");
}

TEST(Options, GetBoolReadsTheAcceptedTruthTexts) {
  const std::vector<std::pair<std::string, bool>> truths = {
      {"true", true}, {"on", true},    {"yes", true},  {"1", true},
      {"True", true}, {"TRUE", false}, {"Yes", false}, {"false", false},
      {"0", false},   {"no", false},   {"off", false}, {"2", false},
  };
  for (const auto& [text, expected] : truths) {
    SCOPED_TRACE(text);
    Options options;
    options.add("flag", text);
    EXPECT_EQ(options.get_bool("flag", !expected), expected);
  }
  Options options;
  options.add("flag", "");
  EXPECT_TRUE(options.get_bool("flag", true));
  EXPECT_FALSE(options.get_bool("flag", false));
  EXPECT_TRUE(options.get_bool("missing", true));
}

TEST(Options, FlagsAndNumbersReadAsTheirTextForm) {
  const Options options(
      R"({"n":5,"neg":-2,"f":0.5,"t":true,"b":false,"s":"false","z":null,"l":[1],"o":{}})");
  EXPECT_TRUE(options.has("n"));
  ASSERT_NE(options.get_json("n"), nullptr);
  EXPECT_EQ(*options.get_json("n"), 5);
  struct Case {
    const char* key;
    std::string text;
  } const texts[] = {{"n", "5"}, {"neg", "-2"}, {"f", "0.5"}, {"t", "true"},
                     {"b", "false"}, {"s", "false"}, {"z", "dflt"}};
  for (const Case& c : texts) {
    EXPECT_EQ(options.get(c.key, "dflt"), c.text) << c.key;
    EXPECT_EQ(options[c.key], c.text == "dflt" ? "" : c.text) << c.key;
  }
  // A flag written as JSON means what its text means; a null is missing.
  EXPECT_TRUE(options.get_bool("t", false));
  EXPECT_FALSE(options.get_bool("b", true));
  EXPECT_FALSE(options.get_bool("s", true));
  EXPECT_FALSE(options.get_bool("n", true));
  EXPECT_TRUE(Options(R"({"one":1})").get_bool("one", false));
  EXPECT_TRUE(options.get_bool("z", true));
  // A list or an object is no option value: a clear error naming it.
  EXPECT_EQ(zel::testing::message_of([&] { options.get("l"); }),
            "The option \"l\" must be a text, a flag or a number, not an array.");
  EXPECT_EQ(zel::testing::message_of([&] { options.get_bool("o", true); }),
            "The option \"o\" must be a text, a flag or a number, not an object.");
}

TEST(Options, AddInsertsOrReplaces) {
  Options options;
  options.add("k", "v");
  EXPECT_EQ(options.str(), R"({"k":"v"})");
  options.add("k", std::string("w"));
  options.add(std::string("a"), std::string("\xC3\xA9"));
  EXPECT_EQ(options.str(), "{\"a\":\"\xC3\xA9\",\"k\":\"w\"}");

  Options list("[1,2]");
  EXPECT_THROW(list.add("k", "v"), nlohmann::json::type_error);
  EXPECT_EQ(list.get("k", "d"), "d");
  EXPECT_FALSE(list.has("k"));
}

TEST(Options, TheInterfaceIgnoresAdditionsUnlessOverridden) {
  struct Fixed : IOptions {
    std::string get(const char*) const override { return "x"; }
    std::string get(const char*, std::string) const override { return "x"; }
    bool get_bool(const char*, bool d) const override { return d; }
    std::string str() const override { return "{}"; }
    bool has(const char*) const override { return false; }
  };
  Fixed fixed;
  IOptions& base = fixed;
  base.add("k", "v");
  EXPECT_FALSE(base.has("k"));

  Options options;
  IOptions& through_interface = options;
  through_interface.add("k", "v");
  EXPECT_EQ(options.get("k"), "v");
}

TEST(Options, CopiesShareAndClonesDoNot) {
  Options first(R"({"a":"1"})");
  Options copy = first;
  copy.add("b", "2");
  EXPECT_EQ(first.get("b"), "2");

  auto clone = first.clone();
  clone->add("c", "3");
  EXPECT_FALSE(first.has("c"));
  EXPECT_EQ(clone->get("a"), "1");
}

TEST(Options, ConstructionFromTextReadsTheFirstValue) {
  EXPECT_EQ(Options(R"({"a":"1"} {"b":"2"})").str(), R"({"a":"1"})");
  EXPECT_EQ(Options("{}").str(), "{}");
  EXPECT_THROW(Options(""), nlohmann::json::parse_error);
  EXPECT_THROW(Options(nullptr), nlohmann::json::parse_error);
  EXPECT_THROW(Options(R"({"a":})"), nlohmann::json::parse_error);
}

TEST(Options, StreamOutputFollowsTheFieldWidth) {
  const Options options(R"({"b":"2","a":"1"})");
  std::ostringstream compact;
  compact << options;
  EXPECT_EQ(compact.str(), R"({"a":"1","b":"2"})");
  std::ostringstream pretty;
  pretty << std::setw(2) << options;
  EXPECT_EQ(pretty.str(), "{\n  \"a\": \"1\",\n  \"b\": \"2\"\n}");

  std::ostringstream through_pointer;
  through_pointer << convert_string_to_api_options(R"({"x":"y"})");
  EXPECT_EQ(through_pointer.str(), R"({"x":"y"})");
}

TEST(Options, StrRejectsTextThatIsNotUtf8) {
  Options options;
  options.add("k", "\xC3");
  EXPECT_THROW(options.str(), nlohmann::json::type_error);
}

TEST(ForeachOption, VisitsTextFlagAndNumberValuesInKeyOrder) {
  std::vector<std::pair<std::string, std::string>> seen;
  const auto collect = [&seen](const std::string& k, const std::string& v) {
    seen.emplace_back(k, v);
  };
  foreach_option(Options(R"({"c":"3","b":2,"a":"1","d":[1],"e":false,"f":null})"), collect);
  EXPECT_THAT(seen, ElementsAre(Pair("a", "1"), Pair("b", "2"), Pair("c", "3"), Pair("e", "false")));
  seen.clear();
  foreach_option(Options(), collect);
  EXPECT_TRUE(seen.empty());
}

TEST(ConvertStringToApiOptions, ParsesOneJsonValue) {
  std::string out = testing::capture_stdout([] {
    const auto options = convert_string_to_api_options(R"({"language":"english"})");
    EXPECT_EQ(options->get("language"), "english");
    EXPECT_EQ(convert_string_to_api_options(std::string(R"({"a":"b"})"))->str(), R"({"a":"b"})");
  });
  EXPECT_EQ(out, "");
}

TEST(ConvertStringToApiOptions, NullAndEmptyTextGiveAnEmptySetSilently) {
  bool valid = false;
  const std::string out = testing::capture_stdout([&valid] {
    EXPECT_EQ(convert_string_to_api_options(nullptr)->str(), "null");
    EXPECT_EQ(convert_string_to_api_options("", &valid)->str(), "null");
  });
  EXPECT_TRUE(valid);
  EXPECT_EQ(out, "");
}

TEST(ConvertStringToApiOptions, InvalidTextIsReportedAndGivesAnEmptySet) {
  for (const char* text : {R"({"a":})", R"({"a":"1"} {"b":"2"})", "not json"}) {
    SCOPED_TRACE(text);
    bool valid = true;
    std::string set_text;
    const std::string out = testing::capture_stdout([&] {
      set_text = convert_string_to_api_options(text, &valid)->str();
    });
    EXPECT_FALSE(valid);
    EXPECT_EQ(set_text, "null");
    EXPECT_EQ(out, std::string("Invalid json stream:") + text + "\n");

    const std::string again = testing::capture_stdout(
        [&] { EXPECT_FALSE(convert_string_to_api_options(text)->has("a")); });
    EXPECT_EQ(again, out);
  }
}

}  // namespace
}  // namespace zel
