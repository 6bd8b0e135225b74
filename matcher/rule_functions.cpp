#include "matcher/rule_functions.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/filter.h"
#include "base/exception.h"
#include "matcher/attribute_functions.h"
#include "matcher/conjecture.h"
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
    (*rows)["kav::filter"] = {immediate, FilterHandler()};
    (*rows)["kav::delete"] = {immediate, FilterHandler()};
    (*rows)["kav::rewrite"] = {immediate, RewriteHandler()};
    (*rows)["kav::push_att"] = {delayed, PushAttHandler()};
    (*rows)["kav::inherit"] = {delayed, InheritAttHandler()};
    (*rows)["kav::set_document_date"] = {immediate,
                                         SetDocumentDateAttHandler()};
    (*rows)["kav::resolve_date"] = {delayed, ResolveDateAttHandler()};
    (*rows)["kav::set_memento"] = {immediate, SetMementoHandler()};
    (*rows)["kav::has_memento"] = {immediate, HasMementoHandler()};
    (*rows)["kav::set_metadata"] = {delayed, SetMetaDataHandler()};
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
  std::stable_sort(pending.begin(), pending.end(),
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

std::string FilterHandler::operator()(const runtime::Context& context) const {
  Concept* function = context.concept_annotation;
  const std::string& target = function->get_attribute("concept");
  if (target.empty()) return std::string();
  std::shared_ptr<BaseFilter> filter = get_filter(target);
  if (!filter) return std::string();
  Concept* top = algin_to_top_sibling(filter, function);
  RawPtrIterator last(top->end_annotation);
  if (count_valid_attributes(function->attributes) == 1) {
    delete_concept(filter, RawPtrIterator(top), last);
    delete_conjecture(*context.blackboard, top, top->uri);
    top->flags.set(kDeleted);
    top->flags.set(kFiltered);
    function->flags.set(kDeleted);
    mark_childeren_as_deleted(top, kDeleted);
    mark_childeren_as_deleted(top, kFiltered);
  } else {
    function->flags.set(kDeleted);
    delete_concept_attributes(filter, RawPtrIterator(top), last,
                              function->attributes);
  }
  return std::string();
}

bool EqualFilter::check(const Annotation* annotation) const {
  const Concept* c = annotation_cast<Concept>(annotation);
  return c != nullptr && c->uri == text_;
}

bool EqualFilter::operator()(const Annotation* annotation) const {
  const Concept* c = annotation_cast<Concept>(annotation);
  return c != nullptr && !c->deleted() && c->uri == text_;
}

bool EqualFilter::operator()(const std::string& text) const {
  return text == text_;
}

std::shared_ptr<BaseFilter> get_filter(const std::string& text) {
  if (text.size() >= 2 && text.front() == '/' && text.back() == '/') {
    try {
      return std::make_shared<RegexFilter>(text.substr(1, text.size() - 2));
    } catch (const std::exception& e) {
      std::cerr << "Could not parse regular expression. " << e.what() << ":"
                << text << std::endl;
      return nullptr;
    }
  }
  return std::make_shared<EqualFilter>(text);
}

Concept* algin_to_top_sibling(const std::shared_ptr<BaseFilter>& filter,
                              Concept* c) {
  if (c == nullptr) return c;
  const auto same_span = [c](Annotation* a) {
    return a != nullptr && a->kind == kConceptKind && a->begin == c->begin &&
           a->end == c->end;
  };
  for (Annotation* a = c; same_span(a); a = a->next) {
    if ((*filter)(a)) return static_cast<Concept*>(a);
  }
  for (Annotation* a = c; same_span(a); a = a->prev) {
    if ((*filter)(a)) return static_cast<Concept*>(a);
  }
  return c;
}

RawPtrIterator delete_concept(const std::shared_ptr<BaseFilter>& filter,
                              RawPtrIterator first, RawPtrIterator last) {
  for (RawPtrIterator it = first; it != last; ++it) {
    Annotation* a = *it;
    if (!(*filter)(a)) continue;
    Concept* c = static_cast<Concept*>(a);
    c->flags.set(kDeleted);
    c->flags.set(kFiltered);
    mark_childeren_as_deleted(c, kDeleted);
    mark_childeren_as_deleted(c, kFiltered);
  }
  return last;
}

void delete_concept_attributes(const std::shared_ptr<BaseFilter>& filter,
                               RawPtrIterator first, RawPtrIterator last,
                               const ConceptAttributes& pairs) {
  for (RawPtrIterator it = first; it != last; ++it) {
    Annotation* a = *it;
    if (!(*filter)(a)) continue;
    Concept* c = static_cast<Concept*>(a);
    for (const Attribute& pair : pairs.own) {
      if (c->has_attribute(pair.first)) {
        c->remove_attribute(pair.first, to_string(pair.second));
      }
    }
  }
}

size_t count_valid_attributes(const ConceptAttributes& attributes) {
  size_t n = attributes.own.size();
  if (attributes.store) n += attributes.store->size();
  if (n <= 1) return n;
  if (attributes.has_attribute("_rule")) {
    --n;
    if (n == 1) return 1;
  }
  if (attributes.has_attribute("_domain")) --n;
  return n;
}

}  // namespace kavero
}  // namespace zel
