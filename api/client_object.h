// The base of the client classes: one handle of the C interface, owned.
//
// The client classes are a small object layer over the library's own C
// interface, for code that prefers classes to handles (the compiler and the
// rule tests). Every failure that the library reports in an error record is
// raised again as an exception (client_exception.h).
//
// An Object made from a handle takes over the reference its maker received.
// Copying retains the handle, destroying releases it; a null handle is
// allowed and neither retained nor released.

#ifndef KAVERO_API_CLIENT_OBJECT_H_
#define KAVERO_API_CLIENT_OBJECT_H_

#include "api/kavero.h"

namespace omr {
namespace common {

// Removes one reference of the handle (nothing for null), raising what the
// library reports.
void release_handle(zel_object* handle);

// Adds one reference to the handle (nothing for null), raising what the
// library reports.
void retain_handle(zel_object* handle);

class Object {
 public:
  Object();
  // Takes over the reference to the handle.
  explicit Object(zel_object* handle);
  Object(const Object& other);
  Object(Object&& other) noexcept;
  Object& operator=(Object other) noexcept;
  // Releases the handle; a failure to release is written to standard error
  // and goes no further.
  virtual ~Object();

  zel_object* handle() const { return handle_; }

 protected:
  void swap(Object& other) noexcept;

 private:
  zel_object* handle_ = nullptr;
};

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_OBJECT_H_
