#include "language/sentence_layout_testutil.h"

#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "language/tokenizer_testutil.h"

namespace zel {
namespace testing {

void expect_consistent(kavero::Blackboard& blackboard, const std::string& context) {
  using namespace kavero;
  SCOPED_TRACE(context);
  std::vector<Sentence*> sentences;
  uint32_t previous_end = 0;
  for (Annotation* a = blackboard.annotations->head; a != nullptr; a = a->next) {
    Sentence* sentence = annotation_cast<Sentence>(a);
    ASSERT_NE(sentence, nullptr);
    sentences.push_back(sentence);
    const AnnotationCollection& list = sentence->annotations;
    auto* concept_annotation = annotation_cast<Concept>(list.head);
    ASSERT_NE(concept_annotation, nullptr);
    EXPECT_EQ(concept_annotation->uri, "Sentence");
    EXPECT_EQ(concept_annotation->begin, sentence->begin);
    EXPECT_EQ(concept_annotation->end, sentence->end);
    auto* end_of_stream = annotation_cast<EndOfStream>(list.tail);
    ASSERT_NE(end_of_stream, nullptr);
    EXPECT_EQ(end_of_stream->begin, sentence->end);
    EXPECT_EQ(end_of_stream->end, sentence->end);
    auto* closing = annotation_cast<EndAnnotation>(list.tail->prev);
    ASSERT_NE(closing, nullptr);
    EXPECT_EQ(closing->begin, sentence->end);
    EXPECT_EQ(closing->end, sentence->end);
    ASSERT_EQ(closing->concepts.size(), 1u);
    EXPECT_EQ(closing->concepts[0], concept_annotation);
    EXPECT_EQ(concept_annotation->end_annotation, closing);

    const std::vector<Token*> tokens = tokens_of(list);
    ASSERT_FALSE(tokens.empty());
    size_t between = 0;
    for (Annotation* b = list.head->next; b != closing; b = b->next) ++between;
    EXPECT_EQ(between, tokens.size()) << "only tokens between the brackets";
    EXPECT_EQ(sentence->begin, tokens.front()->begin);
    EXPECT_EQ(sentence->end, tokens.back()->end);
    EXPECT_GE(sentence->begin, previous_end);
    previous_end = sentence->end;
  }
  const auto& index = blackboard.sentences;
  ASSERT_EQ(index.size(), sentences.size());
  for (size_t i = 0; i < index.size(); ++i) {
    EXPECT_EQ(index[i].first, sentences[i]->begin) << "pair " << i;
    EXPECT_EQ(index[i].second.sentence, sentences[i]) << "pair " << i;
    EXPECT_EQ(index[i].second.annotations, &sentences[i]->annotations)
        << "pair " << i;
  }
}

}  // namespace testing
}  // namespace zel
