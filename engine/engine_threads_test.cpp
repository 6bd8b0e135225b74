// One engine shared by many host threads: every thread makes analyzers,
// analyses texts, asks for domain collections and runs domains over its
// documents, reads the engine information and releases and purges the
// caches, while the others do the same. Run under the address and thread
// sanitizers, any report fails the test.

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "analysis/blackboard_testutil.h"
#include "analysis/document_testutil.h"
#include "base/options.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"
#include "language/language_module.h"
#include "language/test_language_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace kavero {
namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 6;

TEST(EngineThreads, OneEngineServesManyThreads) {
  zel::testing::ScratchFolder temp;
  temp.folder("morvik");
  // "people" runs after "names", which runs after "places"; each finds
  // its concept in the texts below:
  //   places: Unit: ( 'miles' )    names: Animal: ( 'dog' )
  //   people: Runner: ( Animal 'runs' )
  testing::write_compiled_domain(
      "dom_info {\"dependencies\":[\"names\"]}\nconcept Runner Animal\ntoken 1 literal=runs\n"
      "rule text=rule:runner ns=grammar\n"
      "  path CAPBEG:Runner CNCPT:Animal TK:1 CAPEND:Runner\n  bitset path CNCPT:Animal TK:1\n",
      temp.path() / "morvik/people.dom");
  testing::write_compiled_domain(
      "dom_info {\"dependencies\":[\"places\"]}\nconcept Animal\ntoken 1 literal=dog\n"
      "rule text=rule:animal ns=grammar\n"
      "  path CAPBEG:Animal TK:1 CAPEND:Animal\n  bitset path TK:1\n",
      temp.path() / "morvik/names.dom");
  testing::write_compiled_domain(
      "concept Unit\ntoken 1 literal=miles\n"
      "rule text=rule:unit ns=grammar\n"
      "  path CAPBEG:Unit TK:1 CAPEND:Unit\n  bitset path TK:1\n",
      temp.path() / "morvik/places.dom");

  nlohmann::json options = {
      {"root_path", temp.str()},
      {"morvik", temp.str("morvik") + ":" + zel::testing::test_language_folder().string()},
      // Automatic purges on every lookup.
      {"resource_manager_config", R"({"interval":0,"languages":{"top":1},"domains":{"top":3}})"}};
  auto engine = std::make_shared<Engine>(convert_string_to_api_options(options.dump()));

  std::atomic<int> failures{0};
  std::atomic<int> analysed{0};
  auto work = [&](int id) {
    for (int round = 0; round < kRounds; ++round) {
      try {
        std::unique_ptr<Blackboard> blackboard = zel::testing::make_blackboard(
            "{}", "{}", engine, engine->get_language_module("english"));
        const std::string text = "The dog runs " + std::to_string(id * 100 + round) + " miles.";
        if (blackboard->analyzer->generate(*blackboard, text.data(), text.size())) ++analysed;

        const bool people = round % 2 != 0;
        DomainCollection collection = engine->get_domains(people ? "people" : "names", true);
        if (collection.empty() || collection.back().second->rule_collections.empty()) ++failures;
        // The host's road: a domain object over the engine's cache, run
        // over the analysed document.
        Domain domain(engine, people ? "people" : "names",
                      convert_string_to_api_options(round % 3 ? "{}" : R"({"cache":false})"));
        domain.process(*blackboard);
        for (const char* uri : {"Unit", "Animal", "Runner"}) {
          const bool expected = people || std::string(uri) != "Runner";
          if ((zel::testing::find_concept(*blackboard->annotations, uri) != nullptr) != expected) {
            ADD_FAILURE() << "thread " << id << " round " << round << ": " << uri;
            ++failures;
          }
        }
        nlohmann::json info = nlohmann::json::parse(engine->info());
        if (!info["domains"].is_array()) ++failures;

        switch ((id + round) % 4) {
          case 0:
            engine->release_domain("people");
            break;
          case 1:
            engine->release_language(engine->get_language_module("english")->module_data->config_file);
            break;
          case 2:
            engine->purge_domains(R"({"languages":{"top":0},"domains":{"top":0}})");
            break;
          default:
            engine->release_domains();
        }
      } catch (const std::exception& e) {
        ADD_FAILURE() << "thread " << id << " round " << round << ": " << e.what();
        ++failures;
      }
    }
  };
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id) threads.emplace_back(work, id);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(analysed.load(), kThreads * kRounds);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
