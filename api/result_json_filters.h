// What the result printers leave out: the concept filters and the
// attribute-name predicates.
//
// Concept filters (true = left out):
//   FilterNothing     every concept is written, deleted ones included;
//   ImportOnlyFilter  the default: only concepts marked "import" that are
//                     not deleted and whose URI does not begin with '$' or
//                     ':' (an empty URI is written);
//   KacFilter         the compiler's view: deleted concepts only when their
//                     URI begins with "kav::filter"; otherwise concepts
//                     marked "import", and unmarked ones whose URI is empty
//                     or does not begin with ':' or '$'.
// Name predicates (true = the attribute is written):
//   json_printer_attribute_filter       hides names beginning with "_" or
//                                       "inherit";
//   json_printer_attribute_filter_dbg   hides names beginning with "inherit";
//   json_printer_attribute_filter_none  hides nothing.

#ifndef KAVERO_API_RESULT_JSON_FILTERS_H_
#define KAVERO_API_RESULT_JSON_FILTERS_H_

#include <string>

#include "api/filter_concept_interface.h"

namespace zel {
namespace kavero {
namespace v2 {

class FilterNothing : public FilterConceptInterface {
 public:
  bool operator()(const Concept& concept_annotation) const override;
};

class ImportOnlyFilter : public FilterConceptInterface {
 public:
  bool operator()(const Concept& concept_annotation) const override;
};

class KacFilter : public FilterConceptInterface {
 public:
  bool operator()(const Concept& concept_annotation) const override;
};

bool json_printer_attribute_filter(const std::string& name);
bool json_printer_attribute_filter_dbg(const std::string& name);
bool json_printer_attribute_filter_none(const std::string& name);

}  // namespace v2
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_RESULT_JSON_FILTERS_H_
