// Whole-file reading.

#ifndef KAVERO_BASE_FILE_H_
#define KAVERO_BASE_FILE_H_

#include <string>

namespace zel {
namespace file {

// Returns every byte of the file, zero bytes included; an empty file gives
// an empty text. A file that cannot be opened or read raises
// std::runtime_error "can not open file " followed by the path exactly as
// passed (a plain runtime error, not zel::Exception, so the C interface
// reports it with its own error code). No partial text is ever returned.
std::string load(char const* path);

}  // namespace file
}  // namespace zel

#endif  // KAVERO_BASE_FILE_H_
