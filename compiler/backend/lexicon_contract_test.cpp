// What the lexicon build writes, run by the runtime: sources with lexicon
// statements go through the result store (open, input-stream rewrite,
// collect, close, finalize) into a domain file, which an engine loads as the
// host loads it and runs over text analysed with the test language.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/document_testutil.h"
#include "base/options.h"
#include "compiler/backend/input_stream.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"
#include "domain/domain.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"
#include "language/test_language_testutil.h"
#include "matcher/analysed_document_testutil.h"

namespace zel {
namespace compiler {
namespace {

using testing::Compilation;

// One build of the sources (name, text) into d.dom with the option text;
// then the domain as an engine over the compilation's folder opens it.
class LexiconContract : public ::testing::Test {
 protected:
  void build(const std::vector<std::pair<std::string, std::string>>& sources,
             const std::string& options = R"({"threads":"1"})") {
    Compilation compilation(options);
    compilation.blackboard.error_code_mask = ~0ull;
    {
      auto store = compilation.store();
      for (const auto& [name, text] : sources) {
        const std::string path = compilation.folder.str(name);
        compilation.blackboard.set_source_filename(path);
        ParseResult parsed = parse_kavero_source(compilation.blackboard, text, path, nullptr);
        std::string errors;
        for (const std::string& line : collect_formatted_errors(parsed.sinks)) errors += line + "\n";
        ASSERT_TRUE(parsed.ok) << text << "\n" << errors;
        store->open(path);
        input_stream::visit(compilation.blackboard, parsed.root);
        input_stream::apply(compilation.blackboard, parsed.root);
        store->collect(parsed.root);
        store->close(path);
      }
      store->finalize();
      EXPECT_FALSE(results::has_errors());
    }
    compilation.close_database();
    std::filesystem::create_directories(folder_.path() / "morvik");
    std::filesystem::copy_file(compilation.dom(), folder_.path() / "morvik" / "d.dom",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder_.path() / "morvik" / "d.dom_info") << R"({"name":"d"})";
    engine_ = std::make_shared<kavero::Engine>(convert_string_to_api_options(
        nlohmann::json{{"root_path", folder_.str()}, {"morvik", folder_.str("morvik")}}.dump()));
    domain_ = std::make_unique<kavero::Domain>(engine_, "d", convert_string_to_api_options("{}"));
  }

  // The concepts the domain finds in the text, with their attributes.
  std::string run(const std::string& text) {
    zel::testing::AnalysedDocument document(zel::testing::test_language_folder(), text);
    domain_->process(document.blackboard());
    return zel::testing::dump(document.sentences(), zel::testing::kDumpAttributes);
  }

  zel::testing::ScratchFolder folder_;
  std::shared_ptr<kavero::Engine> engine_;
  std::unique_ptr<kavero::Domain> domain_;
};

TEST_F(LexiconContract, TheRuntimeFindsTheEntriesOfEveryStream) {
  build({{"places.kav",
          "lexicon:{ New York, Paris } = City@(state=\"NY\");\n"
          "lexicon:(input=\"stem\"){ move, go } = Motion;\n"},
         {"more.kav",
          // Same text as an entry of the first source: an end marker.
          "lexicon:{ New York } = State;\n"
          // Patterns always get one, and are numbered apart.
          "lexicon:{ Lon(don|g), Amster(.)* } = City;\n"}});
  EXPECT_EQ(run("I moved to New York."),
            "[Sentence{header=true} I [Motion moved ]Motion to [State [City{state=NY} New York "
            "]State,City . ]Sentence $");
  EXPECT_EQ(run("Anna goes to London and Amsterdam."),
            "[Sentence Anna [Motion goes ]Motion to [City London ]City and [City Amsterdam ]City "
            ". ]Sentence $");
  // The lexicons' entry counts reach the domain's information.
  ASSERT_NE(domain_->main_domain->domain_info, nullptr);
  EXPECT_EQ((*domain_->main_domain->domain_info)["dom"]["lexicons"].dump(), R"({"entries":7,"literal":5,"stem":2})");
}

TEST_F(LexiconContract, CanonicalFormsComeThrough) {
  build({{"c.kav",
          "lexicon:{ NYC:New York, Big Apple:New York } = City;\n"
          "lexicon:(input=\"lemma\"){ move:relocate } = Motion@(kind=\"travel\");\n"}});
  EXPECT_EQ(run("I moved to NYC."),
            "[Sentence I [Motion{canonical=relocate;kind=travel} moved ]Motion to "
            "[City{canonical=New York} NYC ]City . ]Sentence $");
}

TEST_F(LexiconContract, ThreadCountsGiveOneResult) {
  const std::vector<std::pair<std::string, std::string>> sources = {
      {"t.kav",
       "lexicon:{ New York, Lon(don|g) } = City;\n"
       "lexicon:{ New York, New (.)* } = Place;\n"
       "lexicon:(input=\"stem\"){ move } = Motion;\n"}};
  std::string first;
  for (const char* threads : {"1", "3", "-1"}) {
    build(sources, std::string(R"({"threads":")") + threads + "\"}");
    const std::string found = run("I moved to New York and London.");
    if (first.empty()) first = found;
    EXPECT_EQ(found, first) << threads;
  }
  // Both Place entries match New York: one concept.
  EXPECT_EQ(first,
            "[Sentence{header=true} I [Motion moved ]Motion to [City [Place New York ]City,Place "
            "and [City London ]City . ]Sentence $");
}

}  // namespace
}  // namespace compiler
}  // namespace zel
