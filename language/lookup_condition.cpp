#include "language/lookup_condition.h"

#include <sstream>

#include "analysis/annotation.h"
#include "base/exception.h"
#include "language/pos_table.h"
#include "language/reading.h"

namespace zel {
namespace kavero {

namespace {

[[noreturn]] void fail(const char* message) {
  std::ostringstream text;
  text << message;
  throw Exception(text);
}

constexpr char kTypeMissing[] =
    "Invalid language configuration in conditions sections. type missing";
constexpr char kTypeNotSupported[] =
    "Invalid language configuration in conditions sections. type not "
    "supported";
constexpr char kValueMissing[] =
    "Invalid language configuration in conditions sections. value missing";
constexpr char kUnknownAction[] =
    "Invalid language configuration in conditions sections. unknown action, "
    "choices [overwrite,merge]";
constexpr char kUnknownInput[] =
    "Invalid input configuration in conditions sections. unknown input_type, "
    "choices [literal,stem]";

}  // namespace

const std::string& LookupConditionInputLiteral::operator()(
    const Token* token) const {
  return token->literal;
}

const std::string& LookupConditionInputStem::operator()(
    const Token* token) const {
  if (token->readings.empty()) return token->literal;
  return token->readings.front().stem;
}

LookupConditionInterface::LookupConditionInterface()
    : input_(LookupConditionInputLiteral()) {}

LookupConditionInterface::~LookupConditionInterface() = default;

void LookupConditionInterface::action(Token* token) const {
  if (action_ == kMerge) return;
  token->readings.clear();
  token->properties.clear();
}

const std::string& LookupConditionInterface::text(const Token* token) const {
  return input_(token);
}

void LookupConditionInterface::set_input(const std::string& input) {
  if (input == "literal") {
    input_ = LookupConditionInputLiteral();
  } else if (input == "stem") {
    input_ = LookupConditionInputStem();
  } else {
    fail(kUnknownInput);
  }
}

void LookupConditionInterface::set_action(const std::string& action) const {
  if (action == "overwrite") {
    action_ = kOverwrite;
  } else if (action == "merge") {
    action_ = kMerge;
  } else {
    fail(kUnknownAction);
  }
}

PosIdLookup::PosIdLookup(const unsigned int& root) : root_(root) {}
PosIdLookup::~PosIdLookup() = default;
bool PosIdLookup::is_valid(const Token* token) const {
  return has_pos_components(token, root_);
}

PosStartWithLookup::PosStartWithLookup(const std::string& prefix)
    : prefix_(prefix) {}
PosStartWithLookup::~PosStartWithLookup() = default;
bool PosStartWithLookup::is_valid(const Token* token) const {
  return has_pos_components(token, prefix_);
}

PropertyLookup::PropertyLookup(const std::string& properties) {
  if (properties.empty()) return;
  std::string::size_type start = 0;
  while (true) {
    const std::string::size_type comma = properties.find(',', start);
    std::string part = properties.substr(
        start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!part.empty() && part[0] == '!') {
      entries_.emplace_back(part.substr(1), true);
    } else {
      entries_.emplace_back(std::move(part), false);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}
PropertyLookup::~PropertyLookup() = default;
bool PropertyLookup::is_valid(const Token* token) const {
  for (const Entry& entry : entries_) {
    if (has_token_property(token, entry.first) == entry.second) return false;
  }
  return true;
}

RegexLookup::RegexLookup(const std::string& pattern)
    : regex_(std::make_shared<Regex>(pattern, false)) {}
RegexLookup::~RegexLookup() = default;
bool RegexLookup::is_valid(const Token* token) const {
  return regex_->regex_match(token->literal);
}

AnyLookup::~AnyLookup() = default;
bool AnyLookup::is_valid(const Token*) const { return true; }

std::shared_ptr<LookupConditionInterface> condition_factory(
    const nlohmann::json& entry) {
  if (!entry.is_object() || !entry.contains("type")) fail(kTypeMissing);
  const nlohmann::json& type = entry["type"];
  const bool known = type == "pos" || type == "property" || type == "regex";
  if (!known) fail(kTypeNotSupported);
  if (!entry.contains("value")) fail(kValueMissing);
  const std::string value = entry["value"].get<std::string>();

  std::shared_ptr<LookupConditionInterface> condition;
  if (type == "pos") {
    const uint32_t root = language::pos_table::get_root_pos_id(value);
    if (root != 0) {
      condition = std::make_shared<PosIdLookup>(root);
    } else {
      condition = std::make_shared<PosStartWithLookup>(value);
    }
  } else if (type == "property") {
    condition = std::make_shared<PropertyLookup>(value);
  } else {
    condition = std::make_shared<RegexLookup>(value);
  }
  if (entry.contains("action")) {
    condition->set_action(entry["action"].get<std::string>());
  }
  if (entry.contains("input")) {
    condition->set_input(entry["input"].get<std::string>());
  }
  return condition;
}

LookupConditions make_conditions(const nlohmann::json& configuration) {
  LookupConditions conditions;
  if (!configuration.is_object() || !configuration.contains("conditions")) {
    conditions.push_back(std::make_shared<PropertyLookup>("nf"));
    return conditions;
  }
  const nlohmann::json& section = configuration["conditions"];
  if (section.is_null()) return conditions;
  if (section.is_array() || section.is_object()) {
    // An object's values come in key order: nlohmann::json keeps its members
    // sorted.
    for (const nlohmann::json& entry : section) {
      conditions.push_back(condition_factory(entry));
    }
  } else {
    conditions.push_back(condition_factory(section));
  }
  return conditions;
}

LookupConditionInterface* get_condition(const LookupConditions& conditions,
                                        const Token* token) {
  for (const auto& condition : conditions) {
    if (condition->is_valid(token)) return condition.get();
  }
  return nullptr;
}

}  // namespace kavero
}  // namespace zel
