// Calls from the runtime into the loaded plugins.
//
// A plugin function is named by a URI of three names, each introduced by
// "::": plugin, module and function ("::python::kavero.plugin::open_doc").
// The URI is split at every ':' with empty pieces dropped, so single colons
// separate as well; anything but three pieces is refused (an error line, an
// empty answer). The plugin is asked of the engine (get_plugin) by its name.
//
// A text a plugin returns belongs to the plugin: it is copied into the
// answer and handed back to the plugin's free_result at once. A failure the
// plugin reports in its error record is raised after that
// (omr::common::handle_exception), and the answer is dropped.
//
// Every thread has one match context: the match a plugin learns of through
// set_plugin_context before each operation of call_function_context. It
// starts empty and keeps the last match set on the thread, but never
// outlives the document it names: once that blackboard is destroyed (on any
// thread) the context is empty again, so a plugin never receives pointers
// into a document that is gone.
//
// Every plugin operation gets an error record zeroed whole, code and
// message, so a plugin that sets a code without a message raises with an
// empty text.
//
// The end of a document: every loaded plugin but "python" drops what it
// keeps for it.

#ifndef KAVERO_MATCHER_PLUGIN_CALLS_H_
#define KAVERO_MATCHER_PLUGIN_CALLS_H_

#include <functional>
#include <string>
#include <vector>

#include "matcher/plugin_api.h"

namespace zel {
namespace kavero {

class Blackboard;
class EngineInterface;

namespace runtime {
class Context;
}  // namespace runtime

namespace plugins {

class PluginCollection;

// One of the text-returning operations of API, bound to a plugin object.
using PluginOperation =
    std::function<char*(API& plugin, const char* module, const char* function,
                        const std::vector<DataObject>& arguments,
                        zel_exception* error)>;

// Calls the operation on the plugin the URI names, after handing the plugin
// the thread's match context; returns its answer (empty for none). Without
// an engine, or when the engine has no such plugin, an error line is logged
// and the answer is empty; so it is when the engine's lookup raises
// std::out_of_range (an info line; an engine of another kind may raise it).
// Other errors of the lookup, and the
// failure the plugin reports, are raised.
std::string call_function_context(const EngineInterface* engine,
                                  const PluginOperation& operation,
                                  const std::string& uri,
                                  const std::vector<DataObject>& arguments);

// call_function_context with API::open_document and API::close_document:
// a document opens or closes. The answer is the plugin's text.
std::string open_document(const EngineInterface* engine, const std::string& uri,
                          const std::vector<DataObject>& arguments);
std::string close_document(const EngineInterface* engine,
                           const std::string& uri,
                           const std::vector<DataObject>& arguments);

// Calls API::call on the plugin the URI names and returns its answer, like
// call_function_context but without handing the plugin the match context.
// A URI without three pieces is refused as there (error line, empty
// answer); without an engine, or when the engine has no such plugin, the
// answer is empty and the error line "Error cannot find plugin:" + name is
// logged with the info line of call_function_context. Other errors of the
// engine's lookup, and the failure the plugin reports, are raised.
std::string call(const EngineInterface* engine, const std::string& uri,
                 const std::vector<DataObject>& arguments);
std::string call(const EngineInterface* engine, const std::string& uri);

// call_function_context with API::trigger over the blackboard's engine;
// an empty text, without a call, when the blackboard does not allow
// plugins.
std::string trigger(Blackboard& blackboard, const std::string& uri,
                    const std::vector<DataObject>& arguments);

// An error record with every byte 0, for one plugin operation.
zel_exception cleared_error();

// The calling thread's match context, made empty on its first use and
// emptied when the blackboard it names has been destroyed.
runtime::Context& get_match_context();

// Copies the blackboard, name, sentence, concept and scope of the context
// into the thread's match context (its arguments stay as they are).
void set_match_context(const runtime::Context& context);

// Empties the calling thread's match context when it names the blackboard;
// the blackboard's destructor calls it.
void forget_match_context(const Blackboard& blackboard);

// Hands the plugin the thread's match context as a MatchContextRecord.
void set_plugin_context(API& plugin);

// A queued plugin call: the rule function whose name begins with "::".
// Makes the context the thread's match context and triggers the function
// its name names, without arguments.
struct PluginHandler {
  std::string operator()(const runtime::Context& context) const;
};

// Hands a property of the blackboard's document (key and value) to every
// plugin of the collection of the blackboard's engine (set_analyzer), else
// of the collection it was made with, in name order, "python" included,
// each plugin object once (PluginCollection::entries). A
// failure a plugin reports is raised (omr::common::handle_exception) and
// ends the loop.
void set_document_property(Blackboard& blackboard, const std::string& key,
                           const std::string& value);

// For every plugin of the collection, in name order, each plugin object
// once (PluginCollection::entries), except the one named "python":
// API::release_document, and the failure it reports raised
// (omr::common::handle_exception); a raised failure ends the loop.
void release_document(const PluginCollection& collection);

// The same over the engine's collection; nothing for a null engine.
void release_document(const EngineInterface* engine);

// The same over the collection the blackboard took from its analyzer's
// engine when it was made (the engine's own collection); nothing when the
// analyzer had no engine. The blackboard's destructor calls it.
void release_document(Blackboard& blackboard);

}  // namespace plugins
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_PLUGIN_CALLS_H_
