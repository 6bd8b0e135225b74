// The plugins an engine has loaded.
//
// The engine makes its collection empty when it is made and holds it through
// a shared pointer; the plugin loader adds an entry for every plugin it
// loads, under the plugin's registration name (and under the name it was
// asked by, when that differs), and never replaces or removes one.
// Blackboards keep a share of their engine's collection, so the plugins they
// talked to outlive the document. Loops over the plugins follow the name
// order.
//
// The collections of all engines are guarded by the process-wide
// global_plugin_mutex (engine/plugin_loader.h): the loader holds it while it
// looks up and adds entries, and walks over a collection copy its entries
// under it and call the plugins after letting it go, so that no plugin call
// waits for a load and none races one.
//
// One plugin object can be held by several collections (engines that loaded
// the same library) and under several names. It is shut down once: when the
// last collection that holds it goes.

#ifndef KAVERO_MATCHER_PLUGIN_COLLECTION_H_
#define KAVERO_MATCHER_PLUGIN_COLLECTION_H_

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "matcher/plugin_api.h"

namespace zel {
namespace kavero {
namespace plugins {

class PluginCollection {
 public:
  using Entry = std::pair<std::string, boost::shared_ptr<API>>;

  PluginCollection();
  // Shuts down (API::unload), in name order, every plugin object that no
  // other collection holds any more, once each, and then releases the
  // entries. A failure that a plugin reports is logged and does not stop
  // the others.
  ~PluginCollection();

  PluginCollection(const PluginCollection&) = delete;
  PluginCollection& operator=(const PluginCollection&) = delete;

  // Adds the plugin under the name unless the name is taken; true when it
  // was added. The caller holds global_plugin_mutex.
  bool add(const std::string& name, const boost::shared_ptr<API>& plugin);

  // Every plugin object of the collection once, under the first of its
  // names in name order; empty entries are left out. Takes
  // global_plugin_mutex while it copies.
  std::vector<Entry> entries() const;

  // Registration name -> plugin; a pointer also keeps the plugin's shared
  // object loaded. Written through add() under global_plugin_mutex.
  std::map<std::string, boost::shared_ptr<API>> plugins;

 private:
  // The plugin objects that add() counted as held by this collection.
  std::set<const API*> registered_;
};

}  // namespace plugins
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_PLUGIN_COLLECTION_H_
