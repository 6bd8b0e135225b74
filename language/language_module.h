// Everything loaded for one language configuration file: the parsed
// configuration, the token map, the compiled tokenizer rules, the word-list
// expressions, the tagger tables and the token conditions.
//
// The engine caches one record per configuration path and every language
// handle shares it; it is filled while the language loads and only read
// afterwards, except for the two atomic time stamps.

#ifndef KAVERO_LANGUAGE_LANGUAGE_MODULE_H_
#define KAVERO_LANGUAGE_LANGUAGE_MODULE_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>
#include <unicode/uversion.h>

#include "language/hmm_tables.h"
#include "language/lookup_condition.h"

U_NAMESPACE_BEGIN
class RuleBasedBreakIterator;
U_NAMESPACE_END

namespace zel {
namespace kavero {

class LanguageModuleData {
 public:
  // `name` is the configuration path.
  explicit LanguageModuleData(const std::string& name = std::string());
  // Frees the rule bytes when the record owns them.
  ~LanguageModuleData();

  // Owns the rule bytes; never copied.
  LanguageModuleData(const LanguageModuleData&) = delete;
  LanguageModuleData& operator=(const LanguageModuleData&) = delete;

  std::shared_ptr<nlohmann::json> config_json;
  // Tokenizer rule status -> token tag, rows of one status in insertion
  // order.
  std::multimap<int32_t, std::string> token_map;

  // The compiled tokenizer rules. Either `rules` points into the compiled
  // iterator `rule_iterator` (rules_owned false; the bytes live as long as
  // the iterator), or it is an array read from the rule cache file that this
  // record allocated with new[] (rules_owned true). Null when the language
  // has no rules of its own.
  std::shared_ptr<icu::RuleBasedBreakIterator> rule_iterator;
  uint32_t rules_size = 0;
  const uint8_t* rules = nullptr;
  bool rules_owned = false;

  std::string name;
  std::string config_file;
  std::string abbreviation_expression;
  std::string apostrophe_expression;
  std::string measure_expression;
  core::hmm::Resource hmm_tables;
  LookupConditions conditions;
  bool detect_headers = true;
  // Seconds since the Unix epoch; -1 until set.
  std::atomic<int64_t> last_write_time_stamp{-1};
  std::atomic<int64_t> last_access{-1};
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_MODULE_H_
