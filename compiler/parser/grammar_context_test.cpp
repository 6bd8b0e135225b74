#include "compiler/parser/grammar_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "base/options.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"

namespace zel {
namespace compiler {
namespace {

TEST(GrammarContext, LexiconInputSetsTheStreamType) {
  struct Case {
    AttributeList attributes;
    bool accepted;
    text_stream_type type;
    bool normalize;
  };
  const Case cases[] = {
      {{{"input", "stem"}}, true, stem_stream, false},
      {{{"input", "normalized_stem"}}, true, normalized_stem_stream, true},
      {{{"input", "normalized_literal"}}, true, normalized_literal_stream, true},
      {{{"input", "component"}}, true, component_stream, true},
      {{{"input", "head"}}, true, head_stream, true},
      // Accepted, although the error message does not list it.
      {{{"input", "canonical"}}, true, canonical_stream, false},
      {{{"input", "\"lemma\""}}, true, stem_stream, false},
      {{{"other", "x"}, {"input", "literal"}, {"input", "head"}}, true, literal_stream, false},
      // Names are case-sensitive.
      {{{"input", "Stem"}}, false, no_stream, false},
  };
  Blackboard blackboard;
  BlackboardBinding binding(&blackboard);
  blackboard.set_source_filename("lex.kav");
  for (const Case& c : cases) {
    blackboard.diagnostics->reset();
    get_ctx().set_input_stream_type(stem_stream);
    EXPECT_EQ(set_global_lexicon_input_stream_type(c.attributes), c.accepted);
    EXPECT_EQ(get_current_parser_input_stream_type(), c.type);
    EXPECT_EQ(get_parser_normalize_entry(), c.normalize);
    EXPECT_EQ(results::has_errors(), !c.accepted);
  }
  const auto& errors = results::sink("lex.kav");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].message,
            "Invalid lexicon input type, [ literal, stem, normalized_literal, normalized_stem, "
            "component, head ]");
  EXPECT_EQ(errors[0].line, -1);
  EXPECT_EQ(errors[0].column, 0);
}

TEST(GrammarContext, ALexiconWithoutInputLeavesTheType) {
  get_ctx().set_input_stream_type(normalized_stem_stream);
  EXPECT_TRUE(set_global_lexicon_input_stream_type({{"name", "x"}}));
  EXPECT_TRUE(set_global_lexicon_input_stream_type({{"input", ""}}));
  EXPECT_EQ(get_current_parser_input_stream_type(), normalized_stem_stream);
  EXPECT_TRUE(get_parser_normalize_entry());
  // The start of an entry block goes back to literal.
  EXPECT_TRUE(reset_lexicon_input_fn());
  EXPECT_EQ(get_current_parser_input_stream_type(), literal_stream);
  EXPECT_FALSE(get_parser_normalize_entry());
}

TEST(GrammarContext, ResetStartsAParse) {
  const std::string text = "rule:{ <'a'> };";
  Blackboard blackboard;
  BlackboardBinding binding(nullptr);
  get_ctx().set_input_stream_type(head_stream);
  ThreadLocalGrammarContext& context =
      get_ctx().reset(SourceIterator(text.data()), &blackboard, nullptr);
  EXPECT_EQ(&context, get_ctx_ptr());
  EXPECT_EQ(context.start.base(), text.data());
  EXPECT_EQ(context.blackboard, &blackboard);
  EXPECT_EQ(get_current_parser_input_stream_type(), no_stream);
  EXPECT_FALSE(get_parser_normalize_entry());
}

TEST(GrammarContext, ANewThreadStartsUnbound) {
  std::string filename;
  text_stream_type type = no_stream;
  const void* start = &type;
  bool strict_raises = false;
  Blackboard blackboard;
  BlackboardBinding binding(&blackboard);  // this thread only
  std::thread([&] {
    filename = get_current_parser_filename();
    type = get_current_parser_input_stream_type();
    start = get_ctx().start.base();
    try {
      get_parser_strict();
    } catch (const std::logic_error&) {
      strict_raises = true;
    }
  }).join();
  EXPECT_EQ(filename, "finename_notset");
  EXPECT_EQ(type, literal_stream);
  EXPECT_EQ(start, nullptr);
  EXPECT_TRUE(strict_raises);
}

TEST(GrammarContext, BindingsNestAndRestore) {
  auto options = std::make_shared<Options>();
  options->add("strict", "true");
  options->add("raw_lexicon_entries", "true");
  Blackboard outer(options);
  Blackboard inner;
  outer.set_source_filename("outer.kav");
  inner.set_source_filename("inner.kav");
  {
    BlackboardBinding bind_outer(&outer);
    EXPECT_EQ(get_current_parser_filename(), "outer.kav");
    EXPECT_TRUE(get_parser_strict());
    EXPECT_TRUE(use_raw_lexicon_entries());
    {
      BlackboardBinding bind_inner(&inner);
      EXPECT_EQ(get_current_parser_filename(), "inner.kav");
      EXPECT_FALSE(get_parser_strict());
      EXPECT_FALSE(use_raw_lexicon_entries());
    }
    EXPECT_EQ(get_current_parser_filename(), "outer.kav");
  }
  EXPECT_EQ(get_ctx().blackboard, nullptr);
}

TEST(GrammarContext, ABlackboardDestroyedWhileBoundUnbindsTheThread) {
  BlackboardBinding binding(nullptr);
  {
    Blackboard gone;
    gone.set_source_filename("gone.kav");
    get_ctx().set_blackboard(&gone);
    EXPECT_EQ(get_current_parser_filename(), "gone.kav");
  }
  EXPECT_EQ(get_ctx().blackboard, nullptr);
  EXPECT_EQ(get_current_parser_filename(), "finename_notset");
  EXPECT_THROW(compiler_error("late", 1, 1, "", 0), std::logic_error);
  EXPECT_THROW(use_raw_lexicon_entries(), std::logic_error);

  // Another Blackboard's end leaves the binding alone.
  Blackboard kept;
  get_ctx().set_blackboard(&kept);
  { Blackboard other; }
  EXPECT_EQ(get_ctx().blackboard, &kept);
}

TEST(GrammarContext, CatalogueAndHandlerAreTheThreadsOwn) {
  get_parser_diagnostics().add("grammar_context_test_rule", "message");
  EXPECT_EQ(&get_parser_diagnostics(), &gr_ctx.diagnostics);
  EXPECT_EQ(&get_error_handler(), &gr_ctx.error_handler);
  bool seen_elsewhere = true;
  std::thread([&] {
    seen_elsewhere = get_parser_diagnostics()["grammar_context_test_rule"] != nullptr;
  }).join();
  EXPECT_FALSE(seen_elsewhere);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
