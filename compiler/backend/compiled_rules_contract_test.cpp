// Rules compiled from source by the result store, loaded from the domain
// file by the runtime's domain loader (clusters, namespaces and chains from
// the record names, the matcher kind from "rt", the top-level ids from
// "tlb") and matched over sentences analysed with the test language
// "english". Each case states what its rules mean as the dump of the
// matched document.
//
// KAVERO_OPTIMIZATION_LEVEL is read once when the library loads: with 0
// every rule runs on the general matcher, otherwise rules of type 2 run on
// the forward matcher. The table runs in this process and again in two
// child processes with the levels 0 and 3; both must give the same dumps.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/blackboard.h"
#include "analysis/document_testutil.h"
#include "compiler/backend/result_store.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"
#include "domain/domain_facade.h"
#include "domain/domain_loader.h"
#include "language/test_language_testutil.h"
#include "matcher/afst_rule_facade.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/forward_rule_facade.h"
#include "matcher/make_rule.h"
#include "matcher/match_driver.h"
#include "matcher/stream_encoding.h"

namespace zel {
namespace compiler {
namespace {

// A rule source compiled into a domain file "d.dom" and loaded as the
// runtime loads it.
class CompiledDomain {
 public:
  explicit CompiledDomain(const std::string& source) {
    ParseResult parsed = parse_kavero_source(compilation.blackboard, source, "c.kav", nullptr);
    for (const std::string& text : collect_formatted_errors(parsed.sinks)) errors += text + "\n";
    if (!parsed.ok) return;
    {
      auto store = compilation.store();
      store->open("/rules/c.kav");
      store->collect(parsed.root);
      store->close("/rules/c.kav");
      store->finalize();
    }
    compilation.close_database();
    domain = std::make_shared<kavero::DomainFacade>("d");
    if (!kavero::load_domain(*domain, {compilation.folder.str()}, "d")) domain.reset();
  }

  // The document of the text after every collection of the domain ran.
  std::string run(const std::string& text) const {
    zel::testing::AnalysedDocument document(zel::testing::test_language_folder(), text);
    kavero::Blackboard& blackboard = document.blackboard();
    blackboard.set_current_domain(domain);
    kavero::encode_stream(blackboard, domain);
    kavero::match_ids(blackboard, domain, {});
    return zel::testing::dump(document.sentences(), zel::testing::kDumpAttributes);
  }

  // Every loaded rule of type 2 runs on the forward matcher unless the
  // optimisation level is 0; every other rule on the general matcher.
  // Returns the number of type-2 rules.
  int check_matcher_kinds() const {
    int forward = 0;
    for (const auto& entry : domain->rule_collections) {
      for (const auto& rule : entry.second.rules) {
        const bool type2 = rule->attribute("rt") == "2";
        forward += type2;
        const bool on_forward =
            dynamic_cast<kavero::matcher::forward::RuleFacade*>(rule.get()) != nullptr;
        EXPECT_EQ(on_forward, type2 && kavero::KAVERO_OPTIMIZATION_LEVEL != 0) << rule->id();
        if (!on_forward) {
          EXPECT_NE(dynamic_cast<kavero::matcher::afst::RuleFacade*>(rule.get()), nullptr)
              << rule->id();
        }
      }
    }
    return forward;
  }

  testing::Compilation compilation;
  std::string errors;
  std::shared_ptr<kavero::DomainFacade> domain;
};

struct MatchCase {
  const char* what;
  const char* source;
  const char* text;
  const char* dump;
};

const MatchCase kCases[] = {
    {"a plain sequence of literals",
     R"(rule:{ <"old"> <"man"> } = Elder;)",
     "The old man walks.",
     "[Sentence The [Elder old man ]Elder walks . ]Sentence $"},
};

TEST(CompiledRules, MatchWhatTheyMean) {
  int type2 = 0;
  for (const MatchCase& c : kCases) {
    CompiledDomain compiled(c.source);
    ASSERT_TRUE(compiled.errors.empty()) << c.what << "\n" << compiled.errors;
    ASSERT_NE(compiled.domain, nullptr) << c.what;
    type2 += compiled.check_matcher_kinds();
    EXPECT_EQ(compiled.run(c.text), c.dump) << c.what;
  }
  // The forward matcher has its share of the table.
  EXPECT_GT(type2, 0);
}

// The path of the running test binary.
std::string own_binary() {
  std::vector<char> path(4096);
  const ssize_t size = readlink("/proc/self/exe", path.data(), path.size() - 1);
  return size > 0 ? std::string(path.data(), static_cast<size_t>(size)) : std::string();
}

// Runs the table in a child process started with the optimisation level.
int table_in_child(const char* level) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("KAVERO_OPTIMIZATION_LEVEL", level, 1);
    const std::string binary = own_binary();
    execl(binary.c_str(), binary.c_str(), "--gtest_filter=CompiledRules.MatchWhatTheyMean",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CompiledRulesAtBothLevels, GiveTheSameMatchesOnBothMatchers) {
  EXPECT_EQ(table_in_child("0"), 0);
  EXPECT_EQ(table_in_child("3"), 0);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
