#include "matcher/plugin_calls.h"

#include "analysis/blackboard.h"
#include "api/client_exception.h"
#include "engine/engine_interface.h"
#include "matcher/plugin_collection.h"

namespace zel {
namespace kavero {
namespace plugins {

namespace {

// The plugin that keeps no per-document state through this call; its
// document ends through its own functions.
constexpr char kPython[] = "python";

}  // namespace

void release_document(const PluginCollection& collection) {
  for (const auto& [name, plugin] : collection.plugins) {
    if (name == kPython || !plugin) continue;
    zel_exception error;
    error.code = 0;
    plugin->release_document(&error);
    omr::common::handle_exception(error);
  }
}

void release_document(const EngineInterface* engine) {
  if (engine == nullptr) return;
  if (const PluginCollection* collection = engine->get_plugins()) {
    release_document(*collection);
  }
}

void release_document(Blackboard& blackboard) {
  if (blackboard.plugins) release_document(*blackboard.plugins);
}

}  // namespace plugins
}  // namespace kavero
}  // namespace zel
