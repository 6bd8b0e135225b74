#include "engine/sdk_paths.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <system_error>

#include "base/exception.h"
#include "base/logging.h"
#include "base/string_util.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;

namespace {

constexpr char kRootPath[] = "root_path";
constexpr char kMorvik[] = "morvik";

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

// Any kind of entry counts; an error while looking counts as none.
bool path_exists(const fs::path& path) {
  std::error_code error;
  return !path.empty() && fs::exists(path, error);
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

}  // namespace

fs::path root_of_library_folder(const fs::path& library_folder) {
  if (library_folder.empty()) return fs::path();
  fs::path folder = library_folder;
  folder.remove_filename();
  std::error_code error;
  const fs::path canonical = fs::canonical(folder, error);
  if (error) return fs::path();
  return canonical.parent_path();
}

void fill_in_sdk_paths(const std::shared_ptr<IOptions>& options) {
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "Engine Options check_sdk_filesystem [" << options->str() << "]";
  });
  if (options->get(kRootPath).empty()) {
    log(wlog::kLevelTrace,
        [](std::ostream& os) { os << "No root_path option, looking for KAVERO_ROOT ... "; });
    if (const char* root = std::getenv("KAVERO_ROOT")) {
      options->add(kRootPath, root);
    } else {
      const fs::path candidate = root_of_library_folder(system::path::this_function());
      log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Using:" << candidate.string(); });
      log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Engine options" << options->str(); });
      if (path_exists(candidate)) options->add(kRootPath, candidate.string());
    }
  }
  if (options->get(kRootPath).empty()) {
    log(wlog::kLevelTrace,
        [](std::ostream& os) { os << "Still no root_path option, looking for ./kav... "; });
    options->add(kRootPath, system::path::sdk("./kav").string());
  }

  const std::string root = options->get(kRootPath);
  log(wlog::kLevelInfo, [&](std::ostream& os) { os << "KAVERO_ROOT : [" << root << "]"; });
  if (!path_exists(root)) fail("omr root path option is not valid path [" + root + "]");

  if (!options->has(kMorvik)) {
    if (const char* morvik = std::getenv("KAVERO_MORVIK")) {
      options->add(kMorvik, morvik);
    } else {
      const fs::path inside = fs::path(root) / kMorvik;
      if (path_exists(inside)) {
        options->add(kMorvik, inside.string());
      } else {
        log(wlog::kLevelWarning, [&](std::ostream& os) {
          os << "Could not find morvik in default location [" << inside.string() << "]";
        });
        const fs::path beside = fs::path(root) / ".." / kMorvik;
        if (path_exists(beside)) options->add(kMorvik, beside.string());
      }
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << "The '" << kMorvik << "' option not set/found using default ["
           << options->get(kMorvik) << "]";
      });
    }
  }

  const std::string morvik = options->get(kMorvik);
  log(wlog::kLevelInfo, [&](std::ostream& os) { os << "MORVIK_ROOT : [" << morvik << "]"; });
  for (const std::string& part : string::split_vector(morvik, ':', false)) {
    log(wlog::kLevelTrace, [&](std::ostream& os) { os << " MORVIK_PATH : [" << part << "]"; });
    if (!path_exists(part)) fail("morvik data path is not valid [" + part + "]");
  }
}

std::string get_default_morvik() {
  auto options = std::make_shared<Options>();
  fill_in_sdk_paths(options);
  return options->get(kMorvik);
}

}  // namespace kavero

namespace system {
namespace path {

namespace fs = std::filesystem;

namespace {

constexpr char kLibraryName[] = "libkavero.so";

// An address inside this library, for the loader to place.
void anchor() {}

}  // namespace

fs::path this_function() {
  Dl_info info;
  struct link_map* entry = nullptr;
  if (dladdr1(reinterpret_cast<void*>(&anchor), &info, reinterpret_cast<void**>(&entry),
              RTLD_DL_LINKMAP) == 0 ||
      entry == nullptr) {
    return fs::path();
  }
  std::vector<std::string> names;
  for (; entry != nullptr; entry = entry->l_next) {
    names.emplace_back(entry->l_name == nullptr ? "" : entry->l_name);
  }
  return library_folder_in(names);
}

fs::path library_folder_in(const std::vector<std::string>& loaded_names) {
  for (const std::string& name : loaded_names) {
    const std::size_t at = name.find(kLibraryName);
    if (at != std::string::npos) return fs::path(name.substr(0, at));
  }
  return fs::path();
}

fs::path sdk(const std::string& fallback) {
  char buffer[1024];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  const std::string executable = length > 0 ? std::string(buffer, static_cast<std::size_t>(length))
                                            : std::string();
  return installation_of_executable(executable, fallback);
}

fs::path installation_of_executable(const fs::path& executable, const std::string& fallback) {
  std::error_code error;
  if (executable.empty() || !fs::exists(executable, error)) return fs::path(fallback);
  const fs::path folder = fs::canonical(executable.parent_path(), error);
  if (error) return fs::path(fallback);
  fs::path installation = folder.parent_path();
  const std::string last = installation.filename().string();
  if (string::starts_with(last, "debug") || string::starts_with(last, "release")) {
    installation = installation.parent_path();
  }
  return installation;
}

}  // namespace path
}  // namespace system
}  // namespace zel
