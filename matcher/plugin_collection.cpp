#include "matcher/plugin_collection.h"

#include <exception>
#include <mutex>

#include "api/client_exception.h"
#include "base/logging.h"
#include "engine/plugin_loader.h"
#include "matcher/plugin_calls.h"

namespace zel {
namespace kavero {
namespace plugins {

namespace {

// Plugin object -> the number of collections that hold it, over every
// engine of the process. Guarded by global_plugin_mutex.
std::map<const API*, size_t>& holders() {
  static auto* counts = new std::map<const API*, size_t>();
  return *counts;
}

void shut_down(const std::string& name, API& plugin) {
  zel_exception error = cleared_error();
  try {
    plugin.unload(&error);
    omr::common::handle_exception(error);
  } catch (const std::exception& e) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
      os << "[PLUGIN]:" << "unload of " << name << " failed: " << e.what();
    });
  } catch (...) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
      os << "[PLUGIN]:" << "unload of " << name << " failed";
    });
  }
}

}  // namespace

PluginCollection::PluginCollection() = default;

PluginCollection::~PluginCollection() {
  std::vector<Entry> last;
  std::map<std::string, boost::shared_ptr<API>> released;
  {
    std::lock_guard<std::mutex> lock(global_plugin_mutex);
    std::set<const API*> gone;
    for (const API* plugin : registered_) {
      auto count = holders().find(plugin);
      if (count == holders().end()) continue;
      if (--count->second == 0) {
        holders().erase(count);
        gone.insert(plugin);
      }
    }
    std::set<const API*> seen;
    for (const auto& [name, plugin] : plugins) {
      if (!plugin || !seen.insert(plugin.get()).second) continue;
      // An entry put in the map without add() is this collection's alone.
      if (registered_.count(plugin.get()) == 0 || gone.count(plugin.get()) != 0) {
        last.emplace_back(name, plugin);
      }
    }
    released.swap(plugins);
  }
  for (auto& [name, plugin] : last) shut_down(name, *plugin);
}

bool PluginCollection::add(const std::string& name,
                           const boost::shared_ptr<API>& plugin) {
  if (!plugins.emplace(name, plugin).second) return false;
  if (plugin && registered_.insert(plugin.get()).second) ++holders()[plugin.get()];
  return true;
}

std::vector<PluginCollection::Entry> PluginCollection::entries() const {
  std::lock_guard<std::mutex> lock(global_plugin_mutex);
  std::vector<Entry> copied;
  std::set<const API*> seen;
  for (const auto& [name, plugin] : plugins) {
    if (!plugin || !seen.insert(plugin.get()).second) continue;
    copied.emplace_back(name, plugin);
  }
  return copied;
}

}  // namespace plugins
}  // namespace kavero
}  // namespace zel
