// Temporary folder trees for tests that look at the file system.

#ifndef KAVERO_ENGINE_TEMP_FOLDER_TESTUTIL_H_
#define KAVERO_ENGINE_TEMP_FOLDER_TESTUTIL_H_

#include <filesystem>
#include <string>

namespace zel {
namespace testing {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes. Its path is canonical, so it can be
// compared with canonical paths that code under test produces.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(TempFolder const&) = delete;
  TempFolder& operator=(TempFolder const&) = delete;

  std::filesystem::path const& path() const { return path_; }
  // path() / relative, as text.
  std::string str(std::string const& relative = "") const;

  // Makes an empty file (and its missing parent folders); returns its path.
  std::filesystem::path file(std::string const& relative) const;
  // Makes a folder (and its missing parents); returns its path.
  std::filesystem::path folder(std::string const& relative) const;

 private:
  std::filesystem::path path_;
};

// Makes `folder` the process's current folder until the object goes, then
// restores the previous one.
class CurrentFolder {
 public:
  explicit CurrentFolder(std::filesystem::path const& folder);
  ~CurrentFolder();
  CurrentFolder(CurrentFolder const&) = delete;
  CurrentFolder& operator=(CurrentFolder const&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ENGINE_TEMP_FOLDER_TESTUTIL_H_
