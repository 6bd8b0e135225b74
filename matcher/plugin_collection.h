// The plugins an engine has loaded.
//
// The engine makes its collection empty when it is made and holds it through
// a shared pointer; the plugin loader adds an entry for every plugin it
// loads, under the plugin's registration name, and never replaces or
// removes one. Blackboards keep a share of their engine's collection, so the
// plugins they talked to outlive the document. Loops over the plugins follow
// the name order.

#ifndef KAVERO_MATCHER_PLUGIN_COLLECTION_H_
#define KAVERO_MATCHER_PLUGIN_COLLECTION_H_

#include <map>
#include <string>

#include <boost/shared_ptr.hpp>

#include "matcher/plugin_api.h"

namespace zel {
namespace kavero {
namespace plugins {

class PluginCollection {
 public:
  PluginCollection();
  // Shuts every plugin down (API::unload), in name order, and then releases
  // it. A failure that a plugin reports is logged and does not stop the
  // others.
  ~PluginCollection();

  PluginCollection(const PluginCollection&) = delete;
  PluginCollection& operator=(const PluginCollection&) = delete;

  // Registration name -> plugin; a pointer also keeps the plugin's shared
  // object loaded.
  std::map<std::string, boost::shared_ptr<API>> plugins;
};

}  // namespace plugins
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_PLUGIN_COLLECTION_H_
