// Whole-file reading.

#ifndef KAVERO_BASE_FILE_H_
#define KAVERO_BASE_FILE_H_

#include <cstdint>
#include <string>

namespace zel {
namespace file {

// Returns every byte of the file, zero bytes included; an empty file gives
// an empty text. A file that cannot be opened or read raises
// std::runtime_error "can not open file " followed by the path exactly as
// passed (a plain runtime error, not zel::Exception, so the C interface
// reports it with its own error code). No partial text is ever returned.
std::string load(char const* path);

// The file's modification time in whole seconds since the Unix epoch (on the
// system clock, cut toward zero); -1 when the file does not exist or cannot
// be examined. Symbolic links are followed. Exact: two calls on an unchanged
// file give the same number, so cached copies can be compared with it.
int64_t modification_time(char const* path);

}  // namespace file
}  // namespace zel

#endif  // KAVERO_BASE_FILE_H_
