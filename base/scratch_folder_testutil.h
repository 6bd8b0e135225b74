// Scratch folders for tests that read and write files, and a scoped change
// of the process's working folder.

#ifndef KAVERO_BASE_SCRATCH_FOLDER_TESTUTIL_H_
#define KAVERO_BASE_SCRATCH_FOLDER_TESTUTIL_H_

#include <chrono>
#include <filesystem>
#include <string>

namespace zel {
namespace testing {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes. Its path is canonical, so it can be
// compared with canonical paths that code under test produces.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes a file (making its missing parent folders); returns its path.
  std::filesystem::path write(const std::string& relative,
                              const std::string& content) const;

  // path() / relative, as text.
  std::string str(const std::string& relative = "") const;
  // Makes an empty file (and its missing parent folders); returns its path.
  std::filesystem::path file(const std::string& relative) const {
    return write(relative, "");
  }
  // Makes a folder (and its missing parents); returns its path.
  std::filesystem::path folder(const std::string& relative) const;
  // The names of the entries directly in a folder of the scratch folder,
  // sorted.
  std::string listing(const std::string& relative = "") const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);

// Moves a file's modification time by the offset.
void shift_modification_time(const std::filesystem::path& path,
                             std::chrono::seconds offset);

// Makes a folder the process's working folder until the object goes.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& folder);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_BASE_SCRATCH_FOLDER_TESTUTIL_H_
