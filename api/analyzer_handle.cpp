#include "api/analyzer_handle.h"

#include <utility>

#include "analysis/analyzer.h"

namespace zel {
namespace api {

Analyzer::Analyzer(std::shared_ptr<kavero::EngineInterface> engine,
                   std::shared_ptr<kavero::LanguageModule> language_module,
                   std::shared_ptr<IOptions> options)
    : analyzer(std::make_shared<kavero::Analyzer>(
          std::move(engine), std::move(language_module), std::move(options))) {}

Analyzer::~Analyzer() = default;

}  // namespace api
}  // namespace zel
