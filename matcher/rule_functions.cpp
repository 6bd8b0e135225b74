#include "matcher/rule_functions.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "base/exception.h"
#include "matcher/memento_store.h"
#include "matcher/plugin_calls.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

namespace {

using Handler = boost::function<std::string(const runtime::Context&)>;

// The handler of a built-in whose implementation is not available yet.
struct NotAvailableHandler {
  std::string name;
  std::string operator()(const runtime::Context&) const {
    std::ostringstream message;
    message << "The rule function '" << name << "' is not available yet.";
    throw Exception(message);
  }
};

const std::map<std::string, std::pair<execution_time, Handler>>&
function_table() {
  static const auto* table = [] {
    auto* rows = new std::map<std::string, std::pair<execution_time, Handler>>;
    auto missing = [&](const char* name, execution_time when) {
      (*rows)[name] = {when, NotAvailableHandler{name}};
    };
    missing("kav::anaphora", delayed);
    missing("kav::filter", immediate);
    missing("kav::delete", immediate);
    missing("kav::rewrite", immediate);
    missing("kav::push_att", delayed);
    missing("kav::inherit", delayed);
    missing("kav::set_document_date", immediate);
    missing("kav::resolve_date", delayed);
    (*rows)["kav::set_memento"] = {immediate, SetMementoHandler()};
    (*rows)["kav::has_memento"] = {immediate, HasMementoHandler()};
    missing("kav::set_metadata", delayed);
    return rows;
  }();
  return *table;
}

bool starts_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

bool is_function(const std::string& name) {
  return starts_with(name, "kav::") || starts_with(name, "::");
}

void apply_function(Blackboard& blackboard, const runtime::Context& context) {
  const auto& table = function_table();
  auto row = table.find(context.name);
  if (row != table.end()) {
    if (row->second.first == delayed) {
      blackboard.delayed_functions.emplace_back(row->second.second, context);
    } else {
      row->second.second(context);
    }
  } else if (starts_with(context.name, "kav::filter")) {
    table.at("kav::filter").second(context);
  } else if (starts_with(context.name, "::")) {
    blackboard.delayed_functions.emplace_back(plugins::PluginHandler(),
                                              context);
  }
}

void apply_delayed_functions(Blackboard& blackboard) {
  std::vector<DelayedFunction> pending;
  pending.swap(blackboard.delayed_functions);
  std::sort(pending.begin(), pending.end(),
            [](const DelayedFunction& a, const DelayedFunction& b) {
              return *a.second.concept_annotation < *b.second.concept_annotation;
            });
  try {
    for (const DelayedFunction& entry : pending) entry.first(entry.second);
  } catch (...) {
    blackboard.delayed_functions.insert(
        blackboard.delayed_functions.begin(),
        std::make_move_iterator(pending.begin()),
        std::make_move_iterator(pending.end()));
    throw;
  }
}

bool operator<(const Concept& a, const Concept& b) {
  return a.begin < b.begin || (a.begin == b.begin && a.end < b.end);
}

}  // namespace kavero
}  // namespace zel
