#include "compiler/parser/source_parser.h"

#include "base/options.h"
#include "compiler/parser/capture_group_checks.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/define_parser.h"
#include "compiler/parser/domain_parser.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/parse_exception.h"

namespace zel {
namespace compiler {

const std::string rn_start = "start";

namespace {

// Parses the text with the grammar into the root; the skipper runs once
// more after a match. The whole text need not be consumed.
template <typename Grammar>
bool parse_text(const Grammar& grammar, const std::string& text, ast::node::Root& root) {
  Iterator first(text.data());
  const Iterator last(text.data() + text.size());
  const Skipper skipper;
  return qi::phrase_parse(first, last, grammar, skipper, root);
}

std::shared_ptr<IOptions> strict_options() {
  auto options = std::make_shared<Options>();
  options->add("strict", "true");
  return options;
}

}  // namespace

ParseResult parse_kavero_source(Blackboard& blackboard, const std::string& text,
                                const std::string& /*file*/,
                                const std::shared_ptr<IOptions>& options) {
  const DomainParser parser;
  BlackboardBinding binding(&blackboard);
  get_ctx().reset(Iterator(text.data()), &blackboard, options);
  ParseResult result;
  try {
    parse_text(parser, text, result.root);
    check_function_attributes(result.root);
  } catch (const ParseException&) {
    // The action that abandoned the parse has reported why.
  }
  result.ok = !results::has_errors();
  result.sinks = results::sinks();
  return result;
}

ParseResult parse_variable_data(Blackboard& blackboard, const std::string& text,
                                const std::string& /*file*/) {
  const DefineParser parser;
  BlackboardBinding binding(&blackboard);
  get_ctx().reset(Iterator(text.data()), &blackboard, nullptr);
  results::sinks().reset();
  ParseResult result;
  parse_text(parser, text, result.root);
  result.ok = !results::has_errors();
  result.sinks = results::sinks();
  return result;
}

namespace unit_test {

ParseDataResult parse_data(const std::string& text, const std::string& name) {
  const DomainParser parser;
  Blackboard blackboard(strict_options());
  BlackboardBinding binding(&blackboard);
  get_ctx().reset(Iterator(text.data()), &blackboard, nullptr);
  blackboard.set_source_filename(name);
  ParseDataResult result;
  const bool matched = parse_text(parser, text, result.root);
  check_function_attributes(result.root);
  const bool has_errors = results::has_errors();
  result.ok = matched && !has_errors;
  if (has_errors) result.errors = collect_formatted_errors(results::sinks());
  return result;
}

ParseDataResult parse_data(const std::string& text) { return parse_data(text, std::string()); }

std::shared_ptr<Blackboard> set_context(const std::string& text, const std::string& name) {
  auto blackboard = std::make_shared<Blackboard>(strict_options());
  get_ctx().reset(Iterator(text.data()), blackboard.get(), nullptr);
  blackboard->set_source_filename(name);
  return blackboard;
}

}  // namespace unit_test
}  // namespace compiler
}  // namespace zel
