#include "core-afst/serialization.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <fst/fstlib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/output_capture_testutil.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/builder.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/word_lookup.h"

namespace zel {
namespace afst {
namespace serialization {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ContainerTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.str(name); }

  // A database with the record table.
  std::shared_ptr<sqlite3> open_db(const std::string& name = "test.dom") {
    auto db = open_file(path(name));
    EXPECT_TRUE(create_cbf_table(db.get()));
    return db;
  }

  static void store(sqlite3* db, const std::string& uri, const std::string& attributes,
                    const std::string& data) {
    store_binary_data(db, uri, attributes, data.data(), data.size());
  }

  static std::string data_of(sqlite3* db, const std::string& name) {
    const auto record = get_binary_data(db, name);
    return std::string(record.second.begin(), record.second.end());
  }

  // The (URI, attributes) rows a walk hands on, and whether it went through.
  static std::pair<bool, std::vector<std::string>> walk(const std::shared_ptr<sqlite3>& db,
                                                        const std::string& pattern) {
    std::vector<std::string> rows;
    const bool complete = foreach_rule(
        db,
        [&rows](const std::tuple<std::string, std::string>& row) {
          rows.push_back(std::get<0>(row) + "|" + std::get<1>(row));
          return false;  // not consulted
        },
        pattern);
    return {complete, rows};
  }

  static std::string exception_text(const std::function<void()>& f) {
    try {
      f();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(nothing raised)";
  }

  zel::testing::ScratchFolder dir_;
};

TEST_F(ContainerTest, TableIsCreatedOnceAndNamedExactly) {
  auto db = open_file(path("t.dom"));
  EXPECT_TRUE(fs::exists(path("t.dom")));
  EXPECT_FALSE(has_table(db.get(), "FILES"));
  EXPECT_FALSE(has_table(db.get(), "files_idx"));
  EXPECT_TRUE(create_cbf_table(db.get()));
  store(db.get(), "a", "", "1");
  EXPECT_TRUE(create_cbf_table(db.get()));  // again: nothing changes
  EXPECT_EQ(data_of(db.get(), "a"), "1");
  EXPECT_TRUE(has_table(db.get(), "FILES"));
  EXPECT_TRUE(has_table(db.get(), "files_idx"));
  EXPECT_FALSE(has_table(db.get(), "files"));
  EXPECT_FALSE(has_table(db.get(), "FILES' OR '1'='1"));
  EXPECT_FALSE(has_table(nullptr, "FILES"));
}

TEST_F(ContainerTest, StoredRecordsReadBack) {
  auto db = open_db();
  const std::string bytes("\0\x01\xff" "binary\0", 10);
  store(db.get(), "rule_1", "a=1;b=2", bytes);
  store(db.get(), "empty_attributes", "", "x");
  store(db.get(), "no_data", "k=v", "");
  store(db.get(), "it's \"quoted\"; DROP TABLE FILES;--", "q", "still here");

  auto record = get_binary_data(db.get(), "rule_1");
  EXPECT_EQ(record.first, "a=1;b=2");
  EXPECT_EQ(std::string(record.second.begin(), record.second.end()), bytes);

  record = get_binary_data(db.get(), "empty_attributes");
  EXPECT_EQ(record.first, "");
  EXPECT_EQ(data_of(db.get(), "empty_attributes"), "x");

  record = get_binary_data(db.get(), "no_data");
  EXPECT_EQ(record.first, "k=v");
  EXPECT_TRUE(record.second.empty());
  EXPECT_TRUE(has_binary_data(db.get(), "no_data"));

  EXPECT_EQ(data_of(db.get(), "it's \"quoted\"; DROP TABLE FILES;--"), "still here");
  EXPECT_TRUE(has_binary_data(db.get(), "it's \"quoted\"; DROP TABLE FILES;--"));
  EXPECT_TRUE(delete_binary_data(db.get(), "it's \"quoted\"; DROP TABLE FILES;--"));
  EXPECT_FALSE(has_binary_data(db.get(), "it's \"quoted\"; DROP TABLE FILES;--"));
  EXPECT_TRUE(has_table(db.get(), "FILES"));

  // Empty attribute texts are stored as texts, not as NULL.
  EXPECT_THAT(walk(db, "empty%").second, ElementsAre("empty_attributes|"));
}

TEST_F(ContainerTest, SecondStoreReplacesTheRecord) {
  auto db = open_db();
  store(db.get(), "token_encoder", "first", "one");
  store(db.get(), "token_encoder", "second", "two");
  const auto record = get_binary_data(db.get(), "token_encoder");
  EXPECT_EQ(record.first, "second");
  EXPECT_EQ(data_of(db.get(), "token_encoder"), "two");
  EXPECT_THAT(walk(db, "%").second, ElementsAre("token_encoder|second"));
}

// Names are looked up as they are: "_" and "%" are plain characters and
// letters keep their case.
TEST_F(ContainerTest, NamesAreExact) {
  auto db = open_db();
  store(db.get(), "TOKEN_ENCODER", "", "upper");
  store(db.get(), "tokenXencoder", "", "wildcard");
  store(db.get(), "100%", "", "percent");

  const struct {
    std::string name;
    bool found;
    std::string data;
  } cases[] = {
      {"token_encoder", false, ""},
      {"TOKEN_ENCODER", true, "upper"},
      {"token%", false, ""},
      {"tokenXencoder", true, "wildcard"},
      {"token_encode_", false, ""},
      {"100%", true, "percent"},
      {"100", false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(has_binary_data(db.get(), c.name), c.found);
    EXPECT_EQ(data_of(db.get(), c.name), c.data);
  }

  store(db.get(), "token_encoder", "", "lower");
  EXPECT_EQ(data_of(db.get(), "token_encoder"), "lower");
  EXPECT_EQ(data_of(db.get(), "TOKEN_ENCODER"), "upper");

  // Deleting one name leaves its look-alikes.
  EXPECT_TRUE(delete_binary_data(db.get(), "token_encoder"));
  EXPECT_TRUE(delete_binary_data(db.get(), "no such record"));
  EXPECT_THAT(walk(db, "%").second,
            ElementsAre("100%|", "TOKEN_ENCODER|", "tokenXencoder|"));
}

TEST_F(ContainerTest, LikeEscape) {
  EXPECT_EQ(like_escape(""), "");
  EXPECT_EQ(like_escape("rule_grammar_"), "rule\\_grammar\\_");
  EXPECT_EQ(like_escape("a%b\\c"), "a\\%b\\\\c");
  EXPECT_EQ(like_escape("plain:text"), "plain:text");
}

// The domain loader walks rule records by cluster; the compiler drops a
// source's old rules by its source key.
TEST_F(ContainerTest, PatternWalkAndDelete) {
  auto db = open_db();
  const std::vector<std::string> names = {
      "rule_grammar_ns_$DAZ:2_a.kav_rule:b",
      "rule_grammar_ns_$DAZ:2_a.kav_rule:a",
      "rule_grammarXns_$DAZ:2_a.kav_rule:c",  // "_" of the pattern is no wildcard
      "rule_Grammar_ns_$DAZ:2_a.kav_rule:d",  // letters keep their case
      "rule_entities_ns_$DAZ:3_b.kav_rule:e",
      "rule_grammar_ns_$DAZ:2Xa.kav_rule:f",
      "rule_grammar_no_rule_marker",
      "bitset_grammar_ns_$DAZ:2_a.kav_rule:a",
      "token_encoder",
  };
  for (const auto& name : names) store(db.get(), name, "n=" + name.substr(name.size() - 1), "x");

  const std::string grammar = like_escape("rule_grammar_") + "%rule:%";
  auto result = walk(db, grammar);
  EXPECT_TRUE(result.first);
  EXPECT_THAT(result.second, ElementsAre("rule_grammar_ns_$DAZ:2Xa.kav_rule:f|n=f",
                                         "rule_grammar_ns_$DAZ:2_a.kav_rule:a|n=a",
                                         "rule_grammar_ns_$DAZ:2_a.kav_rule:b|n=b"));

  result = walk(db, like_escape("rule_") + "%rule:%");
  EXPECT_EQ(result.second.size(), 6u);

  result = walk(db, like_escape("nothing_") + "%");
  EXPECT_TRUE(result.first);
  EXPECT_TRUE(result.second.empty());

  // Source key 2_a.kav_: its rules and bitsets in every cluster, not those
  // of 2Xa.kav_.
  EXPECT_TRUE(delete_binary_data_like(db.get(), "%" + like_escape("2_a.kav_") + "%rule:%"));
  EXPECT_THAT(walk(db, "%").second,
              ElementsAre("rule_entities_ns_$DAZ:3_b.kav_rule:e|n=e",
                          "rule_grammar_no_rule_marker|n=r",
                          "rule_grammar_ns_$DAZ:2Xa.kav_rule:f|n=f", "token_encoder|n=r"));

  // Literal "*", "?" and "[" in names and patterns.
  store(db.get(), "a*[b]?", "", "x");
  store(db.get(), "aZ[b]?", "", "x");
  EXPECT_THAT(walk(db, like_escape("a*[b]?")).second, ElementsAre("a*[b]?|"));
  EXPECT_THAT(walk(db, "a_[b]_").second, ElementsAre("a*[b]?|", "aZ[b]?|"));
}

TEST_F(ContainerTest, WalkHandsOnNullAttributesAsEmpty) {
  auto db = open_db();
  ASSERT_TRUE(sql_exec(db.get(), "INSERT INTO FILES VALUES ('rule_b', NULL, x'00');"));
  store(db.get(), "rule_a", "a", "x");
  EXPECT_THAT(walk(db, "rule%").second, ElementsAre("rule_a|a", "rule_b|"));
}

TEST_F(ContainerTest, WalkWithAnEmptyFunctionRaises) {
  auto db = open_db();
  store(db.get(), "rule_a", "", "x");
  EXPECT_THROW(foreach_rule(db, RecordFunction(), "%"), std::bad_function_call);
  // No row, no call.
  EXPECT_TRUE(foreach_rule(db, RecordFunction(), "none%"));
}

TEST_F(ContainerTest, WithoutTableOrConnectionNothingIsFound) {
  auto db = open_file(path("bare.dom"));
  EXPECT_FALSE(has_binary_data(db.get(), "a"));
  EXPECT_EQ(get_binary_data(db.get(), "a"), BinaryData());
  EXPECT_FALSE(delete_binary_data(db.get(), "a"));
  EXPECT_FALSE(delete_binary_data_like(db.get(), "a%"));
  EXPECT_EQ(walk(db, "%"), std::make_pair(false, std::vector<std::string>()));
  EXPECT_EQ(get_fsm(db, "a"), nullptr);
  EXPECT_THAT(exception_text([&] { store(db.get(), "a", "", "x"); }),
              StartsWith("prepare failed: no such table: FILES"));

  EXPECT_FALSE(has_binary_data(nullptr, "a"));
  EXPECT_EQ(get_binary_data(nullptr, "a"), BinaryData());
  EXPECT_FALSE(delete_binary_data(nullptr, "a"));
  EXPECT_FALSE(delete_binary_data_like(nullptr, "a"));
  EXPECT_FALSE(foreach_rule(nullptr, [](const auto&) { return true; }, "%"));
  EXPECT_EQ(get_fsm(nullptr, "a"), nullptr);
  EXPECT_EQ(exception_text([] { store(nullptr, "a", "", "x"); }), "database not loaded");
  EXPECT_EQ(exception_text([] { store_fsm(Transducer(), nullptr, "a", ""); }),
            "database not loaded");
}

TEST_F(ContainerTest, OpeningErrors) {
  const std::string missing_folder = path("no/such/folder/x.dom");
  const std::string text = exception_text([&] { open_file(missing_folder); });
  EXPECT_THAT(text, StartsWith("Can't open database " + missing_folder + ":"));
  EXPECT_EQ(text.back(), '\n');
  EXPECT_THROW(open_file(missing_folder), FileFormatException);

  // Opening for reading never creates the file.
  EXPECT_THAT(exception_text([&] { open_file_read(path("missing.dom")); }),
              StartsWith("Can't open database " + path("missing.dom") + ":"));
  EXPECT_THROW(open_file_read(fs::path(path("missing.dom"))), FileFormatException);
  EXPECT_FALSE(fs::exists(path("missing.dom")));
  EXPECT_THROW(open_shared_db_read(path("missing.dom")), FileFormatException);
  EXPECT_FALSE(fs::exists(path("missing.dom")));
}

TEST_F(ContainerTest, SharedConnections) {
  {
    auto db = open_shared_db(path("shared.dom"));
    ASSERT_TRUE(create_cbf_table(db.get()));
    store(db.get(), "a", "", "one");
  }
  auto db = open_shared_db_read(std::string(path("shared.dom")));
  EXPECT_EQ(data_of(db.get(), "a"), "one");
  store(db.get(), "b", "", "two");  // read-write, only not created
  EXPECT_EQ(data_of(db.get(), "b"), "two");
}

TEST_F(ContainerTest, ReadOnlyConnectionReadsButDoesNotStore) {
  {
    auto db = open_db("r.dom");
    store(db.get(), "a", "attr", "data");
  }
  auto db = open_file_read(path("r.dom"));
  EXPECT_EQ(data_of(db.get(), "a"), "data");
  EXPECT_TRUE(walk(db, "%").first);
  EXPECT_THAT(exception_text([&] { store(db.get(), "b", "", "x"); }),
              StartsWith("execution failed: attempt to write a readonly database"));
  EXPECT_FALSE(delete_binary_data(db.get(), "a"));
  EXPECT_EQ(data_of(db.get(), "a"), "data");
}

TEST_F(ContainerTest, FileThatIsNoDatabase) {
  {
    std::ofstream out(path("text.dom"));
    out << "This is a plain text file and certainly no database of any kind.\n";
  }
  for (auto db : {open_file(path("text.dom")), open_file_read(path("text.dom"))}) {
    EXPECT_FALSE(has_table(db.get(), "FILES"));
    EXPECT_FALSE(has_binary_data(db.get(), "a"));
    EXPECT_EQ(get_binary_data(db.get(), "a"), BinaryData());
    EXPECT_EQ(get_fsm(db, "a"), nullptr);
    EXPECT_FALSE(walk(db, "%").first);
    EXPECT_FALSE(delete_binary_data(db.get(), "a"));
    EXPECT_FALSE(create_cbf_table(db.get()));
    EXPECT_THAT(exception_text([&] { store(db.get(), "a", "", "x"); }),
                StartsWith("prepare failed: file is not a database"));
  }
}

TEST_F(ContainerTest, StatementsReportFailure) {
  auto db = open_db();
  std::string printed = zel::testing::capture_stdout(
      [&] { EXPECT_TRUE(sql_exec(db.get(), "SELECT 1 AS one, NULL AS none;")); });
  EXPECT_EQ(printed, "one = 1\nnone = NULL\n\n");
  EXPECT_FALSE(sql_exec(db.get(), "SELEC nonsense"));
  EXPECT_FALSE(sql_exec(nullptr, "SELECT 1;"));

  // The answer covers every statement, not only the last one run.
  EXPECT_FALSE(create_table(db.get(), "T", "CREATE TABL broken(x);",
                            "CREATE INDEX IF NOT EXISTS t_idx ON FILES(URI);"));
  EXPECT_TRUE(has_table(db.get(), "t_idx"));
  EXPECT_FALSE(create_table(db.get(), "T", "CREATE TABLE IF NOT EXISTS T(x);",
                            "CREATE INDEX broken ON nowhere(x);"));
  EXPECT_TRUE(create_table(db.get(), "U", "CREATE TABLE IF NOT EXISTS U(x);", ""));
  EXPECT_TRUE(has_table(db.get(), "U"));
}

// One connection of open_file serves several threads.
TEST_F(ContainerTest, StoresFromSeveralThreads) {
  auto db = open_db();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&db, t] {
      for (int i = 0; i < 25; ++i) {
        const std::string name = "entities_" + std::to_string(t) + "_" + std::to_string(i);
        store(db.get(), name, "", name);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  auto result = walk(db, like_escape("entities_") + "%");
  EXPECT_TRUE(result.first);
  EXPECT_EQ(result.second.size(), 100u);
  EXPECT_EQ(data_of(db.get(), "entities_3_24"), "entities_3_24");
}

// --- Transducers ------------------------------------------------------------

// A small transducer: "ab" to "x", with both symbol tables.
Transducer small_transducer() {
  Transducer t;
  fst::SymbolTable in("in"), out("out");
  in.AddSymbol("eps");
  in.AddSymbol("a");
  in.AddSymbol("b");
  out.AddSymbol("eps");
  out.AddSymbol("x");
  const auto s0 = t.AddState(), s1 = t.AddState(), s2 = t.AddState();
  t.SetStart(s0);
  t.AddArc(s0, fst::StdArc(1, 1, 0.5, s1));
  t.AddArc(s1, fst::StdArc(2, 0, 0, s2));
  t.SetFinal(s2, 0);
  t.SetInputSymbols(&in);
  t.SetOutputSymbols(&out);
  return t;
}

TEST_F(ContainerTest, TransducerRoundTrip) {
  auto db = open_db();
  const Transducer stored = small_transducer();
  store_fsm(stored, db, "rule_1", "kind=test");

  const auto read = get_fsm(db, "rule_1");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(fst::Equal(stored, *read));
  ASSERT_NE(read->InputSymbols(), nullptr);
  ASSERT_NE(read->OutputSymbols(), nullptr);
  EXPECT_EQ(read->InputSymbols()->Find(2), "b");
  EXPECT_EQ(read->OutputSymbols()->Find(1), "x");

  const auto with_attributes = get_fsm_attr(db, "rule_1");
  EXPECT_EQ(with_attributes.first, "kind=test");
  ASSERT_NE(with_attributes.second, nullptr);
  EXPECT_TRUE(fst::Equal(stored, *with_attributes.second));

  // The record is the library's own binary form, nothing around it.
  std::ostringstream bytes;
  stored.Write(bytes, fst::FstWriteOptions());
  EXPECT_EQ(data_of(db.get(), "rule_1"), bytes.str());

  // Exact names here too.
  EXPECT_EQ(get_fsm(db, "rule%"), nullptr);
  EXPECT_EQ(get_fsm(db, "RULE_1"), nullptr);
}

// A lexicon stored and read back answers as the one stored.
TEST_F(ContainerTest, StoredLexiconAnswersTheSameLookups) {
  std::istringstream entries(
      "Haus:Haus[+Nn-Sg][+Neut]\n"
      "Haus:Haus[+Nn-Pl][+Neut]\n"
      "Häuser:Haus[+Nn-Pl][+Neut]\n"
      "new york:NewYork[+City]\n"
      "new york city:NewYorkCity[+City]\n");
  const auto stored = build_lexicon(entries, "test");
  auto db = open_db();
  store_fsm(*stored, db, "entities_literal", "");
  db.reset();

  auto reader = open_file_read(path("test.dom"));
  auto read = get_fsm(reader, "entities_literal");
  ASSERT_NE(read, nullptr);
  WordLookup before(stored, nullptr);
  WordLookup after(read, nullptr);
  for (const std::string word : {"Haus", "Häuser", "Hau", "new york", "Paris"}) {
    SCOPED_TRACE(word);
    EXPECT_EQ(after.up(word), before.up(word));
  }
  EXPECT_THAT(after.up("Haus"), ElementsAre("Haus+Nn-Pl+Neut", "Haus+Nn-Sg+Neut"));
  const std::string text = "new york city hall";
  const auto end = text.data() + text.size();
  EXPECT_EQ(after.up(text.data(), end, WordLookup::end_on_space()),
            before.up(text.data(), end, WordLookup::end_on_space()));
  EXPECT_EQ(after.up(text.data(), end, WordLookup::end_on_space()).size(), 2u);
}

TEST_F(ContainerTest, BuilderNetworksAreStoredOptimised) {
  auto builder = std::make_shared<Builder>();
  for (const std::string word : {"ab", "ac"}) {
    builder->open_rule();
    for (char c : word) builder->pushArc(std::string(1, c));
    builder->pushArc("eps", "+X");
    builder->close_rule();
  }
  builder->applyUnion(0);
  auto db = open_db();
  store_fsm(builder, db, "rule_1", AttributeList{{"kind", "rule"}, {"id", "1"}});
  store_fsm(builder, db, "rule_2", AttributeList{});
  store_fsm(builder, db, "rule_3", "plain=text");

  EXPECT_EQ(get_binary_data(db.get(), "rule_1").first, "kind=rule;id=1");
  EXPECT_EQ(get_binary_data(db.get(), "rule_2").first, "");
  const auto record = get_fsm_attr(db, "rule_3");
  EXPECT_EQ(record.first, "plain=text");
  ASSERT_NE(record.second, nullptr);
  WordLookup lookup(record.second, nullptr);
  EXPECT_THAT(lookup.up("ab"), ElementsAre("ab+X"));
  EXPECT_THAT(lookup.up("ac"), ElementsAre("ac+X"));
  // Determinised: one arc leaves the start state.
  EXPECT_EQ(record.second->NumArcs(record.second->Start()), 1u);

  EXPECT_EQ(exception_text([&] { store_fsm(builder, nullptr, "rule_4", ""); }),
            "database not loaded");
  EXPECT_THROW(store_fsm(std::shared_ptr<Builder>(), db, "rule_5", ""), std::invalid_argument);
}

TEST_F(ContainerTest, RecordsThatAreNoTransducer) {
  auto db = open_db();
  store(db.get(), "text", "a=1", "this is no transducer at all, only text");
  store(db.get(), "empty", "a=2", "");
  const std::string output = zel::testing::capture_stdout([&] {
    const std::string errors = zel::testing::capture_stderr([&] {
      EXPECT_EQ(get_fsm(db, "text"), nullptr);
      EXPECT_EQ(get_fsm(db, "empty"), nullptr);
      EXPECT_EQ(get_fsm(db, "missing"), nullptr);
      const auto record = get_fsm_attr(db, "text");
      EXPECT_EQ(record.first, "a=1");
      EXPECT_EQ(record.second, nullptr);
    });
    EXPECT_EQ(errors, "");
  });
  EXPECT_EQ(output, "");
}

TEST_F(ContainerTest, DamagedTransducersAreNoTransducers) {
  auto db = open_db();
  std::ostringstream written;
  small_transducer().Write(written, fst::FstWriteOptions());
  const std::string sound = written.str();

  // The last state (weight and arc count, 12 bytes) follows the next state
  // of the last arc: an arc to a state the transducer does not have.
  std::string damaged = sound;
  damaged[damaged.size() - 12 - 4] = 7;
  store(db.get(), "damaged", "", damaged);
  EXPECT_EQ(get_fsm(db, "damaged"), nullptr);
  // A state count far past the record's bytes.
  std::string counted = sound;
  const std::size_t state_count = 4 + 4 + 6 + 4 + 8 + 4 + 4 + 8 + 8;
  counted[state_count + 5] = 0x7F;
  store(db.get(), "counted", "", counted);
  EXPECT_EQ(get_fsm(db, "counted"), nullptr);

  // Transducers over plain ids, without tables, still read.
  Transducer bare = small_transducer();
  bare.SetInputSymbols(nullptr);
  bare.SetOutputSymbols(nullptr);
  store_fsm(bare, db, "bare", "");
  const auto read = get_fsm(db, "bare");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(fst::Equal(bare, *read));
  EXPECT_EQ(read->InputSymbols(), nullptr);
}

// --- Objects ------------------------------------------------------------------

struct Words {
  std::vector<std::string> words;
  void ostream(std::ostream& out) const {
    for (const auto& w : words) out << w << ' ';
  }
  void istream(std::istream& in) {
    std::string w;
    while (in >> w) words.push_back(w);
  }
};

TEST_F(ContainerTest, ObjectsRoundTrip) {
  auto db = open_db();
  store_object(db.get(), "uniq_words", Words{{"alpha", "beta"}}, "ignored");
  EXPECT_EQ(get_binary_data(db.get(), "uniq_words").first, "");
  EXPECT_THAT(get_object<Words>(db.get(), "uniq_words").words, ElementsAre("alpha", "beta"));
  EXPECT_TRUE(get_object<Words>(db.get(), "uniq_missing").words.empty());
  EXPECT_TRUE(get_object<Words>(nullptr, "uniq_words").words.empty());
  EXPECT_THROW(store_object(nullptr, "x", Words{}, ""), std::runtime_error);
}

}  // namespace
}  // namespace serialization
}  // namespace afst
}  // namespace zel
