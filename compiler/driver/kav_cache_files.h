// The temporary source files of one compilation, made from source text
// given inline (the compile option "kav_base64"). They live in the
// system's temporary folder as "tmp-kav-" + a random UUID + ".kav" and are
// deleted when the object goes.

#ifndef KAVERO_COMPILER_DRIVER_KAV_CACHE_FILES_H_
#define KAVERO_COMPILER_DRIVER_KAV_CACHE_FILES_H_

#include <set>
#include <string>

namespace zel {
namespace compiler {

class KavCachFiles {
 public:
  KavCachFiles() = default;
  ~KavCachFiles();

  KavCachFiles(const KavCachFiles&) = delete;
  KavCachFiles& operator=(const KavCachFiles&) = delete;

  // Writes the text and one line feed into a new temporary source and
  // returns its path. A file that cannot be created is not reported here:
  // its path is still returned, and reading it fails later.
  std::string add_kav(const std::string& text);
  // add_kav of the decoded base64 text; a text that is no base64 raises
  // the decoder's error.
  std::string add_base64(const std::string& text);

 private:
  std::set<std::string> files_;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_KAV_CACHE_FILES_H_
