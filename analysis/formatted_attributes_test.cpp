#include "analysis/formatted_attributes.h"

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/concept_insertion.h"
#include "analysis/document_testutil.h"
#include "analysis/plugin_engine_testutil.h"
#include "engine/engine.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace {

using testing::ScriptedPlugin;

constexpr char kOptions[] =
    R"({"resolve_formated_attribute_function": "::test::formats::resolve")";

class Formats : public ::testing::Test {
 protected:
  void make(bool allow_plugins) {
    blackboard = testing::make_blackboard(
        "{}",
        std::string(kOptions) + R"(, "allow_plugins": ")" +
            (allow_plugins ? "true" : "false") + "\"}",
        engine.engine);
    blackboard->set_analyzer(blackboard->analyzer);
    document = testing::build_document("in Paris today");
    testing::load_document(*blackboard, document);
    engine.plugin->answer = [](const ScriptedPlugin::Call& call) {
      return std::optional<std::string>("<" + call.arguments.at(0) + ">");
    };
  }

  testing::PluginEngine engine;
  std::unique_ptr<Blackboard> blackboard;
  testing::TestDocument document;
};

Attributes list_of(std::initializer_list<Attribute> pairs) {
  Attributes list;
  for (const Attribute& pair : pairs) list.push_back(pair);
  return list;
}

std::string texts(const Attributes& list) {
  std::string out;
  for (const Attribute& pair : list) {
    out += pair.first + "=" + to_string(pair.second) + ";";
  }
  return out;
}

TEST_F(Formats, AFormatIsResolvedByTheConfiguredPluginFunction) {
  make(true);
  Concept* paris = testing::find_concept(*document.sentences, "Sentence");
  runtime::Context context(blackboard.get(), &blackboard->sentences[0].second,
                           paris, nullptr);
  EXPECT_EQ(resolve_attribute(*blackboard, "{capture.stem}", context),
            "<{capture.stem}>");
  ASSERT_EQ(engine.plugin->calls.size(), 1u);
  const ScriptedPlugin::Call& call = engine.plugin->calls[0];
  EXPECT_EQ(call.operation, "trigger");
  EXPECT_EQ(call.module, "formats");
  EXPECT_EQ(call.function, "resolve");
  EXPECT_EQ(call.arguments, std::vector<std::string>{"{capture.stem}"});
  // The plugin learns of the match it resolves the format for.
  EXPECT_EQ(call.context.blackboard, blackboard.get());
  EXPECT_EQ(call.context.concept_annotation, paris);
  EXPECT_EQ(call.context.sentence, &blackboard->sentences[0].second);
  EXPECT_EQ(engine.plugin->freed, std::vector<std::string>{"<{capture.stem}>"});
}

TEST_F(Formats, AFormatWithoutVariablesIsNotResolved) {
  make(true);
  runtime::Context context(blackboard.get());
  for (const char* format : {"plain text", "{{escaped}}", "{rule.a.}", ""}) {
    EXPECT_EQ(resolve_attribute(*blackboard, format, context), "") << format;
  }
  EXPECT_TRUE(engine.plugin->calls.empty());
}

TEST_F(Formats, AListKeepsTextsAndResolvedFormatsAndDropsFailures) {
  struct Case {
    bool allow_plugins;
    const char* expected;
    size_t calls;
  };
  for (const Case& c : {Case{true, "a=x;b=<{rule.name}>;c=done;e=y;", 1},
                        Case{false, "a=x;c=done;e=y;", 0}}) {
    SCOPED_TRACE(c.allow_plugins);
    engine.plugin->calls.clear();
    make(c.allow_plugins);
    runtime::Context context(blackboard.get());
    Attributes list = list_of({
        {"a", std::string("x")},
        {"b", AttributeFormatValue{"{rule.name}", ""}},
        {"c", AttributeFormatValue{"{rule.name}", "done"}},
        {"d", AttributeFormatValue{"no variables", ""}},
        {"e", std::string("y")},
    });
    resolve_attributes(*blackboard, list, context);
    EXPECT_EQ(texts(list), c.expected);
    EXPECT_EQ(engine.plugin->calls.size(), c.calls);
  }
}

TEST_F(Formats, AnEmptyAnswerIsAFailure) {
  make(true);
  engine.plugin->answer = [](const ScriptedPlugin::Call&) {
    return std::optional<std::string>();
  };
  runtime::Context context(blackboard.get());
  Attributes list = list_of({{"b", AttributeFormatValue{"{rule.name}", ""}}});
  resolve_attributes(*blackboard, list, context);
  EXPECT_TRUE(list.empty());
}

TEST_F(Formats, AListOfTextsIsLeftAlone) {
  make(true);
  runtime::Context context(blackboard.get());
  Attributes list = list_of({{"b", std::string("2")}, {"a", std::string("1")}});
  resolve_attributes(*blackboard, list, context);
  EXPECT_EQ(texts(list), "b=2;a=1;");
  EXPECT_TRUE(engine.plugin->calls.empty());
}

TEST_F(Formats, AFailureThePluginReportsIsRaised) {
  make(true);
  engine.plugin->error_code = 2;
  engine.plugin->error_message = "no such variable";
  runtime::Context context(blackboard.get());
  Attributes list = list_of({{"b", AttributeFormatValue{"{rule.name}", ""}}});
  EXPECT_THROW(resolve_attributes(*blackboard, list, context),
               std::runtime_error);
}

TEST_F(Formats, AnInsertedConceptGetsItsFormatsResolvedOrDropped) {
  for (bool allow : {true, false}) {
    SCOPED_TRACE(allow);
    make(allow);
    Token* paris = testing::find_token(*document.sentences, "Paris");
    Concept* city = (*blackboard->collector)(
        paris, paris->next, "City", R"(@name=f"{capture.stem}";kind=town)",
        nullptr, "rule_1");
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(testing::dump(*document.sentences, testing::kDumpAttributes),
              allow ? "[Sentence in [City{kind=town;name=<{capture.stem}>} "
                      "Paris ]City today ]Sentence $"
                    : "[Sentence in [City{kind=town} Paris ]City today "
                      "]Sentence $");
    if (allow) {
      ASSERT_FALSE(engine.plugin->calls.empty());
      EXPECT_EQ(engine.plugin->calls.back().context.concept_annotation, city);
    }
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
