#include "engine/engine.h"

#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "base/string_util.h"
#include "language/language_module.h"
#include "matcher/plugin_collection.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;

namespace {

constexpr char kLanguageTag[] = "[Language] ";

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

[[noreturn]] void not_available(const char* what) {
  std::ostringstream message;
  message << "The engine operation '" << what << "' is not available yet.";
  throw Exception(message);
}

}  // namespace

Engine::Engine(std::shared_ptr<IOptions> options)
    : options_(std::move(options)),
      plugins_(std::make_shared<plugins::PluginCollection>()) {
  wlog::set_environment_logger();

  // Finding the folders from the environment or the library's location
  // comes with the folder resolution; until then both options are needed.
  if (options_->get("root_path").empty() || !options_->has("morvik")) {
    not_available(
        "finding the root and resource folders without the options "
        "\"root_path\" and \"morvik\"");
  }
  root_folder_ = options_->get("root_path");

  resource_folders_ =
      string::split_vector(options_->get("morvik"), ':', false);
  normalize_paths(resource_folders_);
  std::vector<std::string> kavero_folders;
  for (const std::string& folder : resource_folders_) {
    if (string::ends_with(folder, "morvik")) {
      kavero_folders.push_back((fs::path(folder) / "kavero").string());
    }
  }
  resource_folders_.insert(resource_folders_.end(), kavero_folders.begin(),
                           kavero_folders.end());
  for (const std::string& folder : resource_folders_) {
    log(wlog::kLevelInfo,
        [&](std::ostream& os) { os << "MORVIK_PATH:[" << folder << "]"; });
  }
  options_->add("morvik", string::join(resource_folders_, ":", 0, -1));

  // A policy that limits nothing is the same as none; any other needs the
  // purge policy, which is not part of the engine yet.
  if (options_->has("resource_manager_config")) {
    nlohmann::json config = nlohmann::json::parse(
        options_->get("resource_manager_config"), nullptr, false);
    if (!config.is_object() || !config.empty()) {
      not_available("purge policy (\"resource_manager_config\")");
    }
  }
}

Engine::~Engine() = default;

std::shared_ptr<LanguageModule> Engine::get_language_module(
    const std::shared_ptr<IOptions>& options) const {
  std::lock_guard<std::mutex> lock(*get_mutex());
  return get_language_module_nolock(options);
}

std::shared_ptr<LanguageModule> Engine::get_language_module(
    const std::string& language) const {
  std::lock_guard<std::mutex> lock(*get_mutex());
  nlohmann::json request = nlohmann::json::object();
  request["language"] = language;
  return get_language_module_nolock(
      convert_string_to_api_options(request.dump()));
}

std::shared_ptr<LanguageModule> Engine::get_document_language_module(
    const std::string& language, const std::string& project_path) const {
  std::lock_guard<std::mutex> lock(*get_mutex());
  return get_document_language_module_nolock(language, project_path);
}

DomainCollection Engine::get_domains(const std::string&, bool) const {
  not_available("get_domains");
}

std::string Engine::get_domain_filename(const std::string&) const {
  not_available("get_domain_filename");
}

plugins::PluginCollection* Engine::get_plugins() const {
  return plugins_.get();
}

std::shared_ptr<plugins::PluginCollection> Engine::get_plugins_ptr() const {
  return plugins_;
}

const boost::shared_ptr<plugins::API>& Engine::get_plugin(
    const std::string& name) const {
  // A plugin already in the collection is answered from it; finding and
  // loading a plugin's shared object is what is not available yet.
  auto found = plugins_->plugins.find(name);
  if (found != plugins_->plugins.end()) return found->second;
  not_available("get_plugin");
}

void Engine::release_domains() { not_available("release_domains"); }

bool Engine::release_language(const std::string& key) {
  std::lock_guard<std::mutex> lock(*get_mutex());
  return release_language_no_lock(key);
}

bool Engine::release_domain(const std::string&) {
  not_available("release_domain");
}

bool Engine::purge_domains(const std::string&) {
  not_available("purge_domains");
}

void Engine::init_plugins() { not_available("init_plugins"); }

void Engine::collect_volume_size(uint64_t) const {}

std::string Engine::property(const std::string& name) const {
  std::string value = options_->get(name.c_str());
  if (value.empty()) {
    std::ostringstream message;
    message << "Unkown attribute. [" << name << "] ";
    throw Exception(message);
  }
  return value;
}

std::string Engine::info() const { not_available("info"); }

// No policy object exists until the purge policy is part of the engine; the
// constructor refuses every configuration that would need one.
void Engine::check_language_purge() const {}

void Engine::check_language_file(const std::string& path) const {
  auto it = language_cache_.find(path);
  if (it == language_cache_.end()) return;
  const std::shared_ptr<LanguageModuleData>& data = it->second;
  int64_t on_disk = file::modification_time(path.c_str());
  int64_t stored = data->last_write_time_stamp.load();
  log(wlog::kLevelDebug, [&](std::ostream& os) {
    os << kLanguageTag << " language_data->last_write_time_stamp=" << stored
       << ", ondisk_timestamp=" << on_disk;
  });
  if (stored >= on_disk) return;
  log(wlog::kLevelDebug, [&](std::ostream& os) {
    os << kLanguageTag << " Newer version of " << data->config_file;
  });
  // The key, not the data's path, names the entry; they are the same text.
  release_language_no_lock(std::string(it->first));
}

void Engine::check_domain_purge() const {}

Regex Engine::get_regex(const std::string& pattern) const {
  std::lock_guard<std::mutex> lock(regex_mutex_);
  return regex_factory_.make_regex(pattern, false);
}

std::mutex* Engine::get_mutex() const { return &mutex_; }

bool Engine::release_language_no_lock(const std::string& key) const {
  auto it = language_cache_.find(key);
  if (it == language_cache_.end()) return false;
  log(wlog::kLevelDebug, [&](std::ostream& os) {
    os << kLanguageTag << "Release language: " << key;
  });
  language_cache_.erase(it);
  return true;
}

bool Engine::release_domain_no_lock(const std::string&) {
  not_available("release_domain_no_lock");
}

void normalize_paths(std::vector<std::string>& paths) {
  for (std::string& path : paths) path = fs::canonical(path).string();
}

std::string relative_to_paths(const std::string& path,
                              const std::vector<fs::path>& folders) {
  static const std::string kExtension = ".language";
  if (!string::ends_with(path, kExtension)) return path;
  for (const fs::path& folder : folders) {
    const std::string& prefix = folder.native();
    // An empty folder stands for the working folder and names nothing; a
    // folder must hold the path as a whole component, so that /data/morvik
    // does not claim /data/morvik2/english.language.
    if (prefix.empty() || !string::starts_with(path, prefix)) continue;
    std::size_t start = prefix.size();
    if (prefix.back() != '/') {
      if (path.size() <= start || path[start] != '/') continue;
      ++start;
    }
    if (path.size() <= start + kExtension.size()) continue;
    std::string name = path.substr(start, path.size() - start - kExtension.size());
    // A file named ".language" alone has no name.
    if (name.back() == '/') continue;
    return name;
  }
  return path;
}

}  // namespace kavero
}  // namespace zel
