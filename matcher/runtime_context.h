// The argument carrier of rule functions and plugin calls.
//
// A Context names the function to run and the match it runs for: the
// document, the sentence, the concept that carries the call (its URI is the
// function's name, its attributes the function's arguments) and the concept
// whose range bounds the call. It is copied by value into a document's
// queue of delayed functions; it owns only its texts.

#ifndef KAVERO_MATCHER_RUNTIME_CONTEXT_H_
#define KAVERO_MATCHER_RUNTIME_CONTEXT_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zel {
namespace kavero {

class Blackboard;
class Concept;
struct SentenceInfo;

namespace runtime {

class Context {
 public:
  using Arguments = std::vector<std::pair<std::string, std::string>>;

  // No document, no name, no match.
  Context();
  // The document alone: no name, no match.
  explicit Context(Blackboard* blackboard);
  // The call carried by one concept: its URI names the function, its
  // sentence is the one holding its begin offset (get_sentence), and it
  // bounds the call itself.
  Context(Blackboard* blackboard, Concept* concept_annotation);
  // The name is the URI of the concept (empty for a null concept).
  Context(Blackboard* blackboard, SentenceInfo* sentence,
          Concept* concept_annotation, Concept* scope);
  Context(Blackboard* blackboard, const std::string& name,
          SentenceInfo* sentence, Concept* concept_annotation, Concept* scope);

  Blackboard* blackboard;
  // The function name; selects the handler.
  std::string name;
  // Named arguments, absent unless the caller sets them.
  std::optional<Arguments> arguments;
  SentenceInfo* sentence;
  // The concept that carries the call.
  Concept* concept_annotation;
  // The concept whose range bounds the call (may be null).
  Concept* scope;
};

}  // namespace runtime
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RUNTIME_CONTEXT_H_
