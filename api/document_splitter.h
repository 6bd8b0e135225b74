// Reads a text stream as a sequence of documents, one at a time, so that a
// program analysing a large input holds only one document in memory.
//
//   DocumentSplitter documents(std::cin, DocumentSplitter::kParagraphs);
//   std::string text;
//   while (documents.next(text)) analyse(text);
//
// The ways of splitting:
//   kParagraphs  a document is a run of lines up to a blank line (a line of
//                nothing but spaces, tabs and a carriage return); its lines
//                keep their line breaks, except the break after its last
//                line. Blank lines give no documents.
//   kLines       every line is a document, without its line break (nor a
//                carriage return before it); blank lines give no documents.
//   kNone        the whole stream is one document, even an empty one.
// A read error of the stream raises std::runtime_error("cannot read " +
// the source name given).

#ifndef KAVERO_API_DOCUMENT_SPLITTER_H_
#define KAVERO_API_DOCUMENT_SPLITTER_H_

#include <iosfwd>
#include <optional>
#include <string>

namespace zel {
namespace api {

class DocumentSplitter {
 public:
  enum Split { kParagraphs, kLines, kNone };

  // The split named "paragraphs", "lines" or "none"; nothing for another
  // name.
  static std::optional<Split> split_named(const std::string& name);

  // Reads from `in`, which must outlive the splitter; `source` names it in
  // errors.
  DocumentSplitter(std::istream& in, Split split, std::string source);

  // Sets `document` to the next document's text and answers true, or
  // answers false when the stream holds no more.
  bool next(std::string& document);

 private:
  // Reads one line without its line break into line_; false at the end.
  bool read_line();

  std::istream& in_;
  const Split split_;
  const std::string source_;
  std::string line_;
  bool done_ = false;
};

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_DOCUMENT_SPLITTER_H_
