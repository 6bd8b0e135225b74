#include "api/result_texts.h"

#include "api/kavero.h"

extern "C" {
ZEL_API_EXPORT thread_local std::string language_return_value;
ZEL_API_EXPORT thread_local std::string debug_buffer;
ZEL_API_EXPORT thread_local std::string tl_document_id;
ZEL_API_EXPORT thread_local std::string engine_info_data;
ZEL_API_EXPORT thread_local std::string tl_languages;
ZEL_API_EXPORT thread_local std::string filter_info_data;
ZEL_API_EXPORT thread_local std::string pipline_data;
}
