// The walker over annotation lists.
//
// Visitor<Derived> walks a list from first to last and hands every
// annotation to the derived class's handler for its kind: a derived class
// declares `bool visit(const Token&)`, `bool visit(const Concept&)` and so on
// for the kinds it cares about; kinds without a handler are passed over.
// Sentences are entered: a sentence goes to the derived class's sentence
// handler when it has one, and then, unless that handler answered false, the
// sentence's own list is walked through the virtual visit(list), so a
// derived class may also change how a whole list is walked. A handler of any
// other kind answers whether the walk may go into the annotation; since no
// other kind holds annotations, its answer changes nothing.
//
// A derived class that declares handlers hides the base's visit operations;
// it brings them back with `using Visitor<Derived>::visit;`.
//
//   class CountTokens : public Visitor<CountTokens> {
//    public:
//     using Visitor<CountTokens>::visit;
//     CountTokens() : Visitor<CountTokens>(this) {}
//     bool visit(const Token&) { ++count; return true; }
//     int count = 0;
//   };

#ifndef KAVERO_ANALYSIS_VISITOR_H_
#define KAVERO_ANALYSIS_VISITOR_H_

#include <type_traits>
#include <utility>

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

namespace detail {

// Whether Derived has a handler that takes a `const T&` exactly as it is.
template <typename Derived, typename T, typename = void>
struct has_visit_handler : std::false_type {};
template <typename Derived, typename T>
struct has_visit_handler<
    Derived, T,
    std::void_t<decltype(std::declval<Derived&>().visit(std::declval<const T&>()))>>
    : std::true_type {};

}  // namespace detail

template <typename Derived>
class Visitor {
 public:
  virtual ~Visitor() = default;

  // Walks every annotation of the list, first to last. Returns true.
  virtual bool visit(const AnnotationCollection& list) {
    for (const Annotation* a = list.head; a != nullptr; a = a->next) {
      visit(a);
    }
    return true;
  }

  // Hands one annotation to the derived handler of its kind; a sentence is
  // entered as described above. Returns true.
  bool visit(const Annotation* a) {
    switch (a->kind) {
      case kSentenceKind: {
        const auto& sentence = static_cast<const Sentence&>(*a);
        if (call(sentence)) visit(sentence.annotations);
        break;
      }
      case kConceptKind:
        call(static_cast<const Concept&>(*a));
        break;
      case kTokenKind:
        call(static_cast<const Token&>(*a));
        break;
      case kEndAnnotationKind:
        call(static_cast<const EndAnnotation&>(*a));
        break;
      case kEndOfStreamKind:
        call(static_cast<const EndOfStream&>(*a));
        break;
      default:
        break;
    }
    return true;
  }

 protected:
  explicit Visitor(Derived* self) : self_(self) {}
  Visitor(const Visitor&) = delete;
  Visitor& operator=(const Visitor&) = delete;

 private:
  // The derived handler's answer, or true when there is no handler.
  template <typename T>
  bool call(const T& annotation) {
    if constexpr (detail::has_visit_handler<Derived, T>::value) {
      return self_->visit(annotation);
    } else {
      (void)annotation;
      return true;
    }
  }

  // The object itself, seen as the derived class.
  Derived* self_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_VISITOR_H_
