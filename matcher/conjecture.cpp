#include "matcher/conjecture.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <utf8.h>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/text_stream.h"
#include "base/logging.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "core-afst/builder.h"
#include "domain/lexicon_facade.h"
#include "domain/lexicon_lookup.h"
#include "matcher/rule_functions.h"

namespace zel {
namespace kavero {

namespace {

constexpr char kTag[] = "[CONJECTURE]: ";
constexpr char kCleaned[] = "(){}:.[]*+";
// The transducer builder's empty label.
constexpr char kEpsilon[] = "eps";

template <class Compose>
void trace(Compose&& compose) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace, [&](std::ostream& os) {
    os << kTag;
    compose(os);
  });
}

// The text of a concept's range.
std::string concept_text(const Concept* concept_annotation) {
  return get_annotation_string(RawPtrIterator(const_cast<Concept*>(concept_annotation)),
                               RawPtrIterator(concept_annotation->end_annotation));
}

// One path of the run-time lexicon: the key's characters, each as a
// literal arc reading and writing itself (the key is document text, so it
// never goes through a syntax that would read escapes in it), then "+" and
// the URI as one output symbol. Looking the key up gives key "+" URI.
void push_entry(afst::Builder& builder, const std::string& key, const std::string& uri) {
  auto position = key.begin();
  while (position != key.end()) {
    auto start = position;
    utf8::next(position, key.end());
    const std::string character(start, position);
    builder.pushArc(character, character);
  }
  builder.pushArc(kEpsilon, "+" + uri);
}

// The annotation after the token of `from`'s list that ends at `end`:
// null when the list ends, or its sentence ends, before such a token.
const Annotation* end_of_match(const Annotation* from, uint64_t end) {
  for (const Annotation* a = from; a != nullptr; a = a->next) {
    if (a->kind == kEndOfStreamKind) return nullptr;
    if (a->kind == kTokenKind && a->end >= end) return a->next;
  }
  return nullptr;
}

// Offers every occurrence of a recorded key starting at the token to the
// blackboard's inserter.
void apply_at_token(Blackboard& blackboard, conjecture::Conjector& collector,
                    const core::LexiconFacade& lexicon, const annotation_stream_info& stream,
                    Token* token) {
  const auto position = stream.begin_map.find(token->begin);
  if (position == stream.begin_map.end() || position->second > stream.text.size()) return;
  const uint64_t p = position->second;
  const char* const text = stream.text.data();
  for (const auto& [length, output] : lexicon.up(text + p, text + stream.text.size())) {
    const auto end_entry = stream.end_map.find(p + length);
    if (end_entry == stream.end_map.end()) continue;
    const size_t plus = output.find('+');
    if (plus == std::string::npos) continue;
    const auto entry = collector.entries.find(output.substr(0, plus));
    if (entry == collector.entries.end()) continue;
    const Annotation* end = end_of_match(token, end_entry->second);
    if (end == nullptr) continue;
    Concept* inserted = (*blackboard.collector)(token, end, output.substr(plus + 1), "",
                                                nullptr, "conjecture");
    if (inserted == nullptr) continue;
    entry->second->attributes.share_from_this_uniq(inserted->attributes);
    trace([&](std::ostream& os) {
      os << "inplace: " << inserted->uri << inserted->begin << ":"
         << print_verbose(inserted->attributes);
    });
  }
}

}  // namespace

namespace conjecture {

std::string make_key(const std::string& text) {
  std::string key;
  key.reserve(text.size());
  for (char c : text) {
    if (std::string_view(kCleaned).find(c) == std::string_view::npos) key += c;
  }
  return key;
}

Conjector::Conjector(Blackboard& blackboard) : blackboard(&blackboard) {}

Conjector::~Conjector() = default;

Concept* Conjector::operator()(RawPtrIterator begin, RawPtrIterator end, const std::string& uri,
                               const std::string& attributes, Concept* parent,
                               const std::string& rule) {
  return (*this)(static_cast<const Annotation*>(*begin), static_cast<const Annotation*>(*end),
                 uri, attributes, parent, rule);
}

Concept* Conjector::operator()(const Annotation* begin, const Annotation* end,
                               const std::string& uri, const std::string& attributes,
                               Concept* parent, const std::string& rule) {
  // The text before the insertion puts the concept into the range.
  const std::string text = get_annotation_string(RawPtrIterator(const_cast<Annotation*>(begin)),
                                                 RawPtrIterator(const_cast<Annotation*>(end)));
  Concept* inserted = (*blackboard->collector)(begin, end, uri, attributes, parent, rule);
  if (inserted == nullptr) return nullptr;
  if ((!uri.empty() && uri[0] == '$') || is_function(uri)) return inserted;
  const std::string key = make_key(text);
  if (!add_entry(inserted, uri, key)) return inserted;
  // Copies of the attribute values first: recording may change the list.
  std::vector<std::string> endings;
  std::vector<std::string> replacements;
  for (const Attribute& pair : inserted->attributes.own) {
    if (pair.first == "_ending") endings.push_back(to_string(pair.second));
    if (pair.first == "_replace") replacements.push_back(to_string(pair.second));
  }
  for (const std::string& ending : endings) add_entry(inserted, uri, key + ending);
  for (const std::string& replacement : replacements) {
    // "s/pattern/replacement/": four parts, the last one empty; every "/"
    // cuts, so an empty replacement is a part of its own.
    std::vector<std::string> parts;
    string::split_vector(parts, replacement.data(), replacement.data() + replacement.size(), "/",
                         false);
    if (parts.size() != 4) continue;
    add_entry(inserted, uri, RegexReplace(key, kav_regex(parts[1]), parts[2]));
  }
  return inserted;
}

bool Conjector::add_entry(Concept* concept_annotation, const std::string& uri,
                          const std::string& key) {
  auto position = entries.find(key);
  if (position != entries.end()) {
    ConceptData& entry = *position->second;
    if (entry.deleted) return false;
    if (entry.uri == uri && entry.recorded_concept == concept_annotation) {
      entry.attributes.add(concept_annotation->attributes.own, kStoreWhenShared);
      trace([&](std::ostream& os) {
        os << "     -- store: " << print_verbose(entry.attributes);
      });
      return true;
    }
    trace([&](std::ostream& os) {
      os << "! Cannot merge types  : " << key << " as " << entry.uri << " and " << uri;
    });
    return false;
  }
  trace([&](std::ostream& os) {
    os << "     --  " << key << "=" << uri << "@" << print_verbose(concept_annotation->attributes);
  });
  auto entry = std::make_shared<ConceptData>();
  entry->uri = uri;
  entry->recorded_concept = concept_annotation;
  entry->attributes.share_from_this(concept_annotation->attributes,
                                    ConceptAttributes::CAFT_None);
  entries.emplace(key, entry);
  trace([&](std::ostream& os) {
    os << "     -- store: " << print_verbose(entry->attributes);
  });
  trace([&](std::ostream& os) {
    os << "     -- concept:" << key << "=" << uri << "@"
       << print_verbose(concept_annotation->attributes);
  });
  return true;
}

void Conjector::mark_as_deleted(const Concept* concept_annotation, const std::string& uri) {
  const std::string text = concept_text(concept_annotation);
  const std::string key = make_key(text);
  trace([&](std::ostream& os) { os << "remove:" << uri << ":" << text; });
  auto position = entries.find(key);
  if (position != entries.end() && position->second->uri == uri) {
    position->second->deleted = true;
  }
}

}  // namespace conjecture

std::shared_ptr<conjecture::Conjector> create_conjecture_collector(Blackboard& blackboard) {
  return std::make_shared<conjecture::Conjector>(blackboard);
}

void delete_conjecture(Blackboard& blackboard, const Concept* concept_annotation,
                       const std::string& uri) {
  if (!blackboard.conjector || blackboard.conjector->entries.empty()) return;
  blackboard.conjector->mark_as_deleted(concept_annotation, uri);
}

void apply_conjecture(Blackboard& blackboard) {
  if (!blackboard.conjector || blackboard.conjector->entries.empty()) return;
  conjecture::Conjector& collector = *blackboard.conjector;

  afst::Builder builder;
  size_t added = 0;
  for (const auto& [recorded_key, entry] : collector.entries) {
    if (entry->deleted) {
      trace([&](std::ostream& os) {
        os << "ignore: " << recorded_key << "=" << entry->uri << " "
           << print_verbose(entry->attributes);
      });
      continue;
    }
    ++added;
    builder.open_rule();
    const std::string key = conjecture::make_key(recorded_key);
    trace([&](std::ostream& os) {
      os << "adding: " << key << "=" << entry->uri << " " << print_verbose(entry->attributes);
    });
    push_entry(builder, key, entry->uri);
    builder.close_rule();
  }
  if (added == 0) return;
  builder.applyUnion(0);
  builder.build(true);
  const core::LexiconFacade lexicon(builder.simple_copy(), "conjecture", "");

  stream_collection_type& streams = *get_stream_collection(blackboard);
  annotation_stream_info& stream = streams[lexicon.input()];
  if (stream.begin_map.empty()) {
    stream = get_annotation_buffer(*blackboard.annotations, lexicon.input());
    stream.stream_type = lexicon.input();
  }

  for (Annotation* item = blackboard.annotations->head; item != nullptr; item = item->next) {
    if (Sentence* sentence = annotation_cast<Sentence>(item)) {
      for (Annotation* a = sentence->annotations.head; a != nullptr; a = a->next) {
        if (Token* token = annotation_cast<Token>(a)) {
          apply_at_token(blackboard, collector, lexicon, stream, token);
        }
      }
    } else if (Token* token = annotation_cast<Token>(item)) {
      apply_at_token(blackboard, collector, lexicon, stream, token);
    }
  }
}

std::ostream& add_to_stream(std::ostream& out, const Attributes& attributes) {
  out << "@";
  const char* separator = "";
  for (const Attribute& pair : attributes) {
    out << separator << pair.first << "=\"" << to_string(pair.second) << "\"";
    separator = ";";
  }
  return out;
}

}  // namespace kavero
}  // namespace zel
