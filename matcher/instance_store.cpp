#include "matcher/instance_store.h"

#include <exception>
#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>
#include <unicode/uchar.h>
#include <utf8.h>

#include "analysis/analyzer.h"
#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/option_collection.h"
#include "analysis/text_stream.h"
#include "base/exception.h"
#include "base/logging.h"
#include "base/normalize.h"
#include "base/options.h"
#include "matcher/plugin_api.h"
#include "matcher/plugin_calls.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace instances {

namespace {

constexpr char kPrefix[] = "[INSTANCE]:";

template <typename Compose>
void trace(Compose&& compose) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace, std::forward<Compose>(compose));
}

// The code points of a UTF-8 text; a byte that begins no valid sequence
// stands for itself, so a broken text still compares byte by byte.
std::vector<uint32_t> code_points(const std::string& text) {
  std::vector<uint32_t> out;
  auto it = text.begin();
  while (it != text.end()) {
    auto start = it;
    try {
      out.push_back(utf8::next(it, text.end()));
    } catch (const std::exception&) {
      it = start;
      out.push_back(static_cast<unsigned char>(*it));
      ++it;
    }
  }
  return out;
}

bool is_separator(uint32_t c) { return c == '-' || c == '.'; }

// The run of annotations that makes up a concept's range: from the first of
// the concepts right before it that share its offsets (itself when none, or
// when that run reaches the head of the list) up to its end annotation.
std::vector<Concept*> parts_named(Concept* whole, const std::string& uri) {
  Annotation* first = whole;
  while (first->prev != nullptr && first->prev->begin == whole->begin &&
         first->prev->end == whole->end) {
    first = first->prev;
  }
  if (first->prev == nullptr) first = whole;
  std::vector<Concept*> parts;
  for (Annotation* a = first; a != nullptr && a != whole->end_annotation;
       a = a->next) {
    Concept* c = annotation_cast<Concept>(a);
    if (c != nullptr && !c->deleted() && c->uri == uri) parts.push_back(c);
  }
  return parts;
}

}  // namespace

Instance::Instance() = default;

Instance::Instance(const std::string& text) {
  if (text.empty()) return;
  std::istringstream in(text);
  nlohmann::json json;
  in >> json;
  if (!json.is_object()) return;
  for (const auto& member : json.items()) {
    const std::string value = member.value().is_string()
                                  ? member.value().get<std::string>()
                                  : member.value().dump();
    attributes.add(member.key(), value, kStoreWhenShared);
  }
}

std::shared_ptr<Instance> convert_string_to_instance(const std::string& text) {
  return std::make_shared<Instance>(text);
}

std::string get_normalized_index_string(const Concept* concept_annotation) {
  return zel::string::normalize_word(get_person_canonical(concept_annotation));
}

bool compare_abbreviation_name(const std::string& full_text,
                               const std::string& short_text) {
  const std::vector<uint32_t> full = code_points(full_text);
  const std::vector<uint32_t> abbreviation = code_points(short_text);
  if (abbreviation.empty()) return full.empty();
  size_t f = 0;
  size_t s = 0;
  for (;;) {
    if (f == full.size()) return true;
    if (abbreviation[s] != full[f]) return false;
    ++s;
    // The rest of this word of the short name: lower-case letters follow
    // the full name's word letter by letter.
    while (s < abbreviation.size()) {
      const uint32_t c = abbreviation[s];
      if (is_separator(c) || u_isupper(static_cast<UChar32>(c))) break;
      if (u_islower(static_cast<UChar32>(c))) {
        ++f;
        if (f >= full.size() || full[f] != c) return false;
      }
      ++s;
    }
    if (s < abbreviation.size() && is_separator(abbreviation[s])) ++s;
    while (f < full.size() && full[f] != ' ') ++f;
    if (f < full.size()) ++f;
    if (s == abbreviation.size()) return f == full.size();
  }
}

bool NoGender(const std::string& key) { return key != "gender"; }

void IStore::close() {}
IStore::~IStore() = default;

namespace short_term {

Store::Store(std::set<std::string> tracked_names,
             std::shared_ptr<IStore> long_term_store)
    : tracked_names_(std::move(tracked_names)),
      long_term_store_(std::move(long_term_store)) {}

Store::~Store() = default;

bool Store::is_instance(const Concept* concept_annotation) const {
  return tracked_names_.count(concept_annotation->uri) > 0;
}

int64_t Store::newest(const std::string& key) const {
  auto entry = index_.find(key);
  if (entry == index_.end() || entry->second.empty()) return 0;
  return entry->second.back();
}

void Store::link(Concept* concept_annotation, int64_t n,
                 const KeyFilter& filter) {
  const std::shared_ptr<Instance>& instance = instances_.at(n);
  instance->attributes.share_from_this(concept_annotation->attributes, filter);
  concept_annotation->instance_index = n;
}

void Store::link_person(Concept* person, const std::string& family_key,
                        int64_t k, const std::string& genitive) {
  add_2_index(family_key, k);
  if (!genitive.empty()) add_2_index(family_key + genitive, k);
  link(person, k);
}

std::shared_ptr<Instance> Store::add_2_index(const std::string& key,
                                             int64_t n) {
  std::vector<int64_t>& indexes = index_[key];
  if (indexes.empty() || indexes.back() != n) indexes.push_back(n);
  auto instance = instances_.find(n);
  return instance != instances_.end() ? instance->second : nullptr;
}

void Store::check_concept(Blackboard& blackboard, Concept* concept_annotation) {
  if (!concept_annotation->instance_key &&
      tracked_names_.count(concept_annotation->uri) > 0) {
    if (concept_annotation->uri == "Person") {
      check_person(blackboard, concept_annotation);
    } else if (concept_annotation->uri == "GivenName") {
      const std::string key = get_normalized_index_string(concept_annotation);
      if (index_.count(key) > 0) {
        link(concept_annotation, newest(key));
      } else {
        waiting_.emplace(key, concept_annotation);
      }
    } else {
      check_any(blackboard, concept_annotation);
    }
  }
  if (long_term_store_) {
    long_term_store_->check_concept(blackboard, concept_annotation);
  }
}

void Store::check_any(Blackboard&, Concept* concept_annotation) {
  const std::string key = get_normalized_index_string(concept_annotation);
  if (index_.count(key) > 0) {
    link(concept_annotation, newest(key));
    return;
  }
  const int64_t n = ++last_index_;
  const std::string canonical = concept_annotation->get_attribute("canonical");
  auto instance = std::make_shared<Instance>();
  instance->attributes.add("text", get_canonical(concept_annotation),
                           kStoreWhenShared);
  instances_[n] = instance;
  link(concept_annotation, n);
  if (!canonical.empty()) {
    add_2_index(canonical, n);
    if (canonical != key) add_2_index(key, n);
  } else if (!key.empty()) {
    add_2_index(key, n);
  }
}

void Store::check_person(Blackboard& blackboard, Concept* person) {
  const std::string& genitive = blackboard.genitive;
  const std::vector<Concept*> givens = parts_named(person, "PersonGiv");
  const std::vector<Concept*> families = parts_named(person, "PersonFam");

  if (givens.size() != 1) {
    if (families.size() == 1) {
      const std::string family_key = get_normalized_index_string(families[0]);
      auto entry = index_.find(family_key);
      if (entry == index_.end()) {
        waiting_.emplace(family_key, person);
      } else if (!entry->second.empty()) {
        link(person, entry->second.front());
      }
    } else {
      const std::string key = get_normalized_index_string(person);
      if (index_.count(key) > 0) link(person, newest(key));
    }
    return;
  }

  Concept* given = givens[0];
  if (families.empty()) {
    const std::string given_key = get_normalized_index_string(given);
    if (index_.count(given_key) > 0) {
      link(person, newest(given_key));
    } else {
      waiting_given_.emplace_back(given_key, person);
    }
    return;
  }

  Concept* family = families[0];
  if (given->begin == family->begin) {
    if (given->end == family->end) {
      if (families.size() == 2) family = families[1];
    } else if (given->end < family->end) {
      // The given name is the beginning of the family name: no given name.
      given = nullptr;
    }
  }

  const std::string family_key = get_normalized_index_string(family);
  std::string given_key;
  std::string given_canonical;
  std::string full = family_key;
  if (given != nullptr) {
    given_key = get_normalized_index_string(given);
    given_canonical = get_person_canonical(given);
    full = given_key + " " + family_key;
  }

  if (index_.count(full) > 0) {
    link_person(person, family_key, newest(full), genitive);
    return;
  }

  // A person of a known family name: the instance without a given name
  // takes this one; one with the same given name, or an abbreviation of
  // it, is this person.
  const std::vector<Concept*> family_names = parts_named(family, "FamilyName");
  for (Concept* name : family_names) {
    auto entry = index_.find(get_normalized_index_string(name));
    if (entry == index_.end()) continue;
    const std::vector<int64_t> indexes = entry->second;
    for (int64_t k : indexes) {
      const std::string given_there =
          instances_.at(k)->attributes.get_attribute("given");
      if (given_there.empty()) {
        // Without a given name here there is nothing to add to it.
        // The full name is filed too: the given name is kept as its key,
        // which the next mention's given name would not equal, so without
        // it the same person named again became a new instance.
        if (given != nullptr) {
          add_2_index(given_key, k);
          add_2_index(full, k);
          instances_.at(k)->attributes.add("given", given_key,
                                           kStoreWhenShared);
        }
        link_person(person, family_key, k, genitive);
        return;
      }
      if (given_there == given_canonical ||
          compare_abbreviation_name(given_there, given_canonical)) {
        link_person(person, family_key, k, genitive);
        return;
      }
    }
  }

  const int64_t n = ++last_index_;
  auto instance = std::make_shared<Instance>();
  instances_[n] = instance;
  add_2_index(family_key, n);
  if (!genitive.empty()) add_2_index(family_key + genitive, n);
  add_2_index(full, n);
  if (given != nullptr) {
    add_2_index(given_key, n);
    if (!genitive.empty()) add_2_index(given_key + genitive, n);
  }
  for (Concept* name : family_names) {
    const std::string key = get_normalized_index_string(name);
    if (key != family_key) add_2_index(key, n);
  }
  const std::string family_text = get_person_canonical(family);
  instance->attributes.add("family", family_text, kStoreWhenShared);
  if (given != nullptr) {
    instance->attributes.add("given", given_canonical, kStoreWhenShared);
    instance->attributes.add("canonical", given_canonical + " " + family_text,
                             kStoreWhenShared);
  }
  link(person, n);
  auto waiting = waiting_.equal_range(family_key);
  for (auto it = waiting.first; it != waiting.second; ++it) {
    link(it->second, n, NoGender);
  }
  waiting_.erase(waiting.first, waiting.second);
}

void Store::close() {
  std::vector<std::pair<std::string, Concept*>> still_waiting;
  for (const auto& entry : waiting_given_) {
    const int64_t k = newest(entry.first);
    if (k != 0) {
      link(entry.second, k);
    } else {
      still_waiting.push_back(entry);
    }
  }
  waiting_given_.swap(still_waiting);
}

std::shared_ptr<Instance> Store::get_instance(
    Blackboard& blackboard, const Concept* concept_annotation) {
  if (concept_annotation->instance_index) {
    return instances_[*concept_annotation->instance_index];
  }
  if (long_term_store_ && concept_annotation->instance_key) {
    return long_term_store_->get_instance(blackboard, concept_annotation);
  }
  return nullptr;
}

std::shared_ptr<IStore> create_store(Blackboard& blackboard) {
  std::set<std::string> names;
  args::parse_option_collection(names, blackboard.option_view, "instances",
                                "Person");
  if (names.empty()) return nullptr;
  if (names.count("Person") > 0) names.insert("GivenName");
  std::shared_ptr<IStore> long_term;
  if (blackboard.analyzer) long_term = blackboard.analyzer->long_term_store();
  return std::make_shared<Store>(std::move(names), std::move(long_term));
}

}  // namespace short_term

namespace long_term {

Store::Store(const EngineInterface* engine,
             const std::shared_ptr<IOptions>& options) {
  if (options) module_ = options->get("instance_module");
  if (module_.empty()) return;
  const std::string text = plugins::call(engine, module_ + "::get_instances");
  trace([&](std::ostream& os) { os << kPrefix << text; });
  try {
    const nlohmann::json names = nlohmann::json::parse(text);
    if (!names.is_array()) {
      std::ostringstream message;
      message << " get_instances need to return a json string array.";
      throw Exception(message);
    }
    for (const nlohmann::json& name : names) {
      if (name.is_string()) tracked_names_.insert(name.get<std::string>());
    }
    check_instance_uri_ = module_ + "::check_instance";
    get_instance_uri_ = module_ + "::get_instance";
  } catch (const std::exception& e) {
    std::ostringstream message;
    message << "Invalid json option." << e.what();
    throw Exception(message);
  }
}

Store::~Store() = default;

bool Store::is_instance(const Concept* concept_annotation) const {
  return tracked_names_.count(concept_annotation->uri) > 0;
}

void Store::check_concept(Blackboard& blackboard, Concept* concept_annotation) {
  if (concept_annotation->instance_key ||
      tracked_names_.count(concept_annotation->uri) == 0) {
    return;
  }
  const std::string text = get_canonical(concept_annotation);
  const std::vector<plugins::DataObject> arguments = {{1, text.c_str()}};
  plugins::set_match_context(
      runtime::Context(&blackboard, concept_annotation));
  const std::string answer =
      plugins::trigger(blackboard, check_instance_uri_, arguments);
  // An empty answer says that nobody could be asked (no such plugin, or a
  // document without plugins): as with "false", no key, so that such
  // concepts do not all become one instance.
  if (answer.empty() || answer == "false") return;
  concept_annotation->instance_key = answer;
}

std::shared_ptr<Instance> Store::get_instance(
    Blackboard& blackboard, const Concept* concept_annotation) {
  if (!concept_annotation->instance_key) return nullptr;
  const std::string& key = *concept_annotation->instance_key;
  auto cached = blackboard.long_term_cache.find(key);
  if (cached != blackboard.long_term_cache.end()) return cached->second;
  trace([&](std::ostream& os) {
    os << kPrefix << "[" << get_instance_uri_ << "]";
  });
  const std::vector<plugins::DataObject> arguments = {{1, key.c_str()}};
  const std::string text =
      plugins::call(blackboard.engine(), get_instance_uri_, arguments);
  std::shared_ptr<Instance> instance = convert_string_to_instance(text);
  blackboard.long_term_cache[key] = instance;
  return instance;
}

std::shared_ptr<IStore> create_store(std::shared_ptr<EngineInterface> engine,
                                     const std::shared_ptr<IOptions>& options) {
  if (!options || options->get("instance_module").empty()) return nullptr;
  auto store = std::make_shared<Store>(engine.get(), options);
  if (store->tracked_names().empty()) return nullptr;
  return store;
}

}  // namespace long_term

void apply(Blackboard* blackboard) {
  std::shared_ptr<IStore> short_term = blackboard->short_term_store;
  std::shared_ptr<IStore> long_term;
  if (blackboard->analyzer) {
    long_term = blackboard->analyzer->long_term_store();
  } else if (blackboard->analyzer_guard &&
             blackboard->analyzer_guard->analyzer) {
    long_term = blackboard->analyzer_guard->analyzer->long_term_store();
  }
  if (!short_term && !long_term) return;
  if (blackboard->annotations) {
    for (Annotation* s : *blackboard->annotations) {
      Sentence* sentence = annotation_cast<Sentence>(s);
      if (sentence == nullptr) continue;
      for (Annotation* a = sentence->annotations.head; a != nullptr;
           a = a->next) {
        Concept* c = annotation_cast<Concept>(a);
        if (c == nullptr || c->deleted() || c->instance_key) continue;
        // The concepts inside one that a store handled are not offered.
        Annotation* next = c;
        if (short_term && short_term->is_instance(c)) {
          short_term->check_concept(*blackboard, c);
          if (c->end_annotation != nullptr) next = c->end_annotation;
        }
        if (!c->instance_key && long_term && long_term->is_instance(c)) {
          long_term->check_concept(*blackboard, c);
          if (c->end_annotation != nullptr) next = c->end_annotation;
        }
        a = next;
      }
    }
  }
  if (short_term) short_term->close();
}

}  // namespace instances
}  // namespace kavero
}  // namespace zel
