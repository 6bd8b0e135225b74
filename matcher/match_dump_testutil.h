// Test helpers: matcher results written compactly, for assertions and for
// the messages of failed comparisons.
//
// A result is its entries "LABEL@annotation" joined by blanks; results are
// joined by " | ". A label is its kind name and index ("CAPBEG1"), or for
// a marker its symbol text. An annotation is a token's literal, "[URI" for
// a concept, "]A,B" for an end annotation with the URIs of the concepts it
// closes, "$" for the end of stream and "-" for none.

#ifndef KAVERO_MATCHER_MATCH_DUMP_TESTUTIL_H_
#define KAVERO_MATCHER_MATCH_DUMP_TESTUTIL_H_

#include <string>

#include "analysis/annotation.h"
#include "matcher/matcher_interface.h"

namespace zel {
namespace kavero {
namespace testing {

std::string annotation_name(const Annotation* a);

// The label's name; a marker's text is read through the matcher.
std::string label_name(matcher::MatcherInterface& m, unsigned label);

// Every result of the matcher.
std::string dump_matches(matcher::MatcherInterface& m);

}  // namespace testing
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_MATCH_DUMP_TESTUTIL_H_
