#include "matcher/plugin_collection.h"

#include <exception>

#include "api/client_exception.h"
#include "base/logging.h"

namespace zel {
namespace kavero {
namespace plugins {

PluginCollection::PluginCollection() = default;

PluginCollection::~PluginCollection() {
  for (auto& [name, plugin] : plugins) {
    if (!plugin) continue;
    zel_exception error;
    error.code = 0;
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
