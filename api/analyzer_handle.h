// The analyzer handle of the C interface.
//
// It owns one runtime analyzer (analysis/analyzer.h) through a shared
// pointer. Every document analysed with it takes a share of that analyzer
// (kavero::get_analyzer), so results keep their analyzer alive after the
// handle is released.

#ifndef KAVERO_API_ANALYZER_HANDLE_H_
#define KAVERO_API_ANALYZER_HANDLE_H_

#include <memory>

#include "api/handle_interfaces.h"
#include "api/object.h"

namespace zel {

class IOptions;

namespace kavero {
class Analyzer;
class EngineInterface;
class LanguageModule;
}  // namespace kavero

namespace api {

class Analyzer : public Object, public AnalyzerInterface {
 public:
  // Makes the runtime analyzer of the engine, the language and the analyzer
  // options; its errors propagate.
  Analyzer(std::shared_ptr<kavero::EngineInterface> engine,
           std::shared_ptr<kavero::LanguageModule> language_module,
           std::shared_ptr<IOptions> options);
  ~Analyzer() override;

  std::shared_ptr<kavero::Analyzer> analyzer;
};

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_ANALYZER_HANDLE_H_
