// The lexicon build: at the end of a build every lexicon group (all entries
// of all lexicon statements that read one input stream, collected by
// lexicon_statements.h) becomes one transducer, stored as the record
// "entities_" + stream name of the domain file, with the group's attribute
// list as the record's attributes. A summary "lexicon_info" records the
// entries of every stored group:
//   {"entries":1500,"literal":1200,"stem":300}
//
// One path per entry: the entry's literal in the formatted-string syntax
// (core-afst/formatted_string.h) on the input side; then, on the output
// side, the bytes of its canonical form followed by "+" (when it has one),
// the annotation name, and "@" + the annotation's attribute string (when it
// has attributes).
//
// Numbering: entries that share an input path get an end marker
// "[#end" + n + "]" (n in lowercase hexadecimal) appended to their literal,
// so that every entry keeps a path of its own: of several entries with one
// text the first keeps it and the k-th gets k; every pattern entry gets a
// number above those of the entries it matches and apart from every other
// pattern's number.
//
// Threads: the option "threads" ("auto", absent, 0 or a text without a
// leading number: the machine's hardware threads) sets the thread count T.
// T <= 2: groups one after another on the calling thread; otherwise one
// task per group. A group of 500 entries or more is sliced into up to 16
// buckets built on threads of their own when T >= 2; otherwise into one
// bucket per 5000 entries, built on the group's thread. Each bucket is
// built into a temporary file ("tmp-kav-" + UUID + ".fsm" in the system's
// temporary folder) which the group unions and removes; no such file is
// left behind, whatever fails. Never more than T builders work at once
// (the machine's hardware threads when T is negative); a group waiting for
// its buckets holds no builder.
//
// Records go through the build's one domain connection (the database runs
// serialised, so tasks store at once); diagnostics of the tasks reach the
// build's Blackboard.

#ifndef KAVERO_COMPILER_BACKEND_LEXICON_BUILDER_H_
#define KAVERO_COMPILER_BACKEND_LEXICON_BUILDER_H_

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "compiler/backend/entry_info.h"
#include "compiler/parser/syntax_tree.h"
#include "core-afst/builder.h"

namespace zel {
namespace compiler {

class Blackboard;
class ResultStore;

// Admits at most `limit` builders at work at once.
class BuilderSlots {
 public:
  explicit BuilderSlots(int limit);

  // Holds one slot for its lifetime, waiting for a free one.
  class Slot {
   public:
    explicit Slot(BuilderSlots& slots);
    ~Slot();
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;

   private:
    BuilderSlots& slots_;
  };

  int limit() const { return limit_; }
  // The largest number of slots held at once so far.
  int peak() const;

 private:
  const int limit_;
  mutable std::mutex mutex_;
  std::condition_variable free_;
  int used_ = 0;
  int peak_ = 0;
};

// The builders allowed at once for a thread count: T when T >= 1, else the
// machine's hardware threads (at least 1).
int builder_limit(int threads);

// The state of one group build, on the group's thread.
struct BuildLexiconContext {
  BuildLexiconContext(ResultStore& store, std::string record_name, EntryCache& cache);
  // Removes the temporary files not read yet.
  ~BuildLexiconContext();

  // Numbers one entry: strips raw-entry quoting, appends its end marker,
  // counts it. Pattern errors are errors of the entry's source.
  void add_deterministic_entry(EntryInfo& entry);
  // Unions the temporary files (removing each), stores the group record.
  void finalize(ResultStore& store);

  ResultStore& store;
  int32_t regex_count = 0;
  int32_t entry_count = 0;
  std::string record_name;
  EntryCache& cache;
  std::set<std::string> fsm_files;
  // The end numbers the group's pattern entries have.
  std::set<uint64_t> wildcard_numbers;
};

// The thread count of the option "threads" (see above).
int get_concurrency_number(Blackboard& blackboard);

// The number of buckets a group of `entries` gets with `threads` (parallel
// form when the result is 2 or more), and in the sequential form.
int get_nrof_buckets(int threads, int entries);
int get_nrof_buckets_st(int entries);

// `count` consecutive slices; earlier slices are never larger than later ones.
std::vector<std::vector<const EntryInfo*>> generate_buckets(
    const std::vector<const EntryInfo*>& entries, unsigned count);

// Builds the bucket's entries into a new temporary file and returns its path
// (empty for an empty bucket). Nothing is left on disk when it fails.
std::string union_bucket_ptr(const std::vector<const EntryInfo*>& bucket,
                             const std::string& record_name);

// Adds one entry as one rule (see above).
void add_entry_to_builder(std::shared_ptr<afst::Builder>& builder, const char* text,
                          const ast::node::AssignCaptureGroup& capture, const char* canonical,
                          const std::string& record_name);

// Unions the builder's networks into a new temporary file; the empty text
// when it holds none.
std::string create_intermediate_union_fsm(std::shared_ptr<afst::Builder> builder,
                                          const std::string& record_name);

// Builds every group of the store's update_lexicons, deletes the records of
// those groups that are gone, and rewrites "lexicon_info".
void build_lexicons(ResultStore& store);

// The two group loops; both fill `info` with the entry count of every group
// built ({stream: count, ..., "entries": sum}) and answer 1.
int build_lexicons_st(ResultStore& store, nlohmann::json& info, BuilderSlots& slots);
int build_lexicons_mt(ResultStore& store, nlohmann::json& info, BuilderSlots& slots);

// One group task: binds the calling thread to the Blackboard and builds the
// group. The entry count (0 when the group is absent or empty).
uint64_t build_lexicon(ResultStore& store, Blackboard& blackboard, const std::string& stream,
                       BuilderSlots& slots);
uint64_t build_lexicon_no_exceptions(ResultStore& store, const std::string& stream,
                                     BuilderSlots& slots);

// The stream names whose groups are built: "lemma" is filed as "stem" and
// "normalized_lemma" as "normalized_stem" (the runtime keeps one lexicon per
// stream); every other name is kept.
std::string lexicon_stream_name(const std::string& name);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_LEXICON_BUILDER_H_
