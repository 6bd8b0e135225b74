#include "api/document_splitter.h"

#include <istream>
#include <stdexcept>
#include <utility>

namespace zel {
namespace api {

namespace {

bool blank(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

}  // namespace

std::optional<DocumentSplitter::Split> DocumentSplitter::split_named(const std::string& name) {
  if (name == "paragraphs") return kParagraphs;
  if (name == "lines") return kLines;
  if (name == "none") return kNone;
  return std::nullopt;
}

DocumentSplitter::DocumentSplitter(std::istream& in, Split split, std::string source)
    : in_(in), split_(split), source_(std::move(source)) {}

bool DocumentSplitter::read_line() {
  if (!std::getline(in_, line_)) {
    if (in_.bad()) throw std::runtime_error("cannot read " + source_);
    return false;
  }
  return true;
}

bool DocumentSplitter::next(std::string& document) {
  document.clear();
  if (done_) return false;
  switch (split_) {
    case kNone:
      done_ = true;
      for (char buffer[1 << 16]; in_.read(buffer, sizeof buffer) || in_.gcount() > 0;) {
        document.append(buffer, static_cast<std::size_t>(in_.gcount()));
      }
      if (in_.bad()) throw std::runtime_error("cannot read " + source_);
      return true;
    case kLines:
      while (read_line()) {
        if (blank(line_)) continue;
        if (line_.back() == '\r') line_.pop_back();
        document.swap(line_);
        return true;
      }
      break;
    case kParagraphs: {
      // The carriage return of a CRLF break belongs to the break.
      const auto finish = [&] {
        if (document.back() == '\r') document.pop_back();
        return true;
      };
      while (read_line()) {
        if (blank(line_)) {
          if (!document.empty()) return finish();
          continue;
        }
        if (!document.empty()) document += '\n';
        document += line_;
      }
      done_ = true;
      return document.empty() ? false : finish();
    }
  }
  done_ = true;
  return false;
}

}  // namespace api
}  // namespace zel
