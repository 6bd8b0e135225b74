// The debug dump of annotation lists: one line per annotation, with
// offsets, URIs, flags, attributes, token literals and their readings.
//
// The analyzer and the domain run write it to standard output when the
// analyzer's debug flag "print_annotations" is on:
//
//   RawAnnotationPrinter printer(std::cout);
//   printer.visit(document_list);
//
// Lines, by kind (every line ends with a flushed line break):
//
//   Sentence:(0,9)
//    c(0,9):Sentence { l:key:value;        own ("l:") and shared ("s:")
//                                           attributes after the brace
//   x c(0,3), lid=3:, did=k1::Person {     deleted, with instance index
//                                           and key
//     t(0,3) The                           then one line per reading:
//   <TAB>the:Det(<tag id>),r=1 ((( p, q )))
//   <TAB><TAB>th:Det(<tag id>),r=0.5 ( p ) @(a, b, )
//                                           components one tab deeper; the
//                                           token's properties end the last
//                                           line
//    e(3,3): }:Person }:Animal             the concepts it closes
//    eos(9,9):
//
// A token without readings has "\n\t{not-found}" after its literal.

#ifndef KAVERO_ANALYSIS_ANNOTATION_PRINTER_H_
#define KAVERO_ANALYSIS_ANNOTATION_PRINTER_H_

#include <iosfwd>
#include <string>

#include "analysis/annotation.h"
#include "analysis/visitor.h"
#include "language/reading.h"

namespace zel {
namespace kavero {

class RawAnnotationPrinter : public Visitor<RawAnnotationPrinter> {
 public:
  using Visitor<RawAnnotationPrinter>::visit;

  // Every line goes to `out`, which must outlive the printer.
  explicit RawAnnotationPrinter(std::ostream& out);

  // The sentence's line; the walk then writes its own list.
  bool visit(const Sentence& sentence);
  bool visit(const Concept& concept_annotation);
  // The token's line with its readings and properties. False: there is
  // nothing further to walk in a token.
  bool visit(const Token& token);
  bool visit(const EndAnnotation& end_annotation);
  bool visit(const EndOfStream& end_of_stream);

  std::ostream& out() const { return out_; }

 private:
  std::ostream& out_;
};

// Writes one reading on a new line, `depth` tabs in: stem, ":", part of
// speech, "(", tag id, "),r=", weight; its properties between `before` and
// `after`, separated by ", " (nothing when it has none); then each component
// reading one tab deeper, properties between " ( " and " )".
void print_reading(RawAnnotationPrinter& printer, const MorphData& reading,
                   int depth, const std::string& before,
                   const std::string& after);

// Writes to standard output the lines of the annotations from the concept
// up to, not including, its end annotation (to the end of its list when it
// has none). A debugging aid.
void print_annotaion_range(Concept* concept_annotation);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_ANNOTATION_PRINTER_H_
