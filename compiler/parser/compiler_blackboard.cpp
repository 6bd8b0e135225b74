#include "compiler/parser/compiler_blackboard.h"

#include <memory>
#include <utility>

#include "api/client_analyzer.h"
#include "api/client_engine.h"
#include "base/options.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {

namespace {

// The engine and analyzer of a compilation are the client classes over the
// library's own C interface; their failures arrive as exceptions.
void open_language(Blackboard& blackboard,
                   const std::map<std::string, std::string>& engine_options,
                   const std::map<std::string, std::string>& analyzer_options) {
  blackboard.engine = std::make_shared<omr::engine::Engine>(engine_options);
  blackboard.analyzer =
      std::make_shared<omr::analyzer::Analyzer>(*blackboard.engine, analyzer_options);
}

}  // namespace

std::map<std::string, std::string> language_engine_options(const IOptions& options) {
  std::map<std::string, std::string> engine_options;
  std::string morvik = options.get("morvik");
  if (!morvik.empty()) engine_options["morvik"] = std::move(morvik);
  return engine_options;
}

std::map<std::string, std::string> language_analyzer_options(const std::string& language) {
  return {{"language", language},
          {"disambiguate", "false"},
          {"hmm", "false"},
          {"guesser", "false"},
          {"initial_lower_casing", "false"}};
}

Blackboard::Blackboard() : diagnostics(std::make_shared<results::ApiErrorInfo>()) {}

Blackboard::Blackboard(std::shared_ptr<IOptions> options_in) : Blackboard() {
  options = std::move(options_in);
  if (options->has("language")) {
    language = options->get("language");
    open_language(*this, language_engine_options(*options), language_analyzer_options(language));
  }
  strict = options->get_bool("strict", false);
  raw_lexicon_entries = options->get_bool("raw_lexicon_entries", false);
  const std::string type = options->get("result_type", "json");
  if (type == "console") result_type = console;
}

Blackboard::~Blackboard() { unbind_blackboard(this); }

}  // namespace compiler
}  // namespace zel
