// Test helpers: build annotated documents from a compact text and dump
// annotation lists for assertions.
//
// The text holds one sentence per line; blank lines are skipped. A sentence
// is a blank-separated run of tokens and bracketed concepts:
//
//   The/Det [Animal{kind=dog} big/Adj dog/Nn-Sg] runs/V-Pres-3-Sg:run|Nn-Pl
//
// token    literal ["{" property ("," property)* "}"] ["/" reading ("|" reading)*]
// reading  POS [":" stem] ["@" weight] ("+" property)* ["(" reading ("," reading)* ")"]
// concept  "[" URI ["{" key "=" value (";" key "=" value)* "}"] items "]"
//
// A reading's stem defaults to the token's literal (to the empty text for a
// component reading), its weight to 1. A backslash takes the next character
// literally ("\/" is a slash, "\ " a blank). Concepts nest; each must cover at
// least one token.
//
// The document text is the literals joined by single blanks, sentences
// joined by a blank too; offsets are byte offsets into it. Every sentence
// list comes out as the analysis lays it out: the "Sentence" concept, then
// the tokens with the concepts that begin at a token right before it (outer
// first) and, after a token, one EndAnnotation closing every concept that
// ends there; the "Sentence" concept shares the end annotation after the
// last token; the EndOfStream last. Concepts are attached to their end
// annotations in the order their brackets open, the "Sentence" concept
// first.
//
// dump() writes a list back compactly, one sentence per line:
//
//   [Sentence The [Animal big dog ]Animal runs ]Sentence $
//
// "[URI" is a concept, "]A,B" an end annotation with the URIs of the concepts
// it closes in order, "$" the end of stream, anything else a token literal.

#ifndef KAVERO_ANALYSIS_DOCUMENT_TESTUTIL_H_
#define KAVERO_ANALYSIS_DOCUMENT_TESTUTIL_H_

#include <memory>
#include <string>

#include "analysis/annotation.h"

namespace zel {
namespace testing {

struct TestDocument {
  // The document text the offsets point into.
  std::string text;
  // The document list of sentences.
  std::shared_ptr<kavero::AnnotationCollection> sentences;
};

// Builds a document from the compact text above; throws
// std::invalid_argument, naming the position, for text it cannot read.
TestDocument build_document(const std::string& spec);

// What dump() adds to the plain form; combine with "|".
enum DumpDetail : unsigned {
  // Every annotation gets "@begin-end"; every sentence line starts with
  // its own "@begin-end ".
  kDumpOffsets = 1,
  // Tokens as in the build text: literal, {properties}, /readings with
  // stem, weight (when not 1), +properties and (components).
  kDumpReadings = 2,
  // Concepts get "{own entries}" as key=value separated by ";", and
  // "{own entries|store entries}" when they share a store.
  kDumpAttributes = 4,
  // Concepts with flags set get "!" and the flag names joined by ",".
  kDumpFlags = 8,
};

// Dumps a document list (one line per sentence, joined by "\n") or one
// sentence list.
std::string dump(const kavero::AnnotationCollection& list,
                 unsigned details = 0);

// What is wrong with the layout of a document list, one fault per line;
// empty when every sentence list is laid out as the analysis lays it out:
// links and ends consistent; the "Sentence" concept first and the
// EndOfStream last; tokens in offset order; every concept right before the
// token it begins at (only concepts between), closed by an EndAnnotation
// later in its list that lists it and stands right after the token where
// it ends; every EndAnnotation at that offset, listing concepts that point
// back to it, by descending begin.
std::string list_faults(const kavero::AnnotationCollection& document);

// The n-th (from 1) concept of that URI, in document order; null if none.
kavero::Concept* find_concept(const kavero::AnnotationCollection& document,
                              const std::string& uri, int n = 1);

// The n-th (from 1) token with that literal, in document order; null if
// none.
kavero::Token* find_token(const kavero::AnnotationCollection& document,
                          const std::string& literal, int n = 1);

// The sentence at a 0-based position of the document list; null if none.
kavero::Sentence* sentence_at(const kavero::AnnotationCollection& document,
                              size_t index);

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ANALYSIS_DOCUMENT_TESTUTIL_H_
