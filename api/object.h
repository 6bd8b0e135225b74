// The base of every object behind a C-interface handle.
//
// The host holds a pointer to the zel_object part, which sits right after
// the virtual-table pointer; from_handle() steps back to the object. An
// object is made with one reference; add_ref() and dec_ref() move the count
// atomically, and the call that drops it to 0 deletes the object through its
// virtual destructor, releasing whatever the handle holds.

#ifndef KAVERO_API_OBJECT_H_
#define KAVERO_API_OBJECT_H_

#include <cstdint>

#include "api/zel_object.h"

namespace zel {
namespace api {

class Object : public zel_object {
 public:
  Object();
  virtual ~Object();

  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // The handle the host sees.
  zel_object* handle() { return this; }

  // The object behind a handle; null for null.
  static Object* from_handle(zel_object* handle) {
    return handle == nullptr ? nullptr : static_cast<Object*>(handle);
  }

  // Adds one reference; returns the count before.
  uint32_t add_ref();

  // Removes one reference; returns the count left. At 0 the object is
  // deleted and must not be touched again.
  uint32_t dec_ref();
};

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_OBJECT_H_
