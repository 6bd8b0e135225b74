// Last-write times of files, as the compile driver compares them: a count
// of nanoseconds since 1970-01-01 (the file system's own precision, so a
// source written in the same second as its domain, but after it, still
// counts as newer). Log lines show whole seconds.

#ifndef KAVERO_COMPILER_DRIVER_FILE_TIME_H_
#define KAVERO_COMPILER_DRIVER_FILE_TIME_H_

#include <cstdint>
#include <filesystem>

namespace zel {
namespace compiler {

// -1 stands for a file that does not exist: everything is newer.
constexpr std::int64_t kNoFileTime = -1;

// The last write time of the file (links followed) in nanoseconds since
// 1970; kNoFileTime when it does not exist. Other failures to examine the
// file raise the file-system error.
std::int64_t last_write_time_ns(const std::filesystem::path& path);

// Whole seconds of a time above, cut toward zero; kNoFileTime stays -1.
std::int64_t to_seconds(std::int64_t nanoseconds);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_FILE_TIME_H_
