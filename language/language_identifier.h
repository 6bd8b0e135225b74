// The language identifier: which language a text is written in, and which
// stretches of a text are written in which language.
//
// The identifier looks the words of a text up in the engine's language
// identification network ("lid.fst"), whose outputs for a word are
// language codes followed by a decimal weight ("EN120", "NL40"). A word the
// network does not know scores the languages of the Unicode blocks its
// characters fall in (language_blocks.h). Every language's score times the
// number of words that scored it, over the number of words looked up, is its
// probability; a decision rule takes the best language only when it is
// clearly ahead of the second, and otherwise the text's blocks decide, or
// the default language is reported.
//
//   auto store = zel::lid::createStore(engine, options);
//   store->identify_language(text, length).language        // "english"
//   store->identify_language_sections(text, length)
//       // [{"begin_offset":0,"end_offset":120,"language":"english"},...]
//
// Long texts are not read to their end: after every 250 looked-up words the
// identifier decides when one language leads by a clear margin.
//
// A store holds a word lookup with its own scratch space: one identification
// at a time per store. The network is shared read-only by every store of an
// engine.

#ifndef KAVERO_LANGUAGE_LANGUAGE_IDENTIFIER_H_
#define KAVERO_LANGUAGE_LANGUAGE_IDENTIFIER_H_

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "base/options.h"

namespace zel {
namespace afst {
class AFst;
class WordLookup;
}  // namespace afst

namespace kavero {
class EngineInterface;
}  // namespace kavero

namespace lid {

// The option keys the identifier accepts. The store reads "section_data",
// "long_names", "language_codes" and "default_language"; the others are
// accepted for callers that pass them along and mean nothing here.
extern const std::set<std::string> valid_options;

// What one language gathered over a text.
struct LidLanguageData {
  int32_t score = 0;
  double probability = 0;
  // How many words scored the language.
  int32_t count = 0;
};

// The outcome of identifying one text.
struct SectionDetectionResult {
  // The language: a long name or a code, as the store's options ask; the
  // default language when nothing decided; "invalid utf8" for a text that
  // is no valid UTF-8.
  std::string language;
  // True when the language was decided from the text, false for the
  // default language.
  bool found = false;
  // The number of words looked up (for block scores: of code points).
  int32_t words = 0;
  // The decided language's word count (for block scores: the number of
  // block matches; 0 when the whole text's blocks decided).
  int32_t hits = 0;
  // The decision's value; 0 when nothing decided.
  double probability = 0;
  // Language code to what it gathered, in ascending code order.
  std::map<std::string, LidLanguageData> scores;
};

// A decision: the language (empty for none) and its value.
struct ProbabilityResult {
  std::string language;
  double probability = 0;
};

// Writes the language, ",", and the value.
std::ostream& operator<<(std::ostream& os, const ProbabilityResult& result);

// A decision rule: given the total, the best and the second best language
// (with their probabilities set) and a value to fill, answers which of the
// two wins (0 or 1) or -1 for none.
using Condition =
    std::function<int(int, std::pair<std::string, LidLanguageData>,
                      std::pair<std::string, LidLanguageData>, double&)>;

// Sets every language's probability to score * count / total, orders the
// languages by descending probability (ascending code among equals) and
// decides: no language gives no decision, one language wins with 1.0, and
// of two or more the condition picks; a pick whose value is 0 is no
// decision.
ProbabilityResult get_probability(std::map<std::string, LidLanguageData> scores,
                                  int total, const Condition& condition);

// The rule of the early decision: the best language wins when it leads the
// second by at least 30% of its probability.
int default_condition(int total, std::pair<std::string, LidLanguageData> first,
                      std::pair<std::string, LidLanguageData> second,
                      double& value);

// The rule at the end of a text, where few words may have been seen: a lead
// of 30% from three or more words wins; a smaller lead from at most three
// words decides nothing; otherwise the word counts decide, with the
// difference of the two counts' shares, over the total, as the value.
int small_buffer_condition(int total,
                           std::pair<std::string, LidLanguageData> first,
                           std::pair<std::string, LidLanguageData> second,
                           double& value);

// Scores a text by Unicode blocks: for every code point, words += 1, and
// for the block row that holds it, hits += 1 and its language gets 5 more
// score and 1 more count. The empty code of blocks that suggest no language
// is scored like any other; U+FEFF (the byte-order mark) is in no block.
// Invalid UTF-8 raises the UTF-8 library's error.
SectionDetectionResult character_range_detection(const char* text,
                                                 unsigned long length);

// True for "!", "." and "?".
bool sentence_end(unsigned code_point);

// The abstract identifier.
class LIDStoreInterface {
 public:
  // The language of a UTF-8 text of `length` bytes.
  virtual SectionDetectionResult identify_language(const char* text,
                                                   unsigned long length) = 0;
  // The text's sections of one language each, as a JSON array of objects
  // with "begin_offset", "end_offset" (byte offsets, end excluded),
  // "language" and, with the option "section_data", "text".
  virtual std::string identify_language_sections(const char* text,
                                                 unsigned long length) = 0;
  virtual ~LIDStoreInterface();
};

class LIDStore : public LIDStoreInterface {
 public:
  // Reads the engine's identification network (raising its error when it
  // cannot be loaded) and the options: "section_data" (default false),
  // "long_names" (default true; false without an option set),
  // "language_codes" (comma-separated codes that replace the codes of the
  // language-name table when not empty) and "default_language" (default
  // "EN"). A default language that is empty or not an accepted code raises
  // zel::Exception.
  LIDStore(kavero::EngineInterface* engine, std::shared_ptr<IOptions> options);
  ~LIDStore() override;

  LIDStore(const LIDStore&) = delete;
  LIDStore& operator=(const LIDStore&) = delete;

  SectionDetectionResult identify_language(const char* text,
                                           unsigned long length) override;
  std::string identify_language_sections(const char* text,
                                         unsigned long length) override;

  bool section_data() const { return section_data_; }
  bool long_names() const { return long_names_; }
  const std::string& default_language() const { return default_language_; }
  const std::set<std::string>& language_codes() const { return codes_; }

 private:
  // The scan of identify_language; raises on invalid UTF-8.
  void scan(const char* text, unsigned long length,
            SectionDetectionResult& result);
  // Looks a word up and adds what it scores to the result's scores.
  void score_word(const std::string& word, SectionDetectionResult& result);
  // Adds one word's block scores, for the accepted codes only: each
  // language once, with its block score.
  void add_block_scores(const SectionDetectionResult& blocks,
                        std::map<std::string, LidLanguageData>& scores) const;
  // The code, or its long name when the store reports long names.
  std::string reported(const std::string& code) const;

  std::shared_ptr<IOptions> options_;
  std::unique_ptr<afst::WordLookup> lookup_;
  bool section_data_ = false;
  bool long_names_ = false;
  std::string default_language_ = "EN";
  std::set<std::string> codes_;
};

// The engine's identification network (its get_language_identifier_data);
// raises the engine's error when it cannot be loaded.
std::shared_ptr<afst::AFst> load_lid_fst(kavero::EngineInterface* engine);

// A new store for the engine and the options (which may be empty); never
// an empty pointer. Errors of the construction propagate.
std::shared_ptr<LIDStoreInterface> createStore(
    kavero::EngineInterface* engine, const std::shared_ptr<IOptions>& options);

}  // namespace lid
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_IDENTIFIER_H_
