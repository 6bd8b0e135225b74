#include "compiler/parser/lexicon_entry_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/parser/action_testutil.h"

namespace zel {
namespace compiler {
namespace parser {
namespace action {
namespace {

class LexiconEntryActions : public ActionTest {};

const char kAnyTokenWarning[] = "warning:4:0:16: '(.)*' will be replaced with (.)+ ";

TEST_F(LexiconEntryActions, SpecialEntriesAreRewritten) {
  struct Case {
    std::string entry;
    std::string rewritten;
    bool any_token_warning;
  };
  const Case cases[] = {
      {"a (b|c)+ d", "a ((b|c)+ )d", false},
      {"a (bb|c)+ d", "a ((bb|c) )+d", false},
      {"a (bb|c)+", "a( (bb|c))+", false},
      {"a (bb|c){2,3}", "a( (bb|c)){2,3}", false},
      {"a (xy)+ d", "a (xy )+d", false},
      {"x (.)* y", "x ((.)+ )y", true},
      {"(b|c)+ d", "((b|c)+ )d", false},
      {"a (b|c)", "a (b|c)", false},
      // The group after a group that took its blank stays.
      {"(b|c)+ (d|e)+", "((b|c)+ )(d|e)+", false},
      {"(.)*", "(.)+", true},
      {"<>", "(.)+", false},
      {"x<>y", "x(.)+y", false},
      {"a <> b", "a ((.)+ )b", false},
      {"New York", "New York", false},
      // An unclosed group, and a part of two groups: the entry stays.
      {"x (ab c", "x (ab c", false},
      {"(a)(b)+ c", "(a)(b)+ c", false},
      // A "{" without "}" is no closure.
      {"(ab){2 c", "(ab){2 c", false},
      // Raw entries are not rewritten.
      {"\"\"\"a (b|c)+ d\"\"\"", "\"\"\"a (b|c)+ d\"\"\"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    clear_reported();
    std::string entry = c.entry;
    replace_special_entries(entry, 4);
    EXPECT_EQ(entry, c.rewritten);
    if (c.any_token_warning) {
      EXPECT_EQ(describe(reported()), std::vector<std::string>{kAnyTokenWarning});
    } else {
      EXPECT_TRUE(reported().empty());
    }
  }
}

TEST_F(LexiconEntryActions, Splitting) {
  struct Case {
    std::string entry;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {"a b", {"a", "b"}},
      {"a  b", {"a", "", "b"}},
      {"a ", {"a", ""}},
      {"", {""}},
      {"a (b c)+ d", {"a", "(b c)+", "d"}},
      {"(b c){1,2} d", {"(b c){1,2}", "d"}},
      {"x(b c) d", {"x(b", "c)", "d"}},
      {"(a)(b c) d", {"(a)(b", "c)", "d"}},
      {"(a [ )] b) c", {"(a [ )] b)", "c"}},
      {"(a b", {"(a b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(split_lexicon_entry(c.entry), c.parts) << c.entry;
  }
}

TEST_F(LexiconEntryActions, LineFeedsAndTabs) {
  struct Case {
    std::string entry;
    std::vector<std::string> reports;
  };
  const std::string line_feed =
      "error:2:0:0:Lexicon entry has carriage returns, did you forgot "
      "the ','? ";
  const std::string tab =
      "warning:2:0:0:Lexicon entry has some tabs in the "
      "entry, replace them with spaces.";
  const Case cases[] = {
      {"a\nb\nc", {line_feed, line_feed}},
      {"a\tb", {tab}},
      {"a\nb\tc", {line_feed, tab}},
      {"ab\t", {}},
      {"ab\n", {}},
      {"\n", {}},
      {"ab", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    clear_reported();
    source("lexicon:{\n" + c.entry + "\n};");
    check_lexicon_carriage_return(range_of(c.entry), c.entry);
    EXPECT_EQ(describe(reported()), c.reports);
  }
}

TEST_F(LexiconEntryActions, CheckLexiconEntry) {
  struct Case {
    std::string written;
    bool raw_option;
    std::string entry;
    std::vector<std::string> reports;
  };
  const Case cases[] = {
      {"  a (b|c)+ d ", false, "a ((b|c)+ )d", {}},
      {"  a (b|c)+ d ", true, "a (b|c)+ d", {}},
      {"x   (.)* y", true, "x (.)* y", {}},
      {"x (.)* y", false, "x ((.)+ )y", {"warning:3:0:16: '(.)*' will be replaced with (.)+ "}},
      {"\"\"\"a (b|c)+\"\"\"", false, "\"\"\"a (b|c)+\"\"\"", {}},
      {"caf\\u00e9", false, "caf\xC3\xA9", {}},
      // An invalid escape is warned about with code 0, and then line feeds
      // are not looked at.
      {"a\\qb\nc",
       false,
       "aqb\nc",
       {"warning:3:0:0:Invalid escaped character [0x71(q)] in 'a\\qb\nc'"}},
      {"a\nb",
       false,
       "a\nb",
       {"error:3:0:0:Lexicon entry has carriage returns, did you forgot the "
        "','? "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    clear_reported();
    blackboard_.raw_lexicon_entries = c.raw_option;
    source("lexicon:{\n\n" + c.written + "};");
    std::string entry = c.written;
    EXPECT_TRUE(check_lexicon_entry(range_of(c.written), entry));
    EXPECT_EQ(entry, c.entry);
    EXPECT_EQ(describe(reported()), c.reports);
  }
  // An empty range is accepted as it is.
  std::string entry = "  a  ";
  EXPECT_TRUE(check_lexicon_entry(range(0, 0), entry));
  EXPECT_EQ(entry, "  a  ");
}

TEST_F(LexiconEntryActions, LiteralsWarnAboutInvalidEscapes) {
  source("rule:{\n\t<\"a\\qb\">, lexicon \"x\\wy\" };");
  std::string token = "a\\qb";
  EXPECT_TRUE(cleanup_location_token_entry(range_of("\"a\\qb\""), token));
  EXPECT_EQ(token, "aqb");
  std::string entry = "x\\wy";
  EXPECT_TRUE(cleanup_location_lexicon_entry(range_of("x\\wy"), entry));
  EXPECT_EQ(entry, "xwy");
  EXPECT_EQ(
      describe(reported()),
      (std::vector<std::string>{"warning:2:6:64:Invalid escaped character [0x71(q)] in '\"a\\qb\"'",
                                "warning:2:0:64:Invalid escaped character [0x77(w)] in 'x\\wy'"}));

  // Kept escapes differ: quotes and "=" stay escaped in a token literal,
  // "=" does not in a lexicon entry.
  clear_reported();
  source("x");
  std::string quoted = " \\\"a\\=b\\. ";
  EXPECT_TRUE(cleanup_location_token_entry(range(0, 1), quoted));
  EXPECT_EQ(quoted, "\\\"a\\=b\\.");
  quoted = " \\\"a\\=b\\. ";
  EXPECT_TRUE(cleanup_location_lexicon_entry(range(0, 1), quoted));
  EXPECT_EQ(quoted, "\\\"a=b\\.");
  EXPECT_EQ(reported().size(), 1u);

  // Masked: the warning is dropped.
  clear_reported();
  blackboard_.error_code_mask = 0;
  std::string masked = "a\\qb";
  EXPECT_TRUE(cleanup_location_token_entry(range(0, 1), masked));
  EXPECT_TRUE(reported().empty());
}

TEST_F(LexiconEntryActions, UnreadableEscapesAreErrorsNotExceptions) {
  // Escapes the reader cannot read at all: too few digits, a code point
  // UTF-8 cannot encode.
  const std::string too_few = "Invalid unicode escape sequence. \\\\u requires 4 digits\n context:";
  source("rule:{\n  <\"a\\u12\">, \"b\\U0000D800\" };");
  std::string token = " a\\u12 ";
  EXPECT_TRUE(cleanup_location_token_entry(range_of("\"a\\u12\""), token));
  EXPECT_EQ(token, "a\\u12");
  std::string entry = "b\\U0000D800";
  EXPECT_TRUE(cleanup_location_lexicon_entry(range_of("b\\U0000D800"), entry));
  EXPECT_EQ(entry, "b\\U0000D800");
  const auto reports = describe(reported());
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "error:2:4:0:" + too_few);
  EXPECT_EQ(reports[1].rfind("error:2:0:0:", 0), 0u) << reports[1];

  clear_reported();
  source("lexicon:{\n caf\\u12 (b|c)+ d };");
  std::string written = " caf\\u12 (b|c)+ d ";
  EXPECT_TRUE(check_lexicon_entry(range_of(written), written));
  EXPECT_EQ(written, "caf\\u12 (b|c)+ d");
  EXPECT_EQ(describe(reported()), std::vector<std::string>{"error:2:0:0:" + too_few});

  clear_reported();
  std::string decorator = " a\\u1 ";
  EXPECT_EQ(on_decorator(decorator), "a\\u1");
  EXPECT_EQ(describe(reported()), std::vector<std::string>{"error:0:0:0:" + too_few});
}

TEST_F(LexiconEntryActions, DecoratorValues) {
  std::string value = "  a \\u00e9   b\\. ";
  EXPECT_EQ(on_decorator(value), "a \xC3\xA9 b\\.");
  EXPECT_EQ(value, "a \xC3\xA9 b\\.");
}

}  // namespace
}  // namespace action
}  // namespace parser
}  // namespace compiler
}  // namespace zel
