// The language-identification functions of the C interface.

#include <stdexcept>
#include <string>

#include "api/guarded.h"
#include "api/handle_accessors.h"
#include "api/handles.h"
#include "api/kavero.h"
#include "api/lid_result.h"
#include "api/return_conventions.h"
#include "engine/engine.h"
#include "language/lid_handle.h"

using zel::api::guarded;
using zel::api::handle_cast;
using zel::api::text_of;

namespace {

zel::kavero::Lid& lid_of(zel_object* lid) {
  if (lid == nullptr) throw std::logic_error("The language identifier has not been initialized.");
  return *handle_cast<zel::kavero::Lid>(lid);
}

}  // namespace

extern "C" {

ZEL_API_EXPORT zel_object* zel_api_get_lid_engine(zel_object* engine, const char* options,
                                                  size_t /*options_length*/,
                                                  zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    zel::kavero::Engine* runtime = get_engine(engine);
    if (runtime == nullptr) throw std::logic_error("Engine has not been initialized.");
    return (new zel::kavero::Lid(runtime, zel::api::options_of(options)))->handle();
  });
}

ZEL_API_EXPORT size_t zel_api_language_identification(zel_object* lid, const char* text,
                                                      size_t length, char* buffer,
                                                      size_t buffer_length,
                                                      zel_exception* error) {
  return guarded(error, static_cast<size_t>(0), [&] {
    const std::string document = text_of(text, length, "zel_api_language_identification");
    return zel::api::copy_cut(lid_of(lid).lid(document.data(), document.size()), buffer,
                              buffer_length);
  });
}

ZEL_API_EXPORT zel_object* zel_api_language_identification_section(zel_object* lid,
                                                                   const char* text,
                                                                   size_t length,
                                                                   zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    const std::string document = text_of(text, length, "zel_api_language_identification_section");
    std::string sections = lid_of(lid).language_sections(document.data(), document.size());
    return (new zel::kavero::LidResult(std::move(sections)))->handle();
  });
}

ZEL_API_EXPORT const char* zel_api_language_identification_section_json(
    zel_object* section, zel_exception* /*error*/) {
  return handle_cast<zel::kavero::LidResult>(section)->json.c_str();
}

}  // extern "C"
