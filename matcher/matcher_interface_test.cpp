#include "matcher/matcher_interface.h"

#include <string>

#include <gtest/gtest.h>

namespace zel {
namespace kavero {
namespace matcher {
namespace {

// The uris of concepts and literals of tokens the filtered range shows.
std::string visible(const AnnotationCollection& list) {
  std::string out;
  for (auto it = filtered(list.begin(), list.end()), end = filtered(list.end(), list.end());
       it != end; ++it) {
    const Annotation* a = *it;
    if (!out.empty()) out += " ";
    if (const Concept* c = annotation_cast<Concept>(a)) {
      out += c->uri;
    } else if (const Token* t = annotation_cast<Token>(a)) {
      out += t->literal;
    } else {
      out += "end";
    }
  }
  return out;
}

TEST(FilterDeletedConcepts, HidesDeletedConceptsOnly) {
  AnnotationCollection list;
  auto* gone = new Concept(0, 3, "Gone");
  gone->flags.set(kDeleted);
  list.push_back(gone);
  list.push_back(new Concept(0, 3, "Kept"));
  list.push_back(new Token(0, 3, "New"));
  auto* filtered_only = new Concept(4, 8, "Filtered");
  filtered_only->flags.set(kFiltered);
  list.push_back(filtered_only);
  auto* last = new Concept(4, 8, "LastGone");
  last->flags.set(kDeleted);
  list.push_back(last);
  list.push_back(new EndAnnotation(8));
  EXPECT_EQ(visible(list), "Kept New Filtered end");
}

TEST(FilterDeletedConcepts, ARangeOfDeletedConceptsIsEmpty) {
  AnnotationCollection list;
  for (int i = 0; i < 2; ++i) {
    auto* c = new Concept(0, 1, "X");
    c->flags.set(kDeleted);
    list.push_back(c);
  }
  EXPECT_EQ(visible(list), "");
}

}  // namespace
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
