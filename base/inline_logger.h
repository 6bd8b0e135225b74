// Logging policies that code templates are instantiated with.
//
// Code that runs per arc or per character (the rule matchers, the lexicon
// pass over a document) takes its logging as a template argument instead of
// asking the logger registry at every step. Under CodeNotThere every log
// statement disappears at compile time, so the silent instantiation pays
// nothing for the tracing that another instantiation of the same code may
// write:
//
//   template <class Logger>
//   void step(...) {
//     if constexpr (Logger::enabled) { ... compose and write a trace ... }
//   }
//
// A logging policy is a record of named values (BaseLogger) that is made,
// filled and destroyed within one statement; the derived record's
// destructor writes it:
//
//   if constexpr (Logger::enabled) {
//     Logger record;
//     record["action"] = "lookup";
//     record["word"] = word;
//   }  // written here

#ifndef KAVERO_BASE_INLINE_LOGGER_H_
#define KAVERO_BASE_INLINE_LOGGER_H_

#include <iosfwd>
#include <map>
#include <string>

#include <boost/any.hpp>

namespace zel {
namespace log {
namespace inline_logger {

// The policy that logs nothing.
struct CodeNotThere {
  static constexpr bool enabled = false;
};

// A record of named values of any type. Destroying it discards the values
// and writes nothing; derived records write themselves in their destructor.
class BaseLogger {
 public:
  BaseLogger() = default;
  BaseLogger(const BaseLogger&) = delete;
  BaseLogger& operator=(const BaseLogger&) = delete;
  virtual ~BaseLogger();

  // The value of the name, added empty when missing; assigning to it adds
  // the variable or replaces its value.
  boost::any& operator[](const std::string& name) { return variables_[name]; }
  bool has(const std::string& name) const { return variables_.count(name) != 0; }

  // In name order.
  const std::map<std::string, boost::any>& variables() const { return variables_; }

 private:
  std::map<std::string, boost::any> variables_;
};

// Writes one value by its dynamic type: a std::string or a C text as its
// characters (a null C text sets the stream's bad bit instead), an int, an
// unsigned int or an unsigned long in decimal; any other type, and an empty
// value, writes nothing.
std::ostream& print_variable(std::ostream& out, const boost::any& value);

}  // namespace inline_logger
}  // namespace log
}  // namespace zel

#endif  // KAVERO_BASE_INLINE_LOGGER_H_
