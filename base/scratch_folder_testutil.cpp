#include "base/scratch_folder_testutil.h"

#include <stdlib.h>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace zel {
namespace testing {

ScratchFolder::ScratchFolder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "kavero-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch folder");
  }
  path_ = std::filesystem::canonical(pattern);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchFolder::write(const std::string& relative,
                                           const std::string& content) const {
  const std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
  return file;
}

std::string ScratchFolder::str(const std::string& relative) const {
  return relative.empty() ? path_.string() : (path_ / relative).string();
}

std::filesystem::path ScratchFolder::folder(const std::string& relative) const {
  const std::filesystem::path made = path_ / relative;
  std::filesystem::create_directories(made);
  return made;
}

std::string ScratchFolder::listing(const std::string& relative) const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_ / relative)) {
    names.insert(entry.path().filename().string());
  }
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += " ";
    text += name;
  }
  return text;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void shift_modification_time(const std::filesystem::path& path,
                             std::chrono::seconds offset) {
  std::filesystem::last_write_time(
      path, std::filesystem::last_write_time(path) + offset);
}

WorkingFolder::WorkingFolder(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

WorkingFolder::~WorkingFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

}  // namespace testing
}  // namespace zel
