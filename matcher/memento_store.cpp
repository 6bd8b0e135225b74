#include "matcher/memento_store.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

namespace {

// Calls f(key, text) for every pair of the own list, then of the store.
template <typename F>
void for_each_pair(const ConceptAttributes& attributes, F&& f) {
  for (const Attribute& pair : attributes.own) {
    if (!f(pair.first, to_string(pair.second))) return;
  }
  if (!attributes.store) return;
  for (const Attribute& pair : *attributes.store) {
    if (!f(pair.first, to_string(pair.second))) return;
  }
}

Memento::const_iterator first_at_or_after(const Memento& memento,
                                          uint32_t position) {
  return std::lower_bound(memento.begin(), memento.end(),
                          MementoData{position, std::string()}, sort_function);
}

}  // namespace

bool sort_function(const MementoData& a, const MementoData& b) {
  return a.position < b.position;
}

bool eqange_range_function(const MementoData& a, const MementoData& b) {
  return a.text < b.text;
}

void print_memento_info(const MementoStore& store) {
  for (const auto& [key, memento] : store.mementos) {
    std::cout << "key:" << key << "\n";
    for (const MementoData& entry : memento) {
      std::cout << "location:" << entry.position << " value:" << entry.text
                << "\n";
    }
  }
  std::cout.flush();
}

void MementoStore::add(const std::string& key, const std::string& text,
                       uint32_t position) {
  Memento& memento = mementos[key];
  auto at = first_at_or_after(memento, position);
  if (at != memento.end() && at->position == position && at->text == text) {
    return;
  }
  memento.insert(at, MementoData{position, text});
}

bool MementoStore::has(const std::string& key, const std::string& text,
                       uint32_t position) const {
  auto found = mementos.find(key);
  if (found == mementos.end()) return false;
  const Memento& memento = found->second;
  auto entry = first_at_or_after(memento, position);
  if (entry != memento.begin()) --entry;
  for (; entry != memento.end() && entry->position <= position; ++entry) {
    if (entry->text == text) return true;
  }
  return false;
}

std::string SetMementoHandler::operator()(
    const runtime::Context& context) const {
  Blackboard& blackboard = *context.blackboard;
  const Concept* function = context.concept_annotation;
  if (!blackboard.memento_store) {
    blackboard.memento_store = std::make_shared<MementoStore>();
  }
  MementoStore& store = *blackboard.memento_store;
  for_each_pair(function->attributes,
                [&](const std::string& key, const std::string& text) {
                  store.add(key, text, function->begin);
                  return true;
                });
  return std::string();
}

std::string HasMementoHandler::operator()(
    const runtime::Context& context) const {
  Blackboard& blackboard = *context.blackboard;
  Concept* function = context.concept_annotation;
  if (!blackboard.memento_store) return std::string();
  const MementoStore& store = *blackboard.memento_store;
  bool holds = true;
  for_each_pair(function->attributes,
                [&](const std::string& key, const std::string& text) {
                  if (key == "concept") return true;
                  holds = store.has(key, text, function->begin);
                  return holds;
                });
  if (!holds || !blackboard.collector) return std::string();
  Concept* inserted = (*blackboard.collector)(
      function, function->end_annotation, function->get_attribute("concept"),
      std::string(), nullptr, "memento");
  if (inserted != nullptr) inserted->flags.set(kImport);
  return std::string();
}

}  // namespace kavero
}  // namespace zel
