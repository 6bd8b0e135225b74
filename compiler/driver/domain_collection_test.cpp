#include "compiler/driver/domain_collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error_message_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "language/test_language_testutil.h"
#include "matcher/compiled_domain_testutil.h"

namespace zel {
namespace {

class DomainCollection : public ::testing::Test {
 protected:
  DomainCollection()
      : engine({{"morvik", zel::testing::test_language_folder().string()}}),
        a(write("a")),
        b(write("b")) {}

  std::string write(const std::string& name) {
    const std::string dom = folder.str(name + ".dom");
    kavero::testing::write_compiled_domain("concept " + name + "\n", dom);
    return dom;
  }
  uint32_t engine_references() const { return engine.handle()->ref_count; }

  zel::testing::ScratchFolder folder;
  omr::engine::Engine engine;
  const std::string a;
  const std::string b;
};

// Neither form calls the library for no names, so even an engine without
// a handle will do.
TEST_F(DomainCollection, NoNamesMakeNoCall) {
  const omr::engine::Engine none(nullptr, {});
  EXPECT_TRUE(make_domain_collection(none, std::vector<std::string>{}, {}).empty());
  EXPECT_TRUE(make_domain_collection(none, std::string(), {}).empty());
}

TEST_F(DomainCollection, OneElementPerNameInOrderWithItsName) {
  const omr::common::OptionMap options = {{"annotation_filter", ".*"}, {"name", "caller"}};
  const uint32_t before = engine_references();
  {
    const std::vector<omr::domain::Domain> domains =
        make_domain_collection(engine, std::vector<std::string>{b, a, b}, options);
    ASSERT_EQ(domains.size(), 3u);
    const char* const names[] = {"b", "a", "b"};
    for (size_t i = 0; i < domains.size(); ++i) {
      const omr::domain::Domain& domain = domains[i];
      EXPECT_EQ(domain.options, (omr::common::OptionMap{{"annotation_filter", ".*"},
                                                        {"name", folder.str(names[i]) + ".dom"}}));
      // Each element holds its own domain handle and one engine reference.
      EXPECT_NE(domain.handle(), nullptr);
      EXPECT_EQ(domain.handle()->ref_count, 1u);
      EXPECT_EQ(domain.engine.handle(), engine.handle());
    }
    EXPECT_NE(domains[0].handle(), domains[2].handle());
    EXPECT_EQ(engine_references(), before + 3);
  }
  EXPECT_EQ(engine_references(), before);
  EXPECT_EQ(options.at("name"), "caller");
}

TEST_F(DomainCollection, TheTextFormSplitsAtEveryComma) {
  const std::vector<omr::domain::Domain> domains = make_domain_collection(engine, a + "," + b, {});
  ASSERT_EQ(domains.size(), 2u);
  EXPECT_EQ(domains[0].options.at("name"), a);
  EXPECT_EQ(domains[1].options.at("name"), b);

  // Two commas in a row load an empty name between the two, which fails
  // as loading an empty name alone does.
  const std::string failed = zel::testing::message_of(
      [&] { make_domain_collection(engine, std::vector<std::string>{""}, {}); });
  EXPECT_NE(failed, "(no exception)");
  EXPECT_EQ(zel::testing::message_of([&] { make_domain_collection(engine, a + ",," + b, {}); }),
            failed);
  // Parts are not trimmed.
  EXPECT_NE(zel::testing::message_of([&] { make_domain_collection(engine, a + ", " + b, {}); }),
            "(no exception)");
}

// A failure at the third of five names returns nothing and releases the
// two domains loaded before it (and their engine references).
TEST_F(DomainCollection, AFailureReleasesWhatWasLoaded) {
  const uint32_t before = engine_references();
  const std::string missing = folder.str("missing.dom");
  EXPECT_THROW(make_domain_collection(engine, std::vector<std::string>{a, b, missing, a, b}, {}),
               std::exception);
  EXPECT_EQ(engine_references(), before);
}

}  // namespace
}  // namespace zel
