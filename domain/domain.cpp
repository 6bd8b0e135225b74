#include "domain/domain.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/annotation.h"
#include "analysis/annotation_printer.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "base/exception.h"
#include "base/logging.h"
#include "domain/domain_facade.h"
#include "domain/domain_keys.h"
#include "domain/lexicon_lookup.h"
#include "matcher/anaphora.h"
#include "matcher/conjecture.h"
#include "matcher/match_driver.h"
#include "matcher/rule_clusters.h"
#include "matcher/rule_functions.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace kavero {

using json = nlohmann::json;

namespace {

constexpr char kNoFiltering[] = ".*";

template <class Compose>
void log_debug(Compose&& compose) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, std::forward<Compose>(compose));
}

bool is_intermediate(const Concept& concept_annotation) {
  return !concept_annotation.uri.empty() && concept_annotation.uri[0] == '$';
}

// Calls `f` on every concept of the document list and of its sentences.
template <class F>
void for_each_concept(const AnnotationCollection& document, F&& f) {
  for (Annotation* item : document) {
    if (Concept* c = annotation_cast<Concept>(item)) f(*c);
    if (Sentence* sentence = annotation_cast<Sentence>(item)) {
      for (Annotation* a : sentence->annotations) {
        if (Concept* c = annotation_cast<Concept>(a)) f(*c);
      }
    }
  }
}

// The concept names of a description's "concepts" member into the filter;
// false when it asks for no filtering.
bool add_described_concepts(const json& concepts, OutputFilter& filter) {
  if (concepts.is_string()) {
    const std::string& name = concepts.get_ref<const std::string&>();
    if (name == kNoFiltering) return false;
    filter.add(name);
  } else if (concepts.is_array() || concepts.is_object()) {
    for (const json& name : concepts) filter.add(name.get<std::string>());
  } else if (!concepts.is_null()) {
    filter.add(concepts.get<std::string>());
  }
  return true;
}

// The description's "concepts", when the main domain's information has a
// description that names them.
const json* described_concepts(const DomainFacade& domain) {
  if (!domain.domain_info || !domain.domain_info->is_object()) return nullptr;
  const json& info = *domain.domain_info;
  const auto description = info.find(kDomInfoKey);
  if (description == info.end() || !description->is_object()) return nullptr;
  const auto concepts = description->find("concepts");
  return concepts == description->end() ? nullptr : &*concepts;
}

}  // namespace

Domain::Domain(std::shared_ptr<EngineInterface> engine, const char* text,
               const std::shared_ptr<IOptions>& options)
    : options(options ? options : std::make_shared<Options>()),
      filter(std::make_shared<OutputFilter>()) {
  name = engine->get_domain_filename(text != nullptr ? text : "");
  log_debug([&](std::ostream& os) { os << "load domain:" << name << " options: " << this->options; });
  domains = engine->get_domains(name, this->options->get_bool("cache", true));
  for (const auto& entry : domains) {
    if (entry.first == name) {
      main_domain = entry.second;
      break;
    }
  }
  if (!main_domain) {
    std::ostringstream message;
    message << "Cannot find domain file " << name;
    throw Exception(message);
  }

  filter->add("Sentence");
  if (this->options->has("annotation_filter")) {
    // The option chooses for this domain object alone: the shared domain's
    // own filter is left as it is.
    const std::string text_filter = this->options->get("annotation_filter");
    if (text_filter == kNoFiltering) {
      filter.reset();
    } else {
      const std::shared_ptr<OutputFilter> named = make_output_filter(main_domain, text_filter);
      for (const std::string& part : named->names) filter->add(part);
    }
  } else if (const json* concepts = described_concepts(*main_domain)) {
    if (!add_described_concepts(*concepts, *filter)) filter.reset();
  } else if (main_domain->output_filter) {
    for (const std::string& part : main_domain->output_filter->names) filter->add(part);
  }
  if (filter && !filter->names.empty()) filter->build();
}

Domain::~Domain() = default;

void Domain::process(Blackboard& blackboard) const {
  try {
    if (!needs_to_run_domain(blackboard, main_domain)) {
      mark_output_concepts_as_import(blackboard, filter);
      domain_done_processing(blackboard, main_domain);
      return;
    }
    blackboard.domains = domains;
    all_domains_lexicon_lookup(blackboard);
    for (const auto& [domain_name, facade] : domains) {
      if (!needs_to_run_domain(blackboard, facade)) continue;
      facade->touch();
      clear_encoded_stream(blackboard);
      blackboard.set_current_domain(facade);
      domain_match_rules(blackboard, facade);
      apply_delayed_functions(blackboard);
      if (blackboard.dbg["print_annotations"]) {
        std::cout << "Domain: " << domain_name << "\n" << std::string(58, '-') << std::endl;
        RawAnnotationPrinter printer(std::cout);
        for (Annotation* annotation : *blackboard.annotations) printer.visit(annotation);
      }
      remove_intermediate_concepts(blackboard);
      // The anaphora store outlives this domain: it must not keep pointers
      // to the concepts about to be deleted.
      anaphora::forget_concepts_to_delete(blackboard);
      purge_deleted_concepts(blackboard);
      domain_done_processing(blackboard, facade);
    }
    mark_output_concepts_as_import(blackboard, filter);
    // The document changed: the host's next request prints it anew.
    blackboard.result_json.clear();
    domain_done_processing(blackboard, main_domain);
  } catch (const std::exception& e) {
    std::cerr << "Domain::process:" << e.what() << std::endl;
    throw;
  }
}

const char* Domain::info() const {
  json description = main_domain->domain_info ? *main_domain->domain_info : json();
  if (!domains.empty()) {
    json run_order = json::array();
    for (const auto& entry : domains) run_order.push_back(entry.second->get_sqlite_filename());
    description[kDomKey]["run_order"] = std::move(run_order);
  }
  info_text = description.dump(-1, ' ', false, json::error_handler_t::strict);
  return info_text.c_str();
}

std::shared_ptr<OutputFilter> make_output_filter(const std::shared_ptr<DomainFacade>& /*domain*/,
                                                 const std::string& text) {
  auto result = std::make_shared<OutputFilter>();
  if (text.empty()) return result;
  size_t begin = 0;
  while (true) {
    const size_t bar = text.find('|', begin);
    result->add(text.substr(begin, bar == std::string::npos ? std::string::npos : bar - begin));
    if (bar == std::string::npos) break;
    begin = bar + 1;
  }
  return result;
}

bool needs_to_run_domain(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain) {
  return blackboard.domains_done.count(domain->get_sqlite_filename()) == 0;
}

void domain_done_processing(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain) {
  blackboard.domains_done.insert(domain->get_sqlite_filename());
}

bool domain_match_rules(Blackboard& blackboard, const std::shared_ptr<DomainFacade>& domain) {
  log_debug([&](std::ostream& os) {
    os << "Component : domain match_rules" << domain->get_sqlite_filename();
  });
  encode_stream(blackboard, domain);
  if (!blackboard.conjector) blackboard.conjector = create_conjecture_collector(blackboard);
  for (const auto& [cluster, collection] : domain->rule_collections) {
    if (cluster == "conjecture") match_ids(blackboard, domain, collection, *blackboard.conjector);
  }
  apply_conjecture(blackboard);
  match_ids(blackboard, domain, all_namespace_except_conjecture);
  return true;
}

void remove_intermediate_concepts(Blackboard& blackboard) {
  for (Annotation* item : *blackboard.annotations) {
    Sentence* sentence = annotation_cast<Sentence>(item);
    if (sentence == nullptr) continue;
    std::vector<Concept*> open;
    Annotation* a = sentence->annotations.head;
    while (a != nullptr) {
      Annotation* next = a->next;
      if (Concept* c = annotation_cast<Concept>(a)) {
        if (is_intermediate(*c)) {
          open.push_back(c);
          c->flags.set(kToDelete);
        } else {
          for (Concept* intermediate : open) remove_parent(c, intermediate);
        }
      } else if (EndAnnotation* end = annotation_cast<EndAnnotation>(a)) {
        for (auto it = open.begin(); it != open.end();) {
          auto closed = std::find(end->concepts.begin(), end->concepts.end(), *it);
          if (closed == end->concepts.end()) {
            ++it;
            continue;
          }
          end->concepts.erase(closed);
          // The end annotation may go now; nothing may point at it.
          (*it)->end_annotation = nullptr;
          it = open.erase(it);
        }
        if (end->concepts.empty()) sentence->annotations.erase(end);
      }
      a = next;
    }
  }
}

void purge_deleted_concepts(Blackboard& blackboard) {
  for_each_concept(*blackboard.annotations, [](Concept& c) {
    if (!c.parents) return;
    std::vector<Concept*>& parents = *c.parents;
    parents.erase(std::remove_if(parents.begin(), parents.end(),
                                 [](const Concept* parent) {
                                   return parent->flags.test(kDeleted) ||
                                          parent->flags.test(kToDelete);
                                 }),
                  parents.end());
  });
  for (Annotation* item : *blackboard.annotations) {
    Sentence* sentence = annotation_cast<Sentence>(item);
    if (sentence == nullptr) continue;
    std::vector<Concept*> doomed;
    for (Annotation* a : sentence->annotations) {
      Concept* c = annotation_cast<Concept>(a);
      if (c != nullptr && c->flags.test(kToDelete)) doomed.push_back(c);
    }
    for (Concept* c : doomed) {
      // An end annotation must not keep a deleted concept; one that closes
      // nothing more goes with it.
      if (EndAnnotation* end = c->end_annotation) {
        end->concepts.erase(std::remove(end->concepts.begin(), end->concepts.end(), c),
                            end->concepts.end());
        if (end->concepts.empty()) sentence->annotations.erase(end);
      }
      sentence->annotations.erase(c);
    }
  }
}

void mark_output_concepts_as_import(Blackboard& blackboard,
                                    const std::shared_ptr<OutputFilter>& filter) {
  const bool all = !filter || filter->names.empty();
  for_each_concept(*blackboard.annotations, [&](Concept& c) {
    if (c.flags.test(kImport)) return;
    if (all || filter->has(c.uri)) c.flags.set(kImport);
  });
}

json to_json(const std::map<std::string, NamespaceAction>& actions) {
  json result = json::object();
  for (const auto& [space, action] : actions) {
    result[space] = json(action.names);
  }
  return result;
}

}  // namespace kavero
}  // namespace zel
