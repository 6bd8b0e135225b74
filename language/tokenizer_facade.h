// The ICU word-break iterator of one document (LanguageModule::get_tokenizer
// makes it when a document is bound to a language).
//
// A language tokenizes with its own compiled break rules, whose rule
// statuses the tokenizer reads (rule_iterator() is then set), or with the
// word-break iterator of an ICU locale named by its "tokenizer_locale"
// (rule_iterator() is null).

#ifndef KAVERO_LANGUAGE_TOKENIZER_FACADE_H_
#define KAVERO_LANGUAGE_TOKENIZER_FACADE_H_

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/rbbi.h>
#include <unicode/unistr.h>

namespace zel {
namespace kavero {

class LanguageModuleData;

class TokenizerFacade {
 public:
  TokenizerFacade();
  ~TokenizerFacade();

  TokenizerFacade(const TokenizerFacade&) = delete;
  TokenizerFacade& operator=(const TokenizerFacade&) = delete;

  // The iterator built from compiled rules; null for a locale's iterator.
  icu::RuleBasedBreakIterator* rule_iterator() const { return rule_iterator_; }
  // The iterator; null until one is set.
  icu::BreakIterator* iterator() const { return iterator_.get(); }

  // Hands the iterator a text to cut, from its start. The facade keeps its
  // own copy, since ICU iterators only refer to the text they are given: it
  // stays valid until the next call.
  void set_text(const icu::UnicodeString& text);
  // The text last handed over.
  const icu::UnicodeString& text() const { return text_; }

  // Takes the iterator of a locale.
  void set_locale_iterator(std::unique_ptr<icu::BreakIterator> iterator);
  // Takes an iterator over the compiled rules of the language data, and
  // keeps the data (which owns the rule bytes) alive with it.
  void set_rule_iterator(std::unique_ptr<icu::RuleBasedBreakIterator> iterator,
                         std::shared_ptr<const LanguageModuleData> rules_owner);

 private:
  icu::RuleBasedBreakIterator* rule_iterator_ = nullptr;
  std::unique_ptr<icu::BreakIterator> iterator_;
  std::shared_ptr<const LanguageModuleData> rules_owner_;
  icu::UnicodeString text_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKENIZER_FACADE_H_
