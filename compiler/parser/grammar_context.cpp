#include "compiler/parser/grammar_context.h"

#include <stdexcept>

#include "compiler/parser/compiler_blackboard.h"

namespace zel {
namespace compiler {

thread_local ThreadLocalGrammarContext gr_ctx;

namespace {

// Set when the thread's own context has been destroyed at thread exit, so
// that a Blackboard destroyed later on that thread does not touch it. A
// trivial thread-local, which outlives every thread-local object.
thread_local bool context_gone = false;

const std::string filename_not_set = "finename_notset";

}  // namespace

ThreadLocalGrammarContext::~ThreadLocalGrammarContext() {
  if (this == &gr_ctx) context_gone = true;
}

ThreadLocalGrammarContext& ThreadLocalGrammarContext::reset(const SourceIterator& start_in,
                                                            Blackboard* blackboard_in,
                                                            const std::shared_ptr<IOptions>&) {
  start = start_in;
  normalize_entry = false;
  blackboard = blackboard_in;
  input_stream_type = no_stream;
  return *this;
}

void ThreadLocalGrammarContext::set_input_stream_type(text_stream_type type) {
  input_stream_type = type;
  normalize_entry = type >= normalized_literal_stream && type <= head_stream;
}

ThreadLocalGrammarContext& get_ctx() { return gr_ctx; }

ThreadLocalGrammarContext* get_ctx_ptr() { return &gr_ctx; }

BlackboardBinding::BlackboardBinding(Blackboard* blackboard) : previous_(gr_ctx.blackboard) {
  gr_ctx.set_blackboard(blackboard);
}

BlackboardBinding::~BlackboardBinding() {
  if (!context_gone) gr_ctx.set_blackboard(previous_);
}

void unbind_blackboard(const Blackboard* blackboard) {
  if (context_gone) return;
  if (gr_ctx.blackboard == blackboard) gr_ctx.blackboard = nullptr;
}

Blackboard& bound_blackboard(const char* reader) {
  Blackboard* blackboard = context_gone ? nullptr : gr_ctx.blackboard;
  if (blackboard == nullptr) {
    throw std::logic_error(std::string(reader) +
                           ": no compiler blackboard is bound to this thread.");
  }
  return *blackboard;
}

const std::string& get_current_parser_filename() {
  Blackboard* blackboard = context_gone ? nullptr : gr_ctx.blackboard;
  return blackboard == nullptr ? filename_not_set : blackboard->source_filename();
}

const text_stream_type& get_current_parser_input_stream_type() {
  return gr_ctx.get_input_stream_type();
}

bool get_parser_normalize_entry() { return gr_ctx.normalize_entry; }

bool get_parser_strict() { return bound_blackboard("get_parser_strict").strict; }

bool use_raw_lexicon_entries() {
  return bound_blackboard("use_raw_lexicon_entries").raw_lexicon_entries;
}

Diagnostics& get_parser_diagnostics() { return gr_ctx.diagnostics; }

parser::ErrorHandlerImpl& get_error_handler() { return gr_ctx.error_handler; }

bool reset_lexicon_input_fn() {
  gr_ctx.set_input_stream_type(literal_stream);
  return true;
}

bool set_global_lexicon_input_stream_type(const AttributeList& attributes) {
  const std::string& input = get_attribute(attributes, "input");
  if (input.empty()) return true;
  gr_ctx.set_input_stream_type(get_stream_type(input));
  if (gr_ctx.input_stream_type != no_stream) return true;
  compiler_error(
      "Invalid lexicon input type, [ literal, stem, normalized_literal, normalized_stem, "
      "component, head ]",
      -1, 0, std::string(), 0);
  return false;
}

}  // namespace compiler
}  // namespace zel
