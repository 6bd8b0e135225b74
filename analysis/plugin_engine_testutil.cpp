#include "analysis/plugin_engine_testutil.h"

#include <cstdio>
#include <cstring>

#include <boost/make_shared.hpp>
#include <nlohmann/json.hpp>

#include "base/options.h"
#include "engine/engine.h"
#include "matcher/plugin_collection.h"

namespace zel {
namespace testing {

char* ScriptedPlugin::open_document(
    const char* module, const char* function,
    const std::vector<kavero::plugins::DataObject>& arguments,
    zel_exception* error) noexcept {
  return record("open_document", module, function, arguments, error);
}

char* ScriptedPlugin::close_document(
    const char* module, const char* function,
    const std::vector<kavero::plugins::DataObject>& arguments,
    zel_exception* error) noexcept {
  return record("close_document", module, function, arguments, error);
}

char* ScriptedPlugin::call(
    const char* module, const char* function,
    const std::vector<kavero::plugins::DataObject>& arguments,
    zel_exception* error) noexcept {
  return record("call", module, function, arguments, error);
}

char* ScriptedPlugin::trigger(
    const char* module, const char* function,
    const std::vector<kavero::plugins::DataObject>& arguments,
    zel_exception* error) noexcept {
  return record("trigger", module, function, arguments, error);
}

void ScriptedPlugin::set_document_property(const char* key, const char* value,
                                           zel_exception* error) {
  calls.push_back(Call{"set_document_property", "", "", {key, value}, context_});
  if (error_code != 0) {
    error->code = error_code;
    std::snprintf(error->message, sizeof(error->message), "%s",
                  error_message.c_str());
  }
}

void ScriptedPlugin::free_result(char* text) {
  freed.emplace_back(text);
  delete[] text;
}

void ScriptedPlugin::set_plugin_context(
    const kavero::plugins::MatchContextRecord* context) {
  context_ = *context;
}

char* ScriptedPlugin::record(
    const char* operation, const char* module, const char* function,
    const std::vector<kavero::plugins::DataObject>& arguments,
    zel_exception* error) noexcept {
  Call made{operation, module, function, {}, context_};
  for (const kavero::plugins::DataObject& argument : arguments) {
    if (argument.kind == 1) made.arguments.emplace_back(argument.value);
  }
  calls.push_back(made);
  if (error_code != 0) {
    error->code = error_code;
    std::snprintf(error->message, sizeof(error->message), "%s",
                  error_message.c_str());
  }
  const std::optional<std::string> text =
      answer ? answer(made) : std::optional<std::string>();
  if (!text) return nullptr;
  char* copy = new char[text->size() + 1];
  std::memcpy(copy, text->c_str(), text->size() + 1);
  return copy;
}

PluginEngine::PluginEngine(const std::string& name) {
  const std::string path = folder.path().string();
  engine = std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", path}, {"morvik", path}}.dump()));
  auto scripted = boost::make_shared<ScriptedPlugin>();
  plugin = scripted.get();
  engine->get_plugins()->plugins[name] = scripted;
}

}  // namespace testing
}  // namespace zel
