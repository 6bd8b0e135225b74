#include "api/client_analyzer.h"

#include "api/client_exception.h"

namespace omr {
namespace analyzer {

namespace {

zel_object* make_analyzer(const engine::Engine& engine, const common::OptionMap& options) {
  zel_exception record = common::zeroed_record();
  const std::string text = common::options_to_string(options);
  zel_object* handle = zel_api_get_analyzer(engine.handle(), text.c_str(), text.size(), &record);
  common::handle_exception(record);
  return handle;
}

}  // namespace

Analyzer::Analyzer(const engine::Engine& engine, const common::OptionMap& options)
    : common::Object(make_analyzer(engine, options)), engine(engine), options(options) {}

Analyzer::~Analyzer() = default;

Results Analyzer::operator()(const std::string& text, const common::OptionMap& document_options) {
  return wrapper_zel_api_analyze_document(engine, *this, text.data(), text.size(),
                                          document_options);
}

Results Analyzer::operator()(Results results) {
  results.drop_parsed();
  wrapper_zel_api_analyze_results(*this, results);
  return Results(results);
}

Results wrapper_zel_api_analyze_document(const engine::Engine& engine, const Analyzer& analyzer,
                                         const char* text, size_t length,
                                         const common::OptionMap& options) {
  const std::string option_text = common::options_to_string(options);
  zel_exception record = common::zeroed_record();
  zel_object* handle = zel_api_analyze_document(analyzer.handle(), text, length,
                                                option_text.c_str(), option_text.size(), &record);
  // The new result is owned before the record is checked, so that a
  // failure releases it.
  Results results(handle, analyzer.handle(), engine.handle());
  common::handle_exception(record);
  return results;
}

void wrapper_zel_api_analyze_results(const Analyzer& analyzer, const Results& results) {
  zel_exception record = common::zeroed_record();
  zel_api_analyze_result(analyzer.handle(), results.handle(), &record);
  common::handle_exception(record);
}

}  // namespace analyzer
}  // namespace omr
