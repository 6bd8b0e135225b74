#include "compiler/backend/lexicon_statements.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/exception.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"

namespace zel {
namespace compiler {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::call;
using testing::Compilation;

std::vector<std::string> diagnostics(const std::string& source) {
  std::vector<std::string> lines;
  auto& sinks = results::sinks();
  auto found = sinks.find(source);
  if (found == sinks.end()) return lines;
  for (const DiagnosticsInfo& info : found->second) {
    lines.push_back(diagnostic_type_to_string(info) + " (" + std::to_string(info.code) + ") " +
                    info.message);
  }
  return lines;
}

ast::node::Lexicon lexicon(const AttributeList& attributes,
                           const std::vector<std::pair<std::string, std::string>>& entries,
                           const ast::node::AssignCaptureGroup& assignment) {
  ast::node::Lexicon statement;
  statement.attributes = attributes;
  for (const auto& [text, second] : entries) {
    ast::node::LexiconEntry entry;
    entry.text = text;
    entry.secondary = second;
    statement.entries.push_back(entry);
  }
  statement.assignment = assignment;
  statement.line = 4;
  return statement;
}

// "key: text=annotation/second" per collected entry.
std::vector<std::string> collected(const ResultStore& store) {
  std::vector<std::string> lines;
  for (const auto& [key, cache] : store.lexicon_cache) {
    for (const auto& [text, entry] : cache.entries) {
      lines.push_back(key + ": " + text + "=" + entry.capture.identifier() + "/" +
                      entry.canonical);
    }
  }
  return lines;
}

class LexiconStatements : public ::testing::Test {
 protected:
  explicit LexiconStatements(const std::string& options = "{}") : compilation(options) {
    compilation.blackboard.error_code_mask = ~0ull;
    compilation.blackboard.set_source_filename("l.kav");
  }
  Compilation compilation;
};

TEST_F(LexiconStatements, CollectsByStreamOnce) {
  auto store = compilation.store();
  store->add_lexicon(lexicon({}, {{"Paris", ""}, {"Paris", ""}}, call("City")));
  store->add_lexicon(lexicon({}, {{"Paris", ""}}, call("Person")));
  store->add_lexicon(lexicon({{"input", "\"stem\""}}, {{"go", "went"}}, call("Motion")));
  store->add_lexicon(lexicon({{"input", "lemma"}}, {{"go", "went"}}, call("Motion")));
  EXPECT_THAT(collected(*store), ElementsAre("entities_literal: Paris=City()/",
                                             "entities_literal: Paris=Person()/",
                                             "entities_stem: go=Motion()/went"));
  // The later statement's attributes, unquoted.
  EXPECT_THAT(store->lexicon_cache.at("entities_stem").attributes,
              ElementsAre(std::make_pair(std::string("input"), std::string("lemma"))));
  EXPECT_NE(store->capture_ids.find("City"), store->capture_ids.end());
  EXPECT_THAT(diagnostics("l.kav"), IsEmpty());
}

TEST_F(LexiconStatements, InvalidAttributeStopsThisAndLaterStatements) {
  auto store = compilation.store();
  store->add_lexicon(lexicon({{"file", "x.txt"}}, {{"a", ""}}, call("A")));
  store->add_lexicon(lexicon({}, {{"b", ""}}, call("B")));
  EXPECT_THAT(collected(*store), IsEmpty());
  EXPECT_THAT(diagnostics("l.kav"),
              ElementsAre("error (0) Invalid lexicon attribute name, [file], valid values are "
                          "[input ]"));
}

TEST_F(LexiconStatements, PatternWarnings) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"(.)*x", {}},
      {"a((.)* )+", {"warning (2) This expression be very slow as it will check tokens until "
                     "the end of sentence. ",
                     "warning (2) Multiple level of complex closures, this will slow down the "
                     "processing on longer tokens."}},
      {"(a|b|c|d|e|f|g)", {"warning (2) Use a range operator if possible. (a|b|c|d|e|f|g)"}},
      {"(a|b|c|d|e|f)", {}},
      {"(a)*(b)*", {}},
      {"((a)*)*", {"warning (2) Multiple level of complex closures, this will slow down the "
                   "processing on longer tokens."}},
      {"a|b", {"error (0) Missing round brackets."}},
  };
  for (const auto& [pattern, expected] : cases) {
    results::sinks().clear();
    auto store = compilation.store();
    store->add_lexicon(lexicon({}, {{pattern, ""}}, call("A")));
    EXPECT_EQ(diagnostics("l.kav"), expected) << pattern;
  }
}

class LexiconStatementsNone : public LexiconStatements {
 protected:
  LexiconStatementsNone() : LexiconStatements(R"({"update_lexicons":"literal"})") {}
};

TEST_F(LexiconStatementsNone, OtherStreamsAreNotCollectedButWarned) {
  auto store = compilation.store();
  store->add_lexicon(lexicon({{"input", "stem"}}, {{"a((.)* )+", ""}}, call("A")));
  EXPECT_THAT(collected(*store), IsEmpty());
  EXPECT_EQ(store->capture_ids.find("A"), store->capture_ids.end());
  EXPECT_EQ(diagnostics("l.kav").size(), 2u);
}

TEST_F(LexiconStatements, ImportLexiconFile) {
  compilation.folder.write("src/words.txt", "  alpha \n\nbeta\t\n");
  auto store = compilation.store();
  store->open(compilation.folder.str("src/rules.kav"));
  auto statement = lexicon({{"file", "words.txt"}}, {{"x", ""}}, call("A"));
  import_lexicon_file(*store, statement);
  std::vector<std::string> texts;
  for (const auto& entry : statement.entries) texts.push_back(entry.text);
  EXPECT_THAT(texts, ElementsAre("x", "alpha", "", "beta"));
  auto missing = lexicon({{"file", "nowhere.txt"}}, {}, call("A"));
  EXPECT_THROW(import_lexicon_file(*store, missing), Exception);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
