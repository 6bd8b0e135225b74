// The rule profiler of one document.
//
// A blackboard makes one when its option "profiler" is on, and its concept
// inserter then reports every concept a rule inserted (hit): per rule, how
// many concepts of each name it produced, and per concept name and matched
// text, which rules produced it (the "_rule" locations the rule executor
// attaches). Timing the rules and the report come with the rule matchers
// and the result functions that feed and read them.

#ifndef KAVERO_API_PROFILER_H_
#define KAVERO_API_PROFILER_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace zel {
namespace kavero {

class Concept;

namespace profiler {

// One timed unit (a rule, a lexicon).
struct Info {
  std::string name;
  std::chrono::system_clock::time_point start;
  int64_t unused = 0;
  // Nanoseconds.
  double total = 0;
  uint32_t count = 0;
  // Concept name -> how many the unit produced.
  std::map<std::string, uint64_t> hits;
};

// One rule that produced a concept over a text; ordered by the rule.
struct HitRuleInfo {
  std::string unused;
  std::string rule;
  bool operator<(const HitRuleInfo& other) const { return rule < other.rule; }
};

class Profiler {
 public:
  // An empty profiler.
  Profiler();
  ~Profiler();

  Profiler(const Profiler&) = delete;
  Profiler& operator=(const Profiler&) = delete;

  // Records that the rule inserted the concept: nothing for a name that
  // begins with "$"; otherwise one more hit of the name for the rule, and
  // every "_rule" value of the concept's own list under the name and the
  // literal text of its range.
  void hit(const std::string& rule, const Concept* concept_annotation);

  // Notes the wall-clock time as the start of the named unit (made on first
  // use).
  void start(const std::string& name);
  // Adds the time since the unit's last start to its total; a name never
  // started is ignored.
  void stop(const std::string& name);

  // Unit name -> its record.
  std::map<std::string, Info> timings;
  // Concept name -> matched text -> the rules that produced it.
  std::map<std::string, std::map<std::string, std::set<HitRuleInfo>>> matches;
};

}  // namespace profiler
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_PROFILER_H_
