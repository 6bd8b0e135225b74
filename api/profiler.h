// The rule profiler of one document.
//
// A blackboard makes one when its option "profiler" is on. What it measures
// (rule timings, the concepts each rule produced) and its report come with
// the rule matchers and the result functions that feed and read it; until
// then a profiler holds nothing and nothing reports to it.

#ifndef KAVERO_API_PROFILER_H_
#define KAVERO_API_PROFILER_H_

namespace zel {
namespace kavero {
namespace profiler {

class Profiler {
 public:
  // An empty profiler.
  Profiler();
  ~Profiler();

  Profiler(const Profiler&) = delete;
  Profiler& operator=(const Profiler&) = delete;
};

}  // namespace profiler
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_PROFILER_H_
