#include "matcher/plugin_collection.h"

#include <exception>

#include "api/client_exception.h"
#include "base/logging.h"
#include "matcher/plugin_calls.h"

namespace zel {
namespace kavero {
namespace plugins {

PluginCollection::PluginCollection() = default;

PluginCollection::~PluginCollection() {
  for (auto& [name, plugin] : plugins) {
    if (!plugin) continue;
    zel_exception error = cleared_error();
    try {
      plugin->unload(&error);
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
    plugin.reset();
  }
  plugins.clear();
}

}  // namespace plugins
}  // namespace kavero
}  // namespace zel
