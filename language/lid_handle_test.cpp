#include "language/lid_handle.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "base/exception.h"
#include "base/fatal_exception.h"
#include "base/options.h"
#include "language/lid_testutil.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::lid_test_engine;

TEST(LidHandle, AnswersWhatItsIdentifierAnswers) {
  auto engine = lid_test_engine();
  const char* options = R"({"long_names": "false", "section_data": "true"})";
  auto handle = new Lid(engine.get(), convert_string_to_api_options(options));
  EXPECT_EQ(handle->ref_count, 1u);
  auto store = testing::lid_test_store(*engine, options);

  const std::string texts[] = {
      "",
      "Der Tag war gut, und die Welt ist heute nicht mehr wie sie war.",
      "The people said that the house was good.\n\nDer Tag war gut, und die Welt ist heute.",
      "the \xC3",
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(handle->lid(text.data(), text.size()),
              store->identify_language(text.data(), text.size()).language)
        << text;
    EXPECT_EQ(handle->language_sections(text.data(), text.size()),
              store->identify_language_sections(text.data(), text.size()))
        << text;
  }
  EXPECT_EQ(handle->lid(texts[1].data(), texts[1].size()), "DE");
  // The handle outlives the engine handle it was made from.
  engine.reset();
  EXPECT_EQ(handle->lid(texts[1].data(), texts[1].size()), "DE");
  EXPECT_EQ(handle->dec_ref(), 0u);
}

TEST(LidHandle, NoHandleWithoutIdentificationData) {
  testing::ScratchFolder scratch;
  Engine engine(convert_string_to_api_options(
      nlohmann::json{{"root_path", scratch.path().string()}, {"morvik", scratch.path().string()}}
          .dump()));
  try {
    Lid handle(&engine, nullptr);
    ADD_FAILURE() << "a handle without data";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Could not load language identification data. [lid.fst]");
  }
  // A bad option fails the same way.
  auto data_engine = lid_test_engine();
  EXPECT_THROW(Lid(data_engine.get(), convert_string_to_api_options(R"({"default_language": "XX"})")),
               Exception);
}

TEST(FatalException, IsARuntimeErrorButNotTheCodeBasesException) {
  std::ostringstream message;
  message << "Lid engine " << "not initialized.";
  const FatalException error(message);
  message << " later";
  EXPECT_STREQ(error.what(), "Lid engine not initialized.");
  const std::runtime_error* runtime = &error;
  EXPECT_EQ(dynamic_cast<const Exception*>(runtime), nullptr);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
