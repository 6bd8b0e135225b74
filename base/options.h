// Option sets: named options with text values, read by key.
//
// IOptions is what the constructors of engines, analyzers, domains,
// documents and compilations take (as a shared pointer). Options implements
// it over one JSON value, normally an object of strings, made from the option
// text that a host passes to the C interface.
//
// Values are read as text: a JSON string as it stands, a JSON boolean as
// "true" or "false" and a JSON number as JSON writes it ("5", "0.5"), so
// hosts may write {"hmm": false} as well as {"hmm": "false"}. A null value
// reads as a missing one; reading a list or an object raises zel::Exception
// naming the option. A missing key is never an error.
//
// An option set has no lock: reads may run at once, but add() must not run
// while another thread reads the same set or a copy sharing its JSON value.

#ifndef KAVERO_BASE_OPTIONS_H_
#define KAVERO_BASE_OPTIONS_H_

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace zel {

class IOptions {
 public:
  // The key's text; the empty text when it is missing.
  virtual std::string get(const char* key) const = 0;
  // The key's text; the default when it is missing.
  virtual std::string get(const char* key, std::string default_value) const = 0;
  // The default when the key is missing or its text is empty; otherwise true
  // exactly for "true", "on", "yes", "1" and "True".
  virtual bool get_bool(const char* key, bool default_value) const = 0;
  // The whole set as compact JSON text.
  virtual std::string str() const = 0;
  virtual bool has(const char* key) const = 0;
  // Sets the key to the text. An implementation that does not override it
  // ignores additions.
  virtual void add(const std::string& key, const std::string& value);
  virtual ~IOptions();
};

class Options : public IOptions {
 public:
  // An empty set: a JSON null, which the first add() turns into an object.
  Options();

  // The set read from the first JSON value of the text; what follows that
  // value is not examined, and the value need not be an object. A text that
  // holds no JSON value (also an empty text or a null pointer) raises
  // nlohmann::json's parse_error.
  explicit Options(const char* text);

  std::string get(const char* key) const override;
  std::string get(const char* key, std::string default_value) const override;
  bool get_bool(const char* key, bool default_value) const override;
  // Compact, keys in ascending byte order, non-ASCII bytes as they are; an
  // empty set gives "null". Raises type_error 316 for a value that is not
  // valid UTF-8.
  std::string str() const override;
  bool has(const char* key) const override;
  // Inserts or replaces the key as a JSON string. Raises type_error on a set
  // whose JSON is neither null nor an object.
  void add(const std::string& key, const std::string& value) override;
  void add(const char* key, const char* value);
  void add(const char* key, const std::string& value);

  // The same as get(key).
  std::string operator[](const std::string& key) const;
  std::string operator[](const char* key) const;
  std::string at(const char* key) const;

  // The JSON value under the key, whatever its type; null when the set is no
  // object or lacks the key.
  const nlohmann::json* get_json(const char* key) const;

  // An independent deep copy. Copying an Options object instead shares the
  // JSON value, so that add() on either copy changes both.
  std::unique_ptr<Options> clone() const;

  // The whole JSON value.
  const nlohmann::json& json() const { return *json_; }

 private:
  friend std::shared_ptr<IOptions> convert_string_to_api_options(const char* text,
                                                                 bool* valid_json);

  std::shared_ptr<nlohmann::json> json_;
};

// The option set of an option text, as the C interface makes it: a null or
// empty text gives an empty set. A text that is not one valid JSON value
// (nothing may follow the value) prints "Invalid json stream:" and the text
// on standard output, and gives an empty set as well.
std::shared_ptr<IOptions> convert_string_to_api_options(const char* text);
std::shared_ptr<IOptions> convert_string_to_api_options(const std::string& text);

// The same, and tells whether the text was valid: *valid_json is false only
// when a non-empty text failed to parse (the message above is still
// printed). Lets a caller report a bad option text instead of running on
// defaults.
std::shared_ptr<IOptions> convert_string_to_api_options(const char* text, bool* valid_json);

// The text form of the JSON value of option `key` in `text`, as Options
// reads it: false for a null (a missing value), zel::Exception for a list or
// an object. For readers of option-like values kept in other JSON objects.
bool option_text(const char* key, const nlohmann::json& value, std::string& text);

// Calls the function with every key whose value is a text, a flag or a
// number, with the value's text form, in key order; other keys are
// skipped.
void foreach_option(const Options& options,
                    const std::function<void(const std::string& key,
                                             const std::string& value)>& function);

// Writes the JSON text of the set: compact, or pretty-printed with the
// stream's field width as indentation when a width is set.
std::ostream& operator<<(std::ostream& os, const Options& options);
// The same for a set made by convert_string_to_api_options; another kind of
// set writes its str(), a null pointer "null".
std::ostream& operator<<(std::ostream& os, const std::shared_ptr<IOptions>& options);

}  // namespace zel

#endif  // KAVERO_BASE_OPTIONS_H_
