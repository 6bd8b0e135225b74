/* The C view of every handle the library gives a host: a reserved word and
 * the handle's reference count, which starts at 1. A host passes handles
 * back and never reads or writes these fields itself; the reference count
 * is only changed atomically, by the library. */

#ifndef KAVERO_API_ZEL_OBJECT_H_
#define KAVERO_API_ZEL_OBJECT_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct zel_object {
  uint32_t reserved;
  uint32_t ref_count;
} zel_object;

#ifdef __cplusplus
}
#endif

#endif /* KAVERO_API_ZEL_OBJECT_H_ */
