#include "language/abbreviation_expression.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exception.h"
#include "base/regex.h"
#include "language/runtime_log_testutil.h"
#include "base/scratch_folder_testutil.h"

namespace zel {
namespace kavero {
namespace core {
namespace {

using testing::RuntimeLog;
using testing::ScratchFolder;

TEST(AbbreviationExpression, ListAndUserCompanion) {
  ScratchFolder scratch;
  const std::string list =
      scratch.write("en.abbrev", "  Mr.\r\n# a comment\n\nb\\.c\n").string();
  scratch.write("en.abbrev.user", "Dr.");
  RuntimeLog log;
  const std::string expression = build_abbreviation_expression(list);
  EXPECT_EQ(expression, "Mr.|b\\.c|Dr.");
  EXPECT_TRUE(log.lines().empty());
  // Entries are expression fragments: their dots match any character.
  const Regex compiled = kav_regex(expression);
  EXPECT_TRUE(compiled.regex_match(std::string("Mrs")));
  EXPECT_TRUE(compiled.regex_match(std::string("b.c")));
  EXPECT_FALSE(compiled.regex_match(std::string("bxc")));
}

TEST(AbbreviationExpression, Lines) {
  struct Case {
    const char* what;
    std::string content;
    std::string expression;
  };
  const Case cases[] = {
      {"trimmed bytes", std::string("\t\f\v\x01 km \0\r\n", 11) + "cm\n", "km|cm"},
      {"other bytes stay", "\x0E" "m\x0E\n", "\x0E" "m\x0E"},
      {"inner blanks stay", "e. g.\n", "e. g."},
      {"neither sorted nor unique", "b\na\nb", "b|a|b"},
      {"comments only at the start", " # x\nx#y\n", "x#y"},
      {"only blanks", " \n\t\n\r\n", ""},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch;
    const std::string list = scratch.write("x.measure", c.content).string();
    EXPECT_EQ(generate_abbreviation_expression({list}), c.expression) << c.what;
  }
}

TEST(AbbreviationExpression, MissingAndUnreadableFiles) {
  ScratchFolder scratch;
  const std::string missing = (scratch.path() / "en.abbrev").string();
  scratch.write("en.abbrev.user", "Dr.\n");
  {
    RuntimeLog log;
    EXPECT_EQ(build_abbreviation_expression(missing), "Dr.");
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"WARNING Abbreviation file not found: " + missing});
  }
  {
    // The section was missing: no name at all.
    RuntimeLog log;
    EXPECT_EQ(build_abbreviation_expression(std::string()), "");
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"WARNING Abbreviation file not found: "});
  }
  {
    // A folder exists but cannot be read as a list; the lines of the other
    // files stay.
    const std::string folder = (scratch.path() / "folder").string();
    std::filesystem::create_directory(folder);
    const std::string first = scratch.write("a.abbrev", "a\n").string();
    const std::string last = scratch.write("c.abbrev", "c\n").string();
    RuntimeLog log;
    EXPECT_EQ(generate_abbreviation_expression({first, folder, last}), "a|c");
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"WARNING Could not load abbreviation file: " + folder});
  }
}

TEST(AbbreviationExpression, AnExpressionThatDoesNotCompile) {
  ScratchFolder scratch;
  const std::string list = scratch.write("en.abbrev", "Mr.\n(ab\n").string();
  const std::string user = scratch.write("en.abbrev.user", "Dr.\n").string();
  std::string library_message;
  try {
    Regex("Mr.|(ab|Dr.", false);
  } catch (const std::exception& e) {
    library_message = e.what();
  }
  ASSERT_FALSE(library_message.empty());
  try {
    build_abbreviation_expression(list);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    // The files, and the first line that does not compile on its own.
    EXPECT_EQ(std::string(e.what()),
              "Could not load regex pattern invalid expression: " + library_message +
                  "in [" + list + ", " + user + ", ] (" + list + ", line 2: (ab)");
  }
}

// Documents run the list's converted form (bracket classes rewritten), so
// that is the form checked at load: a line the raw expression library takes
// but the conversion refuses fails the load, naming its file and line,
// instead of failing every analysis later.
TEST(AbbreviationExpression, TheFormDocumentsRunIsChecked) {
  struct Case {
    const char* user_line;
    std::string fault;
  } const cases[] = {
      {"No]\\.", "invalid expression ] need to be escaped."},
      {"[z-a]x", "begin range is bigger then the end range."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user_line);
    ScratchFolder scratch;
    const std::string list = scratch.write("en.abbrev", "Mr\\.\n").string();
    const std::string user =
        scratch.write("en.abbrev.user", std::string("# mine\n") + c.user_line + "\n").string();
    try {
      build_abbreviation_expression(list);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()),
                "Could not load regex pattern invalid expression: " + c.fault + "in [" + list +
                    ", " + user + ", ] (" + user + ", line 2: " + c.user_line + ")");
    }
  }
  // A class the conversion takes loads.
  ScratchFolder scratch;
  const std::string list = scratch.write("en.abbrev", "[A-Z]r\\.\n").string();
  EXPECT_EQ(build_abbreviation_expression(list), "[A-Z]r\\.");
}

}  // namespace
}  // namespace core
}  // namespace kavero
}  // namespace zel
