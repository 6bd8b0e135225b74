// The C interface's functions over compiled domains that need no analysis:
// concept lists, a loaded domain's information, compilation of rule
// sources and tokenizer rules, version texts and pipeline expansion.

#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/guarded.h"
#include "api/handle_accessors.h"
#include "api/kavero.h"
#include "api/result_texts.h"
#include "api/return_conventions.h"
#include "base/string_util.h"
#include "base/version.h"
#include "compiler/driver/compile_driver.h"
#include "domain/domain.h"
#include "domain/domain_concepts.h"
#include "domain/domain_info.h"
#include "engine/pipeline_expansion.h"
#include "language/tokenizer_cache.h"

using zel::api::guarded;
using zel::api::text_of;

namespace {

// The concept names of the compiled domain a name or path resolves to.
std::vector<std::string> concepts_of(const char* name) {
  if (name == nullptr) throw std::logic_error("zel_api_get_domain_concepts: a null domain name");
  const std::string file = zel::kavero::get_domain_filename(name);
  return zel::kavero::core::get_domain_list_concepts(file, false);
}

}  // namespace

extern "C" {

ZEL_API_EXPORT const char* zel_api_domain_info(zel_object* domain, zel_exception* error) {
  return guarded(error, "", [&] {
    if (domain == nullptr) throw std::logic_error("Domain has not been initialized.");
    return zel::api::domain_of(domain).info();
  });
}

ZEL_API_EXPORT int zel_api_get_domain_concept_list(const char* name, char* buffer, int* size,
                                                   zel_exception* error) {
  if (size == nullptr) return 0;
  return guarded(error, 0, [&] {
    std::string text;
    size_t needed = 0;
    for (const std::string& concept_name : concepts_of(name)) {
      if (!text.empty()) text += ',';
      text += concept_name;
      needed += concept_name.size() + 1;
    }
    return zel::api::copy_after_int_probe(text, needed, buffer, size);
  });
}

ZEL_API_EXPORT int zel_api_get_domain_concepts(const char* name, char* buffer, int* size,
                                               zel_exception* error) {
  if (size == nullptr) return 0;
  return guarded(error, 0, [&] {
    // Names are escaped as JSON strings, so that a quote or a control
    // character in a name cannot break the array; the count is of the
    // escaped text.
    std::string text = "[";
    size_t needed = 2;
    for (const std::string& concept_name : concepts_of(name)) {
      const std::string quoted = nlohmann::json(concept_name).dump(
          -1, ' ', false, nlohmann::json::error_handler_t::replace);
      if (text.size() > 1) text += ',';
      text += quoted;
      needed += quoted.size() + 1;
    }
    text += ']';
    return zel::api::copy_after_int_probe(text, needed, buffer, size);
  });
}

ZEL_API_EXPORT const char* zel_api_compile_domain(const char* options, size_t options_length,
                                                  zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    return zel::compiler::build_domain(text_of(options, options_length, "zel_api_compile_domain"));
  });
}

ZEL_API_EXPORT void zel_api_compile_tokenizer_file(const char* path, zel_exception* error) {
  zel::api::guarded_void(error, [&] {
    if (path == nullptr) throw std::logic_error("zel_api_compile_tokenizer_file: a null path");
    zel::kavero::create_tokenizer_cache_file(std::string(path));
  });
}

ZEL_API_EXPORT bool zel_api_is_valid_version_format(const char* text, size_t length,
                                                    zel_exception* error) {
  return guarded(error, false, [&] {
    return zel::version::is_valid_version_format(
        text_of(text, length, "zel_api_is_valid_version_format"));
  });
}

ZEL_API_EXPORT const char* zel_api_expand_pipeline(const char* pipeline, size_t pipeline_length,
                                                   const char* folders, size_t folders_length,
                                                   bool allow_files, bool allow_dev,
                                                   const char* language, size_t language_length,
                                                   zel_exception* error) {
  const char* expanded = guarded(error, static_cast<const char*>(nullptr), [&] {
    const std::string description = text_of(pipeline, pipeline_length, "zel_api_expand_pipeline");
    const std::string language_text = text_of(language, language_length, "zel_api_expand_pipeline");
    const std::vector<std::string> folder_list = zel::string::split_vector(
        text_of(folders, folders_length, "zel_api_expand_pipeline"), ':', true);
    pipline_data = zel::pipeline::expand(description, folder_list, allow_files, allow_dev,
                                         language_text);
    return pipline_data.c_str();
  });
  if (expanded != nullptr) return expanded;
  pipline_data.clear();
  return pipline_data.c_str();
}

}  // extern "C"
