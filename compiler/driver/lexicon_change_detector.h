// Lexicon change detection for incremental builds.
//
// Lexicons are compiled per input stream: one transducer per stream merges
// the lexicon statements of every source that reads it (lexicon_builder.h).
// An incremental build visits only the sources newer than the domain file,
// so it must find out which streams changed and rebuild exactly those, from
// every source. The detector is the builder (domain_builder.h) that does
// this: per visited source it computes one 64-bit hash per stream over the
// source's lexicon statements, compares them with the hashes the previous
// build stored for that source in the twin, lists the streams that differ,
// and stores the new hashes when the driver finalizes it after the build
// pass.
//
// Hash record, one per source, in the twin: name "uniq_lexicon_hash" + the
// source path given to open (the canonical path), empty attributes, data
// the source's hashes as a compact JSON object, stream name to unsigned
// number, in name order ({} when empty):
//   {"literal":4162361370447395734,"stem":1092832910392}
// Streams are named as the lexicon build files them (lexicon_stream_name):
// a "lemma" lexicon counts under "stem", a "normalized_lemma" one under
// "normalized_stem".
//
// A statement's hash is the sum over its entries of the hash of the whole
// entry: its stream, the annotation of the assignment, the assignment's
// attributes and the entry's text and second text, each field prefixed by
// its length. The sum makes the order of entries and statements
// irrelevant; a repeated entry counts again. Because every entry carries
// its own annotation, attributes and second text, moving a second text to
// another entry or an entry to another statement of its stream changes the
// hash.
//
// Contract with the compile driver:
//   1. After it has made the build pass's DomainDatabase (and before it
//      makes the detector or the result store), an incremental build calls
//      forget_gone_sources(blackboard, blackboard.input_pool). When the
//      answer's `paths` is not empty, the work pair has lost the rules,
//      hashes and on-statement settings of those sources and they must be
//      rebuilt from what is left: the driver adds the answer's `streams` to
//      the names it sets as "update_lexicons" (next to the detector's
//      changed_lexicons()) and re-parses every source (time stamp -1) for
//      the build pass, as for changed lexicons, so that the pass visits
//      every source, finalizes the result store and saves the pair.
//   2. get_visitor_detect_incremental_changes(blackboard), visited over the
//      kept roots; then changed_lexicons() names the streams to rebuild, in
//      the order found (a changed stream appears twice).
//   3. finalize() of the detector after the result store's finalize.

#ifndef KAVERO_COMPILER_DRIVER_LEXICON_CHANGE_DETECTOR_H_
#define KAVERO_COMPILER_DRIVER_LEXICON_CHANGE_DETECTOR_H_

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "compiler/driver/domain_builder.h"
#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {

class InputPool;

namespace compiler {

class Blackboard;
class DomainDatabase;

// The prefix of the hash records in the twin.
extern const char* const kLexiconHashRecord;

// Stream name to the hash of a source's lexicons of that stream.
class HashInfoType : public std::map<std::string, uint64_t> {
 public:
  // Writes the compact JSON object (members in name order; {} when empty).
  void ostream(std::ostream& os) const;
  // Reads one JSON value. Text that is not JSON raises the JSON library's
  // parse error; an object whose members are all unsigned numbers replaces
  // the content; any other value leaves the map as it was.
  void istream(std::istream& is);
};

// Debug text: "name:hash;" for every pair.
std::ostream& operator<<(std::ostream& os, const HashInfoType& hashes);

// The stream a lexicon statement reads: the first "input" attribute, its
// enclosing double quotes removed, as the lexicon build names its groups;
// "literal" without one.
std::string lexicon_input_stream(const ast::node::Lexicon& statement);

// The hash of one lexicon statement (see above); 0 for one without
// entries.
uint64_t lexicon_hasher(const ast::node::Lexicon& statement);

class LexiconChangeDetector : public DomainBuilderInterface {
 public:
  // Over the Blackboard's DomainDatabase (only its twin is used; without a
  // database nothing is read or written).
  explicit LexiconChangeDetector(Blackboard& blackboard);
  ~LexiconChangeDetector() override;

  // Reads the source's stored hashes. Stored data that is not JSON raises
  // the JSON library's parse error.
  void open(const std::string& source) override;
  // Adds every lexicon statement of the tree, inside namespaces and chains
  // too.
  void collect(const ast::node::Root& root) override;
  // Compares the source's hashes with the stored ones: appends to
  // changed_lexicons() each stream whose hash is new or changed (in name
  // order of the new hashes), then each stored stream whose hash is gone
  // or changed (in name order); keeps the new hashes for finalize when
  // they differ.
  void close(const std::string& source) override;
  // Stores the kept hashes in the twin, replacing the records.
  void finalize() override;

  // Adds one statement's hash to its stream's hash of the open source.
  void add_lexicon(const ast::node::Lexicon& statement);

  // The streams whose lexicons changed, over all sources, in the order
  // found; a stream may appear more than once.
  const std::vector<std::string>& changed_lexicons() const { return changed_lexicons_; }

 private:
  HashInfoType stored_hashes_;
  HashInfoType current_hashes_;
  std::shared_ptr<DomainDatabase> database_;
  std::vector<std::string> changed_lexicons_;
  std::vector<std::pair<std::string, HashInfoType>> pending_records_;
};

// The walk through which collect reaches the lexicon statements: namespaces
// and chains are entered, rules walked without effect, other statements
// skipped.
class LexiconChangeDetectorVisitor
    : public ast::Visitor<LexiconChangeDetectorVisitor, true> {
 public:
  explicit LexiconChangeDetectorVisitor(LexiconChangeDetector& detector)
      : detector_(detector) {}

  using ast::Visitor<LexiconChangeDetectorVisitor, true>::operator();
  void operator()(const ast::node::Lexicon& statement) { detector_.add_lexicon(statement); }

 private:
  LexiconChangeDetector& detector_;
};

// A new detector over the Blackboard's DomainDatabase.
std::shared_ptr<LexiconChangeDetector> get_visitor_detect_incremental_changes(
    Blackboard& blackboard);

// Whether any input of the pool was written after the domain file, compared
// at the file system's precision. A missing domain file makes every
// existing input newer; a missing input is never newer. Logs
// " check:" + id + ":" + the input's time in whole seconds (compiler
// logger, debug level) for every input it looks at.
bool detect_changes(const std::filesystem::path& domain_file, const InputPool& inputs);

// What forget_gone_sources removed.
struct GoneSources {
  // The canonical paths of the sources that are gone, in byte order.
  std::vector<std::string> paths;
  // The streams their lexicons used, in byte order, once each.
  std::vector<std::string> streams;
};

// Forgets the sources that an earlier build compiled (the paths of the
// twin's file map, "uniq_id_2_filename_map") and that are no longer in the
// pool (compared by canonical path): deletes their "rule_" and "bitset_"
// records from the domain file, their hash records and their on-statement
// records from the twin, and their entries from the file map. Needs the
// Blackboard's DomainDatabase (zel::Exception otherwise). See the contract
// above for what the driver does with the answer.
GoneSources forget_gone_sources(Blackboard& blackboard, const InputPool& inputs);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_LEXICON_CHANGE_DETECTOR_H_
