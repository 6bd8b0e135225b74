// The per-thread texts that functions of the C interface hand out: each
// stays valid until the same thread fills it again, and at most until the
// thread ends. They are exported under these names.

#ifndef KAVERO_API_RESULT_TEXTS_H_
#define KAVERO_API_RESULT_TEXTS_H_

#include <string>

extern "C" {
// zel_api_language_longname
extern thread_local std::string language_return_value;
// zel_api_get_internal_result_json_buffer; emptied by
// zel_api_get_profiling_json_buffer
extern thread_local std::string debug_buffer;
// zel_api_get_result_id_buffer
extern thread_local std::string tl_document_id;
// zel_api_engine_info
extern thread_local std::string engine_info_data;
// zel_api_engine_languages
extern thread_local std::string tl_languages;
// zel_api_filter_info
extern thread_local std::string filter_info_data;
// zel_api_expand_pipeline
extern thread_local std::string pipline_data;
}

#endif  // KAVERO_API_RESULT_TEXTS_H_
