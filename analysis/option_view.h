// The option view of one document: what most code uses to read options.
//
// A key is looked up in the document's own options (those of the analyse
// call) first, then in the options of the analyzer the blackboard was made
// for; the view reaches that analyzer through the blackboard's analyzer
// guard, so it keeps working when the blackboard's analyzer is released or
// replaced. A few options are read from one set only (see analyzer.h and
// blackboard.h).

#ifndef KAVERO_ANALYSIS_OPTION_VIEW_H_
#define KAVERO_ANALYSIS_OPTION_VIEW_H_

#include <string>

#include "base/options.h"

namespace zel {
namespace kavero {

class Blackboard;

class OptionAnywhere : public IOptions {
 public:
  // The blackboard must outlive the view.
  explicit OptionAnywhere(const Blackboard& blackboard);
  ~OptionAnywhere() override;

  // The document's value, else the analyzer's, else the empty text.
  std::string get(const char* key) const override;
  // The same, with the default when neither set has the key.
  std::string get(const char* key, std::string default_value) const override;
  // The get_bool of the first set that has the key (so an empty value there
  // gives the default); the default when neither has it.
  bool get_bool(const char* key, bool default_value) const override;
  // The JSON text of the options of the blackboard's current analyzer (not
  // the document's); empty without an analyzer.
  std::string str() const override;
  // Whether the document's or the analyzer's options have the key.
  bool has(const char* key) const override;
  // add() is the base's: the view takes no additions.

 protected:
  const Blackboard& blackboard_;

 private:
  // The options of the analyzer of the blackboard's analyzer guard; null
  // when there are none.
  const IOptions* analyzer_options() const;
};

// The view with four flags worked out once, when the blackboard is made:
// "detect_headers" and "initial_lower_casing" (both default true) through
// the view, and whether the analyzer's "dbg" flags hold "rule_info" and
// "rule_info_short" ("rule_info_short" sets rule_info too). The blackboard
// then gives detect_headers the language's value when neither option set
// has the key.
class BlackboardOptions : public OptionAnywhere {
 public:
  explicit BlackboardOptions(const Blackboard& blackboard);
  ~BlackboardOptions() override;

  bool detect_headers;
  bool initial_lower_casing;
  bool rule_info;
  bool rule_info_short;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_OPTION_VIEW_H_
