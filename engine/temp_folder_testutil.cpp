#include "engine/temp_folder_testutil.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace zel {
namespace testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "kavero-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary folder from " + pattern);
  }
  path_ = fs::canonical(fs::path(buffer.data()));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempFolder::str(std::string const& relative) const {
  return relative.empty() ? path_.string() : (path_ / relative).string();
}

fs::path TempFolder::file(std::string const& relative) const {
  fs::path const file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file);
  if (!out) throw std::runtime_error("cannot make the file " + file.string());
  return file;
}

fs::path TempFolder::folder(std::string const& relative) const {
  fs::path const folder = path_ / relative;
  fs::create_directories(folder);
  return folder;
}

CurrentFolder::CurrentFolder(fs::path const& folder) : previous_(fs::current_path()) {
  fs::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

}  // namespace testing
}  // namespace zel
