// Test helpers: an engine whose plugin collection holds a scripted plugin,
// so that plugin calls can be followed without loading a shared object.

#ifndef KAVERO_ANALYSIS_PLUGIN_ENGINE_TESTUTIL_H_
#define KAVERO_ANALYSIS_PLUGIN_ENGINE_TESTUTIL_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/scratch_folder_testutil.h"
#include "matcher/plugin_api.h"

namespace zel {
namespace kavero {
class Engine;
}  // namespace kavero

namespace testing {

// A plugin that records every text-returning call and answers it through
// a function; its text answers are handed out as copies the plugin owns,
// and it records the texts it gets back.
class ScriptedPlugin : public kavero::plugins::API {
 public:
  struct Call {
    std::string operation;  // "open_document", "trigger", ...
    std::string module;
    std::string function;
    // The texts of the kind-1 arguments (of a document property: the key and
    // the value).
    std::vector<std::string> arguments;
    // The match context the plugin was handed before the call.
    kavero::plugins::MatchContextRecord context;
  };

  // The answer to a call: a text, or nothing (a null pointer).
  std::function<std::optional<std::string>(const Call&)> answer;
  // Reported in the error record of every call when not 0.
  int error_code = 0;
  std::string error_message;

  std::vector<Call> calls;
  std::vector<std::string> freed;

  bool initialize(const char*, zel_exception*) override { return true; }
  char* open_document(const char* module, const char* function,
                      const std::vector<kavero::plugins::DataObject>& arguments,
                      zel_exception* error) noexcept override;
  char* close_document(const char* module, const char* function,
                       const std::vector<kavero::plugins::DataObject>& arguments,
                       zel_exception* error) noexcept override;
  char* call(const char* module, const char* function,
             const std::vector<kavero::plugins::DataObject>& arguments,
             zel_exception* error) noexcept override;
  char* trigger(const char* module, const char* function,
                const std::vector<kavero::plugins::DataObject>& arguments,
                zel_exception* error) noexcept override;
  void release_document(zel_exception*) override {}
  void free_result(char* text) override;
  void unload(zel_exception*) override {}
  void set_plugin_context(
      const kavero::plugins::MatchContextRecord* context) override;
  // Recorded as a call "set_document_property" with the key and the value
  // as its arguments (no module, no function); reports error_code too.
  void set_document_property(const char* key, const char* value,
                             zel_exception* error) override;

 private:
  char* record(const char* operation, const char* module, const char* function,
               const std::vector<kavero::plugins::DataObject>& arguments,
               zel_exception* error) noexcept;

  kavero::plugins::MatchContextRecord context_{};
};

// An engine over a scratch folder whose plugin collection holds `plugin`
// under the name `name`.
struct PluginEngine {
  explicit PluginEngine(const std::string& name = "test");

  ScratchFolder folder;
  std::shared_ptr<kavero::Engine> engine;
  // Owned by the engine's collection.
  ScriptedPlugin* plugin;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ANALYSIS_PLUGIN_ENGINE_TESTUTIL_H_
