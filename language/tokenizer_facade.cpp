#include "language/tokenizer_facade.h"

#include <utility>

namespace zel {
namespace kavero {

TokenizerFacade::TokenizerFacade() = default;

// The iterator goes before the data that holds its rule bytes.
TokenizerFacade::~TokenizerFacade() {
  iterator_.reset();
  rules_owner_.reset();
}

void TokenizerFacade::set_text(const icu::UnicodeString& text) {
  text_ = text;
  if (iterator_) iterator_->setText(text_);
}

void TokenizerFacade::set_locale_iterator(
    std::unique_ptr<icu::BreakIterator> iterator) {
  rule_iterator_ = nullptr;
  iterator_ = std::move(iterator);
  rules_owner_.reset();
}

void TokenizerFacade::set_rule_iterator(
    std::unique_ptr<icu::RuleBasedBreakIterator> iterator,
    std::shared_ptr<const LanguageModuleData> rules_owner) {
  rule_iterator_ = iterator.get();
  iterator_ = std::move(iterator);
  rules_owner_ = std::move(rules_owner);
}

}  // namespace kavero
}  // namespace zel
