// Token conditions of a language: which tokens get a second dictionary
// look-up after the first pass, which text of the token is looked up, and
// whether the new readings replace or join the old ones.
//
// The ".language" configuration lists them under "conditions"; each entry is
// an object such as
//
//   { "type": "pos", "value": "Nn-Pl", "action": "merge", "input": "stem" }
//
// with "type" one of "pos" (a root category such as "Nn", or a prefix of a
// part-of-speech tag), "property" (a comma-separated list of token
// properties, each optionally negated with "!") or "regex" (an expression
// that must match the whole literal). make_conditions turns the section into
// an ordered list; the second dictionary pass takes, per token, the first
// condition that holds (get_condition).
//
// Conditions are built once while the language loads and are only read
// afterwards, from any thread; action() changes only the token it is given.

#ifndef KAVERO_LANGUAGE_LOOKUP_CONDITION_H_
#define KAVERO_LANGUAGE_LOOKUP_CONDITION_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/regex.h"

namespace zel {
namespace kavero {

class Token;

// The literal of a token.
struct LookupConditionInputLiteral {
  const std::string& operator()(const Token* token) const;
};

// The stem of a token's first reading; the literal when it has no reading.
struct LookupConditionInputStem {
  const std::string& operator()(const Token* token) const;
};

class LookupConditionInterface {
 public:
  enum Action : int32_t { kOverwrite = 0, kMerge = 1 };
  using Input = std::function<const std::string&(const Token*)>;

  // Starts in overwrite mode with the literal as input.
  LookupConditionInterface();
  LookupConditionInterface(const LookupConditionInterface&) = delete;
  LookupConditionInterface& operator=(const LookupConditionInterface&) =
      delete;

  // Whether the condition holds for the token.
  virtual bool is_valid(const Token* token) const = 0;

  // Prepares a token before the readings of the second look-up are added:
  // in overwrite mode drops its readings and its property set, in merge mode
  // leaves it alone. Called only when the look-up found something.
  virtual void action(Token* token) const;

  // The text of the token to look up again, as the input accessor gives it.
  virtual const std::string& text(const Token* token) const;

  // "literal" or "stem"; any other text raises zel::Exception.
  virtual void set_input(const std::string& input);

  // "overwrite" or "merge"; any other text raises zel::Exception.
  virtual void set_action(const std::string& action) const;

  virtual ~LookupConditionInterface();

  Action mode() const { return static_cast<Action>(action_); }

 private:
  mutable int32_t action_ = kOverwrite;
  Input input_;
};

// A reading, or a component of a reading, belongs to a root category.
class PosIdLookup : public LookupConditionInterface {
 public:
  explicit PosIdLookup(const unsigned int& root);
  ~PosIdLookup() override;
  bool is_valid(const Token* token) const override;
  uint32_t root() const { return root_; }

 private:
  uint32_t root_;
};

// The part of speech of a reading, or of a component of a reading, starts
// with a prefix.
class PosStartWithLookup : public LookupConditionInterface {
 public:
  explicit PosStartWithLookup(const std::string& prefix);
  ~PosStartWithLookup() override;
  bool is_valid(const Token* token) const override;
  const std::string& prefix() const { return prefix_; }

 private:
  std::string prefix_;
};

// Every listed property is present on the token (its own set or a
// reading's list), or absent when the entry is negated. The text
// "nf,!foreign" gives (nf, false), (foreign, true); it is split at every
// comma and empty parts between commas stay (as properties that no token
// carries). The empty text gives the empty list, which holds for
// every token.
class PropertyLookup : public LookupConditionInterface {
 public:
  using Entry = std::pair<std::string, bool>;  // name, negated
  explicit PropertyLookup(const std::string& properties);
  ~PropertyLookup() override;
  bool is_valid(const Token* token) const override;
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// A case-sensitive expression matches the token's whole literal, whatever
// the input accessor. An invalid pattern raises the expression library's
// error from the constructor.
class RegexLookup : public LookupConditionInterface {
 public:
  explicit RegexLookup(const std::string& pattern);
  ~RegexLookup() override;
  bool is_valid(const Token* token) const override;

 private:
  std::shared_ptr<Regex> regex_;
};

// Holds for every token. No configuration entry makes it.
class AnyLookup : public LookupConditionInterface {
 public:
  ~AnyLookup() override;
  bool is_valid(const Token* token) const override;
};

using LookupConditions = std::vector<std::shared_ptr<LookupConditionInterface>>;

// The conditions of a language configuration's "conditions" member, in
// order: an array's elements, or an object's member values in key order;
// null gives none. A configuration without the member (or that is no
// object) gets one condition, the property "nf" (the tokens the first pass
// found nothing for). Any bad entry raises, and no list is returned.
LookupConditions make_conditions(const nlohmann::json& configuration);

// One condition from one entry (see the top of this file). Raises
// zel::Exception for an entry that is no object or lacks "type" or "value",
// for an unknown "type", "action" or "input", the JSON library's type error
// for a value that is not a text, and the expression library's error for a
// bad "regex".
std::shared_ptr<LookupConditionInterface> condition_factory(
    const nlohmann::json& entry);

// The first condition that holds for the token, or null. Not owned by the
// caller.
LookupConditionInterface* get_condition(const LookupConditions& conditions,
                                        const Token* token);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LOOKUP_CONDITION_H_
