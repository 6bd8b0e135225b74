// Rule functions: what happens when a rule produces a concept whose URI is
// a function name rather than a concept name.
//
// Names that begin with "kav::" are built-in functions; names that begin
// with "::" are plugin calls. The built-in table binds each name to a
// handler that either runs at once, inside apply_function, or is queued on
// the document (Blackboard::delayed_functions) and runs at the next
// apply_delayed_functions, in concept order.
//
//   name                     runs
//   "kav::anaphora"          queued
//   "kav::filter"            at once
//   "kav::delete"            at once
//   "kav::rewrite"           at once
//   "kav::push_att"          queued
//   "kav::inherit"           queued
//   "kav::set_document_date" at once
//   "kav::resolve_date"      queued
//   "kav::set_memento"       at once
//   "kav::has_memento"       at once
//   "kav::set_metadata"      queued
//
// The handlers of "kav::filter" and "kav::delete" are here, those of the
// attribute, token, metadata and date functions in attribute_functions.h,
// of "kav::set_memento", "kav::has_memento" in memento_store.h and of plugin
// calls in plugin_calls.h. The others are not available yet: their rows are
// in the table, so a name is queued or run at the time the table says, and
// running one raises zel::Exception
// "The rule function '<name>' is not available yet.".

#ifndef KAVERO_MATCHER_RULE_FUNCTIONS_H_
#define KAVERO_MATCHER_RULE_FUNCTIONS_H_

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "analysis/annotation.h"
#include "analysis/filter.h"

namespace zel {
namespace kavero {

class Blackboard;

namespace runtime {
class Context;
}  // namespace runtime

enum execution_time { immediate = 0, delayed = 1 };

// True when the name begins with "kav::" or "::".
bool is_function(const std::string& name);

// Runs or queues the function the context names:
//   a name of the table: at once or queued, as the table says;
//   any other name that begins with "kav::filter": the filter function at
//   once;
//   any other name that begins with "::": a plugin call, queued;
//   anything else: nothing (an unknown "kav::" name is no error).
// The context must carry its concept. Errors of a handler propagate.
void apply_function(Blackboard& blackboard, const runtime::Context& context);

// Runs the document's queue: the entries present when it starts, sorted
// stably by their concepts (begin, then end; equal ranges in queue order),
// then removes them. Entries queued meanwhile stay for the next
// run. When a handler raises, the entries of this run go back to the
// front of the queue and the error propagates.
void apply_delayed_functions(Blackboard& blackboard);

// By begin offset, then end offset.
bool operator<(const Concept& a, const Concept& b);

// "kav::filter" and "kav::delete": the function concept F names in its
// attribute "concept" the concepts to act on, as a text or as a pattern
// between slashes, inside the range of the concept of that name that
// shares F's span (F itself when there is none). With no other argument
// they are deleted (flags deleted and filtered, with their children);
// with further key and value arguments only those pairs are removed from
// them. Either way F is marked deleted. An empty name or a bad pattern
// changes nothing.
struct FilterHandler {
  std::string operator()(const runtime::Context& context) const;
};

// Passes concepts whose URI, and texts that, equal its text byte for byte.
class EqualFilter : public BaseFilter {
 public:
  explicit EqualFilter(std::string text) : text_(std::move(text)) {}
  bool check(const Annotation* annotation) const override;
  bool operator()(const Annotation* annotation) const override;
  bool operator()(const std::string& text) const override;

 private:
  std::string text_;
};

// The filter a rule function's argument names: a pattern between slashes
// ("/City|Town/", at least the two slashes) gives a RegexFilter over what
// lies between them, anything else an EqualFilter. A pattern that does not
// compile gives null, after "Could not parse regular expression. " + the
// error + ":" + the text and a line end on standard error.
std::shared_ptr<BaseFilter> get_filter(const std::string& text);

// Concepts of one span lie next to each other in their list: the first of
// them after `c` (from `c` itself, forward) that passes the filter, else the
// first before it (backward); `c` when none passes or `c` is null.
Concept* algin_to_top_sibling(const std::shared_ptr<BaseFilter>& filter,
                              Concept* c);

// Deletes (flags deleted and filtered, with the children) every live
// concept from `first` up to `last` (excluded) that passes the filter.
// Returns `last`.
RawPtrIterator delete_concept(const std::shared_ptr<BaseFilter>& filter,
                              RawPtrIterator first, RawPtrIterator last);

// Removes from the same concepts each (key, value) pair of the own list of
// `pairs` whose key they carry.
void delete_concept_attributes(const std::shared_ptr<BaseFilter>& filter,
                               RawPtrIterator first, RawPtrIterator last,
                               const ConceptAttributes& pairs);

// The number of pairs, "_rule" and "_domain" not counted as long as
// something else is there: a call with only its target argument counts 1.
size_t count_valid_attributes(const ConceptAttributes& attributes);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RULE_FUNCTIONS_H_
