// Compiled domains for tests, written from a compact text form.
//
// Until the rule compiler exists, the runtime is tested on domains written
// by this helper with the records the compiler writes: a ".dom" database
// (the container of named binary objects, table FILES) and its ".dom_info"
// description beside it ("x.dom" gets "x.dom_info"). Each test keeps the
// rule source its records stand for beside them as a comment; once the
// compiler exists, the same cases compiled from those sources become
// contract tests against these records.
//
// The text form, one directive a line; a line that begins with white space
// continues the block of the last "rule", "lexicon" or "definition"; lines
// whose first non-blank character is '#' are comments; items are separated
// by blanks, except inside double quotes.
//
//   sdk_version 3.1.1           record "sdk_version" (this is the default)
//   concept Person City $tmp    "uniq_concept_map": ids 1, 2, ... in order
//   capture Person              "uniq_capture_map": ids 1, 2, ... in order;
//                               the name is numbered in the concept map too
//                               (rules carry a capture's concept id)
//   definition Person           "uniq_concept_definitions" (written by the
//                               compiler's own AttributeCollectionMap,
//                               "null" when there is none): what the on
//                               statements give the concept, one attribute
//                               a line, in order, in the four value kinds:
//     text scope "names"          a text,
//     call trigger kav::f to="X"  one rule-function call,
//     calls trigger kav::a x=1 | kav::b
//                                 a list of calls, "|" between them,
//     pairs attributes kind="human" id=7
//                                 a list of (key, value) pairs;
//                               values are kept as written, quotes and all.
//                               A concept named twice gets the attributes of
//                               both blocks.
//   token 7 literal=New prop=cap
//                               one token-encoder entry with id 7; items
//                               length=A[,B] literal= stem= pos= prop=
//                               head= component=, in any order and written in
//                               the compiler's label order (a pos that names
//                               a root category gives the root code, any
//                               other the pattern form); patterns go through
//                               the formatted-string syntax; a value may be
//                               double-quoted; a token without items (an
//                               any-token) adds no entry
//   encoder_path {literal} N e w {emit:7}
//                               a hand-made encoder path, one arc per item:
//                               {emit:N} {literal} {stem} {pos} {prop:TEXT}
//                               {component} {head} {end} {root:N}
//                               {length:A[,B]} are the commands, anything
//                               else is the symbol text itself
//   rule text=rule:X{sbes} [ns=a,b] [src=KEY_] [line=N] [group=ID-N]
//        [rt=N|none] [debug=PATH] [captures=..] [groups=..] [attributes=TEXT]
//     path CAPBEG:X TK:1 CAPEND:X      a single path, states numbered in
//                                       path order, the last one final
//     arc FROM TO LABEL                 or explicit arcs in the order
//     final STATE                       written, final states and the start
//     start STATE|none                  state (default 0)
//     bitset path TK:1 | bitset arc FROM TO LABEL | bitset final STATE
//                                       the bitset transducer (default: a
//                                       final start state)
//     tlb TK:1 ANYTK 5                  the "tlb" list (default empty)
//     tlb_text TEXT                     the bitset's attribute text verbatim
//   lexicon STREAM                      record "entities_" + STREAM,
//     Paris:[City]                      "input=" STREAM; entries in the
//     Big Apple:[City@alias="NYC"]      arc-line syntax (arc_line.h)
//   lexicon_info {"literal":2}          record "lexicon_info", verbatim
//   dom_info {"name":"x"}               the ".dom_info" text, verbatim
//                                       (default "{}"); invalid JSON too
//   no_dom_info                         no ".dom_info" file
//   omit NAME                           the record is left out
//   garble NAME                         the record's data is replaced by
//                                       bytes no reader accepts
//
// Rule record names follow the compiler's id text: each namespace and "_",
// "$DAZ:" and the source key (default "src_"), "_l" and the line in at least
// three digits (default 1), "_", optionally "$GRUUID:" group "_", then the
// rule text. Attributes: "captures=" the capture ids, ";groups=" the concept
// ids of the rule's labels, ";;debug_info=" PATH ":" line, ";rt=" N
// (default 1; "none" leaves the item out); "attributes=" replaces the whole
// text. rt=2 is refused unless the rule is a path.
//
// Rule labels: TK:N CNCPT:N CNCPT_BEG:N CNCPT_END:N CAPBEG:N CAPEND:N (N a
// number or a name of the concept map), SHRTMATCH ANYTK NEGATION
// NEGATION_BODY NEGATION_NEXT KAV_NEGATION_END, ATT@CONDITION (symbol text
// "0x50000000@CONDITION"), PROP+NAME ("0xa0000000+NAME"), @ATTRIBUTES (a
// marker), SYM:TEXT (any plain symbol), EPS (label 0), RAW:VALUE (a label
// without symbol). Symbol keys are given from 2 on in order of first use, as
// the compiler gives them; outputs are "eps". The transducer is stored as
// written: no optimisation, so tests control the order of the search.
//
// Errors in the text raise std::runtime_error naming the line.

#ifndef KAVERO_MATCHER_COMPILED_DOMAIN_TESTUTIL_H_
#define KAVERO_MATCHER_COMPILED_DOMAIN_TESTUTIL_H_

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace testing {

struct WrittenDomain {
  std::filesystem::path dom;
  std::filesystem::path dom_info;
  // (record name, attribute text) of every rule, in the order written.
  std::vector<std::pair<std::string, std::string>> rules;
};

// Writes the domain described by `text` to `dom` (replacing any file there)
// and its description to `dom` + "_info".
WrittenDomain write_compiled_domain(const std::string& text, const std::filesystem::path& dom);

// The folder form: `folder`/"domain.dom" and `folder`/"domain.dom_info".
WrittenDomain write_compiled_domain_folder(const std::string& text,
                                           const std::filesystem::path& folder);

// The name of a rule record: see the header comment.
std::string rule_record_name(const std::vector<std::string>& namespaces,
                             const std::string& source_key, unsigned line,
                             const std::string& group, const std::string& text);

// Writes an id map record ("uniq_concept_map", "uniq_capture_map") as the
// compiler writes it (zel::compiler::Id2Info); the names get the ids 1, 2,
// ... in order, a repeated name keeps its first.
void store_id_map(sqlite3* db, const std::string& record, const std::vector<std::string>& names);

// A domain written into a scratch folder of its own and opened for reading,
// for tests that read its records; the folder goes with the object.
class ScratchDomain {
 public:
  explicit ScratchDomain(const std::string& text);

  const std::shared_ptr<sqlite3>& db() const { return db_; }
  const WrittenDomain& written() const { return written_; }
  // The record name and attribute text of the n-th rule of the text.
  const std::string& rule(size_t n) const { return written_.rules.at(n).first; }
  const std::string& attributes(size_t n) const { return written_.rules.at(n).second; }

 private:
  zel::testing::ScratchFolder folder_;
  WrittenDomain written_;
  std::shared_ptr<sqlite3> db_;
};

}  // namespace testing
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_COMPILED_DOMAIN_TESTUTIL_H_
