#include "api/stream_analysis.h"

#include <ostream>
#include <stdexcept>
#include <utility>

#include "analysis/analyzer.h"
#include "analysis/annotation_printer.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "engine/engine.h"

namespace zel {
namespace api {

StreamAnalysis::StreamAnalysis(std::shared_ptr<kavero::Engine> engine,
                               std::shared_ptr<IOptions> options) {
  std::shared_ptr<kavero::LanguageModule> language = engine->get_language_module(options);
  // The handle as the C interface makes it; every document's blackboard
  // takes its share of the analyzer from it.
  handle_ = new Analyzer(std::move(engine), std::move(language), std::move(options));
}

StreamAnalysis::~StreamAnalysis() { handle_->dec_ref(); }

void StreamAnalysis::analyse(const std::string& text, std::ostream& out) {
  kavero::Blackboard blackboard(handle_, convert_string_to_api_options("{}"), text.data(),
                                text.size());
  blackboard.analyzer->generate(blackboard, text.data(), text.size());

  print_.str(std::string());
  print_.clear();
  kavero::RawAnnotationPrinter printer(print_);
  printer.visit(*blackboard.annotations);
  const std::string print = print_.str();
  out.write(print.data(), static_cast<std::streamsize>(print.size()));
  if (!out) throw std::runtime_error("cannot write standard output");
}

uint64_t StreamAnalysis::run(DocumentSplitter& documents, std::ostream& out,
                             const std::string& separator) {
  uint64_t count = 0;
  std::string text;
  while (documents.next(text)) {
    analyse(text, out);
    // Flushed: whoever reads the output (a pipe, a terminal) has each
    // document as soon as it is analysed.
    out << separator << std::flush;
    if (!out) throw std::runtime_error("cannot write standard output");
    ++count;
  }
  return count;
}

}  // namespace api
}  // namespace zel
