// The plugin hooks of a document's analysis and of the engine's plugin
// start.
//
// A document's own options may name plugin functions (URIs of three names,
// each introduced by "::": plugin, module, function) that hear of it:
//   "open_document"   called before the document is analysed; the exact
//                     answer "false" refuses the document;
//   "close_document"  called after the analysis; its answer is dropped.
// Both get one text argument, the document id: the document option "id"
// when the options have it (also when it is empty), else "none". Only the
// document's own options are asked, never the analyzer's, and nothing is
// called when the analyzer does not allow plugins ("allow_plugins").
//
// The engine warms the "python" plugin up when it starts its plugins and
// before it purges domains: warm_up_plugin calls
// "::python::kavero.plugin::warmup" without arguments. The warm-up is a
// courtesy to the plugin, so a plugin that is missing or fails to load or
// answer is logged and does not stop the engine.
//
// Before it calls, a hook makes the document itself (no sentence, no
// concepts) the thread's plugin match context. Errors of the plugin call
// layer (matcher/plugin_calls.h) in the document hooks propagate.

#ifndef KAVERO_ANALYSIS_DOCUMENT_HOOKS_H_
#define KAVERO_ANALYSIS_DOCUMENT_HOOKS_H_

namespace zel {
namespace kavero {

class Blackboard;
class EngineInterface;

// False when the plugin refused the document, true otherwise (also when
// nothing was called). The plugin setting is that of the analyzer the
// blackboard works for now (set_analyzer), else that of the analyzer it was
// made for.
bool open_document(Blackboard& blackboard);

// The plugin setting is that of the analyzer the blackboard was made for.
void close_document(Blackboard& blackboard);

// Nothing without an engine.
void warm_up_plugin(EngineInterface* engine);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_DOCUMENT_HOOKS_H_
