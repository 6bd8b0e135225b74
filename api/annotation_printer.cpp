#include "api/annotation_printer.h"

namespace omr {
namespace common {

AnnotationPrinter::AnnotationPrinter(std::ostream& out, bool show_offsets)
    : out_(out), show_offsets_(show_offsets) {}

AnnotationPrinter::~AnnotationPrinter() = default;

void AnnotationPrinter::print(const AnnotationList& document) {
  for (const Annotation* item : document) print_annotation(item);
  end_pending_line();
}

void AnnotationPrinter::print_annotation(const Annotation* item) {
  switch (item->kind) {
    case Annotation::kSentence:
      print_sentence(*static_cast<const Sentence*>(item));
      break;
    case Annotation::kConcept:
      print_concept(*static_cast<const Concept*>(item));
      break;
    case Annotation::kToken:
      print_token(*static_cast<const Token*>(item));
      break;
    default:
      break;
  }
}

void AnnotationPrinter::end_line() { out_ << "\n" << std::flush; }

void AnnotationPrinter::end_pending_line() {
  if (!pending_newline_) return;
  end_line();
  pending_newline_ = false;
}

void AnnotationPrinter::print_sentence(const Sentence& sentence) {
  end_pending_line();
  out_ << "s(" << sentence.begin << "," << sentence.end << ")";
  end_line();
  open_concepts_.clear();
  for (const Annotation* item : sentence.annotations) print_annotation(item);
}

void AnnotationPrinter::print_concept(const Concept& item) {
  open_concepts_.push_back(&item);
  end_pending_line();
  out_ << "  " << " {";
  write_concept_name(item);
  if (!item.attributes.empty()) {
    out_ << " @ ";
    write_attributes_begin();
    for (const auto& attribute : item.attributes) {
      out_ << attribute.first << "=" << attribute.second << "; ";
    }
    write_attributes_end();
  }
  end_line();
}

void AnnotationPrinter::print_token(const Token& token) {
  end_pending_line();
  out_ << "  " << "  ";
  if (show_offsets_) out_ << "t(" << token.begin << "," << token.end << ")" << " ";
  write_literal(token);
  if (!token.properties.empty()) {
    out_ << "(";
    const char* separator = "";
    for (const std::string& property : token.properties) {
      out_ << separator << property;
      separator = ", ";
    }
    out_ << ")";
  }
  const char* separator = "";
  for (const MorphData& reading : token.readings) {
    out_ << separator;
    print_reading(reading);
    separator = ", ";
  }
  end_line();

  // Concepts that end with this token close on one shared line, innermost
  // first.
  for (auto it = open_concepts_.end(); it != open_concepts_.begin();) {
    --it;
    if ((*it)->end > token.end) continue;
    if (!pending_newline_) {
      out_ << "  ";
      pending_newline_ = true;
    }
    out_ << " }" << (*it)->uri;
    it = open_concepts_.erase(it);
  }
}

void AnnotationPrinter::print_reading(const MorphData& reading) {
  out_ << "['";
  write_stem(reading);
  out_ << "':" << reading.pos;
  for (const std::string& property : reading.properties) out_ << ", +" << property;
  if (!reading.components.empty()) {
    out_ << " ";
    for (const MorphData& component : reading.components) print_reading(component);
  }
  out_ << "]";
}

void AnnotationPrinter::write_concept_name(const Concept& item) { out_ << item.uri; }

void AnnotationPrinter::write_literal(const Token& token) {
  out_ << "\"" << token.literal << "\" ";
}

void AnnotationPrinter::write_stem(const MorphData& reading) { out_ << reading.stem; }

AnnotationRichPrinter::~AnnotationRichPrinter() = default;

void AnnotationRichPrinter::write_concept_name(const Concept& item) {
  out_ << "<uri>" << item.uri << "</uri>";
}

void AnnotationRichPrinter::write_attributes_begin() { out_ << "<default>"; }

void AnnotationRichPrinter::write_attributes_end() { out_ << "</default>"; }

void AnnotationRichPrinter::write_literal(const Token& token) {
  out_ << "\"<literal>" << token.literal << "</literal>\" ";
}

void AnnotationRichPrinter::write_stem(const MorphData& reading) {
  out_ << "<stem>" << reading.stem << "</stem>";
}

}  // namespace common
}  // namespace omr
