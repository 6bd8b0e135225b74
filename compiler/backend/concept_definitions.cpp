#include "compiler/backend/concept_definitions.h"

#include <sstream>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/logging.h"
#include "base/string_util.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/domain_database.h"
#include "compiler/parser/diagnostics.h"

namespace zel {
namespace compiler {

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

}  // namespace

void ResultStore::add_concept_definition(const ast::node::AnnotationDefinition& statement) {
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
