#include "matcher/runtime_context.h"

#include <memory>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"

namespace zel {
namespace kavero {
namespace runtime {
namespace {

using testing::build_document;
using testing::find_concept;

TEST(Context, ACallOfOneConceptFindsItsSentence) {
  std::unique_ptr<Blackboard> blackboard = testing::make_blackboard();
  testing::load_document(*blackboard, build_document("a b\n[kav::filter c d] e"));
  Concept* call = find_concept(*blackboard->annotations, "kav::filter");
  Context context(blackboard.get(), call);
  EXPECT_EQ(context.blackboard, blackboard.get());
  EXPECT_EQ(context.name, "kav::filter");
  EXPECT_EQ(context.sentence, &blackboard->sentences[1].second);
  EXPECT_EQ(context.concept_annotation, call);
  EXPECT_EQ(context.scope, call);
  EXPECT_FALSE(context.arguments.has_value());

  // The name comes from the carrying concept, the range from the other.
  Concept* sentence_concept = find_concept(*blackboard->annotations, "Sentence", 2);
  Context captured(blackboard.get(), context.sentence, call, sentence_concept);
  EXPECT_EQ(captured.name, "kav::filter");
  EXPECT_EQ(captured.scope, sentence_concept);
  EXPECT_EQ(Context(blackboard.get(), nullptr, nullptr, nullptr).name, "");
  EXPECT_EQ(Context().blackboard, nullptr);
}

}  // namespace
}  // namespace runtime
}  // namespace kavero
}  // namespace zel
