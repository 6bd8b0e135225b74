// The record of one sentence in a document's sentence index: the sentence
// and its own annotation list. It owns neither; the document list does.

#ifndef KAVERO_ANALYSIS_SENTENCE_INFO_H_
#define KAVERO_ANALYSIS_SENTENCE_INFO_H_

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

struct SentenceInfo {
  explicit SentenceInfo(Sentence* sentence)
      : sentence(sentence),
        annotations(sentence != nullptr ? &sentence->annotations : nullptr) {}

  Sentence* sentence;
  AnnotationCollection* annotations;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_SENTENCE_INFO_H_
