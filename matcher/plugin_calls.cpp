#include "matcher/plugin_calls.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include <boost/shared_ptr.hpp>

#include "analysis/blackboard.h"
#include "api/client_exception.h"
#include "base/logging.h"
#include "base/string_util.h"
#include "engine/engine_interface.h"
#include "matcher/plugin_collection.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {
namespace plugins {

namespace {

// The plugin that keeps no per-document state through this call; its
// document ends through its own functions.
constexpr char kPython[] = "python";
constexpr char kPrefix[] = "[PLUGIN]:";

template <typename Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

// The plugin, module and function names of a "::plugin::module::function"
// uri; empty (with the error logged) when the uri has another shape.
std::vector<std::string> uri_parts(const std::string& uri) {
  std::vector<std::string> parts = zel::string::split_vector(uri, ":", true);
  if (parts.size() == 3) return parts;
  log(wlog::kLevelError, [&](std::ostream& os) {
    os << kPrefix
       << "Uri name does not match the plugin format call "
          "::(.+)::(.+)::(.+) '"
       << uri << "'";
  });
  return {};
}

// The document the thread's match context names, watched: it expires when
// that blackboard is destroyed, on whatever thread, so a context left
// behind by a finished document is never handed to a plugin.
std::weak_ptr<const void>& match_context_document() {
  thread_local std::weak_ptr<const void> document;
  return document;
}

void clear(runtime::Context& context) {
  context.blackboard = nullptr;
  context.name.clear();
  context.sentence = nullptr;
  context.concept_annotation = nullptr;
  context.scope = nullptr;
  match_context_document().reset();
}

}  // namespace

zel_exception cleared_error() {
  zel_exception error;
  std::memset(&error, 0, sizeof(error));
  return error;
}

runtime::Context& get_match_context() {
  thread_local runtime::Context context;
  // The context of a document that is gone names nothing any more.
  if (context.blackboard != nullptr && match_context_document().expired()) {
    clear(context);
  }
  return context;
}

void set_match_context(const runtime::Context& context) {
  runtime::Context& current = get_match_context();
  current.blackboard = context.blackboard;
  current.name = context.name;
  current.sentence = context.sentence;
  current.concept_annotation = context.concept_annotation;
  current.scope = context.scope;
  if (context.blackboard != nullptr) {
    match_context_document() = context.blackboard->lifetime();
  } else {
    match_context_document().reset();
  }
}

void forget_match_context(const Blackboard& blackboard) {
  runtime::Context& current = get_match_context();
  if (current.blackboard == &blackboard) clear(current);
}

void set_plugin_context(API& plugin) {
  const runtime::Context& current = get_match_context();
  const MatchContextRecord record{current.blackboard, current.sentence,
                                  current.scope, current.concept_annotation};
  plugin.set_plugin_context(&record);
}

std::string call_function_context(const EngineInterface* engine,
                                  const PluginOperation& operation,
                                  const std::string& uri,
                                  const std::vector<DataObject>& arguments) {
  log(wlog::kLevelDebug,
      [&](std::ostream& os) { os << kPrefix << "call_function " << uri; });
  const std::vector<std::string> parts = uri_parts(uri);
  if (parts.empty()) return std::string();
  const std::string& plugin_name = parts[0];
  zel_exception error = cleared_error();
  std::string result;
  try {
    // The engine's reference may go with its cache; a copy keeps the plugin
    // while it works.
    boost::shared_ptr<API> plugin;
    if (engine != nullptr) plugin = engine->get_plugin(plugin_name);
    if (!plugin) {
      log(wlog::kLevelError, [&](std::ostream& os) {
        os << "Error cannot find plugin:" << plugin_name << " from annotation "
           << uri;
      });
      return std::string();
    }
    log(wlog::kLevelDebug, [&](std::ostream& os) {
      os << kPrefix << "before set_plugin_context " << uri;
    });
    set_plugin_context(*plugin);
    log(wlog::kLevelDebug, [&](std::ostream& os) {
      os << kPrefix << "afther set_plugin_context " << uri;
    });
    char* text = operation(*plugin, parts[1].c_str(), parts[2].c_str(),
                           arguments, &error);
    if (text == nullptr) {
      log(wlog::kLevelDebug, [&](std::ostream& os) {
        os << kPrefix << "[RETURN]" << "NULLPTR";
      });
    } else {
      result = text;
      log(wlog::kLevelDebug, [&](std::ostream& os) {
        os << kPrefix << "[RETURN][" << result << "]";
      });
      plugin->free_result(text);
    }
    omr::common::handle_exception(error);
  } catch (const std::out_of_range&) {
    log(wlog::kLevelInfo, [&](std::ostream& os) {
      os << "Either plugin not loaded or uri name does not start with :: "
            "from annotation '"
         << uri << "'";
    });
    return std::string();
  }
  return result;
}

std::string open_document(const EngineInterface* engine, const std::string& uri,
                          const std::vector<DataObject>& arguments) {
  return call_function_context(
      engine,
      [](API& plugin, const char* module, const char* function,
         const std::vector<DataObject>& args, zel_exception* error) {
        return plugin.open_document(module, function, args, error);
      },
      uri, arguments);
}

std::string close_document(const EngineInterface* engine,
                           const std::string& uri,
                           const std::vector<DataObject>& arguments) {
  return call_function_context(
      engine,
      [](API& plugin, const char* module, const char* function,
         const std::vector<DataObject>& args, zel_exception* error) {
        return plugin.close_document(module, function, args, error);
      },
      uri, arguments);
}

std::string call(const EngineInterface* engine, const std::string& uri,
                 const std::vector<DataObject>& arguments) {
  log(wlog::kLevelDebug, [&](std::ostream& os) { os << "call " << uri; });
  const std::vector<std::string> parts = uri_parts(uri);
  if (parts.empty()) return std::string();
  const std::string& plugin_name = parts[0];
  // A plugin that is not there is said so in the log: a caller that drops
  // the empty answer (the warm-up) would otherwise hide it.
  const auto missing = [&] {
    log(wlog::kLevelError, [&](std::ostream& os) {
      os << "Error cannot find plugin:" << plugin_name;
    });
    log(wlog::kLevelInfo, [&](std::ostream& os) {
      os << "Either plugin not loaded or uri name does not start with :: "
            "from annotation '"
         << uri << "'";
    });
    return std::string();
  };
  zel_exception error = cleared_error();
  std::string result;
  try {
    boost::shared_ptr<API> plugin;
    if (engine != nullptr) plugin = engine->get_plugin(plugin_name);
    if (!plugin) return missing();
    char* text = plugin->call(parts[1].c_str(), parts[2].c_str(), arguments,
                              &error);
    if (text != nullptr) {
      result = text;
      plugin->free_result(text);
    }
    omr::common::handle_exception(error);
  } catch (const std::out_of_range&) {
    return missing();
  }
  return result;
}

std::string call(const EngineInterface* engine, const std::string& uri) {
  return call(engine, uri, {});
}

std::string trigger(Blackboard& blackboard, const std::string& uri,
                    const std::vector<DataObject>& arguments) {
  if (!blackboard.allow_plugins()) return std::string();
  return call_function_context(
      blackboard.engine(),
      [](API& plugin, const char* module, const char* function,
         const std::vector<DataObject>& args, zel_exception* error) {
        return plugin.trigger(module, function, args, error);
      },
      uri, arguments);
}

std::string PluginHandler::operator()(const runtime::Context& context) const {
  set_match_context(context);
  if (context.blackboard == nullptr) return std::string();
  return trigger(*context.blackboard, context.name, {});
}

void set_document_property(Blackboard& blackboard, const std::string& key,
                           const std::string& value) {
  const PluginCollection* collection = blackboard.engine() != nullptr
                                           ? blackboard.engine()->get_plugins()
                                           : blackboard.plugins.get();
  if (collection == nullptr) return;
  for (const auto& [name, plugin] : collection->entries()) {
    zel_exception error = cleared_error();
    plugin->set_document_property(key.c_str(), value.c_str(), &error);
    omr::common::handle_exception(error);
  }
}

void release_document(const PluginCollection& collection) {
  for (const auto& [name, plugin] : collection.entries()) {
    if (name == kPython) continue;
    zel_exception error = cleared_error();
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
