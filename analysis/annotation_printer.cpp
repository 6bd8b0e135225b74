#include "analysis/annotation_printer.h"

#include <cstdint>
#include <iostream>

#include "analysis/attributes.h"

namespace zel {
namespace kavero {

namespace {

// Offsets are unsigned 32-bit byte offsets and are written as such, also
// past 2^31.
uint32_t offset(uint32_t value) { return value; }

}  // namespace

RawAnnotationPrinter::RawAnnotationPrinter(std::ostream& out)
    : Visitor<RawAnnotationPrinter>(this), out_(out) {}

bool RawAnnotationPrinter::visit(const Sentence& sentence) {
  out_ << "Sentence:(" << offset(sentence.begin) << "," << offset(sentence.end)
       << ")" << std::endl;
  return true;
}

bool RawAnnotationPrinter::visit(const Concept& c) {
  if (c.deleted()) out_ << "x";
  out_ << " c(" << offset(c.begin) << "," << offset(c.end) << ")";
  if (c.instance_index) out_ << ", lid=" << *c.instance_index << ":";
  if (c.instance_key) out_ << ", did=" << *c.instance_key << ":";
  out_ << ":" << c.uri << " { " << print_verbose(c.attributes) << std::endl;
  return true;
}

bool RawAnnotationPrinter::visit(const Token& token) {
  out_ << "  t(" << offset(token.begin) << "," << offset(token.end) << ") "
       << token.literal;
  if (token.readings.empty()) {
    out_ << "\n\t{not-found}";
  } else {
    for (const MorphData& reading : token.readings) {
      print_reading(*this, reading, 1, " ((( ", " )))");
    }
  }
  if (!token.properties.empty()) {
    out_ << " @(";
    for (const std::string& property : token.properties) {
      out_ << property << ", ";
    }
    out_ << ")";
  }
  out_ << std::endl;
  return false;
}

bool RawAnnotationPrinter::visit(const EndAnnotation& e) {
  out_ << " e(" << offset(e.begin) << "," << offset(e.end) << "):";
  for (const Annotation* closed : e.concepts) {
    const Concept* c = annotation_cast<Concept>(closed);
    if (c != nullptr) out_ << " }:" << c->uri;
  }
  out_ << std::endl;
  return true;
}

bool RawAnnotationPrinter::visit(const EndOfStream& eos) {
  out_ << " eos(" << offset(eos.begin) << "," << offset(eos.end) << "):"
       << std::endl;
  return true;
}

void print_reading(RawAnnotationPrinter& printer, const MorphData& reading,
                   int depth, const std::string& before,
                   const std::string& after) {
  std::ostream& out = printer.out();
  out << "\n";
  for (int i = 0; i < depth; ++i) out << "\t";
  out << reading.stem << ":" << reading.pos() << "(" << reading.pos_id()
      << "),r=" << reading.weight;
  if (!reading.properties.empty()) {
    out << before;
    const char* separator = "";
    for (const std::string& property : reading.properties) {
      out << separator << property;
      separator = ", ";
    }
    out << after;
  }
  for (const MorphData& part : reading.components) {
    print_reading(printer, part, depth + 1, " ( ", " )");
  }
}

void print_annotaion_range(Concept* concept_annotation) {
  RawAnnotationPrinter printer(std::cout);
  const Annotation* stop = concept_annotation->end_annotation;
  for (const Annotation* a = concept_annotation; a != nullptr && a != stop;
       a = a->next) {
    printer.visit(a);
  }
}

}  // namespace kavero
}  // namespace zel
