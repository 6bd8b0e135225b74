// Moving through a document's annotation lists: the sentence that holds an
// offset, the n-th token before or after an annotation, sentences before and
// after a sentence, tokens in a range.
//
// Iterators walk one annotation list by its links; a null iterator
// designates nothing (the end).

#ifndef KAVERO_ANALYSIS_NAVIGATION_H_
#define KAVERO_ANALYSIS_NAVIGATION_H_

#include "analysis/annotation.h"
#include "analysis/sentence_info.h"

namespace zel {
namespace kavero {

class Blackboard;

// The record of the sentence that holds a byte offset: of the last sentence
// of the index that begins at or before it (so an offset past the document
// gives the last sentence); null before the first sentence. Offset 0 gives
// the first sentence whatever its begin (null for an empty index).
SentenceInfo* get_sentence(Blackboard& blackboard, unsigned offset);
const SentenceInfo* get_sentence(const Blackboard& blackboard, unsigned offset);

// The n-th (n from 1) token before the designated annotation, not counting
// it; null when the list starts first or the iterator designates nothing.
Token* find_previous_token(RawPtrIterator position, int n);
// The n-th (n from 1) token after the designated annotation, not counting
// it; null when the list ends first or the iterator designates nothing.
Token* find_next_token(RawPtrIterator position, int n);

// The sentence n places before (backward) or after (forward) the given one
// in the document list; null when the list ends first or the sentence is
// null.
Sentence* move_backward_sentence(Sentence* sentence, int n);
Sentence* move_forward_sentence(Sentence* sentence, int n);
// Backward for a negative n, forward for a positive one; the sentence
// itself for 0.
Sentence* move_to_sentence(Sentence* sentence, int n);
// The same, but when no sentence is there, the document's first sentence
// (null for a document without sentences).
Sentence* move_to_sentence(Blackboard& blackboard, Sentence* sentence, int n);

// The tokens from `from` (included) up to `to` (excluded); `from` ends at
// `to`. `to` must follow `from` in the list; when the list ends first the
// count stops there and `from` is left empty.
unsigned count_tokens(RawPtrIterator& from, const RawPtrIterator& to);

// Moves the iterator over the list and returns the annotation it reaches:
//  n < 0: back from the designated annotation (included), returning the
//         token met after -n - 1 others; null when the walk reaches the
//         list's head (which is never returned). So -1 started on a token
//         gives the token before it, started elsewhere the second token
//         met.
//  n = 0: the designated annotation itself, of any kind.
//  n > 0: the annotation n steps forward, of any kind; null, and an empty
//         iterator, when the list ends first.
// Null when the iterator designates nothing.
Annotation* move_to_token(const AnnotationCollection& list,
                          RawPtrIterator& position, int n);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_NAVIGATION_H_
