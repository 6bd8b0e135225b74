// The result store: the builder (compiler/driver/domain_builder.h) that
// turns the parsed sources of a build into the records of the compiled
// domain.
//
// The compile driver makes one per build pass over the build's
// DomainDatabase (held by the compiler Blackboard), feeds it every source
// with open, collect and close, and calls finalize once. collect drops the
// rule records an earlier build stored for the source and walks the
// source's statements:
//   rule:       capture naming, multi-token expansion, numbering
//               (collect_ids, assign_ids; id_numbering.h), add_rule;
//   lexicon:    add_lexicon (collected for the lexicon build);
//   on:         add_concept_definition (concept_definitions.h);
//   namespace:  its statements, inside the namespace;
//   chain:      its statements, under a fresh group id;
//   others:     nothing.
// finalize builds the lexicons and the token encoder and stores the tables
// (compact JSON, see id_info.h, attribute_collection_map.h,
// string_string_map.h):
//   domain file: "token_encoder" (only when there is a token),
//     "uniq_token_map", "uniq_concept_definitions", "uniq_concept_map",
//     "uniq_capture_map";
//   twin: "uniq_id_2_filename_map".
//
// Each source's own on-statement settings are also kept in the twin
// ("uniq_source_definitions" + path, concept_definitions.h); the stored
// definitions are their merge in source order.
//
// The store reads all of them back when it is made, so an incremental build
// (which visits only the changed sources) continues every numbering, keeps
// the earlier token encoder and merges the on statements of the changed
// sources with the settings of the others. A source keeps the number it had in the stored file map, so
// its rule records carry the same source key in every build and the old
// ones are found and dropped; a new source takes the lowest number no
// stored or opened source has.
//
// A stored table that is there but does not read (not JSON, or JSON of the
// wrong shape), or a stored token encoder that is no transducer, raises
// from the constructor: numbering from 1 over the records of an earlier
// build would give old and new names the same ids. The driver then
// rebuilds fully.

#ifndef KAVERO_COMPILER_BACKEND_RESULT_STORE_H_
#define KAVERO_COMPILER_BACKEND_RESULT_STORE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "compiler/backend/attribute_collection_map.h"
#include "compiler/backend/entry_info.h"
#include "compiler/backend/id_info.h"
#include "compiler/backend/string_string_map.h"
#include "compiler/driver/domain_builder.h"
#include "compiler/parser/syntax_tree.h"
#include "compiler/parser/syntax_tree_visitor.h"
#include "core-afst/builder.h"

namespace zel {
namespace compiler {

class Blackboard;
class DomainDatabase;

class ResultStore : public DomainBuilderInterface {
 public:
  // Reads back what the previous build left in the Blackboard's
  // DomainDatabase (see above) and the option "update_lexicons": "all"
  // (the default) names every stream type, "none" none, anything else the
  // names between its ";". Raises zel::Exception when the Blackboard has no
  // DomainDatabase, and as described above for a damaged record.
  explicit ResultStore(Blackboard& blackboard);
  ~ResultStore() override;

  ResultStore(const ResultStore&) = delete;
  ResultStore& operator=(const ResultStore&) = delete;

  // Starts a source: gives the path its number n (see above), its key
  // (n in lowercase hexadecimal, "_", the path's file name), the source
  // key (key + "_") and its debug id; records key and debug id in the
  // file map unless they are there.
  void open(const std::string& path) override;
  // drop_old_rules, then the statements of the tree in order.
  void collect(const ast::node::Root& root) override;
  // Ends the source: the source key becomes empty.
  void close(const std::string& path) override;
  // Builds the lexicons (unless no stream type is to be updated) and the
  // token encoder, and stores the tables.
  void finalize() override;

  // The domain file and the build's time stamp of the DomainDatabase.
  const std::string& filename() const;
  const int64_t& timestamp() const;

  // Deletes the rule and bitset records stored for the open source: every
  // record whose name holds "$DAZ:" + source key + "_l".
  void drop_old_rules();

  void push_namespace(const std::string& name) { namespaces.push_back(name); }
  void pop_namespace() { namespaces.pop_back(); }
  // A fresh random group id for the chain being visited.
  void set_group_id();
  void clear_group_id() { group_id.clear(); }

  // --- Numbering (id_numbering.cpp) ---------------------------------------
  // Each returns the id of its key, registering a new key with the next id
  // of its map (1, 2, ...). A new token key also adds its token-encoder
  // entry.
  uint64_t add_token(const ast::node::RuleToken& token);
  uint64_t add_concept(const ast::node::RuleConcept& rule_concept);
  // Numbers the capture's name in the capture map and returns its id in
  // the concept map.
  uint64_t add_capture(const ast::node::RuleCapture& capture);
  // The same for a bare name; a name beginning with "kav::" (a built-in
  // rule function) is not registered and gives all ones.
  uint64_t add_capture(const std::string& name);
  // The ids of registered keys, as the rule nodes carry them: a capture
  // carries the concept id of its name. Raises zel::Exception for a key
  // that was never registered.
  uint32_t get_id(const ast::node::RuleToken& token) const;
  uint32_t get_id(const ast::node::RuleConcept& rule_concept) const;
  uint32_t get_id(const ast::node::RuleCapture& capture) const;

  // --- Concept definitions (concept_definitions.cpp) ----------------------
  // Checks the names of an on statement and merges its settings into
  // concept_definitions.
  void add_concept_definition(const ast::node::AnnotationDefinition& statement);

  // --- Rules and lexicons ---------------------------------------------------
  // Translates a numbered rule and stores its records "rule_" + id text
  // (the transducer; attributes "captures=..;groups=..;;debug_info=<debug
  // id>:<line>;rt=<type>") and "bitset_" + id text (the bitset transducer;
  // attributes {"tlb":[top-level labels]}). The id text is the namespaces,
  // each followed by "_", then "$DAZ:" source_key "_l" the line (at least
  // three digits) "_", inside a chain "$GRUUID:" group_id "-" a process-wide
  // counter "_", then make_id of the rule. A rule whose id text was stored
  // before in this build is skipped; the id is entered before the build, so
  // a rule whose translation raised is not tried again.
  void add_rule(const ast::node::Rule& rule);
  // Checks a lexicon statement and collects its entries
  // (lexicon_statements.h).
  void add_lexicon(const ast::node::Lexicon& lexicon);
  // Builds the lexicon transducers of the collected entries
  // (lexicon_builder.h).
  void build_lexicons();

  Blackboard& blackboard;
  std::shared_ptr<DomainDatabase> database;
  // The chain being visited; empty outside a chain.
  std::string group_id;
  // One entry per distinct token pattern (the earlier build's encoder is a
  // network of its root level).
  std::shared_ptr<afst::Builder> token_encoder;
  // Lexicon key to the entries collected for it.
  std::map<std::string, EntryCache> lexicon_cache;
  Id2Info token_ids;
  Id2Info concept_ids;
  // Full rule id text to a running number: a rule met again is not built
  // again.
  Id2Info rule_ids;
  Id2Info capture_ids;
  // The open source's key + "_"; empty between sources.
  std::string source_key;
  std::string source_file;
  std::string debug_id;
  // Innermost last.
  std::vector<std::string> namespaces;
  // The number of every path opened by this store.
  std::map<std::string, uint32_t> source_numbers;
  // Source keys and debug ids to full paths.
  StringStringMap id_to_filename;
  // The merged settings of on statements: while a source is open, those
  // of every other source and its own so far; after finalize, all.
  AttributeCollectionMap concept_definitions;
  // Each source's own settings ("" for statements given with no source
  // open), as stored in the twin or rebuilt by this build.
  std::map<std::string, AttributeCollectionMap> source_definitions;
  // The sources whose settings this build rebuilt.
  std::set<std::string> rebuilt_definitions;
  // The stream types whose lexicons this build collects and builds.
  std::set<std::string> update_lexicons;
  uint32_t lexicon_threads = 4;

 private:
  uint32_t source_number(const std::string& path);
};

// A new result store over the Blackboard.
std::shared_ptr<DomainBuilderInterface> get_visitor_builder(Blackboard& blackboard);

// The last three elements of the path ("dom/src/rules.kav").
std::string get_debug_id(const std::string& path);

namespace detail {

// The record name of a rule: `prefix` ("rule_" or "bitset_") followed by
// the rule's id text.
std::string get_rule_uuid(const std::string& prefix, const std::string& id,
                          const ast::node::Rule& rule);

}  // namespace detail

namespace ast {

// The statement pass of the result store (see the header comment).
class ASTVisitor : public Visitor<ASTVisitor> {
 public:
  explicit ASTVisitor(ResultStore& store) : store_(store) {}

  using Visitor<ASTVisitor>::operator();
  void operator()(node::Lexicon& lexicon);
  void operator()(node::Rule& rule);
  void operator()(node::Namespace& name_space);
  void operator()(node::PriorityGroup& group);
  void operator()(node::AnnotationDefinition& definition);

 private:
  ResultStore& store_;
};

// Runs ASTVisitor over every top-level statement of the tree, rewriting its
// rules in place (see DomainBuilderInterface::collect).
void apply(const node::Root& root, ResultStore& store);

}  // namespace ast
}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_BACKEND_RESULT_STORE_H_
