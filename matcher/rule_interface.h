// One compiled rule of a domain.
//
// A compiled domain stores every rule as a record "rule_" + id (the rule
// transducer, whose input labels are rule-input ids, with an attribute text)
// and beside it a record "bitset_" + id (a smaller transducer over the ids a
// sentence must hold for the rule to match, with a JSON attribute text). A
// rule object holds both; make_rule (make_rule.h) decides which of the two
// matchers runs it.
//
// The pre-test is_candidate() answers whether a final state of the bitset
// transducer can be reached over arcs whose labels the sentence's candidate
// id set holds. Each state is entered at most once, so the test is linear in
// the bitset's arcs and always answers (no step budget): a rule that can
// match a sentence is never withheld from it.
//
// Rules are built while a domain loads and only read afterwards; any number
// of threads may test and match them at once.

#ifndef KAVERO_MATCHER_RULE_INTERFACE_H_
#define KAVERO_MATCHER_RULE_INTERFACE_H_

#include <memory>
#include <string>
#include <utility>

#include <fst/arc.h>
#include <fst/vector-fst.h>
#include <sqlite3.h>

#include "analysis/annotation.h"
#include "base/attribute_string.h"
#include "core-afst/afst.h"

namespace zel {
namespace kavero {

namespace matcher {
class MatcherInterface;
}  // namespace matcher

class RuleInterface {
 public:
  // The rule record's name ("rule_" + the rule's id text).
  virtual const std::string& id() const = 0;
  // The value of the first attribute with the key; empty when there is none.
  virtual const std::string& attribute(const std::string& key) const = 0;
  // Whether the rule can match the sentence at all.
  virtual bool is_candidate(const Sentence* sentence) const = 0;
  // A fresh matcher for this rule; the rule must outlive it.
  virtual std::shared_ptr<matcher::MatcherInterface> get_matcher() = 0;
  virtual ~RuleInterface();
  virtual std::shared_ptr<zel::afst::AFst> bitset_fsm() const = 0;
};

using RuleTransducer = fst::VectorFst<fst::StdArc>;

// The attribute text and transducer of the bitset record of rule record
// `name`: "bitset_" + `name` without its first five characters. The
// transducer is null when the record is missing or unreadable. A name
// shorter than five characters raises std::out_of_range.
std::pair<std::string, std::shared_ptr<RuleTransducer>> get_fsm_bitset(std::shared_ptr<sqlite3> db,
                                                                      const std::string& name);

// The network of a transducer read from record `record`. A null transducer
// (the record is missing or holds no transducer) or one the network cannot
// be built from raises zel::Exception naming the record: a rule without its
// transducers cannot be tested or matched.
std::shared_ptr<zel::afst::AFst> make_rule_network(sqlite3* db, const std::string& record,
                                                  std::shared_ptr<RuleTransducer> transducer);

// What both rule classes share: id, attributes and the bitset pre-test.
class RuleBaseFacade : public RuleInterface {
 public:
  // Reads the bitset record (get_fsm_bitset); a missing or unreadable one
  // raises zel::Exception naming it.
  RuleBaseFacade(unsigned long kind, std::shared_ptr<sqlite3> db, const std::string& name,
                 const AttributeList& attributes);
  ~RuleBaseFacade() override;

  const std::string& id() const override { return id_; }
  const std::string& attribute(const std::string& key) const override;
  bool is_candidate(const Sentence* sentence) const override;
  std::shared_ptr<zel::afst::AFst> bitset_fsm() const override { return bitset_; }

  // 1 for the afst rule, 2 for the forward rule.
  unsigned long kind() const { return kind_; }
  const AttributeList& attributes() const { return attributes_; }
  // The bitset record's attribute text.
  const std::string& bitset_attributes() const { return bitset_record_.first; }

 protected:
  unsigned long kind_;
  std::string id_;
  AttributeList attributes_;
  std::pair<std::string, std::shared_ptr<RuleTransducer>> bitset_record_;
  std::shared_ptr<zel::afst::AFst> bitset_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RULE_INTERFACE_H_
