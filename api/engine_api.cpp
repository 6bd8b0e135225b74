// The engine functions of the C interface.

#include <memory>
#include <string>

#include "api/guarded.h"
#include "api/handle_accessors.h"
#include "api/handles.h"
#include "api/kavero.h"
#include "api/result_texts.h"
#include "api/return_conventions.h"
#include "engine/engine.h"
#include "language/language_names.h"

using zel::api::guarded;
using zel::api::text_of;

namespace {

// Stores the text in the thread's buffer and hands it out.
const char* hand_out(std::string& buffer, std::string text, size_t* length) {
  buffer = std::move(text);
  if (length != nullptr) *length = buffer.size();
  return buffer.c_str();
}

}  // namespace

extern "C" {

ZEL_API_EXPORT zel_object* zel_api_get_engine(const char* options, size_t /*options_length*/,
                                              zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    return (new zel::api::Engine(zel::api::options_of(options)))->handle();
  });
}

ZEL_API_EXPORT size_t zel_api_engine_property(zel_object* engine, const char* name,
                                              size_t name_length, char* buffer,
                                              size_t buffer_length, zel_exception* error) {
  return guarded(error, static_cast<size_t>(0), [&] {
    const std::string key = text_of(name, name_length, "zel_api_engine_property");
    return zel::api::copy_cut(zel::api::engine_of(engine).property(key), buffer, buffer_length);
  });
}

ZEL_API_EXPORT bool zel_api_engine_release_domain(zel_object* engine, const char* name,
                                                  size_t name_length, zel_exception* error) {
  return guarded(error, false, [&] {
    return zel::api::engine_of(engine).release_domain(
        text_of(name, name_length, "zel_api_engine_release_domain"));
  });
}

ZEL_API_EXPORT bool zel_api_engine_purge_domains(zel_object* engine, const char* options,
                                                 size_t options_length, zel_exception* error) {
  return guarded(error, false, [&] {
    return zel::api::engine_of(engine).purge_domains(
        text_of(options, options_length, "zel_api_engine_purge_domains"));
  });
}

ZEL_API_EXPORT void zel_api_engine_init_plugins(zel_object* engine, zel_exception* error) {
  zel::api::guarded_void(error, [&] { zel::api::engine_of(engine).init_plugins(); });
}

ZEL_API_EXPORT const char* zel_api_engine_info(zel_object* engine, size_t* length,
                                               zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    return hand_out(engine_info_data, zel::api::engine_of(engine).info(), length);
  });
}

ZEL_API_EXPORT const char* zel_api_engine_languages(zel_object* engine, size_t* length,
                                                    zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    return hand_out(tl_languages, zel::api::engine_of(engine).languages(), length);
  });
}

ZEL_API_EXPORT const char* zel_api_language_longname(const char* language,
                                                     zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    if (language == nullptr) throw std::logic_error("zel_api_language_longname: a null text");
    return hand_out(language_return_value, zel::language::longname(language, false), nullptr);
  });
}

}  // extern "C"
