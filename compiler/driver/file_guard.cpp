#include "compiler/driver/file_guard.h"

#include <utility>

#include "compiler/driver/domain_database.h"
#include "compiler/driver/uniq_name.h"

namespace zel {
namespace compiler {

namespace fs = std::filesystem;

namespace {

fs::path twin_of(const fs::path& path) { return fs::path(path.string() + kTwinSuffix); }

void remove_quietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

// A copy of `from` beside `target`, under a name no other build uses, so
// that it can be renamed over the target in one step.
fs::path copy_beside(const fs::path& from, const fs::path& target) {
  const fs::path copy = target.parent_path() / generate_uniq_name(".mdc-", ".tmp");
  try {
    fs::copy_file(from, copy, fs::copy_options::overwrite_existing);
  } catch (...) {
    remove_quietly(copy);
    throw;
  }
  return copy;
}

}  // namespace

FileGuard::FileGuard(fs::path dom, fs::path work)
    : dom_(std::move(dom)), dom_inc_(twin_of(dom_)), work_(std::move(work)), work_inc_(twin_of(work_)) {}

FileGuard::~FileGuard() = default;

const fs::path& FileGuard::dom() const { return dom_; }

const fs::path& FileGuard::copy_to_work_on() const { return work_; }

const fs::path& FileGuard::copy_inc_to_work_on() const { return work_inc_; }

OriginalFileGuard::OriginalFileGuard(fs::path dom) : FileGuard(dom, dom) {}

OriginalFileGuard::~OriginalFileGuard() = default;

void OriginalFileGuard::save() {}

TempFileGuard::TempFileGuard(fs::path dom)
    : FileGuard(std::move(dom), fs::temp_directory_path() / generate_uniq_name("mdc-", ".dom")) {
  try {
    fs::copy_file(dom_, work_, fs::copy_options::overwrite_existing);
    if (fs::exists(dom_inc_)) fs::copy_file(dom_inc_, work_inc_, fs::copy_options::overwrite_existing);
  } catch (...) {
    remove_quietly(work_);
    remove_quietly(work_inc_);
    throw;
  }
}

TempFileGuard::~TempFileGuard() {
  remove_quietly(work_);
  remove_quietly(work_inc_);
}

void TempFileGuard::save() {
  const fs::path dom_copy = copy_beside(work_, dom_);
  fs::path inc_copy;
  try {
    inc_copy = copy_beside(work_inc_, dom_inc_);
    fs::rename(dom_copy, dom_);
    fs::rename(inc_copy, dom_inc_);
  } catch (...) {
    remove_quietly(dom_copy);
    if (!inc_copy.empty()) remove_quietly(inc_copy);
    throw;
  }
}

}  // namespace compiler
}  // namespace zel
