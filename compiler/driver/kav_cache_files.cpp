#include "compiler/driver/kav_cache_files.h"

#include <filesystem>
#include <fstream>

#include "base/base64.h"
#include "compiler/driver/uniq_name.h"

namespace zel {
namespace compiler {

namespace fs = std::filesystem;

KavCachFiles::~KavCachFiles() {
  for (const std::string& file : files_) {
    std::error_code ignored;
    fs::remove(file, ignored);
  }
}

std::string KavCachFiles::add_kav(const std::string& text) {
  const std::string path = (fs::temp_directory_path() / generate_uniq_name("tmp-kav-", ".kav")).string();
  files_.insert(path);
  std::ofstream out(path, std::ios::binary);
  if (out) out << text << '\n';
  return path;
}

std::string KavCachFiles::add_base64(const std::string& text) {
  return add_kav(string::base64::decode(text));
}

}  // namespace compiler
}  // namespace zel
