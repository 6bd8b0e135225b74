// The rule-based disambiguator: weighs the readings of an ambiguous token by
// the rules of the language's postagger transducer and keeps the best ones.
//
// The postagger's paths spell a reading's part of speech, test neighbouring
// tokens (their part of speech, stem or properties) and carry scores; a
// reading's weight becomes the score of its first accepted path. The
// disambiguation driver (disambiguation.h) makes one engine per document and
// runs it sentence by sentence over the tokens with two or more readings:
// reset() on the sentence's list, then operator() and remove_irrelevant()
// on each such token.
//
// The transducer is shared and only read; an engine belongs to one document
// on one thread.

#ifndef KAVERO_LANGUAGE_DISAMBIGUATION_ENGINE_H_
#define KAVERO_LANGUAGE_DISAMBIGUATION_ENGINE_H_

#include "analysis/annotation.h"

namespace zel {
namespace afst {
class AFst;
}  // namespace afst

namespace kavero {
namespace core {
class MorphData;
}  // namespace core

namespace disambiguation {

class Engine {
 public:
  // An engine over the postagger transducer of the dictionary data. Raises
  // zel::Exception when the data holds no postagger transducer.
  explicit Engine(const core::MorphData& morph_data);

  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Starts work on a sentence's own annotation list.
  void reset(omr::common::RawPtrList<Annotation>* sentence);

  // Weighs every reading of the token at the position by the postagger's
  // rules. Scoring by the postagger's paths is not available in this build:
  // the call raises zel::Exception rather than leave the readings
  // unweighed as if they had been.
  void operator()(RawPtrIterator token);

  // Removes every reading of the token at the position whose weight is
  // below the token's greatest reading weight; readings that tie with it
  // stay, in order. Nothing for an annotation that is no token.
  void remove_irrelevant(RawPtrIterator token);

 private:
  omr::common::RawPtrList<Annotation>* sentence_ = nullptr;
  const core::MorphData* morph_data_;
  const afst::AFst* afst_;
};

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_DISAMBIGUATION_ENGINE_H_
