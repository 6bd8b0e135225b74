#include "language/language_listing.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "base/file.h"
#include "base/logging.h"
#include "engine/engine.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
using nlohmann::json;

void add_support_level(json& description, const std::string& path) {
  std::error_code error;
  if (!fs::exists(path, error)) return;
  json config;
  try {
    config = json::parse(file::load(path.c_str()));
  } catch (const json::parse_error&) {
    description["error"] = "Invalid json language file.";
    return;
  }
  if (!config.is_object()) return;
  if (config.contains("tokenizer")) {
    description["support"].push_back("tokenizer");
  } else if (config.contains("tokenizer_locale")) {
    description["support"].push_back("tokenizer_locale");
  }
  if (config.contains("morph_chain")) {
    description["support"].push_back("morphology");
  }
}

std::string Engine::languages() const {
  std::lock_guard<std::mutex> lock(*get_mutex());
  json listing = json::object();
  for (const std::string& folder : resource_folders_) {
    // Listed by file name, so that which of several files of one language
    // is shown does not depend on the file system's order.
    std::vector<fs::path> files;
    // A folder that cannot be listed (removed or made unreadable since the
    // engine was made) lists nothing; the other folders are still listed.
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
      std::error_code status_error;
      if (entries->is_regular_file(status_error) &&
          entries->path().extension() == ".language") {
        files.push_back(entries->path());
      }
    }
    if (error) {
      wlog::log(wlog::kRuntimeId, wlog::kLevelWarning, [&](std::ostream& os) {
        os << "[Language] Cannot list the resource folder [" << folder
           << "]: " << error.message();
      });
      files.clear();
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      const std::string name = file.stem().string();
      const std::size_t at = name.find('@');
      const std::string language = name.substr(0, at);
      std::string version = "none";
      if (at != std::string::npos) {
        const std::size_t end = name.find('@', at + 1);
        version = name.substr(at + 1, end == std::string::npos
                                          ? std::string::npos
                                          : end - at - 1);
      }
      if (listing.contains(language)) continue;
      json description;
      add_support_level(description, file.string());
      listing[language][version] = description;
    }
  }
  return listing.dump();
}

}  // namespace kavero
}  // namespace zel
