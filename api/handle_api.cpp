// Reference counting of the C interface's handles. These functions never
// write their error record.

#include "api/kavero.h"
#include "api/object.h"

extern "C" {

ZEL_API_EXPORT zel_object* zel_api_construct(zel_object* handle, zel_exception* /*error*/) {
  return handle;
}

ZEL_API_EXPORT uint32_t zel_api_add_ref(zel_object* handle, zel_exception* /*error*/) {
  return zel::api::Object::from_handle(handle)->add_ref();
}

ZEL_API_EXPORT uint32_t zel_api_dec_ref(zel_object* handle, zel_exception* /*error*/) {
  return zel::api::Object::from_handle(handle)->dec_ref();
}

}  // extern "C"
