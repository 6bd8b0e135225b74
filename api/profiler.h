// The rule profiler of one document.
//
// A blackboard makes one when its option "profiler" is on. The rule runner
// then registers the rules of every collection it runs (init) and times
// each rule's work (start, stop); the lexicon lookup times each lexicon the
// same way; the blackboard's concept inserter reports every concept a rule
// inserted (hit): per rule, how many concepts of each name it produced, and
// per concept name and matched text, which rules produced it (the "_rule"
// locations the rule executor attaches). The report that the C interface
// asks for is a JSON text built from all of this (see report()).
//
// A profiler belongs to its document and is used on the thread that
// analyses it.

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
class DomainInterface;
class RuleCollectionBase;

namespace profiler {

// One timed unit (a rule, a lexicon).
struct Info {
  std::string name;
  // When the unit's current run started.
  std::chrono::system_clock::time_point start;
  int64_t unused = 0;
  // Nanoseconds.
  double total = 0;
  // How often the unit was started.
  uint32_t count = 0;
  // Concept name -> how many the unit produced.
  std::map<std::string, uint64_t> hits;
};

// A unit name or a rule location taken apart: the source file name (or
// the whole text when it does not parse), the line (0 when it does not
// parse) and what follows the line.
struct ParseRuleIDType {
  std::string file;
  int64_t line = 0;
  std::string rest;
};

// One rule that produced a concept over a text; ordered by the rule.
struct HitRuleInfo {
  std::string unused;
  std::string rule;
  bool operator<(const HitRuleInfo& other) const { return rule < other.rule; }
};

class ProfilerInterface {
 public:
  // Prepares the profile of one rule collection of the domain.
  virtual void init(DomainInterface* domain, const RuleCollectionBase& collection) = 0;
  // Opens one timed run of the unit.
  virtual void start(const std::string& name) = 0;
  // Closes the unit's run.
  virtual void stop(const std::string& name) = 0;
  // Records a concept the rule inserted.
  virtual void hit(const std::string& rule, const Concept* concept_annotation) = 0;
  // The report as a JSON text.
  virtual const std::string& report() const = 0;
  // Forgets the timings.
  virtual void clear() = 0;
  virtual ~ProfilerInterface();
};

class Profiler : public ProfilerInterface {
 public:
  // An empty profiler.
  Profiler();
  ~Profiler() override;

  Profiler(const Profiler&) = delete;
  Profiler& operator=(const Profiler&) = delete;

  // Merges the source file names of the domain's incremental twin (its
  // database path with the extension ".dom_inc", record
  // "uniq_id_2_filename_map") into `files`, names already known kept, and
  // gives every rule of the collection a timing entry (count 0) unless it
  // has one. The twin is a build artefact that a deployed domain need not
  // carry: without it a warning is logged (once per twin) and the domain's
  // rules are reported under their file ids. No domain only registers the
  // rules; errors of the container that reads an existing twin propagate.
  void init(DomainInterface* domain, const RuleCollectionBase& collection) override;
  // Adds one run to the unit's count (making its entry on first use) and
  // notes the time as the run's start.
  void start(const std::string& name) override;
  // Adds the time since the unit's start to its total; a unit that has no
  // entry is ignored.
  void stop(const std::string& name) override;
  // Records that the rule inserted the concept: nothing for a name that
  // begins with "$"; otherwise one more hit of the name for the rule, and
  // every "_rule" value of the concept's own list under the name and the
  // literal text of its range.
  void hit(const std::string& rule, const Concept* concept_annotation) override;
  // Rebuilds the report from everything recorded so far, keeps it in
  // report_text and returns it. A compact JSON object, members sorted:
  //   {"profile":{
  //     "matches":{"concept":{URI:{TEXT:{"rules":[{"file":F,"line":L},...]}}},
  //                "description":...},
  //     "rules":{"description":...,
  //              "files":{F:{"locations":[{"hits":{URI:{"cnt":N}},"line":L,
  //                                        "nanosec":T,"triggered":N},...]}}}}}
  // Units go under the file of their parsed name (parse_rule_id), in
  // ascending order of their total time; "matches" lists only the texts
  // that two or more distinct rules produced for a name, each rule location
  // resolved by resolve_filename. Any failure raises std::runtime_error
  // "Exception: profiler: report " + its text, and report_text keeps its
  // previous content.
  const std::string& report() const override;
  // Empties the timings; the matches and file names stay.
  void clear() override;

  // Takes a rule id apart: "rule_" ... "$DAZ:" FILE_ID "__l" DIGITS "_" REST
  // gives the file name `files` holds for FILE_ID (FILE_ID itself when it
  // holds none), the digits as the line and REST. Any other name (a
  // "lexicon:" unit, a line beyond 64 bits) gives the whole name, line 0.
  ParseRuleIDType parse_rule_id(const std::string& id) const;

  // Takes a rule location "FILE_ID:LINE" apart (the last ':' splits): the
  // file name `files` holds for FILE_ID and the decimal LINE. When `files`
  // does not hold FILE_ID, or LINE is no decimal number, the whole location
  // and line 0.
  ParseRuleIDType resolve_filename(const std::string& location) const;

  // Unit name -> its record.
  std::map<std::string, Info> timings;
  // Concept name -> matched text -> the rules that produced it.
  std::map<std::string, std::map<std::string, std::set<HitRuleInfo>>> matches;
  // Source file id -> source file name.
  std::map<std::string, std::string> files;
  // The text of the last report.
  mutable std::string report_text;

 private:
  // Twins found missing, warned about once.
  std::set<std::string> missing_twins_;
};

}  // namespace profiler
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_PROFILER_H_
