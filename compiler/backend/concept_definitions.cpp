#include "compiler/backend/concept_definitions.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "base/logging.h"
#include "base/string_util.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/domain_database.h"
#include "compiler/parser/diagnostics.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {

namespace ser = afst::serialization;

const char* const kSourceDefinitionsRecord = "uniq_source_definitions";

namespace {

constexpr char kScope[] = "scope";

bool is_blank(char c) { return c == ' ' || (c >= 0 && c <= 13); }

std::string trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Appends the settings the name does not have yet.
void merge(const std::string& name, AnnotationAttributes& entry, const AnnotationAttributes& added) {
  for (const auto& pair : added) {
    bool duplicate = false;
    for (const auto& existing : entry) {
      if (existing.first != pair.first) continue;
      if (existing.second == pair.second) {
        duplicate = true;
        break;
      }
      if (pair.first == kScope) {
        std::ostringstream message;
        message << "The  'on " << name << " {" << pair.first
                << "= ...} statement has multiple different scope definitions.";
        throw Exception(message);
      }
    }
    if (!duplicate) entry.push_back(pair);
  }
}

class CaptureRegistrar : public boost::static_visitor<void> {
 public:
  explicit CaptureRegistrar(ResultStore& store) : store_(store) {}
  void operator()(const std::string& text) const { store_.add_capture(text); }
  void operator()(const ast::node::AssignCaptureGroup& group) const {
    store_.add_capture(group.uri());
  }
  void operator()(const std::vector<ast::node::AssignCaptureGroup>& groups) const {
    for (const auto& group : groups) store_.add_capture(group.uri());
  }
  void operator()(const AttributeList&) const {}

 private:
  ResultStore& store_;
};

// Where the source stands in source order: statements given with no
// source open first, then the sources by their number (given in this build
// or in the stored file map), then sources without a number.
uint64_t source_rank(const ResultStore& store, const std::string& path) {
  if (path.empty()) return 0;
  auto opened = store.source_numbers.find(path);
  if (opened != store.source_numbers.end()) return uint64_t{opened->second} + 1;
  uint64_t rank = std::numeric_limits<uint64_t>::max();
  const std::string file = std::filesystem::path(path).filename().string();
  for (const auto& [key, value] : store.id_to_filename) {
    if (value != path) continue;
    const size_t underscore = key.find('_');
    if (underscore == 0 || underscore > 8 || key.compare(underscore + 1, std::string::npos, file) != 0) {
      continue;
    }
    uint64_t number = 0;
    bool hex = true;
    for (size_t i = 0; i < underscore && hex; ++i) {
      const char c = key[i];
      hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
      number = number * 16 + static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    if (hex) rank = std::min(rank, number + 1);
  }
  return rank;
}

// A source's settings are rebuilt from its first statement in this build
// on; what it had before is dropped.
AttributeCollectionMap& own_definitions(ResultStore& store) {
  AttributeCollectionMap& own = store.source_definitions[store.source_file];
  if (store.rebuilt_definitions.insert(store.source_file).second) own.clear();
  return own;
}

// Merges the statement into the settings of its own source.
void merge_own(AttributeCollectionMap& own, const std::string& name,
               const AnnotationAttributes& added) {
  auto found = own.find(name);
  if (found == own.end()) {
    own.emplace(name, added);
  } else {
    merge(name, found->second, added);
  }
}

}  // namespace

void read_source_definitions(ResultStore& store) {
  const std::shared_ptr<sqlite3>& twin = store.database->twin_db();
  if (!twin) return;
  const std::string prefix = kSourceDefinitionsRecord;
  std::vector<std::string> records;
  ser::foreach_rule(
      twin,
      [&](const std::tuple<std::string, std::string>& record) {
        records.push_back(std::get<0>(record));
        return true;
      },
      ser::like_escape(prefix) + "%");
  for (const std::string& record : records) {
    store.source_definitions[record.substr(prefix.size())] =
        ser::get_object<AttributeCollectionMap>(twin.get(), record);
  }
}

void store_source_definitions(ResultStore& store) {
  sqlite3* twin = store.database->twin_db().get();
  if (twin == nullptr) return;
  for (const std::string& path : store.rebuilt_definitions) {
    const AttributeCollectionMap& own = store.source_definitions[path];
    if (own.empty()) {
      ser::delete_binary_data(twin, kSourceDefinitionsRecord + path);
    } else {
      ser::store_object(twin, kSourceDefinitionsRecord + path, own, std::string());
    }
  }
}

AttributeCollectionMap merged_source_definitions(const ResultStore& store,
                                                 const std::string* except) {
  std::vector<std::pair<uint64_t, const std::string*>> order;
  for (const auto& entry : store.source_definitions) {
    if (except == nullptr || entry.first != *except) order.emplace_back(source_rank(store, entry.first), &entry.first);
  }
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : *a.second < *b.second;
  });
  AttributeCollectionMap merged;
  for (const auto& [rank, path] : order) {
    for (const auto& [name, settings] : store.source_definitions.at(*path)) {
      auto found = merged.find(name);
      if (found == merged.end()) {
        merged.emplace(name, settings);
      } else {
        merge(name, found->second, settings);
      }
    }
  }
  return merged;
}

void ResultStore::add_concept_definition(const ast::node::AnnotationDefinition& statement) {
  AttributeCollectionMap& own = own_definitions(*this);
  for (const std::string& part : string::split_vector(statement.names, ',', true)) {
    const std::string name = trim(part);
    if (name.find(' ') != std::string::npos || name.size() == 1) {
      compiler_error(
          "Invalid annotation name, spaces are not allowed in the uri name or should be bigger "
          "then 1 in the on statement. Did you forgot a ',' ? ",
          statement.line, 0, std::string(), 0);
    }
    auto found = concept_definitions.find(name);
    if (found == concept_definitions.end()) {
      concept_definitions.emplace(name, statement.attributes);
      merge_own(own, name, statement.attributes);
      continue;
    }
    const std::string text = "Redefinition off on statement, Merging 'on " + name + " { ... }";
    // An incremental build revisits the changed sources over the stored
    // definitions, so every on statement there is a redefinition: no
    // warning for those.
    if (database->incremental()) {
      wlog::log(wlog::kCompilerId, wlog::kLevelDebug, [&](std::ostream& os) { os << text; });
    } else {
      compiler_warning(text, statement.line, 0, 0);
      wlog::log(wlog::kCompilerId, wlog::kLevelWarning, [&](std::ostream& os) { os << text; });
    }
    merge(name, found->second, statement.attributes);
    merge_own(own, name, statement.attributes);
  }
}

void add_concept_definition_to_capture_groups(ResultStore* store,
                                              const AttributeCollectionMap& definitions) {
  const CaptureRegistrar registrar(*store);
  for (const auto& entry : definitions) {
    for (const auto& pair : entry.second) boost::apply_visitor(registrar, pair.second);
  }
}

}  // namespace compiler
}  // namespace zel
