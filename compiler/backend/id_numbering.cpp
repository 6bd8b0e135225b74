#include "compiler/backend/id_numbering.h"

#include <limits>
#include <ostream>
#include <sstream>
#include <string>

#include "base/exception.h"
#include "base/unicode.h"
#include "compiler/backend/any_token.h"
#include "compiler/backend/result_store.h"
#include "compiler/parser/rule_printer.h"
#include "core-afst/formatted_string.h"
#include "language/pos_table.h"

namespace zel {
namespace compiler {

namespace {

using ast::node::RuleCapture;
using ast::node::RuleConcept;
using ast::node::RuleToken;

constexpr char kBuiltinPrefix[] = "kav::";

std::string marker(unsigned code) { return string::from_uint(code); }

// The key's id, registering it with the next id of the map when it is new;
// `added` tells which.
uint64_t register_key(Id2Info& map, const std::string& key, bool& added) {
  auto found = map.find(key);
  added = found == map.end();
  if (!added) return found->second.id;
  const uint64_t id = map.size() + 1;
  map.emplace(key, IdInfo{id});
  return id;
}

uint32_t id_of(const Id2Info& map, const std::string& key, const char* kind) {
  auto found = map.find(key);
  if (found == map.end()) {
    std::ostringstream message;
    message << "No " << kind << " id was given to '" << key << "'.";
    throw Exception(message);
  }
  return static_cast<uint32_t>(found->second.id);
}

void push(const std::shared_ptr<afst::Builder>& builder, const std::string& label) {
  builder->pushArc(label, "eps");
}

void push_pattern(const std::shared_ptr<afst::Builder>& builder, unsigned code,
                  const std::string& pattern) {
  push(builder, marker(code));
  std::shared_ptr<afst::Builder> target = builder;
  afst::add_formatted_string(target, pattern);
  push(builder, marker(0xEF07u));
}

// Registers every node of a rule body, parents before children.
class IDCollector : public ast::Visitor<IDCollector> {
 public:
  explicit IDCollector(ResultStore& store) : store_(store) {}
  using Visitor<IDCollector>::operator();
  void operator()(RuleCapture& capture) {
    store_.add_capture(capture);
    Visitor<IDCollector>::operator()(capture);
  }
  void operator()(RuleToken& token) { store_.add_token(token); }
  void operator()(RuleConcept& rule_concept) {
    store_.add_concept(rule_concept);
    Visitor<IDCollector>::operator()(rule_concept);
  }

 private:
  ResultStore& store_;
};

}  // namespace

namespace detail {
namespace aitt {

// Writes the registered ids into the nodes of a rule body.
class TokensVisitor : public ast::Visitor<TokensVisitor> {
 public:
  explicit TokensVisitor(const ResultStore& store) : store_(store) {}
  using Visitor<TokensVisitor>::operator();
  void operator()(RuleCapture& capture) {
    capture.id = store_.get_id(capture);
    Visitor<TokensVisitor>::operator()(capture);
  }
  void operator()(RuleToken& token) { token.id = store_.get_id(token); }
  void operator()(RuleConcept& rule_concept) {
    rule_concept.id = store_.get_id(rule_concept);
    Visitor<TokensVisitor>::operator()(rule_concept);
  }

 private:
  const ResultStore& store_;
};

}  // namespace aitt
}  // namespace detail

uint64_t ResultStore::add_token(const RuleToken& token) {
  bool added = false;
  const uint64_t id = register_key(token_ids, make_id(token), added);
  if (added) add_token_encoder_entry(token_encoder, id, token);
  return id;
}

uint64_t ResultStore::add_concept(const RuleConcept& rule_concept) {
  bool added = false;
  return register_key(concept_ids, make_id(rule_concept), added);
}

uint64_t ResultStore::add_capture(const RuleCapture& capture) {
  bool added = false;
  register_key(capture_ids, make_id(capture), added);
  RuleConcept named;
  named.name = capture.assignment.uri();
  return add_concept(named);
}

uint64_t ResultStore::add_capture(const std::string& name) {
  if (name.compare(0, sizeof kBuiltinPrefix - 1, kBuiltinPrefix) == 0) {
    return std::numeric_limits<uint64_t>::max();
  }
  RuleCapture capture;
  capture.assignment.uri_ = name;
  return add_capture(capture);
}

uint32_t ResultStore::get_id(const RuleToken& token) const {
  return id_of(token_ids, make_id(token), "token");
}

uint32_t ResultStore::get_id(const RuleConcept& rule_concept) const {
  return id_of(concept_ids, make_id(rule_concept), "concept");
}

uint32_t ResultStore::get_id(const RuleCapture& capture) const {
  return id_of(concept_ids, make_id(capture), "concept");
}

void push_id(const std::shared_ptr<afst::Builder>& builder, uint64_t id) {
  push(builder, marker(0xEF00u) + std::to_string(id));
}

void add_token_encoder_entry(const std::shared_ptr<afst::Builder>& builder, uint64_t id,
                             const RuleToken& token) {
  if (detail::is_any_token(token)) return;
  builder->open_rule();
  if (token.length) {
    std::string label = marker(0xEF09u);
    label += string::from_uint(static_cast<uint16_t>(token.length->first));
    if (token.length->second) label += string::from_uint(static_cast<uint16_t>(*token.length->second));
    push(builder, label);
  }
  if (token.literal) push_pattern(builder, 0xEF01u, *token.literal);
  if (token.stem) push_pattern(builder, 0xEF02u, *token.stem);
  if (token.pos) {
    const uint32_t root = language::pos_table::get_root_pos_id(*token.pos);
    if (root != 0) {
      push(builder, marker(0xEF08u) + string::from_uint(root >> 16));
    } else {
      push_pattern(builder, 0xEF03u, *token.pos);
    }
  }
  for (const std::string& property : token.properties) push(builder, marker(0xEF04u) + property);
  if (token.head) push_pattern(builder, 0xEF06u, *token.head);
  for (const std::string& component : token.components) push_pattern(builder, 0xEF05u, component);
  push_id(builder, id);
  builder->close_rule();
  builder->build(true);
  builder->applyUnion(0);
}

void collect_ids(ResultStore& store, ast::node::Rule& rule) {
  store.add_capture(rule.capture);
  IDCollector collector(store);
  for (ast::node::RuleNode& node : rule.capture.nodes) collector.visit(node);
}

void assign_ids(ResultStore& store, ast::node::Rule& rule) {
  rule.capture.id = store.get_id(rule.capture);
  detail::aitt::TokensVisitor visitor(store);
  for (ast::node::RuleNode& node : rule.capture.nodes) visitor.visit(node);
}

namespace collect_concept_and_captures {

void Collector::operator()(const RuleCapture& capture) {
  captures.insert(capture.id);
  Visitor<Collector, true>::operator()(capture);
}

void Collector::operator()(const RuleConcept& rule_concept) {
  groups.insert(rule_concept.id);
  Visitor<Collector, true>::operator()(rule_concept);
}

void stream_it(std::ostream& out, const std::set<uint32_t>& ids) {
  bool first = true;
  for (uint32_t id : ids) {
    if (!first) out << ",";
    out << id;
    first = false;
  }
}

void stream_it(std::ostream& out, const Collector& collector) {
  out << "captures=";
  stream_it(out, collector.captures);
  out << ";groups=";
  stream_it(out, collector.groups);
  out << ";";
}

}  // namespace collect_concept_and_captures
}  // namespace compiler
}  // namespace zel
