#include "base/file.h"

#include <exception>
#include <fstream>
#include <stdexcept>

#include <sys/stat.h>

namespace zel {
namespace file {

std::string load(char const* path) {
  std::string result;
  try {
    std::ifstream in;
    // Every stream failure (missing file, a directory, a short read) turns
    // into an exception and so into the one message below.
    in.exceptions(std::ios::badbit | std::ios::failbit | std::ios::eofbit);
    in.open(path, std::ios::in | std::ios::binary);
    in.seekg(0, std::ios::end);
    std::streamoff const size = in.tellg();
    if (size != 0) {
      std::string buffer(static_cast<std::size_t>(size), '\0');
      in.seekg(0, std::ios::beg);
      in.read(&buffer[0], size);
      result.append(buffer);
    }
    in.close();
  } catch (std::exception const&) {
    throw std::runtime_error(std::string("can not open file ") + path);
  }
  return result;
}

int64_t modification_time(char const* path) {
  struct stat status;
  if (::stat(path, &status) != 0) return -1;
  int64_t seconds = status.st_mtim.tv_sec;
  // tv_sec is rounded down; before the epoch a fraction must round up.
  if (seconds < 0 && status.st_mtim.tv_nsec > 0) ++seconds;
  return seconds;
}

}  // namespace file
}  // namespace zel
