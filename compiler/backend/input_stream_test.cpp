#include "compiler/backend/input_stream.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"

namespace zel {
namespace compiler {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> diagnostics(const std::string& source) {
  std::vector<std::string> lines;
  auto& sinks = results::sinks();
  auto found = sinks.find(source);
  if (found == sinks.end()) return lines;
  for (const DiagnosticsInfo& info : found->second) {
    lines.push_back(diagnostic_type_to_string(info) + " " + std::to_string(info.line) + ":" +
                    std::to_string(info.column) + " (" + std::to_string(info.code) + ") " +
                    info.message);
  }
  return lines;
}

ast::node::Statement lexicon(const std::string& input, const std::vector<std::string>& texts) {
  ast::node::Lexicon statement;
  if (!input.empty()) statement.attributes.push_back({"input", input});
  for (const auto& text : texts) {
    ast::node::LexiconEntry entry;
    entry.text = text;
    statement.entries.push_back(entry);
  }
  return statement;
}

std::vector<std::string> texts_of(const ast::node::Statement& statement) {
  std::vector<std::string> texts;
  for (const auto& entry : boost::get<ast::node::Lexicon>(statement).entries) {
    texts.push_back(entry.text);
  }
  return texts;
}

class InputStream : public ::testing::Test {
 protected:
  InputStream() : compilation(R"({"update_lexicons":"none"})") {
    compilation.blackboard.error_code_mask = ~0ull;
    compilation.blackboard.set_source_filename("n.kav");
  }
  // Both steps over a tree of the one statement, nested twice in namespaces.
  std::vector<std::string> rewrite(const ast::node::Statement& statement) {
    ast::node::Namespace inner;
    inner.name = "b";
    inner.statements.push_back(statement);
    ast::node::Namespace outer;
    outer.name = "a";
    outer.statements.push_back(inner);
    ast::node::Root root;
    root.statements.push_back(outer);
    input_stream::visit(compilation.blackboard, root);
    input_stream::apply(compilation.blackboard, root);
    const auto& middle = boost::get<ast::node::Namespace>(root.statements[0]);
    return texts_of(boost::get<ast::node::Namespace>(middle.statements[0]).statements[0]);
  }
  testing::Compilation compilation;
};

TEST_F(InputStream, StreamsThatKeepTheirEntries) {
  for (const std::string input : {"", "literal", "stem", "lemma", "canonical", "\"stem\"", "x"}) {
    EXPECT_THAT(rewrite(lexicon(input, {"New - York", "Äb"})), ElementsAre("New - York", "Äb"))
        << input;
  }
  EXPECT_THAT(diagnostics("n.kav"), IsEmpty());
}

TEST_F(InputStream, NormalisedStreams) {
  for (const std::string input : {"normalized_stem", "\"normalized_literal\"", "normalized_lemma"}) {
    results::sinks().clear();
    EXPECT_THAT(rewrite(lexicon(input, {"New - York", "Äb", "a-b", "x -y", "a-b - c", "a _ b",
                                        R"("""Raw X""")"})),
                ElementsAre("new york", "ab", "a-b", "x -y", "a-b - c", "a _ b", R"("""Raw X""")"))
        << input;
    EXPECT_THAT(diagnostics("n.kav"),
                ElementsAre("warning 1:0 (128) lexicon entry 'New - York' has been normalized to "
                            "'new york'",
                            "warning 1:0 (128) lexicon entry 'a _ b' has been normalized to "
                            "'a _ b'"))
        << input;
  }
}

TEST_F(InputStream, LowerCasedStreams) {
  for (const std::string input : {"component", "head"}) {
    EXPECT_THAT(rewrite(lexicon(input, {"New - York", "ÄB"})), ElementsAre("new - york", "äb"))
        << input;
  }
  EXPECT_THAT(diagnostics("n.kav"), IsEmpty());
}

TEST_F(InputStream, MaskedWarningStillRewrites) {
  compilation.blackboard.error_code_mask = ~0x80ull;
  EXPECT_THAT(rewrite(lexicon("normalized_stem", {"New - York"})), ElementsAre("new york"));
  EXPECT_THAT(diagnostics("n.kav"), IsEmpty());
}

}  // namespace
}  // namespace compiler
}  // namespace zel
