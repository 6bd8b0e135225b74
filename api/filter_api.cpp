// The output-filter functions of the C interface.

#include <stdexcept>
#include <string>

#include "api/guarded.h"
#include "api/handle_accessors.h"
#include "api/handles.h"
#include "api/kavero.h"
#include "api/output_concept_filter.h"
#include "api/result_texts.h"

using zel::api::guarded;
using zel::api::handle_cast;
using zel::api::text_of;

extern "C" {

ZEL_API_EXPORT zel_object* zel_api_create_filter(const char* text, size_t length,
                                                 zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    return (new zel::kavero::Filter(text_of(text, length, "zel_api_create_filter")))->handle();
  });
}

ZEL_API_EXPORT zel_object* zel_api_filter_process(zel_object* filter, zel_object* result,
                                                  zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    if (result == nullptr) throw std::logic_error("zel_api_filter_process: a null result");
    zel::kavero::Blackboard* blackboard = get_blackboard(result);
    if (filter != nullptr && blackboard != nullptr) {
      handle_cast<zel::kavero::Filter>(filter)->process(*blackboard);
    }
    return result;
  });
}

ZEL_API_EXPORT const char* zel_api_filter_info(zel_object* filter, size_t* length,
                                               zel_exception* error) {
  return guarded(error, static_cast<const char*>(nullptr), [&] {
    if (filter == nullptr) throw std::logic_error("zel_api_filter_info: a null filter");
    filter_info_data = handle_cast<zel::kavero::Filter>(filter)->info();
    if (length != nullptr) *length = filter_info_data.size();
    return filter_info_data.c_str();
  });
}

}  // extern "C"
