#include "compiler/backend/result_store.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <iomanip>
#include <exception>
#include <filesystem>
#include <optional>
#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/options.h"
#include "base/path.h"
#include "base/stream_name.h"
#include "base/string_util.h"
#include "compiler/backend/bitset_transducer.h"
#include "compiler/backend/concept_definitions.h"
#include "compiler/backend/id_numbering.h"
#include "compiler/backend/lexicon_builder.h"
#include "compiler/backend/lexicon_statements.h"
#include "compiler/backend/multi_token_expansion.h"
#include "compiler/backend/rule_relabelling.h"
#include "compiler/backend/rule_specialization.h"
#include "compiler/backend/rule_translation.h"
#include "compiler/backend/top_level_labels.h"
#include "compiler/driver/domain_database.h"
#include "compiler/driver/uniq_name.h"
#include "compiler/parser/capture_group_checks.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/rule_printer.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {

namespace ser = afst::serialization;

namespace {

constexpr char kTokenEncoder[] = "token_encoder";
constexpr char kTokenMap[] = "uniq_token_map";
constexpr char kConceptDefinitions[] = "uniq_concept_definitions";
constexpr char kConceptMap[] = "uniq_concept_map";
constexpr char kCaptureMap[] = "uniq_capture_map";
constexpr char kFileMap[] = "uniq_id_2_filename_map";

[[noreturn]] void raise(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

// The stored table, or an empty one when there is no record. A record that
// is there but does not read raises: the JSON library's parse error for
// data that is not JSON, zel::Exception for JSON of another shape.
template <class T>
T read_table(sqlite3* db, const char* name) {
  T table;
  const ser::BinaryData record = ser::get_binary_data(db, name);
  if (record.second.empty()) return table;
  std::istringstream in(std::string(record.second.begin(), record.second.end()));
  nlohmann::json value;
  in >> value;
  try {
    from_json(value, table);
  } catch (const std::exception& e) {
    raise(std::string("The stored table \"") + name + "\" does not read: " + e.what());
  }
  return table;
}

std::string hex(uint32_t number) {
  std::ostringstream out;
  out << std::hex << number;
  return out.str();
}

std::string file_name_of(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The number of a source key of the file map: the key is the number in
// lowercase hexadecimal, "_" and the file name of the path it maps to.
// Debug ids and other entries give none.
std::optional<uint32_t> source_key_number(const std::string& key, const std::string& path) {
  const size_t underscore = key.find('_');
  if (underscore == 0 || underscore == std::string::npos || underscore > 8) return std::nullopt;
  if (key.compare(underscore + 1, std::string::npos, file_name_of(path)) != 0) {
    return std::nullopt;
  }
  uint32_t number = 0;
  for (size_t i = 0; i < underscore; ++i) {
    const char c = key[i];
    if (!std::isxdigit(static_cast<unsigned char>(c)) || std::isupper(static_cast<unsigned char>(c))) {
      return std::nullopt;
    }
    number = number * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                      ? c - '0'
                                                      : c - 'a' + 10);
  }
  if (hex(number) != key.substr(0, underscore)) return std::nullopt;  // leading zeros
  return number;
}

}  // namespace

ResultStore::ResultStore(Blackboard& blackboard_)
    : blackboard(blackboard_), database(blackboard_.domain_database) {
  if (!database) raise("The result store needs the build's domain database.");

  const std::string update = blackboard.options
                                 ? blackboard.options->get("update_lexicons", "all")
                                 : std::string("all");
  if (update == "all") {
    for (const auto& entry : stream_types) update_lexicons.insert(entry.first);
  } else if (update != "none") {
    string::split_set(update_lexicons, update, ';');
  }
  lexicon_threads = 4;

  token_encoder = std::make_shared<afst::Builder>();
  sqlite3* db = database->domain_db().get();
  if (auto encoder = ser::get_fsm(database->domain_db(), kTokenEncoder)) {
    token_encoder->push_network(encoder);
  } else if (ser::has_binary_data(db, kTokenEncoder)) {
    raise("The stored token encoder does not read.");
  }

  concept_definitions = read_table<AttributeCollectionMap>(db, kConceptDefinitions);
  token_ids = read_table<Id2Info>(db, kTokenMap);
  concept_ids = read_table<Id2Info>(db, kConceptMap);
  capture_ids = read_table<Id2Info>(db, kCaptureMap);
  id_to_filename = read_table<StringStringMap>(database->twin_db().get(), kFileMap);
  read_source_definitions(*this);
}

ResultStore::~ResultStore() = default;

const std::string& ResultStore::filename() const { return database->filename(); }

const int64_t& ResultStore::timestamp() const { return database->timestamp(); }

uint32_t ResultStore::source_number(const std::string& path) {
  auto known = source_numbers.find(path);
  if (known != source_numbers.end()) return known->second;

  std::set<uint32_t> used;
  for (const auto& entry : source_numbers) used.insert(entry.second);
  std::optional<uint32_t> stored;
  for (const auto& [key, value] : id_to_filename) {
    const std::optional<uint32_t> number = source_key_number(key, value);
    if (!number) continue;
    used.insert(*number);
    if (value == path && (!stored || *number < *stored)) stored = number;
  }
  uint32_t number = 0;
  if (stored) {
    number = *stored;
  } else {
    while (used.count(number) != 0) ++number;
  }
  source_numbers.emplace(path, number);
  return number;
}

void ResultStore::open(const std::string& path) {
  source_file = path;
  const std::string key = hex(source_number(path)) + "_" + file_name_of(path);
  id_to_filename.emplace(key, path);
  source_key = key + "_";
  debug_id = get_debug_id(path);
  id_to_filename.emplace(debug_id, path);
  // The source's on statements replace its earlier settings; they are
  // merged over those of every other source.
  if (rebuilt_definitions.insert(path).second) source_definitions[path].clear();
  concept_definitions = merged_source_definitions(*this, &path);
}

void ResultStore::collect(const ast::node::Root& root) {
  drop_old_rules();
  ast::apply(root, *this);
}

void ResultStore::close(const std::string& /*path*/) { source_key.clear(); }

void ResultStore::drop_old_rules() {
  ser::delete_binary_data_like(database->domain_db().get(),
                               "%" + ser::like_escape("$DAZ:" + source_key + "_l") + "%");
}

void ResultStore::set_group_id() { group_id = generate_uniq_name(std::string(), std::string()); }

void ResultStore::finalize() {
  if (!update_lexicons.empty()) build_lexicons();

  const auto& roots = token_encoder->roots();
  if (!roots.empty() && !roots.front()->children.empty()) {
    token_encoder->build(true);
    ser::store_fsm(token_encoder, database->domain_db(), kTokenEncoder, std::string());
  }

  store_source_definitions(*this);
  concept_definitions = merged_source_definitions(*this, nullptr);

  sqlite3* db = database->domain_db().get();
  ser::store_object(db, kTokenMap, token_ids, std::string());
  ser::store_object(db, kConceptDefinitions, concept_definitions, std::string());
  add_concept_definition_to_capture_groups(this, concept_definitions);
  ser::store_object(db, kConceptMap, concept_ids, std::string());
  ser::store_object(db, kCaptureMap, capture_ids, std::string());
  ser::store_object(database->twin_db().get(), kFileMap, id_to_filename, std::string());
}

namespace {

// Numbers the rules of chains. Process-wide: the rules of concurrent
// compilations draw from it too, and their group ids keep them apart.
std::atomic<std::int32_t> group_counter{0};

// Namespaces (outermost first), the source and its zero-filled line, the
// chain's group id with the counter, then the rule's own text.
std::string rule_id_text(const ResultStore& store, const ast::node::Rule& rule) {
  std::ostringstream id;
  for (const std::string& name : store.namespaces) id << name << '_';
  id << "$DAZ:" << store.source_key << "_l" << std::setw(3) << std::setfill('0') << rule.line
     << std::setfill(' ') << '_';
  if (!store.group_id.empty()) {
    id << "$GRUUID:" << store.group_id << '-' << group_counter.fetch_add(1) << '_';
  }
  id << make_id(rule);
  return id.str();
}

void build_and_store_rule(std::shared_ptr<afst::Builder>& builder, ResultStore& store,
                          const std::string& id, const ast::node::Rule& source_rule) {
  // The translation adds the shortest-match request of ".?" to the tree.
  ast::node::Rule rule = source_rule;
  fst::StdVectorFst* network = detail::push_ast_rule(builder, store, rule);
  const unsigned long type = rule::specialization::rule_specialization_type(rule);
  // Rule warnings are not checked yet.
  replace_rule_ids(*network);

  collect_concept_and_captures::Collector collector;
  collector.captures.insert(rule.capture.id);
  collector(rule);
  std::ostringstream attributes;
  collect_concept_and_captures::stream_it(attributes, collector);
  attributes << ";debug_info=" << store.debug_id << ':' << rule.line << ";rt=" << type;
  const std::shared_ptr<sqlite3>& db = store.database->domain_db();
  ser::store_fsm(builder, db, detail::get_rule_uuid("rule_", id, rule), attributes.str());

  auto bitset_builder = std::make_shared<afst::Builder>();
  make_bitset_fst(bitset_builder, store, rule);
  fst::StdVectorFst* bitset = bitset_builder->build(true);
  replace_rule_ids(*bitset);
  nlohmann::json top_level = {{"tlb", toplevel_arcs_fst(store, rule)}};
  ser::store_fsm(*bitset, db, detail::get_rule_uuid("bitset_", id, rule), top_level.dump());
}

}  // namespace

namespace detail {

std::string get_rule_uuid(const std::string& prefix, const std::string& id,
                          const ast::node::Rule& /*rule*/) {
  return prefix + id;
}

}  // namespace detail

void ResultStore::add_rule(const ast::node::Rule& rule) {
  auto builder = std::make_shared<afst::Builder>();
  const std::string id = rule_id_text(*this, rule);
  if (rule_ids.count(id) != 0) return;
  rule_ids.emplace(id, IdInfo{rule_ids.size() + 1});
  build_and_store_rule(builder, *this, id, rule);
}

void ResultStore::add_lexicon(const ast::node::Lexicon& lexicon) {
  // The statement visitor hands over the driver's own mutable tree (see
  // ast::apply); the check unquotes attribute values in place.
  compiler::add_lexicon(*this, const_cast<ast::node::Lexicon&>(lexicon));
}

void ResultStore::build_lexicons() { compiler::build_lexicons(*this); }

std::shared_ptr<DomainBuilderInterface> get_visitor_builder(Blackboard& blackboard) {
  return std::make_shared<ResultStore>(blackboard);
}

std::string get_debug_id(const std::string& path) { return filesystem::chop_filename(path, 3); }

namespace ast {

void ASTVisitor::operator()(node::Lexicon& lexicon) { store_.add_lexicon(lexicon); }

void ASTVisitor::operator()(node::Rule& rule) {
  rename_capture_groups(rule);
  detail::expand_multi_tokens(rule);
  collect_ids(store_, rule);
  assign_ids(store_, rule);
  store_.add_rule(rule);
}

void ASTVisitor::operator()(node::Namespace& name_space) {
  store_.push_namespace(name_space.name);
  visit_all(name_space.statements);
  store_.pop_namespace();
}

void ASTVisitor::operator()(node::PriorityGroup& group) {
  store_.set_group_id();
  visit_all(group.statements);
  store_.clear_group_id();
}

void ASTVisitor::operator()(node::AnnotationDefinition& definition) {
  store_.add_concept_definition(definition);
}

void apply(const node::Root& root, ResultStore& store) {
  // The builder contract hands the tree over as const, but the passes
  // rewrite its rules in place; the trees are the driver's own mutable
  // list (see DomainBuilderInterface::collect).
  node::Root& tree = const_cast<node::Root&>(root);
  ASTVisitor visitor(store);
  for (node::Statement& statement : tree.statements) visitor.visit(statement);
}

}  // namespace ast
}  // namespace compiler
}  // namespace zel
