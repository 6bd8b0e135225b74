#include "compiler/driver/file_time.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace zel {
namespace compiler {

std::int64_t last_write_time_ns(const std::filesystem::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return kNoFileTime;
    throw std::filesystem::filesystem_error("cannot read the last write time", path,
                                            std::error_code(errno, std::generic_category()));
  }
  return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
         static_cast<std::int64_t>(status.st_mtim.tv_nsec);
}

std::int64_t to_seconds(std::int64_t nanoseconds) {
  return nanoseconds == kNoFileTime ? kNoFileTime : nanoseconds / 1000000000;
}

}  // namespace compiler
}  // namespace zel
