// The limit on the number of results a matcher keeps per call.
//
// Each matcher kind reads the limit once, while the library loads, into a
// constant of its own; changing the variable afterwards has no effect. The
// limit is compared as an unsigned 64-bit number after sign extension, so a
// negative value limits nothing.

#ifndef KAVERO_MATCHER_RESULT_LIMITS_H_
#define KAVERO_MATCHER_RESULT_LIMITS_H_

#include <cstdint>

namespace zel {
namespace kavero {
namespace matcher {

// KAVERO_MAX_RESULTS read as a base-10 integer (a text without digits reads
// as 0); 100 when the variable is not set.
int32_t get_kavero_max_results();

// Whether KAVERO_DEBUG_MAX_RESULTS, read the same way (0 when not set), is
// non-zero.
bool debug_kavero_max_results();

}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RESULT_LIMITS_H_
