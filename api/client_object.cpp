#include "api/client_object.h"

#include <exception>
#include <iostream>
#include <utility>

#include "api/client_exception.h"

namespace omr {
namespace common {

void release_handle(zel_object* handle) {
  if (handle == nullptr) return;
  zel_exception record = zeroed_record();
  zel_api_dec_ref(handle, &record);
  handle_exception(record);
}

void retain_handle(zel_object* handle) {
  if (handle == nullptr) return;
  zel_exception record = zeroed_record();
  zel_api_add_ref(handle, &record);
  handle_exception(record);
}

Object::Object() = default;

Object::Object(zel_object* handle) {
  zel_exception record = zeroed_record();
  handle_ = zel_api_construct(handle, &record);
  // The reference is ours from here on, also when the record reports a
  // failure.
  if (handle_ == nullptr) handle_ = handle;
  handle_exception(record);
}

Object::Object(const Object& other) : handle_(other.handle_) { retain_handle(handle_); }

Object::Object(Object&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

Object& Object::operator=(Object other) noexcept {
  swap(other);
  return *this;
}

Object::~Object() {
  try {
    release_handle(handle_);
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
  }
}

void Object::swap(Object& other) noexcept { std::swap(handle_, other.handle_); }

}  // namespace common
}  // namespace omr
