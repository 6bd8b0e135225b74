// Reading a comma-separated option into a collection of texts.

#ifndef KAVERO_ANALYSIS_OPTION_COLLECTION_H_
#define KAVERO_ANALYSIS_OPTION_COLLECTION_H_

#include <set>
#include <string>

#include "base/string_util.h"

namespace zel {
namespace args {

// Inserts the comma-separated parts of the option `name` into `collection`
// (zel::string::split_set's cut), or, when the option set does not have
// `name`, those of `default_value`. A present but empty option adds nothing
// and the default is not used then. The collection is not cleared first.
// `options` is a pointer to an option set (anything with has() and get()).
template <class Collection, class OptionSetPointer>
void parse_option_collection(Collection& collection,
                             const OptionSetPointer& options, const char* name,
                             const std::string& default_value) {
  const std::string text =
      options && options->has(name) ? options->get(name) : default_value;
  if (text.empty()) return;
  std::set<std::string> parts;
  string::split_set(parts, text, ',');
  collection.insert(parts.begin(), parts.end());
}

}  // namespace args
}  // namespace zel

#endif  // KAVERO_ANALYSIS_OPTION_COLLECTION_H_
