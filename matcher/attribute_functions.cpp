#include "matcher/attribute_functions.h"

#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/navigation.h"
#include "base/attribute_string.h"
#include "base/logging.h"
#include "domain/domain_facade.h"
#include "matcher/plugin_calls.h"
#include "matcher/rule_functions.h"
#include "matcher/runtime_context.h"
#include "matcher/token_encoder.h"

namespace zel {
namespace kavero {

namespace {

using nlohmann::json;

constexpr char kOpenDocumentUri[] = "::python::kavero.plugin::open_doc";
// The options handed to the plugins, in the order they are handed over.
constexpr const char* kDateOptions[] = {"document_date", "document_date_format",
                                        "date_order", "initial_date"};

void warn(const char* what, const json& value) {
  std::cerr << "Domain:Warning: " << what << value.dump();
}

void log_error(const char* text, const ConceptAttributes* attributes) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
    os << text;
    if (attributes != nullptr) os << *attributes;
  });
}

// The analyzer the blackboard works for, else the one it was made for.
const Analyzer& analyzer_of(const Blackboard& blackboard) {
  return blackboard.analyzer ? *blackboard.analyzer
                             : *blackboard.analyzer_guard->analyzer;
}

// Gives rewritten tokens the ids of the blackboard's current domain again,
// and their sentence the ids with the token bit, as the document's encoding
// did before the rewrite.
class TokenReencoder {
 public:
  TokenReencoder(Blackboard& blackboard, SentenceInfo* sentence)
      : blackboard_(blackboard),
        sentence_(sentence != nullptr ? sentence->sentence : nullptr) {
    const std::shared_ptr<DomainFacade>& domain = blackboard.current_domain;
    if (domain && domain->token_encoder && domain->token_encoder->fst()) {
      encoder_.emplace(domain->token_encoder->search_arcs(),
                       *domain->token_encoder->symbols());
    }
  }

  void encode(Token& token) {
    if (!encoder_) return;
    Sentence* sentence = sentence_;
    if (sentence == nullptr) {
      SentenceInfo* info = get_sentence(blackboard_, token.begin);
      if (info != nullptr) sentence = info->sentence;
    }
    if (sentence != nullptr) encoder_->encode(token, *sentence);
  }

 private:
  Blackboard& blackboard_;
  Sentence* sentence_;
  std::optional<idstrm::TokenEncoder> encoder_;
};

}  // namespace

void inherit_attributes(const Concept* source, Concept* destination,
                        const std::string& keys) {
  std::shared_ptr<BaseFilter> filter;
  if (!keys.empty()) {
    filter = get_filter(keys);
    if (!filter) return;
  }
  // Copied first: the destination may be the source, or share its store.
  std::vector<Attribute> pairs(source->attributes.own.begin(),
                              source->attributes.own.end());
  if (source->attributes.store) {
    pairs.insert(pairs.end(), source->attributes.store->begin(),
                 source->attributes.store->end());
  }
  for (const Attribute& pair : pairs) {
    if (filter && !(*filter)(pair.first)) continue;
    destination->add(pair, kStoreWhenShared);
  }
}

std::vector<Concept*> find_concepts(Concept* c, const std::string& uri) {
  std::vector<Concept*> found;
  // The run of annotations sharing c's offsets that ends at c.
  Annotation* start = c;
  for (Annotation* a = c->prev; a != nullptr; a = a->prev) {
    if (a->begin != c->begin || a->end != c->end) {
      start = a->next;
      break;
    }
  }
  for (Annotation* a = start; a != nullptr && a != c->end_annotation;
       a = a->next) {
    Concept* candidate = annotation_cast<Concept>(a);
    if (candidate != nullptr && !candidate->deleted() && candidate->uri == uri) {
      found.push_back(candidate);
    }
  }
  return found;
}

void add_morphdata(std::list<MorphData>& readings, const json& morphology) {
  if (!morphology.is_object()) warn("morphology is not an object:", morphology);
  const auto text_member = [](const json& object, const char* key) {
    return object.is_object() && object.contains(key) && object[key].is_string();
  };
  if (!text_member(morphology, "pos") || !text_member(morphology, "stem")) {
    warn("morphology does not have a pos and stem or are not string objects",
         morphology);
    return;
  }
  readings.clear();
  MorphData& reading = readings.emplace_back(
      morphology["pos"].get<std::string>(), morphology["stem"].get<std::string>(),
      1.0);
  if (!morphology.contains("components")) return;
  reading.components.clear();
  const json& components = morphology["components"];
  if (!components.is_array()) {
    warn("components is not an array:", components);
    return;
  }
  for (const json& component : components) {
    if (!component.is_object()) {
      warn("component is not an array:", component);
    } else if (text_member(component, "pos") && text_member(component, "stem")) {
      reading.components.emplace_back(component["pos"].get<std::string>(),
                                      component["stem"].get<std::string>(), 1.0);
    } else {
      warn("component does not have a pos and stem:", component);
    }
  }
}

void set_arguments(const runtime::Context& context) {
  Blackboard& blackboard = *context.blackboard;
  for (const char* key : kDateOptions) {
    if (blackboard.properties_sent.count(key) != 0 ||
        blackboard.document_properties.count(key) != 0 ||
        !blackboard.option_view->has(key)) {
      continue;
    }
    const std::string value = blackboard.option_view->get(key);
    blackboard.document_properties[key] = value;
    plugins::set_match_context(context);
    if (!blackboard.python_document_open) {
      plugins::trigger(blackboard, kOpenDocumentUri, {});
      blackboard.python_document_open = true;
    }
    plugins::set_document_property(blackboard, key, value);
    blackboard.properties_sent.insert(key);
  }
}

std::string PushAttHandler::operator()(const runtime::Context& context) const {
  Concept* function = context.concept_annotation;
  std::string to;
  std::string from;
  if (context.arguments) {
    try {
      to = zel::get_attribute(*context.arguments, "to");
      from = zel::get_attribute(*context.arguments, "from");
    } catch (const std::out_of_range&) {
    }
  } else {
    to = function->get_attribute("to");
    from = function->get_attribute("from");
  }
  if (to.empty() || from.empty()) {
    log_error("kav::push_att function requires a 'from' and 'to' attribute !",
              &function->attributes);
    return std::string();
  }
  const std::shared_ptr<BaseFilter> from_filter = get_filter(from);
  if (!from_filter) return std::string();
  Concept* source = algin_to_top_sibling(from_filter, function);
  const std::shared_ptr<BaseFilter> to_filter = get_filter(to);
  const std::string keys = function->get_attribute("attributes");
  if (!to_filter) return std::string();
  if (context.scope == nullptr) {
    inherit_attributes(source, algin_to_top_sibling(to_filter, source), keys);
    return std::string();
  }
  for (Annotation* a = context.scope;
       a != nullptr && a != context.scope->end_annotation; a = a->next) {
    if ((*to_filter)(a)) {
      inherit_attributes(source, static_cast<Concept*>(a), keys);
    }
  }
  return std::string();
}

std::string InheritAttHandler::operator()(
    const runtime::Context& context) const {
  Concept* function = context.concept_annotation;
  const std::string to = function->get_attribute("to");
  const std::string from = function->get_attribute("from");
  if (to.empty() || from.empty()) {
    log_error("kav::inherit function requires a from and to attributes !",
              nullptr);
    return std::string();
  }
  const std::vector<Concept*> targets = find_concepts(function, to);
  if (targets.empty()) return std::string();
  const std::vector<Concept*> sources = find_concepts(function, from);
  if (sources.empty()) return std::string();
  inherit_attributes(sources.front(), targets.front(),
                     function->get_attribute("attributes"));
  return std::string();
}

std::string RewriteHandler::operator()(const runtime::Context& context) const {
  Concept* function = context.concept_annotation;
  const std::string text = function->get_attribute("_tokens");
  if (text.empty()) {
    function->flags.set(kDeleted);
    return std::string();
  }
  const json tokens = json::parse(text);
  Token* token = find_next_token(RawPtrIterator(function), 1);
  if (token == nullptr) return std::string();
  if (!tokens.is_array()) {
    warn("tokens is not an array:", tokens);
    return std::string();
  }
  TokenReencoder reencoder(*context.blackboard, context.sentence);
  for (const json& element : tokens) {
    if (token == nullptr) break;
    if (!element.is_object()) {
      warn("token is not an object:", element);
      return std::string();
    }
    if (auto literal = element.find("literal"); literal != element.end()) {
      if (!literal->is_string()) {
        warn("literal is not a string:", *literal);
        return std::string();
      }
      token->literal = literal->get<std::string>();
    }
    if (auto morphology = element.find("morphology");
        morphology != element.end()) {
      add_morphdata(token->readings, *morphology);
    }
    if (auto properties = element.find("properties");
        properties != element.end()) {
      token->properties.clear();
      if (properties->is_array() || properties->is_object()) {
        for (const json& item : *properties) {
          token->properties.insert(item.get<std::string>());
        }
      } else if (!properties->is_null()) {
        token->properties.insert(properties->get<std::string>());
      }
    }
    token->encodings.clear();
    reencoder.encode(*token);
    token = find_next_token(RawPtrIterator(token), 1);
  }
  function->flags.set(kDeleted);
  return std::string();
}

std::string SetMetaDataHandler::operator()(
    const runtime::Context& context) const {
  Concept* function = context.concept_annotation;
  for (const Attribute& pair : function->attributes.own) {
    context.blackboard->set_metadata(pair.first, json(to_string(pair.second)));
  }
  function->flags.set(kDeleted);
  return std::string();
}

std::string SetDocumentDateAttHandler::operator()(
    const runtime::Context& context) const {
  Blackboard& blackboard = *context.blackboard;
  plugins::set_match_context(context);
  if (!blackboard.python_document_open) set_arguments(context);
  const std::string result = plugins::trigger(
      blackboard, analyzer_of(blackboard).set_document_date_function(), {});
  blackboard.set_metadata("document_date", json(result));
  return result;
}

std::string ResolveDateAttHandler::operator()(
    const runtime::Context& context) const {
  Blackboard& blackboard = *context.blackboard;
  if (!blackboard.python_document_open) set_arguments(context);
  plugins::set_match_context(context);
  return plugins::trigger(blackboard,
                          analyzer_of(blackboard).resolve_date_function(), {});
}

}  // namespace kavero
}  // namespace zel
