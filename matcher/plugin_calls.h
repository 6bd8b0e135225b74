// Calls from the runtime into the loaded plugins.
//
// The calls that name a plugin function by URI (open and close a document,
// call, trigger, document properties) come with the plugin call layer; what
// is here is the end of a document: every loaded plugin but "python" drops
// what it keeps for it.

#ifndef KAVERO_MATCHER_PLUGIN_CALLS_H_
#define KAVERO_MATCHER_PLUGIN_CALLS_H_

namespace zel {
namespace kavero {

class Blackboard;
class EngineInterface;

namespace plugins {

class PluginCollection;

// For every plugin of the collection, in name order, except the one named
// "python": API::release_document, and the failure it reports raised
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
