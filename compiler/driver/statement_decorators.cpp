#include "compiler/driver/statement_decorators.h"

#include <functional>
#include <sstream>

#include "api/annotation_printer.h"
#include "base/options.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/test_engine.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/rule_printer.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {

namespace {

constexpr std::int64_t kDisabledTestCode = 0x100;
constexpr std::int64_t kTestLineCode = 0x200;
constexpr std::int64_t kMissingConceptCode = 0x800;

const char kAll[] = "all";
const char kTested[] = "tested";
const char kFailed[] = "failed";

// The language of the compilation, "" without the option.
std::string compile_language(const Blackboard& blackboard) {
  if (blackboard.options == nullptr || !blackboard.options->has(kTestOptionLanguage.c_str())) {
    return std::string();
  }
  return blackboard.options->get(kTestOptionLanguage.c_str());
}

// Walks the statements of one source: gathers the test decorators into the
// pending tests and hands every rule to the runner.
class StatementDecoratorsVisitor : public ast::Visitor<StatementDecoratorsVisitor, true> {
 public:
  using ast::Visitor<StatementDecoratorsVisitor, true>::operator();

  StatementDecoratorsVisitor(std::vector<TestCase>& pending_tests,
                             std::function<void(const ast::node::Rule&)> run_test,
                             std::string build_language)
      : pending_tests_(pending_tests),
        run_test_(std::move(run_test)),
        build_language_(std::move(build_language)) {}

  void operator()(const ast::node::Rule& rule) { run_test_(rule); }

  void operator()(const ast::node::StatementDecorator& decorator) {
    const std::string& keyword = decorator.keyword;
    const std::string& value = decorator.value;
    const int line = static_cast<int>(decorator.position.line());

    if (keyword == "stem") {
      tests_enabled_ = value == "on";
      return;
    }
    if (keyword == "language" && pending_tests_.empty()) {
      current_language_ = value;
      return;
    }
    if (!tests_enabled_) {
      if (keyword == "test") {
        compiler_warning("Test disabled: '" + value + "'", line, 0, kDisabledTestCode);
      }
      return;
    }
    if (keyword == "test") {
      if (!current_language_.empty() && current_language_ != build_language_) {
        current_test_ = -1;
        return;
      }
      TestCase test;
      test.text = value;
      test.line = line;
      pending_tests_.push_back(std::move(test));
      current_test_ = static_cast<std::int32_t>(pending_tests_.size()) - 1;
      return;
    }
    if (keyword == "expected") {
      if (TestCase* test = current()) test->expected.emplace_back(value);
      return;
    }
    if (keyword == "not_expected") {
      TestCase* test = current();
      if (test == nullptr) return;
      if (value.find_first_of(" =") != std::string::npos) {
        compiler_error(
            "Invalid test statement '@not_expected' only accepts a URI, ex: '@not_expected: "
            "Person'",
            line, 0, std::string(), 0);
        return;
      }
      test->not_expected.emplace_back(value);
      return;
    }
    if (keyword == "dependency") {
      if (TestCase* test = current()) test->dependencies.emplace_back(value);
      return;
    }
    if (keyword == "language") {
      current_language_ = value;
      TestCase* test = current();
      if (!value.empty() && value != build_language_ && test != nullptr) {
        // The test just written is withdrawn; it is always the last one.
        compiler_warning("Test disabled: '" + test->text + "'", line, 0, kDisabledTestCode);
        pending_tests_.pop_back();
        current_test_ = -1;
      }
    }
  }

 private:
  TestCase* current() {
    if (current_test_ < 0 || static_cast<size_t>(current_test_) >= pending_tests_.size()) {
      return nullptr;
    }
    return &pending_tests_[static_cast<size_t>(current_test_)];
  }

  std::vector<TestCase>& pending_tests_;
  std::function<void(const ast::node::Rule&)> run_test_;
  bool tests_enabled_ = true;
  std::int32_t current_test_ = -1;
  std::string current_language_;
  std::string build_language_;
};

// The names of the concepts a rule body refers to.
class RuleConceptsVisitor : public ast::Visitor<RuleConceptsVisitor, true> {
 public:
  using ast::Visitor<RuleConceptsVisitor, true>::operator();

  void operator()(const ast::node::RuleConcept& rule_concept) {
    concept_names.insert(rule_concept.name);
    ast::Visitor<RuleConceptsVisitor, true>::operator()(rule_concept);
  }

  std::set<std::string> concept_names;
};

}  // namespace

StatementDecorators::StatementDecorators(Blackboard& blackboard) : blackboard_(blackboard) {
  if (compile_language(blackboard).empty()) {
    // Without a language there is no engine to run the tests with, and
    // every concept would be reported missing.
    application_error(
        "The rule tests need the compile option \"language\"; no rule test was run.");
    return;
  }
  analyzer_.emplace(make_analyzer(blackboard));
  domains_ = make_test_domain_collection(blackboard);
  available_concepts_ = make_available_concept(blackboard, domains_);
}

StatementDecorators::~StatementDecorators() = default;

void StatementDecorators::open(const std::string& path) { current_source_ = get_debug_id(path); }

void StatementDecorators::collect(const ast::node::Root& root) {
  if (!analyzer_) return;
  StatementDecoratorsVisitor visitor(
      pending_tests_, [this](const ast::node::Rule& rule) { test(rule); },
      compile_language(blackboard_));
  visitor(root);
  // A test belongs to a rule of its own source: those written after the
  // last rule are dropped here.
  for (const TestCase& dropped : pending_tests_) {
    compiler_warning("Test disabled: '" + dropped.text + "'", dropped.line, 0, kDisabledTestCode);
  }
  pending_tests_.clear();
}

void StatementDecorators::close(const std::string&) {}

void StatementDecorators::finalize() {
  if (!analyzer_) return;
  std::ostringstream note;
  note << "TestResult: " << counters_[kAll] << " rules, " << counters_[kTested] << " tests, "
       << counters_[kFailed] << " failed";
  application_note(note.str());
}

void StatementDecorators::test(const ast::node::Rule& rule) {
  const std::string location = current_source_ + ":" + std::to_string(rule.line);
  check_concpet_dependencies(rule);
  const std::string& rule_concept = rule.capture.assignment.uri();
  const bool rich = blackboard_.options != nullptr &&
                    blackboard_.options->get_bool(kTestOptionTagOutput.c_str(), false);

  for (TestCase& test : pending_tests_) {
    omr::analyzer::Results results = (*analyzer_)(test.text, {});
    for (omr::domain::Domain& domain : domains_) results = domain(results);
    const std::shared_ptr<omr::common::AnnotationList> document = results.parse_results(false);
    const CollectConcepts concepts(*document);

    if (test.expected.empty()) test.expected.emplace_back(test.text, rule_concept);
    set_default_uri(test.expected, rule_concept);
    const bool unwanted = check_for_not_expected_results(rule, test.not_expected, concepts);
    collect_results(rule, location, test.expected, concepts);
    collect_results(rule, std::string(), test.dependencies, concepts);
    const bool failed =
        unwanted || check_for_errors(test.expected) || check_for_errors(test.dependencies);
    ++counters_[kTested];
    LOG_TEST_RESULTS(blackboard_, failed, rule, location, test);
    if (!failed) continue;

    std::ostringstream printed_rule;
    ast_print(printed_rule, rule);
    compiler_error("  @match(failed): rule:" + printed_rule.str(), rule.line, 0, std::string(),
                   0);
    std::ostringstream analysis;
    if (rich) {
      omr::common::AnnotationRichPrinter(analysis, true).print(*document);
    } else {
      omr::common::AnnotationPrinter(analysis, true).print(*document);
    }
    compiler_error("\n  " + analysis.str(), rule.line, 0, std::string(), kTestLineCode);
    ++counters_[kFailed];
  }
  pending_tests_.clear();
  ++counters_[kAll];
}

void StatementDecorators::check_concpet_dependencies(const ast::node::Rule& rule) {
  RuleConceptsVisitor visitor;
  visitor(rule);
  for (const std::string& name : visitor.concept_names) {
    if (available_concepts_.count(name) != 0) continue;
    compiler_error(" Concept '" + name +
                       "' is not found in project or in the dependencies of the project or "
                       "you meant '" +
                       name + "' to be a literal or a stem.",
                   rule.line, 0, std::string(), kMissingConceptCode);
  }
}

std::shared_ptr<DomainBuilderInterface> get_visitor_statement_decorator(Blackboard& blackboard) {
  return std::make_shared<StatementDecorators>(blackboard);
}

}  // namespace compiler
}  // namespace zel
