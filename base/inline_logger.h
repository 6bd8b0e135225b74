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

#ifndef KAVERO_BASE_INLINE_LOGGER_H_
#define KAVERO_BASE_INLINE_LOGGER_H_

namespace zel {
namespace log {
namespace inline_logger {

// The policy that logs nothing.
struct CodeNotThere {
  static constexpr bool enabled = false;
};

}  // namespace inline_logger
}  // namespace log
}  // namespace zel

#endif  // KAVERO_BASE_INLINE_LOGGER_H_
