// Readable listings of an analysed document read back by the client classes
// (client_annotation.h): one line per sentence, concept and token, with the
// tokens' readings and the concepts' attributes. The rule tests print the
// analysis of a failed test sentence with them.
//
//   s(0,9)
//      {City @ _rule=dom/src/a.kav:3;
//       t(0,3) "New" ['new':Prop]
//       t(4,8) "York" ['york':Prop]
//      }City
//
// AnnotationRichPrinter writes the same lines with markup around concept
// names, attribute lists, literals and stems, for tools that colour them.

#ifndef KAVERO_API_ANNOTATION_PRINTER_H_
#define KAVERO_API_ANNOTATION_PRINTER_H_

#include <ostream>
#include <vector>

#include "api/client_annotation.h"

namespace omr {
namespace common {

class AnnotationPrinter {
 public:
  explicit AnnotationPrinter(std::ostream& out, bool show_offsets = true);
  virtual ~AnnotationPrinter();

  AnnotationPrinter(const AnnotationPrinter&) = delete;
  AnnotationPrinter& operator=(const AnnotationPrinter&) = delete;

  // Prints the annotations of the list in order, and ends the last line
  // when a closing-concept line is still open.
  void print(const AnnotationList& document);

 protected:
  // The markup hooks of the rich printer.
  virtual void write_concept_name(const Concept& item);
  virtual void write_attributes_begin() {}
  virtual void write_attributes_end() {}
  virtual void write_literal(const Token& token);
  virtual void write_stem(const MorphData& reading);

  std::ostream& out_;

 private:
  void print_annotation(const Annotation* item);
  void print_sentence(const Sentence& sentence);
  void print_concept(const Concept& item);
  void print_token(const Token& token);
  void print_reading(const MorphData& reading);
  void end_line();
  void end_pending_line();

  bool pending_newline_ = false;
  bool show_offsets_;
  std::vector<const Concept*> open_concepts_;
};

class AnnotationRichPrinter : public AnnotationPrinter {
 public:
  using AnnotationPrinter::AnnotationPrinter;
  ~AnnotationRichPrinter() override;

 protected:
  void write_concept_name(const Concept& item) override;
  void write_attributes_begin() override;
  void write_attributes_end() override;
  void write_literal(const Token& token) override;
  void write_stem(const MorphData& reading) override;
};

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_ANNOTATION_PRINTER_H_
