// The client class of an analyzer (see client_object.h).

#ifndef KAVERO_API_CLIENT_ANALYZER_H_
#define KAVERO_API_CLIENT_ANALYZER_H_

#include <cstddef>
#include <string>

#include "api/client_engine.h"
#include "api/client_results.h"

namespace omr {
namespace analyzer {

class Analyzer : public common::Object, public common::CallableInterface {
 public:
  // Makes an analyzer of the engine for the options (at least "language");
  // raises what the library reports.
  Analyzer(const engine::Engine& engine, const common::OptionMap& options);
  ~Analyzer() override;

  // The text analysed with the document options.
  Results operator()(const std::string& text, const common::OptionMap& options) override;
  // The result analysed again.
  Results operator()(Results results) override;

  engine::Engine engine;
  common::OptionMap options;
};

// A new result: the text of `length` bytes analysed by the analyzer with the
// document options. Raises what the library reports.
Results wrapper_zel_api_analyze_document(const engine::Engine& engine, const Analyzer& analyzer,
                                         const char* text, size_t length,
                                         const common::OptionMap& options);

// Analyses the result again. Raises what the library reports.
void wrapper_zel_api_analyze_results(const Analyzer& analyzer, const Results& results);

}  // namespace analyzer
}  // namespace omr

#endif  // KAVERO_API_CLIENT_ANALYZER_H_
