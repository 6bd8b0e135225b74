#include "engine/engine.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "base/string_util.h"
#include "analysis/document_hooks.h"
#include "domain/domain_facade.h"
#include "engine/domain_store.h"
#include "engine/plugin_loader.h"
#include "engine/resource_managment.h"
#include "engine/sdk_paths.h"
#include "language/language_module.h"
#include "matcher/plugin_calls.h"
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

constexpr char kPluginTag[] = "[PLUGIN]:";

int64_t system_seconds() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace

Engine::Engine(std::shared_ptr<IOptions> options, Clock clock)
    : clock_(clock ? std::move(clock) : Clock(system_seconds)),
      options_(std::move(options)),
      domain_store_(std::make_shared<DomainStore>("Engine", nullptr)),
      plugins_(std::make_shared<plugins::PluginCollection>()) {
  wlog::set_environment_logger();
  fill_in_sdk_paths(options_);
  root_folder_ = options_->get("root_path");

  resource_folders_ =
      string::split_vector(options_->get("morvik"), ':', false);
  normalize_paths(resource_folders_);
  // A "morvik" folder may keep further resources in its subfolder "kavero".
  // Only one that exists is searched, so that the final list names existing
  // folders only and can itself make another engine.
  std::vector<std::string> kavero_folders;
  for (const std::string& folder : resource_folders_) {
    if (!string::ends_with(folder, "morvik")) continue;
    const fs::path kavero = fs::path(folder) / "kavero";
    std::error_code error;
    if (!fs::exists(kavero, error)) continue;
    // A list that names it already (the "morvik" of another engine) does
    // not search it twice.
    if (std::find(resource_folders_.begin(), resource_folders_.end(), kavero.string()) !=
        resource_folders_.end()) {
      continue;
    }
    kavero_folders.push_back(kavero.string());
  }
  resource_folders_.insert(resource_folders_.end(), kavero_folders.begin(),
                           kavero_folders.end());
  for (const std::string& folder : resource_folders_) {
    log(wlog::kLevelInfo,
        [&](std::ostream& os) { os << "MORVIK_PATH:[" << folder << "]"; });
  }
  options_->add("morvik", string::join(resource_folders_, ":", 0, -1));

  purge_policy_ = std::make_shared<ResourceManagment>(
      this, options_->has("resource_manager_config")
                ? options_->get("resource_manager_config")
                : std::string("{}"));

  if (options_->has("root_path")) {
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kPluginTag << "ZEL root : [" << root_folder_ << "]";
    });
    check_plugin_folder((fs::path(root_folder_) / "lib").string());
  } else {
    check_plugin_folder("plugins");
  }
}

Engine::~Engine() {
  // Plugins drop what they hold for this engine's documents while every
  // member is still alive. A failure cannot leave a destructor; it is
  // logged, as the blackboard's destructor does.
  try {
    plugins::release_document(*plugins_);
  } catch (const std::exception& e) {
    log(wlog::kLevelError, [&](std::ostream& os) {
      os << kPluginTag << "release_document failed: " << e.what();
    });
  } catch (...) {
    log(wlog::kLevelError,
        [&](std::ostream& os) { os << kPluginTag << "release_document failed"; });
  }
}

void Engine::check_plugin_folder(const std::string& candidate) const {
  if (const char* folder = std::getenv("KAVERO_PLUGIN_DIR")) plugin_folder_ = folder;
  std::error_code error;
  if (fs::exists(candidate, error)) {
    plugin_folder_ = candidate;
    return;
  }
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kPluginTag << "cannot find plugin folder while loading: [" << candidate << "]";
  });
}

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

plugins::PluginCollection* Engine::get_plugins() const {
  return plugins_.get();
}

std::shared_ptr<plugins::PluginCollection> Engine::get_plugins_ptr() const {
  return plugins_;
}

const boost::shared_ptr<plugins::API>& Engine::get_plugin(
    const std::string& name) const {
  // The whole lookup runs under global_plugin_mutex alone: it guards the
  // collection, and taking no engine mutex lets a lookup run from code that
  // holds one.
  std::lock_guard<std::mutex> lock(global_plugin_mutex);
  const auto trace = [](const std::string& message) {
    log(wlog::kLevelTrace, [&](std::ostream& os) { os << kPluginTag << message; });
  };
  trace("get_plugin :" + name);
  std::map<std::string, boost::shared_ptr<plugins::API>>& cache = plugins_->plugins;
  auto found = cache.find(name);
  if (found != cache.end()) {
    trace("found !! plugin :" + name);
    return found->second;
  }

  trace("check_plugin_folder :" + name);
  check_plugin_folder(root_folder_.empty() ? std::string("lib")
                                           : (fs::path(root_folder_) / "lib").string());
  if (const char* folder = std::getenv("KAVERO_PLUGIN_DIR")) plugin_folder_ = folder;
  if (plugin_folder_.empty() || !fs::exists(plugin_folder_)) {
    trace("cannot find plugin folder: " + plugin_folder_);
    return empty_plugin();
  }
  trace("exists :" + plugin_folder_);
  const std::string file = generate_plugin_filename(plugin_folder_, name);
  trace("file: " + file);
  if (file.empty() || !fs::exists(file)) {
    trace("cannot find plugin file: " + file);
    return empty_plugin();
  }
  trace("check: " + fs::path(file).filename().string());
  trace("loading: " + file);

  // A file already registered under its registration name (asked for by
  // another name before) is not opened and initialised again.
  const std::string basename = plugin_registration_name(file);
  if (cache.find(basename) == cache.end()) load_plugin(file, basename);
  auto loaded = cache.find(basename);
  if (loaded != cache.end() && loaded->second) {
    // A file found for another name ("abc" served by "abc_plugin.so") is
    // registered under the name asked for as well, so the next lookup is
    // answered from the collection.
    if (basename != name) {
      trace("Alias: " + name + "=" + basename);
      plugins_->add(name, loaded->second);
    }
    return cache.find(name)->second;
  }
  log(wlog::kLevelDebug,
      [&](std::ostream& os) { os << kPluginTag << "cannot load plugin: " << file; });
  return empty_plugin();
}

void Engine::load_plugin(const std::string& file, const std::string& basename) const {
  boost::shared_ptr<plugins::API> plugin = open_plugin(file, basename, options_->str());
  if (!plugin) return;
  plugins_->add(basename, plugin);
  if (basename == "_kavero_plugin") {
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kPluginTag << "Alias: " << "python" << "=" << basename;
    });
    plugins_->add("python", plugin);
  }
}

bool Engine::release_language(const std::string& key) {
  std::lock_guard<std::mutex> lock(*get_mutex());
  return release_language_no_lock(key);
}

bool Engine::release_domain(const std::string& name) {
  std::lock_guard<std::mutex> lock(*get_mutex());
  return release_domain_no_lock(name);
}

bool Engine::purge_domains(const std::string& config) {
  // A configuration the policy rejects fails here, before anything goes.
  ResourceManagment policy(this, config);
  // Plugins are called before the engine mutex is taken (lock order).
  init_plugins();
  std::lock_guard<std::mutex> lock(*get_mutex());
  policy.purge_languages(false);
  policy.purge_domains(false);
  return true;
}

void Engine::init_plugins() { warm_up_plugin(this); }

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

std::string Engine::info() const {
  std::lock_guard<std::mutex> lock(*get_mutex());
  nlohmann::json languages = nlohmann::json::array();
  for (const auto& [key, data] : language_cache_) {
    languages.push_back({{"last_access", data->last_access.load()}, {"name", key}});
  }
  nlohmann::json domains = nlohmann::json::array();
  for (const auto& [key, domain] : domain_store_->domains) {
    domains.push_back({{"last_access", domain->last_access_time.load()}, {"name", key}});
  }
  nlohmann::json info = nlohmann::json::object();
  info["domains"] = std::move(domains);
  info["languages"] = std::move(languages);
  info["options"] = nlohmann::json::parse(options_->str());
  info["sdk_version"] = "3.1.1";
  info["type"] = "release";
  return info.dump();
}

void Engine::check_language_purge() const {
  if (purge_policy_) purge_policy_->purge_languages(true);
}

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

void Engine::check_domain_purge() const {
  if (purge_policy_) purge_policy_->purge_domains(true);
}

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
