// The result functions of the C interface: the printed texts of a result,
// its id, language and offsets, and the concept and reading changes a host
// makes.

#include <algorithm>
#include <ostream>
#include <streambuf>
#include <string>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "analysis/navigation.h"
#include "api/guarded.h"
#include "api/handle_accessors.h"
#include "api/kavero.h"
#include "api/profiler.h"
#include "api/result_json.h"
#include "api/result_json_internal.h"
#include "api/result_json_metadata.h"
#include "api/result_texts.h"
#include "language/offset_table.h"

using zel::api::guarded;
using zel::kavero::Annotation;
using zel::kavero::Blackboard;
using zel::kavero::Concept;
using zel::kavero::Token;

namespace {

// A stream buffer that appends to a string through a fixed put area, so
// that a printer's many small writes cost a copy each and the finished
// text is not copied again.
class StringBuffer : public std::streambuf {
 public:
  explicit StringBuffer(std::string& text) : text_(text) { setp(area_, area_ + sizeof area_); }
  // Appends what the put area holds.
  void finish() { sync(); }

 protected:
  int_type overflow(int_type c) override {
    sync();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    text_.append(pbase(), static_cast<size_t>(pptr() - pbase()));
    setp(area_, area_ + sizeof area_);
    return 0;
  }

 private:
  std::string& text_;
  char area_[1 << 16];
};

// Prints with the printer into a new text, which then replaces `target`;
// hands it out.
template <typename Printer>
const char* print(Blackboard& blackboard, Printer printer, std::string& target,
                  size_t* length) {
  // The result JSON of a text is about a dozen times its size; reserving
  // that at once spares copying the growing text over and over.
  std::string text;
  text.reserve(std::max<size_t>(target.capacity(), 12 * blackboard.text_length));
  {
    StringBuffer buffer(text);
    std::ostream out(&buffer);
    printer(blackboard, out);
    buffer.finish();
  }
  target.swap(text);
  if (length != nullptr) *length = target.size();
  return target.c_str();
}

// The sentence list holding `begin` after converting the offsets when the
// call counts code points; null when no sentence holds it.
zel::kavero::AnnotationCollection* sentence_of(Blackboard& blackboard, uint32_t& begin,
                                               uint32_t& end, bool unicode) {
  if (unicode && blackboard.offset_table) {
    begin = zel::kavero::from_unicode_2_utf8_offset(blackboard.offset_table.get(), begin);
    end = zel::kavero::from_unicode_2_utf8_offset(blackboard.offset_table.get(), end);
  }
  zel::kavero::SentenceInfo* sentence = zel::kavero::get_sentence(blackboard, begin);
  return sentence == nullptr ? nullptr : sentence->annotations;
}

void require_text(const char* text, const char* function) {
  if (text == nullptr) throw std::logic_error(std::string(function) + ": a null text");
}

}  // namespace

extern "C" {

ZEL_API_EXPORT const char* zel_api_get_result_json_buffer(zel_object* result, size_t* length,
                                                          zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    Blackboard& blackboard = zel::api::blackboard_of(result);
    return print(blackboard, zel::kavero::stream_json_api_format, blackboard.result_json,
                 length);
  });
}

ZEL_API_EXPORT const char* zel_api_get_result_json_metadata_buffer(zel_object* result,
                                                                   size_t* length,
                                                                   zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    Blackboard& blackboard = zel::api::blackboard_of(result);
    return print(blackboard, zel::kavero::stream_json_api_metadata, blackboard.metadata_json,
                 length);
  });
}

ZEL_API_EXPORT const char* zel_api_get_internal_result_json_buffer(zel_object* result,
                                                                   size_t* length,
                                                                   zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    return print(zel::api::blackboard_of(result), zel::kavero::stream_internal_results_json_format,
                 debug_buffer, length);
  });
}

ZEL_API_EXPORT const char* zel_api_get_profiling_json_buffer(zel_object* result,
                                                             size_t* length,
                                                             zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    debug_buffer.clear();
    Blackboard& blackboard = zel::api::blackboard_of(result);
    if (blackboard.profiler) {
      const std::string& report = blackboard.profiler->report();
      if (length != nullptr) *length = report.size();
      return report.c_str();
    }
    if (length != nullptr) *length = 0;
    return debug_buffer.c_str();
  });
}

ZEL_API_EXPORT const char* zel_api_get_result_id_buffer(zel_object* result, size_t* length,
                                                        zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    tl_document_id = zel::api::blackboard_of(result).id();
    if (length != nullptr) *length = tl_document_id.size();
    return tl_document_id.c_str();
  });
}

ZEL_API_EXPORT const char* zel_api_get_result_language_buffer(zel_object* result,
                                                              size_t* length,
                                                              zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    const std::string& language = zel::api::blackboard_of(result).language;
    if (length != nullptr) *length = language.size();
    return language.c_str();
  });
}

ZEL_API_EXPORT void* zel_api_get_result_annotations(zel_object* result, zel_exception* error) {
  return guarded(error, static_cast<void*>(nullptr), [&] {
    return static_cast<void*>(zel::api::blackboard_of(result).annotations.get());
  });
}

ZEL_API_EXPORT uint32_t zel_api_get_byte_offset(zel_object* result, uint32_t offset,
                                                zel_exception* error) {
  return guarded(error, static_cast<uint32_t>(0xFFFFFFFFu),
                 [&] { return zel::api::blackboard_of(result).get_byte_offset(offset); });
}

ZEL_API_EXPORT void* zel_api_get_concept(zel_object* result, uint32_t begin, uint32_t end,
                                         const char* uri, bool unicode, zel_exception* error) {
  return guarded(error, static_cast<void*>(nullptr), [&]() -> void* {
    require_text(uri, "zel_api_get_concept");
    zel::kavero::AnnotationCollection* list =
        sentence_of(zel::api::blackboard_of(result), begin, end, unicode);
    if (list == nullptr) return nullptr;
    for (Annotation* a = list->head; a != nullptr; a = a->next) {
      Concept* c = zel::kavero::annotation_cast<Concept>(a);
      if (c == nullptr) continue;
      if (c->begin > begin) return nullptr;
      if (c->begin == begin && c->end == end && c->uri == uri) return c;
    }
    return nullptr;
  });
}

ZEL_API_EXPORT void* zel_api_add_concept(zel_object* result, uint32_t begin, uint32_t end,
                                         const char* uri, bool unicode, zel_exception* error) {
  return guarded(error, static_cast<void*>(nullptr), [&]() -> void* {
    require_text(uri, "zel_api_add_concept");
    Blackboard& blackboard = zel::api::blackboard_of(result);
    zel::kavero::AnnotationCollection* list = sentence_of(blackboard, begin, end, unicode);
    if (list == nullptr || !blackboard.collector) return nullptr;
    for (Annotation* a = list->head; a != nullptr; a = a->next) {
      if (a->kind != zel::kavero::kTokenKind || a->begin != begin) continue;
      // The range: the tokens from `a` that begin before `end`; it closes at
      // the first token beginning at or after `end`, or after the last token.
      Annotation* last = a;
      Annotation* closing = nullptr;
      for (Annotation* next = a->next; next != nullptr; next = next->next) {
        if (next->kind != zel::kavero::kTokenKind) continue;
        if (next->begin >= end) {
          closing = next;
          break;
        }
        last = next;
      }
      if (closing == nullptr) closing = last->next;
      Concept* added =
          (*blackboard.collector)(a, closing, uri, std::string(), nullptr, "api");
      if (added != nullptr) {
        added->flags.set(zel::kavero::kImport);
        return added;
      }
    }
    return nullptr;
  });
}

ZEL_API_EXPORT void zel_api_remove_pos(zel_object* result, uint32_t begin, uint32_t end,
                                       const char* pos, bool unicode, zel_exception* error) {
  zel::api::guarded_void(error, [&] {
    require_text(pos, "zel_api_remove_pos");
    zel::kavero::AnnotationCollection* list =
        sentence_of(zel::api::blackboard_of(result), begin, end, unicode);
    if (list == nullptr) return;
    Annotation* a = list->head;
    while (a != nullptr && !(a->kind == zel::kavero::kTokenKind && a->begin >= begin)) {
      a = a->next;
    }
    for (; a != nullptr; a = a->next) {
      if (a->kind != zel::kavero::kTokenKind) continue;
      if (a->begin < begin || a->end > end) break;
      static_cast<Token*>(a)->readings.remove_if(
          [&](const zel::kavero::MorphData& reading) { return reading.pos() == pos; });
    }
  });
}

}  // extern "C"
