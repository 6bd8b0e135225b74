// The per-thread state of the rule-language parser.
//
// The grammars and their semantic actions are plain functions; they find
// the parse in progress through the calling thread's context: the catalogue
// of grammar error messages and the syntax-error handler, the start of the
// text being parsed, the compiler Blackboard the thread works for, and the
// input stream of the lexicon statement being parsed.
//
// Binding a thread to a Blackboard: a compilation, a parse outside a build
// and every worker thread that reports into a compilation bind through a
// BlackboardBinding, which restores the previous binding when it ends. A
// Blackboard that is destroyed while the destroying thread is bound to it
// clears that thread's binding. Reading the Blackboard's flags or
// recording a diagnostic on a thread with no binding raises
// std::logic_error; get_current_parser_filename answers "finename_notset".

#ifndef KAVERO_COMPILER_PARSER_GRAMMAR_CONTEXT_H_
#define KAVERO_COMPILER_PARSER_GRAMMAR_CONTEXT_H_

#include <memory>
#include <string>

#include "base/attribute_string.h"
#include "base/stream_name.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_iterator.h"
#include "compiler/parser/syntax_error_handler.h"

namespace zel {

class IOptions;

namespace compiler {

class Blackboard;

class ThreadLocalGrammarContext {
 public:
  ThreadLocalGrammarContext() = default;
  ~ThreadLocalGrammarContext();
  ThreadLocalGrammarContext(const ThreadLocalGrammarContext&) = delete;
  ThreadLocalGrammarContext& operator=(const ThreadLocalGrammarContext&) = delete;

  // Starts a parse of the text that `start` points at, for the Blackboard:
  // no lexicon input stream (7), normalize_entry false. The options are
  // not used.
  ThreadLocalGrammarContext& reset(const SourceIterator& start, Blackboard* blackboard,
                                   const std::shared_ptr<IOptions>& options);

  void set_blackboard(Blackboard* blackboard) { this->blackboard = blackboard; }

  // Also sets normalize_entry: true for the normalising streams 2 to 5.
  void set_input_stream_type(text_stream_type type);
  const text_stream_type& get_input_stream_type() const { return input_stream_type; }

  Diagnostics diagnostics;  // the grammar error messages
  parser::ErrorHandlerImpl error_handler;
  SourceIterator start;  // the start of the text being parsed
  bool normalize_entry = false;
  Blackboard* blackboard = nullptr;  // not owned
  text_stream_type input_stream_type = literal_stream;
};

// The calling thread's context, made on its first use.
extern thread_local ThreadLocalGrammarContext gr_ctx;

ThreadLocalGrammarContext& get_ctx();
ThreadLocalGrammarContext* get_ctx_ptr();

// Binds the calling thread to a Blackboard (null: unbinds it) for the
// guard's lifetime; the previous binding comes back when the guard ends.
// A guard must end on the thread that made it.
class BlackboardBinding {
 public:
  explicit BlackboardBinding(Blackboard* blackboard);
  ~BlackboardBinding();
  BlackboardBinding(const BlackboardBinding&) = delete;
  BlackboardBinding& operator=(const BlackboardBinding&) = delete;

 private:
  Blackboard* previous_;
};

// Clears the calling thread's binding when it is this Blackboard (and the
// thread's context still exists).
void unbind_blackboard(const Blackboard* blackboard);

// The Blackboard bound to the calling thread; raises std::logic_error
// naming `reader` when there is none.
Blackboard& bound_blackboard(const char* reader);

// The source name of the bound Blackboard; "finename_notset" when the
// thread has none.
const std::string& get_current_parser_filename();
const text_stream_type& get_current_parser_input_stream_type();
bool get_parser_normalize_entry();
// The bound Blackboard's strict and raw_lexicon_entries flags.
bool get_parser_strict();
bool use_raw_lexicon_entries();
Diagnostics& get_parser_diagnostics();
parser::ErrorHandlerImpl& get_error_handler();

// Semantic action at the start of a lexicon's entry block: the input stream
// goes back to literal. Always true.
bool reset_lexicon_input_fn();

// Semantic action on a lexicon's attribute list: the value of "input", when
// there is one, sets the input stream. A value that names no stream is
// reported as an error and gives false (the lexicon statement fails).
bool set_global_lexicon_input_stream_type(const AttributeList& attributes);

}  // namespace compiler
}  // namespace zel

#endif  // KAVERO_COMPILER_PARSER_GRAMMAR_CONTEXT_H_
