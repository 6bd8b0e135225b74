#include "api/plugin_interface.h"

#include <exception>
#include <iterator>
#include <string>

#include "analysis/annotation.h"
#include "analysis/attributes.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/sentence_info.h"
#include "base/logging.h"

thread_local std::string local_string_buffer;

namespace zel {
namespace kavero {
namespace {

const char kEmpty[] = "";

// Runs `body`; whatever it raises is logged and turned into `empty`.
template <class Result, class Body>
Result guarded(const char* function, Result empty, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    try {
      wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
        os << "[PLUGIN]:" << function << ": " << e.what();
      });
    } catch (...) {
    }
  } catch (...) {
    try {
      wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
        os << "[PLUGIN]:" << function << ": unknown exception";
      });
    } catch (...) {
    }
  }
  return empty;
}

Annotation* annotation(void* a) { return static_cast<Annotation*>(a); }
Concept* concept_of(void* a) { return static_cast<Concept*>(a); }
Token* token_of(void* a) { return static_cast<Token*>(a); }

// The document of a match context: its first member.
Blackboard* blackboard_of(void* context) {
  return context == nullptr ? nullptr : *static_cast<Blackboard* const*>(context);
}

const MorphData* reading(Token* token, int32_t n) {
  if (n < 0 || static_cast<size_t>(n) >= token->readings.size()) return nullptr;
  return &*std::next(token->readings.begin(), n);
}

// The n-th attribute of a concept, own entries first, then the shared
// ones; null when there is none.
Attribute* attribute(Concept* c, int32_t n) {
  if (n < 0) return nullptr;
  Attributes& own = c->attributes.own;
  size_t index = static_cast<size_t>(n);
  if (index < own.size()) return &*std::next(own.begin(), index);
  index -= own.size();
  const std::shared_ptr<Attributes>& store = c->attributes.store;
  if (store && index < store->size()) return &*std::next(store->begin(), index);
  return nullptr;
}

template <class Text>
const char* range(void* first, void* end, const char* separator, Text&& text) {
  if (first == nullptr) return kEmpty;
  std::string joined;
  bool counted = false;
  for (Annotation* a = annotation(first); a != nullptr && a != end; a = a->next) {
    Token* token = annotation_cast<Token>(a);
    if (token == nullptr) continue;
    if (counted) joined += separator;
    counted = true;
    joined += text(*token);
  }
  local_string_buffer.swap(joined);
  return local_string_buffer.c_str();
}

}  // namespace
}  // namespace kavero
}  // namespace zel

using namespace zel::kavero;

extern "C" {

uint32_t kavero_plugin_get_begin_offset(void* a) { return annotation(a)->begin; }

uint32_t kavero_plugin_get_end_offset(void* a) { return annotation(a)->end; }

int32_t kavero_plugin_get_type(void* a) { return static_cast<int32_t>(annotation(a)->kind); }

void* kavero_plugin_get_next(void* a) { return annotation(a)->next; }

void* kavero_plugin_get_prev(void* a) { return annotation(a)->prev; }

void* kavero_plugin_align_begin(void* a, void* stop) {
  if (a == stop) return a;
  Annotation* first = annotation(a);
  while (first->prev != nullptr && first->prev->begin == first->begin &&
         first->prev->end == first->end) {
    first = first->prev;
  }
  return first;
}

void* kavero_plugin_sentence_begin(void* sentence) {
  return static_cast<SentenceInfo*>(sentence)->annotations->head;
}

void* kavero_plugin_sentence_end(void* sentence) {
  return static_cast<SentenceInfo*>(sentence)->annotations->tail;
}

const char* kavero_plugin_property(void* context, const char* name) {
  return guarded("kavero_plugin_property", kEmpty, [&]() -> const char* {
    Blackboard* blackboard = blackboard_of(context);
    if (blackboard == nullptr || std::string(name) != "language") return kEmpty;
    return blackboard->language.c_str();
  });
}

const char* kavero_plugin_concept_uri(void* c) { return concept_of(c)->uri.c_str(); }

void* kavero_plugin_concept_get_end(void* c) { return concept_of(c)->end_annotation; }

int32_t kavero_plugin_concept_has_attribute(void* c, const char* name) {
  return guarded("kavero_plugin_concept_has_attribute", 0, [&] {
    return concept_of(c)->has_attribute(name) ? 1 : 0;
  });
}

const char* kavero_plugin_concept_get_attribute(void* a, const char* name) {
  return guarded("kavero_plugin_concept_get_attribute", kEmpty, [&]() -> const char* {
    Concept* c = annotation_cast<Concept>(annotation(a));
    if (c == nullptr) return kEmpty;
    return c->get_attribute(name).c_str();
  });
}

int32_t kavero_plugin_concept_add_attribute(void* a, const char* name, const char* value) {
  return guarded("kavero_plugin_concept_add_attribute", 0, [&]() -> int32_t {
    Concept* c = annotation_cast<Concept>(annotation(a));
    if (c == nullptr) return 0;
    return c->add(name, value, kStoreWhenShared) != 0 ? 1 : 0;
  });
}

void kavero_plugin_concept_remove(void* a) {
  if (Concept* c = annotation_cast<Concept>(annotation(a))) c->flags.set(kDeleted);
}

int32_t kavero_plugin_concept_is_deleted(void* c) { return concept_of(c)->deleted() ? 1 : 0; }

void* kavero_plugin_concept_attribute_key(void* c, int32_t n) {
  Attribute* pair = attribute(concept_of(c), n);
  return pair == nullptr ? nullptr : &pair->first;
}

void* kavero_plugin_concept_attribute_value(void* c, int32_t n) {
  Attribute* pair = attribute(concept_of(c), n);
  return pair == nullptr ? nullptr : &pair->second;
}

void* kavero_plugin_update_concept_in_collection(void* context, void* first, void* last,
                                                 const char* uri) {
  return guarded("kavero_plugin_update_concept_in_collection", static_cast<void*>(nullptr),
                 [&]() -> void* {
                   Blackboard* blackboard = blackboard_of(context);
                   if (blackboard == nullptr || !blackboard->collector) return nullptr;
                   Concept* inserted = (*blackboard->collector)(
                       static_cast<const Annotation*>(first),
                       static_cast<const Annotation*>(last), uri, std::string(), nullptr,
                       "api");
                   if (inserted != nullptr) inserted->flags.set(kImport);
                   return inserted;
                 });
}

const char* kavero_plugin_token_literal(void* t) { return token_of(t)->literal.c_str(); }

int32_t kavero_plugin_token_has_attribute(void* t, const char* name) {
  return guarded("kavero_plugin_token_has_attribute", 0, [&] {
    return token_of(t)->properties.count(name) != 0 ? 1 : 0;
  });
}

const char* kavero_plugin_token_pos(void* t, int32_t n) {
  const MorphData* r = reading(token_of(t), n);
  return r == nullptr ? kEmpty : r->pos().c_str();
}

const char* kavero_plugin_token_stem(void* t, int32_t n) {
  const MorphData* r = reading(token_of(t), n);
  return r == nullptr ? kEmpty : r->stem.c_str();
}

const char* kavero_plugin_token_head(void* t) {
  const Token* token = token_of(t);
  if (token->readings.empty() || token->readings.back().components.empty()) return kEmpty;
  return token->readings.back().components.back().stem.c_str();
}

const char* kavero_plugin_range_stem(void* first, void* end, const char* separator) {
  return guarded("kavero_plugin_range_stem", kEmpty, [&] {
    return range(first, end, separator, [](const Token& token) -> const std::string& {
      return token.readings.empty() ? invalid_cast : token.readings.front().stem;
    });
  });
}

const char* kavero_plugin_range_literal(void* first, void* end, const char* separator) {
  return guarded("kavero_plugin_range_literal", kEmpty, [&] {
    return range(first, end, separator,
                 [](const Token& token) -> const std::string& { return token.literal; });
  });
}

void* find_morph_data(void* t, int32_t n) {
  return const_cast<MorphData*>(reading(token_of(t), n));
}

const char* kavero_plugin_string_to_string(void* name) {
  return static_cast<const std::string*>(name)->c_str();
}

const char* kavero_plugin_any_to_string(void* value) {
  return guarded("kavero_plugin_any_to_string", kEmpty, [&] {
    return to_string(*static_cast<const boost::any*>(value)).c_str();
  });
}

}  // extern "C"
