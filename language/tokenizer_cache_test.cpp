#include "language/tokenizer_cache.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <unicode/rbbi.h>
#include <unicode/unistr.h>

#include "base/exception.h"
#include "base/output_capture_testutil.h"
#include "language/language_module.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace {

using testing::capture_stderr;
using testing::capture_stdout;
using testing::read_file;
using testing::RuntimeLog;
using testing::ScratchFolder;

// Words of letters get status 200, runs of digits 100; everything else
// breaks after each character with status 0.
constexpr char kRules[] =
    "!!chain;\n"
    "$Letter = [:L:];\n"
    "$Digit = [:Nd:];\n"
    "$Letter+ {200};\n"
    "$Digit+ {100};\n";

constexpr char kOtherRules[] =
    "!!chain;\n"
    "$Letter = [:L:];\n"
    "$Letter+ {300};\n";

using Segments = std::vector<std::pair<std::string, int>>;

// The text cut by the compiled rules, with each piece's rule status.
Segments segments(const uint8_t* rules, uint32_t size, const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  icu::RuleBasedBreakIterator iterator(rules, size, status);
  EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  if (U_FAILURE(status)) return {};
  const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  iterator.setText(unicode);
  Segments result;
  int32_t start = iterator.first();
  for (int32_t end = iterator.next(); end != icu::BreakIterator::DONE;
       start = end, end = iterator.next()) {
    std::string piece;
    unicode.tempSubStringBetween(start, end).toUTF8String(piece);
    result.emplace_back(piece, iterator.getRuleStatus());
  }
  return result;
}

Segments segments(const LanguageModuleData& data, const std::string& text) {
  return segments(data.rules, data.rules_size, text);
}

std::string bytes_of(const LanguageModuleData& data) {
  return std::string(reinterpret_cast<const char*>(data.rules), data.rules_size);
}

// Whether the cache file's content ends with the compiled rules.
bool holds_rules(const std::string& cache, const std::string& rules) {
  return !rules.empty() && cache.size() > rules.size() &&
         cache.compare(cache.size() - rules.size(), rules.size(), rules) == 0;
}

const Segments kSegmented = {{"ab", 200}, {" ", 0}, {"12", 100}};
const Segments kSegmentedByOther = {{"ab", 300}, {" ", 0}, {"1", 0}, {"2", 0}};

TEST(TokenizerCache, FirstCheckCompilesAndWritesTheCache) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  const std::string cache = rules.string() + "_cache";
  LanguageModuleData data;
  RuntimeLog log;
  std::string err;
  // The notice goes to standard error, never into a host's output.
  EXPECT_EQ(capture_stdout([&] {
              err = capture_stderr([&] { check_tokenizer_cache_file(rules, "english", data); });
            }),
            "");
  EXPECT_EQ(err, "Optimizing the english tokenizer file, this will take a while ...\n");
  EXPECT_TRUE(log.has("INFO", "[Tokenizer] Write cached : " + cache));
  ASSERT_NE(data.rules, nullptr);
  EXPECT_NE(data.rule_iterator, nullptr);
  EXPECT_FALSE(data.rules_owned);
  EXPECT_EQ(segments(data, "ab 12"), kSegmented);
  EXPECT_TRUE(holds_rules(read_file(cache), bytes_of(data)));
  // Only the rule file and its cache: no temporary file stays behind.
  EXPECT_EQ(folder.listing(), "en.tok en.tok_cache");
}

TEST(TokenizerCache, LaterChecksReadTheCacheSilently) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  const std::string cache = rules.string() + "_cache";
  {
    LanguageModuleData first;
    capture_stderr([&] { check_tokenizer_cache_file(rules, "english", first); });
  }
  const std::string written = read_file(cache);
  ASSERT_FALSE(written.empty());

  LanguageModuleData data;
  RuntimeLog log;
  EXPECT_EQ(capture_stderr([&] { check_tokenizer_cache_file(rules, "english", data); }),
            "");
  EXPECT_TRUE(data.rules_owned);
  EXPECT_EQ(data.rule_iterator, nullptr);
  EXPECT_TRUE(holds_rules(written, bytes_of(data)));
  EXPECT_EQ(segments(data, "ab 12"), kSegmented);
  EXPECT_TRUE(log.has("TRACE", "[Tokenizer] Read cached : " + cache));
  const std::vector<std::string> lines = log.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("TRACE [Tokenizer] Check : \"" + rules.string() + "\":", 0), 0u)
      << lines[0];
  EXPECT_NE(lines[0].find(" <= " + cache + ":"), std::string::npos) << lines[0];
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("Write cached"), std::string::npos) << line;
  }

  // The host's own preparation of a current cache only reads it.
  EXPECT_EQ(capture_stderr([&] { create_tokenizer_cache_file(rules.string()); }), "");
  EXPECT_EQ(read_file(cache), written);
}

TEST(TokenizerCache, AnUnusableCacheIsRebuilt) {
  struct Case {
    const char* what;
    std::string cache_content;
  };
  const Case cases[] = {
      {"garbage", std::string(5000, '\x5a')},
      {"empty", ""},
      {"cut short", "cut"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const auto rules = folder.write("en.tok", kRules);
    const auto cache = folder.write("en.tok_cache", c.cache_content);
    testing::shift_modification_time(cache, std::chrono::seconds(60));
    LanguageModuleData data;
    const std::string out =
        capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); });
    EXPECT_EQ(out, "Optimizing the en tokenizer file, this will take a while ...\n");
    EXPECT_FALSE(data.rules_owned);
    EXPECT_EQ(segments(data, "ab 12"), kSegmented);
    EXPECT_TRUE(holds_rules(read_file(cache), bytes_of(data)));
  }
}

TEST(TokenizerCache, AnEditedRuleFileOutdatesItsCache) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  {
    LanguageModuleData first;
    capture_stderr([&] { check_tokenizer_cache_file(rules, "en", first); });
  }
  // The cache was written a minute ago; the rule file is edited now.
  testing::shift_modification_time(rules.string() + "_cache",
                                   std::chrono::seconds(-60));
  folder.write("en.tok", kOtherRules);

  LanguageModuleData data;
  EXPECT_NE(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); }), "");
  EXPECT_EQ(segments(data, "ab 12"), kSegmentedByOther);

  // The rebuilt cache is current again: the next check reads it.
  LanguageModuleData again;
  EXPECT_EQ(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", again); }), "");
  EXPECT_TRUE(again.rules_owned);
  EXPECT_EQ(segments(again, "ab 12"), kSegmentedByOther);
}

TEST(TokenizerCache, TheRuleFilesContentNotItsTimeDecides) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  const std::string cache = rules.string() + "_cache";
  {
    LanguageModuleData first;
    capture_stderr([&] { check_tokenizer_cache_file(rules, "en", first); });
  }
  // Touched, but unchanged: the cache still serves.
  testing::shift_modification_time(rules, std::chrono::seconds(60));
  LanguageModuleData touched;
  EXPECT_EQ(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", touched); }), "");
  EXPECT_TRUE(touched.rules_owned);

  // Edited, and made to look older than the cache: rebuilt all the same.
  folder.write("en.tok", kOtherRules);
  testing::shift_modification_time(rules, std::chrono::seconds(-600));
  LanguageModuleData edited;
  RuntimeLog log;
  EXPECT_NE(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", edited); }), "");
  EXPECT_EQ(segments(edited, "ab 12"), kSegmentedByOther);
  EXPECT_TRUE(log.has("TRACE", "[Tokenizer] Rebuilding the cache file " + cache +
                                   ": it was made from another rule file"));
}

// Damaged cache files, made from the good one by seeded mutations: bytes
// changed anywhere (the header, the rules), the file cut short or grown.
// Every one is rebuilt; none reaches ICU (which would read out of bounds).
TEST(TokenizerCache, DamagedCacheFilesAreRebuiltNeverUsed) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  const std::string cache_path = rules.string() + "_cache";
  {
    LanguageModuleData first;
    capture_stderr([&] { check_tokenizer_cache_file(rules, "en", first); });
  }
  const std::string good = read_file(cache_path);
  ASSERT_GT(good.size(), 64u);

  for (uint32_t seed = 1; seed <= 80; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    auto below = [&](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    std::string damaged = good;
    switch (seed % 4) {
      case 0:  // one byte changed
        damaged[below(damaged.size())] ^= static_cast<char>(1 + below(255));
        break;
      case 1:  // several bytes changed, the first within the first 64
        damaged[below(64)] ^= static_cast<char>(1 + below(255));
        for (std::size_t n = 1 + below(8); n > 0; --n) {
          damaged[below(damaged.size())] = static_cast<char>(below(256));
        }
        break;
      case 2:  // cut short
        damaged.resize(below(damaged.size()));
        break;
      case 3:  // grown by random bytes
        for (std::size_t n = 1 + below(64); n > 0; --n) damaged += static_cast<char>(below(256));
        break;
    }
    if (damaged == good) continue;
    folder.write("en.tok_cache", damaged);
    LanguageModuleData data;
    EXPECT_NE(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); }), "");
    EXPECT_FALSE(data.rules_owned);
    EXPECT_EQ(segments(data, "ab 12"), kSegmented);
    EXPECT_EQ(read_file(cache_path), good);
  }
}

TEST(TokenizerCache, ACacheWithoutItsRuleFileIsStillUsed) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  {
    LanguageModuleData first;
    capture_stderr([&] { check_tokenizer_cache_file(rules, "en", first); });
  }
  std::filesystem::remove(rules);
  LanguageModuleData data;
  EXPECT_EQ(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); }), "");
  EXPECT_TRUE(data.rules_owned);
  EXPECT_EQ(segments(data, "ab 12"), kSegmented);
}

TEST(TokenizerCache, AnEmptyRuleFileGivesNoRules) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", "");
  LanguageModuleData data;
  EXPECT_EQ(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); }), "");
  EXPECT_EQ(data.rules, nullptr);
  EXPECT_EQ(data.rules_size, 0u);
  EXPECT_EQ(data.rule_iterator, nullptr);
  EXPECT_EQ(folder.listing(), "en.tok");
}

TEST(TokenizerCache, Errors) {
  ScratchFolder folder;
  const auto bad = folder.write("bad.tok", "$Letter = [:L:;\n$Letter+ {200};\n");
  const auto missing = folder.path() / "missing.tok";
  struct Case {
    std::filesystem::path rules;
    std::string message;  // the offset within the line is ICU's: not compared
  };
  const Case cases[] = {
      {missing, "Missing tokenizer file: [en] " + missing.string()},
      {"", "Missing tokenizer file: [en] "},
      {bad, "Loading regex parser :\n - file:" + bad.string() + "\n - line:1:"},
  };
  for (const Case& c : cases) {
    LanguageModuleData data;
    try {
      capture_stderr([&] { check_tokenizer_cache_file(c.rules, "en", data); });
      ADD_FAILURE() << "no error for " << c.rules;
    } catch (const Exception& e) {
      const std::string what = e.what();
      if (c.rules == bad) {
        EXPECT_EQ(what.substr(0, c.message.size()), c.message);
        EXPECT_GT(what.size(), c.message.size());
        EXPECT_EQ(what.find_first_not_of("0123456789", c.message.size()),
                  std::string::npos)
            << what;
      } else {
        EXPECT_EQ(what, c.message);
      }
    }
    EXPECT_EQ(data.rules, nullptr);
    EXPECT_EQ(data.rule_iterator, nullptr);
  }
  EXPECT_EQ(folder.listing(), "bad.tok");
}

TEST(TokenizerCache, AnEmptyPathNeverReadsACacheInTheWorkingFolder) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  {
    LanguageModuleData first;
    capture_stderr([&] { check_tokenizer_cache_file(rules, "en", first); });
  }
  std::filesystem::copy_file(rules.string() + "_cache", folder.path() / "_cache");
  testing::WorkingFolder here(folder.path());
  LanguageModuleData data;
  EXPECT_THROW(check_tokenizer_cache_file("", "en", data), Exception);
  EXPECT_EQ(data.rules, nullptr);
}

TEST(TokenizerCache, AnUnreadableCacheIsAnError) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  std::filesystem::create_directory(rules.string() + "_cache");
  LanguageModuleData data;
  try {
    check_tokenizer_cache_file(rules, "en", data);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "can not read tokenizer cache file." + rules.string() + "_cache");
  }
}

TEST(TokenizerCache, ACacheThatCannotBeWrittenOnlyWarns) {
  ScratchFolder folder;
  // The longest file name the file system takes: the cache file's name would
  // be longer, so it can never be created.
  const auto rules = folder.write(std::string(255 - 4, 'r') + ".tok", kRules);
  const std::string cache = rules.string() + "_cache";
  for (int load = 0; load < 2; ++load) {
    LanguageModuleData data;
    RuntimeLog log;
    EXPECT_NE(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); }), "");
    EXPECT_TRUE(log.has("WARNING", "[Tokenizer] Can not write cache file : " + cache));
    EXPECT_EQ(segments(data, "ab 12"), kSegmented);
  }
  EXPECT_EQ(folder.listing(), rules.filename().string());
}

TEST(TokenizerCache, ThePreparationOfAHostWritesTheCache) {
  ScratchFolder folder;
  const auto rules = folder.write("en.tok", kRules);
  EXPECT_EQ(capture_stderr([&] { create_tokenizer_cache_file(rules.string()); }),
            "Optimizing the en.tok tokenizer file, this will take a while ...\n");
  LanguageModuleData data;
  EXPECT_EQ(capture_stderr([&] { check_tokenizer_cache_file(rules, "en", data); }), "");
  EXPECT_TRUE(holds_rules(read_file(rules.string() + "_cache"), bytes_of(data)));
  EXPECT_EQ(segments(data, "ab 12"), kSegmented);
}

}  // namespace
}  // namespace kavero
}  // namespace zel
