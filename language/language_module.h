// A loaded language: the data loaded for one language configuration file
// (LanguageModuleData: the parsed configuration, the token map, the compiled
// tokenizer rules, the word-list expressions, the tagger tables, the token
// conditions, the configured lookups and the disambiguation transducer), and
// the handle given out per request (LanguageModule).
//
// The engine caches one data record per configuration path and every handle
// of the language shares it; it is filled while the language loads and only
// read afterwards, except for the two atomic time stamps. The language
// loader is Engine::get_language_module_nolock (language_loader.cpp).

#ifndef KAVERO_LANGUAGE_LANGUAGE_MODULE_H_
#define KAVERO_LANGUAGE_LANGUAGE_MODULE_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>
#include <unicode/uversion.h>

#include "base/regex.h"
#include "language/hmm_tables.h"
#include "language/lookup_condition.h"
#include "language/lookup_descriptor.h"

U_NAMESPACE_BEGIN
class RuleBasedBreakIterator;
U_NAMESPACE_END

namespace zel {
namespace afst {
class AFst;
}  // namespace afst

namespace kavero {

class TokenizerFacade;

namespace disambiguation {
class Postagger;
}  // namespace disambiguation

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

  // The lookups of "morph_chain", "not_found" and "property_chain". They
  // point into config_json.
  core::MorphDataDescriptors lookup_descriptors;
  core::MorphDataDescriptors guesser_descriptors;
  core::NamedMorphDataDescriptors named_descriptors;

  std::string name;
  std::string config_file;
  std::string abbreviation_expression;
  std::string apostrophe_expression;
  std::string measure_expression;
  core::hmm::Resource hmm_tables;
  // The disambiguation transducer; empty when the language has none.
  std::shared_ptr<afst::AFst> postagger;
  // The rules of `postagger`, checked when it was loaded; present exactly
  // when `postagger` is.
  std::shared_ptr<const disambiguation::Postagger> postagger_rules;
  LookupConditions conditions;
  bool detect_headers = true;
  // Seconds since the Unix epoch; -1 until set.
  std::atomic<int64_t> last_write_time_stamp{-1};
  std::atomic<int64_t> last_access{-1};

  // The text of a top-level member of the configuration ("sentyziser",
  // "tokenizer_locale"); empty when the configuration is no object or lacks
  // the member. A member that is not a text raises the JSON library's type
  // error.
  std::string get_config_option(const std::string& key) const;
};

// The handle of a loaded language, made per request; it never changes after
// the loader returns it.
class LanguageModule {
 public:
  // The abbreviation, apostrophe and measure expressions of the language,
  // compiled case-sensitively after the rule language's bracket classes are
  // rewritten; an empty expression when the language has none. Every
  // document asks for them; each is compiled once and shared as long as
  // its text stays the same.
  Regex get_abbreviations() const;
  Regex get_apostrophes() const;
  Regex get_measures() const;

  // A new word-break iterator for one document: the word iterator of the
  // configuration's "tokenizer_locale" when it names one, else an iterator
  // over the language's compiled rules. Null when the handle has no data.
  // Raises zel::Exception "ERROR: Could not load tokenizer for locale :" +
  // the locale when ICU refuses the locale, "ERROR: assigning tokenizer
  // parser" when it refuses the rules (also when there are none), and the
  // JSON library's type error for a locale that is not a text.
  std::shared_ptr<TokenizerFacade> get_tokenizer() const;

  // The "language" option as requested.
  std::string requested_name;
  // The configuration path relative to the search folder that holds it,
  // without ".language" ("english"); the path itself when no folder holds
  // it.
  std::string language_name;
  std::shared_ptr<LanguageModuleData> module_data;

 private:
  // An expression text and what it compiled to.
  struct CompiledWordList {
    bool compiled = false;
    std::string expression;
    Regex regex;
  };
  Regex word_list(CompiledWordList& cache, const std::string& expression) const;

  mutable std::mutex word_lists_mutex_;
  mutable CompiledWordList abbreviations_;
  mutable CompiledWordList apostrophes_;
  mutable CompiledWordList measures_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_MODULE_H_
