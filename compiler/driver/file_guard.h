// Which pair of files a build writes: the domain file and its twin (the
// domain file's name with "_inc" appended), or temporary copies of them.
//
// A full build writes the pair itself (OriginalFileGuard). An incremental
// build writes copies made in the system's temporary folder
// (TempFileGuard); save() puts them in place only after the build has
// succeeded, so a failed incremental build leaves the earlier domain as it
// was. A guard lives for one build and is saved at most once.

#ifndef KAVERO_COMPILER_DRIVER_FILE_GUARD_H_
#define KAVERO_COMPILER_DRIVER_FILE_GUARD_H_

#include <filesystem>

namespace zel {
namespace compiler {

class FileGuard {
 public:
  // A guard over the domain file `dom` whose build writes `work` (and the
  // work file's twin).
  FileGuard(std::filesystem::path dom, std::filesystem::path work);
  virtual ~FileGuard();

  FileGuard(const FileGuard&) = delete;
  FileGuard& operator=(const FileGuard&) = delete;

  // Makes the work files the real ones.
  virtual void save() = 0;
  // The domain file.
  virtual const std::filesystem::path& dom() const;
  // The file the build writes, and its twin.
  virtual const std::filesystem::path& copy_to_work_on() const;
  virtual const std::filesystem::path& copy_inc_to_work_on() const;

 protected:
  std::filesystem::path dom_;
  std::filesystem::path dom_inc_;
  std::filesystem::path work_;
  std::filesystem::path work_inc_;
};

// The build writes the pair itself; save() has nothing to do.
class OriginalFileGuard : public FileGuard {
 public:
  explicit OriginalFileGuard(std::filesystem::path dom);
  ~OriginalFileGuard() override;

  void save() override;
};

// The build writes copies of the pair: "mdc-" + a random UUID + ".dom" in
// the system's temporary folder, and its twin. The constructor copies the
// domain file (raising the file-system error when it is missing or cannot
// be read) and the twin when there is one. The destructor deletes the
// copies; the pair itself it never touches.
class TempFileGuard : public FileGuard {
 public:
  explicit TempFileGuard(std::filesystem::path dom);
  ~TempFileGuard() override;

  // Puts the copies in place of the pair: each copy is first written beside
  // its target under a temporary name and then renamed over it, so a
  // failure leaves no half-written file behind. Both copies are prepared
  // before either is renamed: a missing work twin raises the file-system
  // error and leaves the pair untouched.
  void save() override;
};

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_DRIVER_FILE_GUARD_H_
