#include "engine/plugin_loader.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "api/client_exception.h"
#include "base/options.h"
#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "domain/domain.h"
#include "engine/engine.h"
#include "engine/environment_testutil.h"
#include "language/runtime_log_testutil.h"
#include "language/test_language_testutil.h"
#include "matcher/analysed_document_testutil.h"
#include "matcher/compiled_domain_testutil.h"
#include "matcher/plugin_calls.h"
#include "matcher/plugin_collection.h"

namespace zel {
namespace kavero {
namespace {

namespace fs = std::filesystem;
using zel::testing::RuntimeLog;
using zel::testing::ScopedEnvironment;
using zel::testing::ScratchFolder;

// The sample plugin and its variants, as the build makes them.
fs::path built_plugin(const std::string& variant) {
  return fs::path(KAVERO_BINARY_DIR) / "testdata" / "plugins" / (variant + ".so");
}

// How many log lines begin with the text.
size_t lines_beginning(const RuntimeLog& log, const std::string& text) {
  const std::vector<std::string> lines = log.lines();
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(text, 0) == 0; });
}

// An engine whose root is a scratch folder; plugins go into the root's
// "lib" unless a test says otherwise.
class PluginLoaderTest : public ::testing::Test {
 protected:
  PluginLoaderTest() {
    env_.unset("KAVERO_PLUGIN_DIR");
    temp_.folder("root/lib");
    temp_.folder("morvik");
  }

  // Copies a variant of the sample plugin into the folder under the name.
  std::string install(const std::string& variant, const std::string& name,
                      const std::string& folder = "root/lib") {
    const fs::path to = temp_.path() / folder / name;
    fs::create_directories(to.parent_path());
    fs::copy_file(built_plugin(variant), to, fs::copy_options::overwrite_existing);
    return to.string();
  }

  std::shared_ptr<Engine> make_engine() const {
    return std::make_shared<Engine>(convert_string_to_api_options(
        nlohmann::json{{"root_path", temp_.str("root")}, {"morvik", temp_.str("morvik")}}
            .dump()));
  }

  // Calls a function of the plugin with one text argument.
  static std::string call(const Engine& engine, const std::string& uri,
                          const char* argument = "hi") {
    return plugins::call(&engine, uri, {plugins::DataObject{1, argument}});
  }

  ScopedEnvironment env_;
  ScratchFolder temp_;
};

TEST_F(PluginLoaderTest, TheFileThatServesAName) {
  struct Case {
    std::vector<std::string> files;  // in the folder; a trailing "/" makes a folder
    std::string name;
    std::string served;  // empty: none
  } const cases[] = {
      {{"name.so", "name_plugin.so"}, "name", "name.so"},
      {{"_kavero_plugin.so"}, "python", "_kavero_plugin.so"},
      {{"_kavero.so", "_kavero_plugin.so"}, "python", "_kavero.so"},
      {{"python.so"}, "python", ""},
      {{"abc_plugin.so"}, "abc", "abc_plugin.so"},
      {{"abc_plugin.x86.so"}, "abc", "abc_plugin.x86.so"},
      // The extension is what follows the last "."; the prefix is
      // case-sensitive.
      {{"abc_plugin.so.1", "ABC_plugin.so"}, "abc", ""},
      // Of several, the greatest name in byte order, whatever the listing.
      {{"abc_plugin_a.so", "abc_plugin_b.so", "abc_plugin_B.so"}, "abc", "abc_plugin_b.so"},
      {{"abc_plugin_b.so", "abc_plugin_a.so"}, "abc", "abc_plugin_b.so"},
      // Only regular files count.
      {{"abc_plugin_z.so/", "abc_plugin_a.so"}, "abc", "abc_plugin_a.so"},
      {{"abc.so/"}, "abc", "abc.so"},
      {{}, "abc", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string folder = "case" + std::to_string(n++);
    temp_.folder(folder);
    for (const std::string& file : c.files) {
      if (file.back() == '/') {
        temp_.folder(folder + "/" + file);
      } else {
        temp_.file(folder + "/" + file);
      }
    }
    const std::string expected = c.served.empty() ? "" : temp_.str(folder + "/" + c.served);
    EXPECT_EQ(generate_plugin_filename(temp_.str(folder), c.name), expected) << folder;
  }
  // A folder that cannot be listed raises the file-system error.
  EXPECT_THROW(generate_plugin_filename(temp_.str("missing"), "abc"), fs::filesystem_error);
}

TEST_F(PluginLoaderTest, TheRegistrationNameEndsAtTheFirstDot) {
  EXPECT_EQ(plugin_registration_name("/a.b/abc_plugin.x86.so"), "abc_plugin");
  EXPECT_EQ(plugin_registration_name("/a/abc"), "abc");
  EXPECT_EQ(plugin_registration_name("/a/.so"), "");
}

// What a lookup registers: each case installs the sample plugin under a
// file name, asks twice for a name and lists the collection.
TEST_F(PluginLoaderTest, LookupsRegisterTheFileUnderItsNameAndTheNameAskedFor) {
  struct Case {
    std::string file;
    std::string name;
    std::vector<std::string> registered;  // empty: the empty pointer
  } const cases[] = {
      {"name.so", "name", {"name"}},
      {"_kavero_plugin.so", "python", {"_kavero_plugin", "python"}},
      {"_kavero_plugin.so", "_kavero_plugin", {"_kavero_plugin", "python"}},
      {"_kavero.so", "python", {"_kavero", "python"}},
      {"abc_plugin.so", "abc", {"abc", "abc_plugin"}},
      {"abc_plugin.so.1", "abc", {}},
      {"ABC_plugin.so", "abc", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " for " + c.name);
    fs::remove_all(temp_.path() / "root/lib");
    const std::string file = install("sample", c.file);
    std::shared_ptr<Engine> engine = make_engine();
    RuntimeLog log;
    const boost::shared_ptr<plugins::API> first = engine->get_plugin(c.name);
    const boost::shared_ptr<plugins::API> second = engine->get_plugin(c.name);
    EXPECT_EQ(first, second);
    std::vector<std::string> names;
    for (const auto& [name, plugin] : engine->get_plugins()->plugins) {
      names.push_back(name);
      EXPECT_EQ(plugin, first);
    }
    EXPECT_EQ(names, c.registered);
    if (c.registered.empty()) {
      EXPECT_EQ(first, nullptr);
      EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:cannot find plugin file: "));
      continue;
    }
    ASSERT_NE(first, nullptr);
    // Opened and initialised once; the second lookup is answered from the
    // collection.
    EXPECT_EQ(call(*engine, "::" + c.name + "::m::init_count"), "1");
    EXPECT_EQ(lines_beginning(log, "TRACE [PLUGIN]:!!! load_plugin basename:"), 1u);
    EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:found !! plugin :" + c.name));
    EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:loading: " + file));
    for (const std::string& name : c.registered) {
      EXPECT_EQ(call(*engine, "::" + name + "::m::echo"), "hi");
    }
  }
}

TEST_F(PluginLoaderTest, TheEnvironmentFolderWinsEvenWhenItIsMissing) {
  install("sample", "sample.so");
  std::shared_ptr<Engine> engine = make_engine();
  env_.set("KAVERO_PLUGIN_DIR", temp_.str("missing"));
  RuntimeLog log;
  EXPECT_EQ(engine->get_plugin("sample"), nullptr);
  EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:cannot find plugin folder: " + temp_.str("missing")));

  // Named and present, it serves plugins whatever the root holds.
  install("sample", "other.so", "elsewhere");
  env_.set("KAVERO_PLUGIN_DIR", temp_.str("elsewhere"));
  EXPECT_EQ(engine->get_plugin("sample"), nullptr);
  EXPECT_EQ(call(*engine, "::other::m::echo"), "hi");
}

TEST_F(PluginLoaderTest, WithoutAnyFolderThereIsNoPlugin) {
  fs::remove_all(temp_.path() / "root/lib");
  std::shared_ptr<Engine> engine = make_engine();
  RuntimeLog log;
  EXPECT_EQ(engine->get_plugin("sample"), nullptr);
  EXPECT_EQ(&engine->get_plugin("sample"), &empty_plugin());
  EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:cannot find plugin folder: "));
}

TEST_F(PluginLoaderTest, ACachedPluginIsAnsweredAfterItsFileIsGone) {
  const std::string file = install("sample", "sample.so");
  std::shared_ptr<Engine> engine = make_engine();
  const boost::shared_ptr<plugins::API> loaded = engine->get_plugin("sample");
  ASSERT_NE(loaded, nullptr);
  fs::remove_all(temp_.path() / "root");
  RuntimeLog log;
  EXPECT_EQ(engine->get_plugin("sample"), loaded);
  EXPECT_EQ(call(*engine, "::sample::m::echo"), "hi");
  EXPECT_TRUE(log.has("TRACE", "[PLUGIN]:found !! plugin :sample"));
  EXPECT_FALSE(log.has("TRACE", "[PLUGIN]:check_plugin_folder :sample"));
}

TEST_F(PluginLoaderTest, AFalseInitializeGivesTheEmptyPointerAndTheNextRequestLoadsAgain) {
  const std::string file = install("sample_init_false", "sample.so");
  std::shared_ptr<Engine> engine = make_engine();
  RuntimeLog log;
  EXPECT_EQ(engine->get_plugin("sample"), nullptr);
  EXPECT_EQ(engine->get_plugin("sample"), nullptr);
  EXPECT_TRUE(engine->get_plugins()->plugins.empty());
  EXPECT_EQ(lines_beginning(log, "TRACE [PLUGIN]:!!! load_plugin basename:sample"), 2u);
  EXPECT_EQ(lines_beginning(log, "DEBUG [PLUGIN]:cannot load plugin: " + file), 2u);
  EXPECT_FALSE(log.has("TRACE", "[PLUGIN]:sample Status = OK"));

  // The file is replaced by one that starts: the next request loads it.
  install("sample", "sample2.so");
  fs::rename(temp_.path() / "root/lib/sample2.so", file);
  EXPECT_NE(engine->get_plugin("sample"), nullptr);
}

TEST_F(PluginLoaderTest, FailedLoadsRaiseWithTheLoadersOrThePluginsMessage) {
  struct Case {
    std::string variant;
    std::string message;  // contained in the exception's text
    bool library_error;   // the loader's error, not the plugin's
  } const cases[] = {
      {"sample_no_symbol", "plugin", true},
      {"sample_unresolved", "kavero_plugin_no_such_function", true},
      {"sample_init_error", "sample: cannot start", false},
      {"sample_init_throws", "sample: thrown", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    const std::string file = install(c.variant, "sample.so");
    std::shared_ptr<Engine> engine = make_engine();
    for (int attempt = 0; attempt < 2; ++attempt) {
      RuntimeLog log;
      std::string what;
      try {
        engine->get_plugin("sample");
        ADD_FAILURE() << "no exception";
      } catch (const omr::common::Exception& e) {
        EXPECT_EQ(c.variant, "sample_init_error");
        what = e.what();
      } catch (const std::exception& e) {
        what = e.what();
      }
      EXPECT_NE(what.find(c.message), std::string::npos) << what;
      if (!c.library_error) {
        EXPECT_EQ(what, c.message);
      }
      EXPECT_TRUE(log.has("ERROR", "[PLUGIN]:Could not load " + file + ":" + what));
      // Nothing is kept: the next request tries again.
      EXPECT_TRUE(engine->get_plugins()->plugins.empty());
    }
  }
}

TEST_F(PluginLoaderTest, APluginOfTwoEnginesIsShutDownWhenTheLastLetsGo) {
  install("sample", "sample.so");
  std::shared_ptr<Engine> first = make_engine();
  std::shared_ptr<Engine> second = make_engine();
  const boost::shared_ptr<plugins::API> a = first->get_plugin("sample");
  const boost::shared_ptr<plugins::API> b = second->get_plugin("sample");
  // One library, one plugin object, initialised by each engine.
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(call(*second, "::sample::m::init_count"), "2");
  first.reset();
  EXPECT_EQ(call(*second, "::sample::m::unload_count"), "0");
  EXPECT_EQ(call(*second, "::sample::m::echo"), "hi");
  second.reset();
  zel_exception error = plugins::cleared_error();
  char* shut = b->call("m", "unload_count", {}, &error);
  ASSERT_NE(shut, nullptr);
  EXPECT_EQ(std::string(shut), "1");
  b->free_result(shut);
}

TEST_F(PluginLoaderTest, APluginUnderTwoNamesIsToldOnceAndShutDownOnce) {
  install("sample", "abc_plugin.so");
  std::shared_ptr<Engine> engine = make_engine();
  const boost::shared_ptr<plugins::API> kept = engine->get_plugin("abc");
  ASSERT_NE(kept, nullptr);
  ASSERT_EQ(engine->get_plugins()->plugins.size(), 2u);
  plugins::release_document(engine.get());
  EXPECT_EQ(call(*engine, "::abc::m::release_count"), "1");
  engine.reset();
  zel_exception error = plugins::cleared_error();
  char* shut = kept->call("m", "unload_count", {}, &error);
  ASSERT_NE(shut, nullptr);
  EXPECT_EQ(std::string(shut), "1");
  kept->free_result(shut);
}

// The rule source the records below stand for:
//   _[::sample::mod::mark New York ]_        (namespace grammar)
// The concept that the plugin inserts, "Marked", is the domain's output.
const char kMarkDomain[] =
    "dom_info {\"concepts\":[\"Marked\"]}\n"
    "concept ::sample::mod::mark\n"
    "capture ::sample::mod::mark\n"
    "token 1 literal=New\n"
    "token 2 literal=York\n"
    "rule text=rule:mark ns=grammar\n"
    "  path CAPBEG:::sample::mod::mark TK:1 TK:2 CAPEND:::sample::mod::mark\n";

// A rule that calls the plugin, run over an analysed document. The plugin
// folder is named by "KAVERO_PLUGIN_DIR", so the document's own engine
// finds it.
class PluginRuleTest : public PluginLoaderTest {
 protected:
  PluginRuleTest() {
    env_.set("KAVERO_PLUGIN_DIR", temp_.str("plugins"));
    temp_.folder("plugins");
    testing::write_compiled_domain(kMarkDomain, temp_.path() / "morvik" / "mark.dom");
  }

  // Runs the domain over the text; the blackboard's annotations as the
  // concepts they hold, "uri{words}!flags".
  void run(const std::string& text) {
    document_ = std::make_unique<zel::testing::AnalysedDocument>(zel::testing::test_language_folder(), text);
    Domain domain(make_engine(), "mark", convert_string_to_api_options("{}"));
    domain.process(document_->blackboard());
  }

  std::vector<Concept*> concepts(const std::string& uri) {
    std::vector<Concept*> found;
    for (Annotation* s : *document_->blackboard().annotations) {
      for (Annotation* a : annotation_cast<Sentence>(s)->annotations) {
        Concept* c = annotation_cast<Concept>(a);
        if (c != nullptr && c->uri == uri) found.push_back(c);
      }
    }
    return found;
  }

  std::unique_ptr<zel::testing::AnalysedDocument> document_;
};

TEST_F(PluginRuleTest, ARuleCallsAPluginThatMarksItsMatch) {
  install("sample", "sample.so", "plugins");
  run("They flew to New York. Then home.");
  const std::vector<Concept*> marked = concepts("Marked");
  ASSERT_EQ(marked.size(), 1u);
  EXPECT_TRUE(marked[0]->flags.test(kImport));
  EXPECT_FALSE(marked[0]->deleted());
  EXPECT_EQ(marked[0]->get_attribute("words"), "New York");
  EXPECT_EQ(document_->blackboard().text.substr(marked[0]->begin,
                                                marked[0]->end - marked[0]->begin),
            "New York");
}

TEST_F(PluginRuleTest, AMissingPluginIsLoggedAndTheRunGoesOn) {
  RuntimeLog log;
  run("They flew to New York.");
  EXPECT_TRUE(concepts("Marked").empty());
  EXPECT_TRUE(log.has("ERROR",
                      "Error cannot find plugin:sample from annotation ::sample::mod::mark"));
}

TEST_F(PluginRuleTest, AFailedLoadReachesTheCallerOfTheRun) {
  struct Case {
    std::string variant;
    std::string message;  // contained in the exception's text
  } const cases[] = {
      {"sample_no_symbol", "plugin"},
      {"sample_unresolved", "kavero_plugin_no_such_function"},
      {"sample_init_error", "sample: cannot start"},
      {"sample_init_throws", "sample: thrown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    const std::string file = install(c.variant, "sample.so", "plugins");
    RuntimeLog log;
    std::string what;
    zel::testing::capture_stderr([&] {
      try {
        run("They flew to New York.");
        ADD_FAILURE() << "no exception";
      } catch (const std::exception& e) {
        what = e.what();
      }
    });
    EXPECT_NE(what.find(c.message), std::string::npos) << what;
    EXPECT_TRUE(log.has("ERROR", "[PLUGIN]:Could not load " + file + ":" + what));
    document_.reset();
  }
}

TEST_F(PluginLoaderTest, ALookupTakesNoEngineMutex) {
  install("sample", "sample.so");
  std::shared_ptr<Engine> engine = make_engine();
  // A domain compiled on load looks up plugins while the engine mutex is
  // held; the lookup must not wait for it.
  std::unique_lock<std::mutex> held(*engine->get_mutex());
  std::future<bool> found = std::async(std::launch::async, [&] {
    return engine->get_plugin("sample") != nullptr;
  });
  const bool finished = found.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  held.unlock();
  EXPECT_TRUE(finished);
  EXPECT_TRUE(found.get());
}

}  // namespace
}  // namespace kavero
}  // namespace zel
