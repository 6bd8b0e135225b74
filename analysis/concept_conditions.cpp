#include "analysis/concept_conditions.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/filter.h"
#include "analysis/formatted_attributes.h"
#include "analysis/text_stream.h"
#include "base/logging.h"
#include "domain/concept_records.h"
#include "matcher/memento_store.h"
#include "matcher/rule_functions.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

namespace {

constexpr char kPushAtt[] = "kav::push_att";
constexpr char kInherit[] = "kav::inherit";
constexpr char kAnaphora[] = "kav::anaphora";

bool is_private_key(const std::string& key) {
  return !key.empty() && key[0] == '_';
}

// The texts of every own value of the key, in list order.
std::vector<std::string> own_values(const Concept* c, const std::string& key) {
  std::vector<std::string> values;
  for (const Attribute& pair : c->attributes.own) {
    if (pair.first == key) values.push_back(to_string(pair.second));
  }
  return values;
}

// Calls f(pair) for the own pairs, then the store's.
template <typename F>
void for_each_pair(const ConceptAttributes& attributes, F&& f) {
  for (const Attribute& pair : attributes.own) f(pair);
  if (attributes.store) {
    for (const Attribute& pair : *attributes.store) f(pair);
  }
}

}  // namespace

const Regex& inherit_regex_pattern() {
  static const Regex* pattern = new Regex(
      "([A-Za-z_0-9]+)\\[([1-9])\\](?:\\.([A-Za-z_0-9]+))?", false);
  return *pattern;
}

bool apply_pos_filter(AnnotationCollection& /*list*/,
                      Concept* concept_annotation) {
  if (!concept_annotation->has_attribute("pos")) return true;
  const std::string sequence = get_pos_sequence(concept_annotation);
  bool passed = false;
  for (std::string value : own_values(concept_annotation, "pos")) {
    value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
    if (value.size() > 1 && value.front() == '/' && value.back() == '/') {
      if (RegexFilter(value.substr(1, value.size() - 2))(sequence)) {
        passed = true;
      }
    } else if (LiteralFilter(value)(sequence)) {
      passed = true;
    }
  }
  concept_annotation->remove_attributes("pos");
  if (!passed) concept_annotation->flags.set(kDeleted);
  return passed;
}

void apply_inheritance(AnnotationCollection& list,
                       Concept* concept_annotation) {
  if (concept_annotation->uri == kAnaphora) return;
  std::vector<Attributes> collected;
  for (const std::string& value : own_values(concept_annotation, "inherit")) {
    if (value == "true") {
      collected.push_back(
          collect_inheritance_attribute(list, concept_annotation));
    } else {
      collected.push_back(
          collect_inheritance_attribute(list, concept_annotation, value));
    }
  }
  concept_annotation->remove_attributes("inherit");
  for (const Attributes& attributes : collected) {
    concept_annotation->add(attributes, kStoreWhenShared);
  }
}

Attributes collect_inheritance_attribute(AnnotationCollection& /*list*/,
                                         Concept* concept_annotation) {
  Attributes result;
  const Annotation* closing = concept_annotation->end_annotation;
  if (closing == nullptr || closing == concept_annotation ||
      concept_annotation->next == closing) {
    return result;
  }
  for (const Annotation* a = closing->prev;
       a != nullptr && a != concept_annotation; a = a->prev) {
    const Concept* inner = annotation_cast<Concept>(a);
    if (inner == nullptr || inner->uri != concept_annotation->uri ||
        inner->deleted()) {
      continue;
    }
    for_each_pair(inner->attributes, [&](const Attribute& pair) {
      if (is_private_key(pair.first) || result.has_attribute(pair.first)) {
        return;
      }
      result.add(pair);
    });
  }
  return result;
}

Attributes collect_inheritance_attribute(AnnotationCollection& /*list*/,
                                         Concept* concept_annotation,
                                         const std::string& inherit) {
  Attributes result;
  SMatch match;
  if (!inherit_regex_pattern().regex_match(inherit, match)) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, [](std::ostream& os) {
      os << "Could not parse inherit attribute, check your rules";
    });
    return result;
  }
  const std::string& name = match[1].text;
  const int wanted = match[2].text[0] - '0';
  const bool one_key = match[3].matched;
  const std::string& key = match[3].text;

  const Concept* first = align_begin_concept(concept_annotation);
  const Annotation* closing = first->end_annotation;
  if (closing == first) return result;
  int seen = 0;
  for (const Annotation* a = first; a != nullptr && a != closing;
       a = a->next) {
    const Concept* inner = annotation_cast<Concept>(a);
    if (inner == nullptr || inner == concept_annotation ||
        inner->uri != name || inner->deleted()) {
      continue;
    }
    if (++seen < wanted) continue;
    for_each_pair(inner->attributes, [&](const Attribute& pair) {
      if (is_private_key(pair.first)) return;
      if (one_key && pair.first != key) return;
      result.add(pair);
    });
    return result;
  }
  return Attributes();
}

void apply_conditions(Blackboard& blackboard, Concept* concept_annotation) {
  bool holds = true;
  for (const std::string& value :
       own_values(concept_annotation, "_condition")) {
    if (!blackboard.memento_store) {
      concept_annotation->flags.set(kDeleted);
      continue;
    }
    if (!holds) break;
    const size_t equals = value.find('=');
    holds = equals != std::string::npos &&
            blackboard.memento_store->has(value.substr(0, equals),
                                          value.substr(equals + 1),
                                          concept_annotation->begin);
  }
  if (!holds) concept_annotation->flags.set(kDeleted);
}

void apply_concept_definitions(
    AddConceptToCollection& inserter,
    const std::map<std::string, ConceptDefinition>& definitions,
    Concept* concept_annotation, runtime::Context& context) {
  auto found = definitions.find(concept_annotation->uri);
  if (found == definitions.end()) return;
  const ConceptDefinition& definition = found->second;
  Blackboard& blackboard = *inserter.blackboard;

  Attributes defaults;
  for (const Attribute& pair : definition.attributes) {
    const std::string& text = to_string(pair.second);
    if (text.size() >= 2 && text[0] == 'f' && text[1] == '"') {
      const std::string format =
          text.size() >= 3 ? text.substr(2, text.size() - 3) : std::string();
      defaults.push_back(
          Attribute(pair.first, AttributeFormatValue{format, std::string()}));
    } else {
      defaults.push_back(pair);
    }
  }
  resolve_attributes(blackboard, defaults, context);
  for (const Attribute& pair : defaults) {
    concept_annotation->add(pair.first, to_string(pair.second),
                            kStoreWhenShared);
  }

  for (const KavFunctionPlaceHolder& action : definition.functions) {
    if (action.name == kPushAtt) {
      context.name = action.name;
      context.arguments = convert_attributes(action.attributes);
      apply_function(blackboard, context);
    } else if (action.name == kInherit) {
      // Skipped: see the header.
      continue;
    } else {
      inserter.insert(RawPtrIterator(concept_annotation),
                      RawPtrIterator(concept_annotation->end_annotation),
                      action.name, action.attributes, nullptr,
                      "concept_definitions");
    }
  }
}

}  // namespace kavero
}  // namespace zel
