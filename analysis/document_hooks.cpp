#include "analysis/document_hooks.h"

#include <exception>
#include <string>
#include <vector>

#include "analysis/blackboard.h"
#include "base/logging.h"
#include "matcher/plugin_calls.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

namespace {

constexpr char kOpenDocument[] = "open_document";
constexpr char kCloseDocument[] = "close_document";
constexpr char kWarmUp[] = "::python::kavero.plugin::warmup";

// The id handed to the hooks: the option "id" as given, even when empty.
std::string hook_document_id(const Blackboard& blackboard) {
  if (blackboard.options->has("id")) return blackboard.options->get("id");
  return "none";
}

}  // namespace

bool open_document(Blackboard& blackboard) {
  const bool allowed = blackboard.analyzer ? blackboard.analyzer->allow_plugins()
                                           : blackboard.allow_plugins();
  if (!allowed || !blackboard.options->has(kOpenDocument)) return true;
  // The text must outlive the call: the argument only points at it.
  const std::string id = hook_document_id(blackboard);
  const std::vector<plugins::DataObject> arguments{{1, id.c_str()}};
  // The plugin learns of this document, not of the last match on the
  // thread, which may belong to a document that is gone.
  plugins::set_match_context(runtime::Context(&blackboard));
  const std::string answer = plugins::open_document(
      blackboard.engine(), blackboard.options->get(kOpenDocument), arguments);
  return answer != "false";
}

void close_document(Blackboard& blackboard) {
  if (!blackboard.allow_plugins() || !blackboard.options->has(kCloseDocument)) {
    return;
  }
  const std::string id = hook_document_id(blackboard);
  const std::vector<plugins::DataObject> arguments{{1, id.c_str()}};
  plugins::set_match_context(runtime::Context(&blackboard));
  plugins::close_document(blackboard.engine(),
                          blackboard.options->get(kCloseDocument), arguments);
}

void warm_up_plugin(EngineInterface* engine) {
  if (engine == nullptr) return;
  try {
    plugins::call(engine, kWarmUp);
  } catch (const std::exception& e) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
      os << "[PLUGIN]:" << "warm-up " << kWarmUp << " failed: " << e.what();
    });
  }
}

}  // namespace kavero
}  // namespace zel
