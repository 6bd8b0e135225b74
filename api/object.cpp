#include "api/object.h"

namespace zel {
namespace api {

Object::Object() {
  reserved = 0;
  ref_count = 1;
}

Object::~Object() = default;

// The count lives in a C struct, so it is a plain integer changed through
// the compiler's atomic built-ins rather than a std::atomic member.
uint32_t Object::add_ref() {
  return __atomic_fetch_add(&ref_count, 1u, __ATOMIC_ACQ_REL);
}

uint32_t Object::dec_ref() {
  const uint32_t before = __atomic_fetch_sub(&ref_count, 1u, __ATOMIC_ACQ_REL);
  if (before == 1) delete this;
  return before - 1;
}

}  // namespace api
}  // namespace zel
