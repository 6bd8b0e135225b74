#include "base/options.h"

#include <exception>
#include <iostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/exception.h"

namespace zel {

// The text form of an option's value: a text as it stands, a flag as "true"
// or "false", a number as JSON writes it ("5", "-2", "0.5"). Hosts write
// options as JSON, so {"hmm": false} means what {"hmm": "false"} means. A
// null reads as a missing value; a list or an object is no option value.
bool option_text(const char* key, const nlohmann::json& value, std::string& text) {
  switch (value.type()) {
    case nlohmann::json::value_t::string:
      text = value.get_ref<const std::string&>();
      return true;
    case nlohmann::json::value_t::boolean:
      text = value.get<bool>() ? "true" : "false";
      return true;
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
    case nlohmann::json::value_t::number_float:
      text = value.dump();
      return true;
    case nlohmann::json::value_t::null:
    case nlohmann::json::value_t::discarded:
      return false;
    default: {
      std::ostringstream message;
      message << "The option \"" << key << "\" must be a text, a flag or a number, not "
              << (value.is_array() ? "an array" : "an object") << ".";
      throw Exception(message);
    }
  }
}

void IOptions::add(const std::string&, const std::string&) {}

IOptions::~IOptions() = default;

Options::Options() : json_(std::make_shared<nlohmann::json>()) {}

Options::Options(const char* text) : Options() {
  std::stringstream stream;
  if (text != nullptr) stream << text;
  stream >> *json_;
}

std::string Options::get(const char* key) const { return get(key, std::string()); }

std::string Options::get(const char* key, std::string default_value) const {
  if (!json_->is_object()) return default_value;
  const auto found = json_->find(key);
  if (found == json_->end()) return default_value;
  std::string text;
  if (!option_text(key, *found, text)) return default_value;
  return text;
}

bool Options::get_bool(const char* key, bool default_value) const {
  const std::string value = get(key, std::string());
  if (value.empty()) return default_value;
  return value == "true" || value == "on" || value == "yes" || value == "1" ||
         value == "True";
}

std::string Options::str() const {
  std::stringstream stream;
  stream << *json_;
  return stream.str();
}

bool Options::has(const char* key) const {
  return json_->is_object() && json_->contains(key);
}

void Options::add(const std::string& key, const std::string& value) {
  add(key.c_str(), value);
}

void Options::add(const char* key, const char* value) { add(key, std::string(value)); }

void Options::add(const char* key, const std::string& value) { (*json_)[key] = value; }

std::string Options::operator[](const std::string& key) const { return get(key.c_str()); }

std::string Options::operator[](const char* key) const { return get(key); }

std::string Options::at(const char* key) const { return get(key); }

const nlohmann::json* Options::get_json(const char* key) const {
  if (!json_->is_object()) return nullptr;
  const auto found = json_->find(key);
  if (found == json_->end()) return nullptr;
  return &*found;
}

std::unique_ptr<Options> Options::clone() const {
  auto copy = std::make_unique<Options>();
  *copy->json_ = *json_;
  return copy;
}

std::shared_ptr<IOptions> convert_string_to_api_options(const char* text, bool* valid_json) {
  if (valid_json != nullptr) *valid_json = true;
  auto options = std::make_shared<Options>();
  if (text == nullptr || *text == '\0') return options;
  try {
    *options->json_ = nlohmann::json::parse(text);
  } catch (const std::exception&) {
    std::cout << "Invalid json stream:" << text << std::endl;
    if (valid_json != nullptr) *valid_json = false;
  }
  return options;
}

std::shared_ptr<IOptions> convert_string_to_api_options(const char* text) {
  return convert_string_to_api_options(text, nullptr);
}

std::shared_ptr<IOptions> convert_string_to_api_options(const std::string& text) {
  return convert_string_to_api_options(text.c_str(), nullptr);
}

void foreach_option(const Options& options,
                    const std::function<void(const std::string&, const std::string&)>& function) {
  const nlohmann::json& json = options.json();
  if (!json.is_object()) return;
  for (const auto& item : json.items()) {
    const nlohmann::json& value = item.value();
    if (value.is_string() || value.is_boolean() || value.is_number()) {
      std::string text;
      option_text(item.key().c_str(), value, text);
      function(item.key(), text);
    }
  }
}

std::ostream& operator<<(std::ostream& os, const Options& options) {
  return os << options.json();
}

std::ostream& operator<<(std::ostream& os, const std::shared_ptr<IOptions>& options) {
  if (options == nullptr) return os << "null";
  if (const auto* json_options = dynamic_cast<const Options*>(options.get())) {
    return os << *json_options;
  }
  return os << options->str();
}

}  // namespace zel
