// The iterator every rule-language grammar reads its source through.
//
// It walks the source text held in memory and counts lines as it goes: the
// line starts at 1 and grows by one at a line feed and at a carriage return,
// except for a line feed right after a carriage return and a carriage return
// right after a line feed, so that a CR LF or LF CR pair counts once. It
// also keeps the byte it last stepped over (0 at the start). Positions
// stored in the syntax tree are copies of it, and every diagnostic location
// is derived from one.
//
// Two iterators compare by their place in the text only. Only increment is
// offered (a forward iterator), as the line cannot be counted backwards.

#ifndef KAVERO_COMPILER_PARSER_SOURCE_ITERATOR_H_
#define KAVERO_COMPILER_PARSER_SOURCE_ITERATOR_H_

#include <boost/iterator/iterator_adaptor.hpp>
#include <cstdint>

namespace zel {
namespace compiler {

class SourceIterator
    : public boost::iterator_adaptor<SourceIterator, const char*, boost::use_default,
                                     boost::forward_traversal_tag> {
 public:
  // A null place, line 1, previous byte 0.
  SourceIterator() : SourceIterator::iterator_adaptor_(nullptr) {}
  // The start of a text: line 1, previous byte 0.
  explicit SourceIterator(const char* place) : SourceIterator::iterator_adaptor_(place) {}

  // The 1-based line of the place.
  std::uint64_t line() const { return line_; }
  // The byte before the place; 0 at the start of the text.
  char previous() const { return previous_; }

 private:
  friend class boost::iterator_core_access;

  void increment() {
    const char c = *base();
    if ((c == '\r' && previous_ != '\n') || (c == '\n' && previous_ != '\r')) ++line_;
    previous_ = c;
    ++base_reference();
  }

  std::uint64_t line_ = 1;
  char previous_ = 0;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_SOURCE_ITERATOR_H_
