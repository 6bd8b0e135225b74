// Engines and identifiers over the test identification network, for the
// tests and benchmarks of the language identifier (which define
// KAVERO_BINARY_DIR).
//
// The network is compiled at build time from language/testdata/morvik/
// lid.lexicon: a few dozen frequent words each of English, German, French
// and Dutch, each with its language code and a weight ("the:[EN100]"), some
// words in more than one language ("de", "in", "was").

#ifndef KAVERO_LANGUAGE_LID_TESTUTIL_H_
#define KAVERO_LANGUAGE_LID_TESTUTIL_H_

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "base/options.h"
#include "engine/engine.h"
#include "language/language_identifier.h"
#include "language/test_language_testutil.h"

namespace zel {
namespace testing {

// The resource folder that holds the compiled test network, "lid.fst".
inline std::string lid_test_folder() {
  return test_language_folder().string();
}

// An engine whose root and resource folder is lid_test_folder().
inline std::shared_ptr<kavero::Engine> lid_test_engine() {
  return std::make_shared<kavero::Engine>(convert_string_to_api_options(
      nlohmann::json{{"root_path", lid_test_folder()}, {"morvik", lid_test_folder()}}.dump()));
}

// A store of the engine for the options given as JSON text; a null text
// makes the store without an option set.
inline std::unique_ptr<lid::LIDStore> lid_test_store(kavero::Engine& engine,
                                                     const char* options) {
  return std::make_unique<lid::LIDStore>(
      &engine, options == nullptr ? nullptr : convert_string_to_api_options(options));
}

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LID_TESTUTIL_H_
