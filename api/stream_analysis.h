// Analyses the documents of a text stream one after another with one
// analyzer, printing each document's annotations (the debug print of
// analysis/annotation_printer.h) before the next document is read. Memory
// stays that of one document whatever the stream's size.
//
//   StreamAnalysis analysis(engine, options);   // options name the language
//   DocumentSplitter documents(std::cin, DocumentSplitter::kParagraphs, "-");
//   analysis.run(documents, std::cout);
//
// A document's print is made in memory and written to the output in one
// piece, flushed once, so the printer's flushes after every line cost no
// system call.

#ifndef KAVERO_API_STREAM_ANALYSIS_H_
#define KAVERO_API_STREAM_ANALYSIS_H_

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <sstream>
#include <string>

#include "api/document_splitter.h"
#include "base/options.h"

namespace zel {
namespace kavero {
class Engine;
}  // namespace kavero

namespace api {

class Analyzer;

class StreamAnalysis {
 public:
  // An analyzer of the engine for the analyzer options, which name the
  // language ("language"). The engine's errors (an unknown language, a
  // configuration that does not load) propagate.
  StreamAnalysis(std::shared_ptr<kavero::Engine> engine, std::shared_ptr<IOptions> options);
  ~StreamAnalysis();

  StreamAnalysis(const StreamAnalysis&) = delete;
  StreamAnalysis& operator=(const StreamAnalysis&) = delete;

  // Analyses one document and writes its print to `out`. Errors of the
  // analysis (such as "Invalid utf8 character.") propagate with nothing
  // written; a failed write raises std::runtime_error("cannot write
  // standard output").
  void analyse(const std::string& text, std::ostream& out);

  // Analyses every document of `documents` in turn, writing each print to
  // `out` followed by `separator` and flushing `out`. Answers the number of
  // documents. The first error ends the run.
  uint64_t run(DocumentSplitter& documents, std::ostream& out, const std::string& separator);

 private:
  Analyzer* handle_;
  std::ostringstream print_;
};

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_STREAM_ANALYSIS_H_
