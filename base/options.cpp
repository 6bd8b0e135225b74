#include "base/options.h"

#include <exception>
#include <iostream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace zel {

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
  return found->get<std::string>();
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
    if (item.value().is_string()) function(item.key(), item.value().get_ref<const std::string&>());
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
