#include "engine/plugin_loader.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include <boost/dll/import.hpp>
#include <boost/dll/shared_library.hpp>
#include <boost/move/utility_core.hpp>

#include "api/client_exception.h"
#include "base/logging.h"
#include "matcher/plugin_calls.h"

// Constant-initialised: it is usable before any static initialiser runs.
std::mutex global_plugin_mutex;

namespace zel {
namespace kavero {

namespace fs = std::filesystem;

namespace {

constexpr char kTag[] = "[PLUGIN]:";

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

// The extension of a file name: from its last "." on, or empty.
std::string extension_of(const std::string& file_name) {
  const size_t dot = file_name.rfind('.');
  return dot == std::string::npos ? std::string() : file_name.substr(dot);
}

// Sets `result` to the regular file (symbolic links followed) of `folder`
// whose name has the extension `extension` (any when empty) and begins with
// `prefix`, the greatest such name in byte order, so the choice does not
// depend on the order in which the file system lists the folder. `result`
// stays as it was when there is none. Sub-folders are not entered.
void find_plugin_file(const std::string& folder, const std::string& extension,
                      const std::string& prefix, std::string& result) {
  std::string best;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!extension.empty() && extension_of(name) != extension) continue;
    std::error_code error;
    if (!fs::is_regular_file(entry.path(), error)) continue;
    if (best.empty() || name > best) best = name;
  }
  if (!best.empty()) result = (fs::path(folder) / best).string();
}

bool exists(const std::string& path) {
  if (path.empty()) return false;
  return fs::exists(path);
}

}  // namespace

std::string generate_plugin_filename(const std::string& folder,
                                     const std::string& name) {
  const std::string stem = name == "python" ? std::string("_kavero") : name;
  const std::string first = (fs::path(folder) / (stem + ".so")).string();
  if (exists(first)) return first;
  std::string result;
  find_plugin_file(folder, ".so", stem + "_plugin", result);
  return exists(result) ? result : std::string();
}

std::string plugin_registration_name(const std::string& file) {
  const std::string name = fs::path(file).filename().string();
  return name.substr(0, name.find('.'));
}

const boost::shared_ptr<plugins::API>& empty_plugin() {
  static const boost::shared_ptr<plugins::API> empty;
  return empty;
}

boost::shared_ptr<plugins::API> open_plugin(const std::string& file,
                                            const std::string& basename,
                                            const std::string& options) {
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kTag << "!!! load_plugin basename:" << basename << " name:" << file;
  });
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << kTag << "basename:" << basename; });
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << kTag << "Shared Object File:" << file; });
  try {
    // The path always names its folder, so no library search path is used.
    boost::dll::shared_library library(
        boost::dll::fs::path(file),
        boost::dll::load_mode::rtld_global | boost::dll::load_mode::rtld_now);
    boost::shared_ptr<plugins::API> plugin =
        boost::dll::import<plugins::API>(boost::move(library), "plugin");
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << kTag << "Done Loading :" << file; });
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kTag << basename << " correct signature = OK";
    });
    zel_exception error = plugins::cleared_error();
    const bool ready = plugin->initialize(options.c_str(), &error);
    omr::common::handle_exception(error);
    if (!ready) return boost::shared_ptr<plugins::API>();
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << kTag << basename << " Status = OK"; });
    return plugin;
  } catch (const std::exception& e) {
    log(wlog::kLevelError, [&](std::ostream& os) {
      os << kTag << "Could not load " << file << ":" << e.what();
    });
    throw;
  }
}

}  // namespace kavero
}  // namespace zel
