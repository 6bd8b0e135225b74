#include "language/resource_file.h"

#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <system_error>
#include <utility>

#include "base/logging.h"
#include "base/string_util.h"
#include "base/version.h"

namespace zel {
namespace kavero {
namespace core {

namespace {

namespace fs = std::filesystem;

template <class Compose>
void trace(Compose&& compose) {
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace, std::forward<Compose>(compose));
}

// Whether a file-system entry of that name exists, symbolic links followed.
// An entry that cannot be examined counts as absent.
bool entry_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// The newest version of base "@" version ext directly in one of the
// folders; the empty path when there is none.
fs::path newest_version(const std::vector<fs::path>& folders,
                        const std::string& base, const std::string& ext) {
  const std::string prefix = base + "@";
  version::Version best("0.0.0");
  fs::path best_path;
  for (const fs::path& folder : folders) {
    // An empty folder is the working folder, as in the plain search.
    const fs::path listed = folder.empty() ? fs::path(".") : folder;
    std::error_code error;
    if (!fs::is_directory(listed, error)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(listed)) {
      if (!entry.is_regular_file()) continue;
      const std::string file_name = entry.path().filename().string();
      if (!ext.empty() && entry.path().extension().string() != ext) continue;
      // Only the file name counts: a folder or a longer name that happens
      // to hold the base (old-english for english) is no version of it.
      if (!string::starts_with(file_name, prefix)) continue;
      const version::Version found(version::extract_version(file_name, ext));
      if (found > best) {
        best = found;
        best_path = folder / file_name;
      }
    }
  }
  return best_path;
}

}  // namespace

fs::path generate_filename(const std::string& name,
                           const std::vector<fs::path>& folders) {
  trace([&](std::ostream& os) { os << "-- checking filename: " << name; });
  // An empty name joined with a folder would name the folder itself.
  if (name.empty()) return fs::path();
  if (entry_exists(name)) {
    trace([&](std::ostream& os) { os << "-- found filename: " << name; });
    return name;
  }

  const fs::path requested(name);
  const std::string stem = requested.filename().stem().string();
  trace([&](std::ostream& os) {
    os << "-- stem has @latest version: stem=" << stem;
  });
  const std::string::size_type latest = stem.find("@latest");
  if (latest != std::string::npos) {
    const std::string ext = requested.filename().extension().string();
    const fs::path found =
        newest_version(folders, stem.substr(0, latest), ext);
    if (!found.empty() && entry_exists(found)) {
      trace([&](std::ostream& os) {
        os << "-- found filename: " << found.string() << "for " << name;
      });
      return found;
    }
    return fs::path();
  }

  for (const fs::path& folder : folders) {
    const fs::path candidate = folder / name;
    trace([&](std::ostream& os) {
      os << "-- checking filename: " << std::quoted(candidate.string());
    });
    if (entry_exists(candidate)) {
      trace([&](std::ostream& os) {
        os << "-- found filename: " << candidate.string();
      });
      return candidate;
    }
  }
  return fs::path();
}

filename_generator::filename_generator(const std::vector<fs::path>& folders,
                                       const nlohmann::json& configuration,
                                       const std::string& language)
    : folders(folders), configuration(&configuration), language_text(&language) {}

filename_generator::filename_generator(const fs::path& first,
                                       const fs::path& second,
                                       const nlohmann::json& configuration,
                                       const std::string& language)
    : folders{first, second},
      configuration(&configuration),
      language_text(&language) {}

fs::path filename_generator::operator()(const char* /*extension*/,
                                        const char* key) const {
  if (!configuration->is_object() || !configuration->contains(key)) {
    if (std::getenv("KAVERO_STRICT_CONFIG") != nullptr) {
      std::cerr << "-- [language.config] `" << key
                << "` section missing in config file." << fs::path();
    }
    return fs::path();
  }
  const std::string value = (*configuration)[key].get<std::string>();
  // An empty value joined with a folder would name the folder itself.
  if (value.empty()) return fs::path();
  if (entry_exists(value)) return value;
  for (const fs::path& folder : folders) {
    const fs::path candidate = folder / value;
    if (entry_exists(candidate)) return candidate;
  }
  return fs::path();
}

void test_generate_filename(const std::string& name) {
  std::cout << "--->>>>>>>>>>" << name << std::endl;
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
