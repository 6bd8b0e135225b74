#include "compiler/driver/lexicon_change_detector.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/input_pool.h"
#include "compiler/backend/result_store_testutil.h"
#include "compiler/backend/string_string_map.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/source_parser.h"
#include "core-afst/serialization.h"

namespace zel {
namespace compiler {
namespace {

namespace ser = afst::serialization;
namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Compilation;
using testing::record_data;
using testing::record_names;

// MurmurHash64A with the seed 0xc70f6907, written apart from the library's
// so that the two check each other.
uint64_t murmur(const std::string& text) {
  const uint64_t m = 0xc6a4a7935bd1e995ULL;
  uint64_t h = 0xc70f6907ULL ^ (text.size() * m);
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t k = 0;
    std::memcpy(&k, text.data() + i, 8);  // the machine is little-endian
    k *= m;
    k ^= k >> 47;
    k *= m;
    h ^= k;
    h *= m;
  }
  if (i < text.size()) {
    uint64_t k = 0;
    std::memcpy(&k, text.data() + i, text.size() - i);
    h ^= k;
    h *= m;
  }
  h ^= h >> 47;
  h *= m;
  h ^= h >> 47;
  return h;
}

std::string field(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

ast::node::Root parse(Compilation& compilation, const std::string& text) {
  ParseResult parsed = parse_kavero_source(compilation.blackboard, text, "t.kav", nullptr);
  EXPECT_TRUE(parsed.ok) << text;
  return parsed.root;
}

ast::node::Lexicon first_lexicon(Compilation& compilation, const std::string& text) {
  ast::node::Root root = parse(compilation, text);
  for (const auto& statement : root.statements) {
    if (const auto* lexicon = boost::get<ast::node::Lexicon>(&statement)) return *lexicon;
  }
  ADD_FAILURE() << "no lexicon in " << text;
  return {};
}

TEST(LexiconHasher, MurmurOfThisMachineMatchesTheStandardStringHash) {
#if defined(__GLIBCXX__) && UINTPTR_MAX == UINT64_MAX
  // The GNU library's string hash is the same function with the same seed.
  for (const std::string text : {"", "a", "literal", "12345678", "123456789", "New York City"}) {
    EXPECT_EQ(murmur(text), std::hash<std::string>()(text)) << text;
    EXPECT_EQ(string_hash(text), murmur(text)) << text;
  }
#endif
  // Worked by hand: an empty text leaves the seed, which is below 2^47.
  EXPECT_EQ(murmur(""), (0xc70f6907ULL * 0xc6a4a7935bd1e995ULL) ^
                            ((0xc70f6907ULL * 0xc6a4a7935bd1e995ULL) >> 47));
}

TEST(LexiconHasher, HashesEveryEntryWithItsStreamAnnotationAttributesAndSecondText) {
  Compilation compilation;
  const ast::node::Lexicon lexicon = first_lexicon(
      compilation, "lexicon:(input=\"stem\"){ go, walk: walking } = Motion@(kind=\"verb\");");
  ASSERT_EQ(lexicon.entries.size(), 2u);
  ASSERT_EQ(lexicon.entries[1].secondary, "walking");
  const std::string shared =
      field("stem") + field("Motion") + field("1") + field("kind") + field("\"verb\"");
  EXPECT_EQ(lexicon_hasher(lexicon), murmur(shared + field("go") + field("")) +
                                         murmur(shared + field("walk") + field("walking")));
  EXPECT_EQ(lexicon_input_stream(lexicon), "stem");
}

TEST(LexiconHasher, InputStreamNames) {
  Compilation compilation;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"lexicon:{ a } = Xy;", "literal"},
      {"lexicon:(input=\"literal\"){ a } = Xy;", "literal"},
      {"lexicon:(input=\"normalized_stem\"){ a } = Xy;", "normalized_stem"},
      // Filed as the lexicon build files them.
      {"lexicon:(input=\"lemma\"){ a } = Xy;", "stem"},
      {"lexicon:(input=\"normalized_lemma\"){ a } = Xy;", "normalized_stem"},
  };
  for (const auto& [source, stream] : cases) {
    EXPECT_EQ(lexicon_input_stream(first_lexicon(compilation, source)), stream) << source;
  }
  ast::node::Lexicon unquoted;
  unquoted.attributes = {{"input", "stem"}};
  EXPECT_EQ(lexicon_input_stream(unquoted), "stem");
}

TEST(HashInfoType, JsonForm) {
  HashInfoType hashes;
  std::ostringstream empty;
  hashes.ostream(empty);
  EXPECT_EQ(empty.str(), "{}");

  hashes["stem"] = 18446744073709551615ULL;
  hashes["literal"] = 7;
  std::ostringstream out;
  hashes.ostream(out);
  EXPECT_EQ(out.str(), R"({"literal":7,"stem":18446744073709551615})");

  std::ostringstream debug;
  debug << hashes;
  EXPECT_EQ(debug.str(), "literal:7;stem:18446744073709551615;");

  HashInfoType read;
  std::istringstream in(out.str());
  read.istream(in);
  EXPECT_EQ(read, hashes);

  // Valid JSON of another shape leaves the map as it was.
  for (const std::string text : {"[1,2]", R"({"a":"x"})", R"({"a":-1})", "null"}) {
    HashInfoType kept = hashes;
    std::istringstream other(text);
    kept.istream(other);
    EXPECT_EQ(kept, hashes) << text;
  }
  HashInfoType broken;
  std::istringstream not_json("{literal:");
  EXPECT_THROW(broken.istream(not_json), nlohmann::json::parse_error);
}

// Two build passes over one twin: what the detector of the second pass
// reports when each source path changes from `before` to `after`.
class DetectorPasses {
 public:
  DetectorPasses() { compilation.open_database(true); }

  // One detector pass over the sources (path, text), finalized.
  std::vector<std::string> pass(const std::vector<std::pair<std::string, std::string>>& sources) {
    auto detector = get_visitor_detect_incremental_changes(compilation.blackboard);
    for (const auto& [path, text] : sources) {
      const ast::node::Root root = parse(compilation, text);
      detector->open(path);
      detector->collect(root);
      detector->close(path);
    }
    detector->finalize();
    return detector->changed_lexicons();
  }

  std::vector<std::string> change(const std::string& before, const std::string& after) {
    pass({{"/s/a.kav", before}});
    return pass({{"/s/a.kav", after}});
  }

  Compilation compilation;
};

TEST(LexiconChangeDetector, WhatCountsAsAChange) {
  struct Case {
    const char* what;
    const char* before;
    const char* after;
    std::vector<std::string> changed;
  };
  const std::vector<Case> cases = {
      {"entries reordered", "lexicon:{ a, b, c } = XX;", "lexicon:{ c, a, b } = XX;", {}},
      {"statement moved", "lexicon:{ a } = XX;\nrule:{ <'q'> } = QQ;\nlexicon:{ b } = YY;",
       "lexicon:{ b } = YY;\nrule:{ <'q'> } = QQ;\nlexicon:{ a } = XX;", {}},
      {"statement moved into a namespace", "lexicon:{ a } = XX;\nlexicon:{ b } = YY;",
       "namespace n { lexicon:{ a } = XX; }\nlexicon:{ b } = YY;", {}},
      {"entry moved between statements of one annotation", "lexicon:{ a, b } = XX;\nlexicon:{ c } = XX;",
       "lexicon:{ a } = XX;\nlexicon:{ b, c } = XX;", {}},
      {"only a rule changed", "lexicon:{ a } = XX;\nrule:{ <'q'> } = QQ;",
       "lexicon:{ a } = XX;\nrule:{ <'r'> } = QQ;", {}},
      {"quoted and unquoted input, default literal",
       "lexicon:{ a } = XX;\nlexicon:(input=\"literal\"){ b } = XX;",
       "lexicon:(input=\"literal\"){ a, b } = XX;", {}},
      {"repeated entry", "lexicon:{ a, b } = XX;", "lexicon:{ a, b, a } = XX;",
       {"literal", "literal"}},
      {"assignment attribute", "lexicon:{ a } = XX@(k=\"1\");", "lexicon:{ a } = XX@(k=\"2\");",
       {"literal", "literal"}},
      {"annotation", "lexicon:{ a } = XX;", "lexicon:{ a } = YY;", {"literal", "literal"}},
      {"second text", "lexicon:{ a: one, b } = XX;", "lexicon:{ a: two, b } = XX;",
       {"literal", "literal"}},
      // A sum of separate hashes missed these two.
      {"second text moved to another entry", "lexicon:{ a: one, b } = XX;",
       "lexicon:{ a, b: one } = XX;", {"literal", "literal"}},
      {"entry moved to a statement of another annotation",
       "lexicon:{ a, b } = XX;\nlexicon:{ c } = YY;", "lexicon:{ a } = XX;\nlexicon:{ b, c } = YY;",
       {"literal", "literal"}},
      {"one stream of two", "lexicon:{ a } = XX;\nlexicon:(input=\"stem\"){ s } = XX;",
       "lexicon:{ a } = XX;\nlexicon:(input=\"stem\"){ t } = XX;", {"stem", "stem"}},
      {"a lemma lexicon counts as stem", "lexicon:(input=\"lemma\"){ s } = XX;",
       "lexicon:(input=\"lemma\"){ t } = XX;", {"stem", "stem"}},
      {"stream added", "lexicon:{ a } = XX;", "lexicon:{ a } = XX;\nlexicon:(input=\"stem\"){ s } = XX;",
       {"stem"}},
      {"every lexicon removed", "lexicon:{ a } = XX;\nlexicon:(input=\"stem\"){ s } = XX;",
       "rule:{ <'q'> } = QQ;", {"literal", "stem"}},
  };
  for (const Case& c : cases) {
    DetectorPasses passes;
    EXPECT_EQ(passes.change(c.before, c.after), c.changed) << c.what;
  }
}

TEST(LexiconChangeDetector, RecordsOnePerSourceInTheTwin) {
  DetectorPasses passes;
  // A first pass over a fresh twin reports every stream of every source.
  EXPECT_THAT(passes.pass({{"/s/a.kav", "lexicon:{ a } = XX;\nlexicon:(input=\"stem\"){ s } = XX;"},
                           {"/s/b.kav", "lexicon:(input=\"stem\"){ t } = XX;"},
                           {"/s/c.kav", "rule:{ <'q'> } = QQ;"}}),
              ElementsAre("literal", "stem", "stem"));
  const nlohmann::json a = nlohmann::json::parse(
      record_data(passes.compilation.twin(), "uniq_lexicon_hash/s/a.kav"));
  EXPECT_EQ(a.size(), 2u);
  EXPECT_TRUE(a.at("literal").is_number_unsigned());
  EXPECT_TRUE(a.at("stem").is_number_unsigned());
  // A source without lexicons and without a record changes nothing.
  EXPECT_EQ(record_data(passes.compilation.twin(), "uniq_lexicon_hash/s/c.kav"), "(none)");
  const std::string b = record_data(passes.compilation.twin(), "uniq_lexicon_hash/s/b.kav");

  // The "stem" lexicon of a changes: a's record is rewritten, b's is not;
  // removing every lexicon leaves {}.
  passes.compilation.open_database(false, 1700000000);
  EXPECT_THAT(passes.pass({{"/s/a.kav", "lexicon:{ a } = XX;\nlexicon:(input=\"stem\"){ u } = XX;"},
                           {"/s/b.kav", "lexicon:(input=\"stem\"){ t } = XX;"}}),
              ElementsAre("stem", "stem"));
  EXPECT_EQ(record_data(passes.compilation.twin(), "uniq_lexicon_hash/s/b.kav"), b);
  EXPECT_THAT(passes.pass({{"/s/a.kav", "rule:{ <'q'> } = QQ;"}}), ElementsAre("literal", "stem"));
  EXPECT_EQ(record_data(passes.compilation.twin(), "uniq_lexicon_hash/s/a.kav"), "{}");

  // A lexicon moved from b to a is reported by both; a source under a new
  // path reports all of its streams.
  passes.pass({{"/s/a.kav", "rule:{ <'q'> } = QQ;"}, {"/s/b.kav", "lexicon:{ m } = XX;"}});
  EXPECT_THAT(passes.pass({{"/s/a.kav", "lexicon:{ m } = XX;"}, {"/s/b.kav", "rule:{ <'q'> } = QQ;"}}),
              ElementsAre("literal", "literal"));
  EXPECT_THAT(passes.pass({{"/t/a.kav", "lexicon:{ m } = XX;"}}), ElementsAre("literal"));
}

TEST(LexiconChangeDetector, StoredDataThatIsNoJsonStopsThePass) {
  DetectorPasses passes;
  const std::string broken = "{literal";
  ser::store_binary_data(passes.compilation.blackboard.domain_database->twin_db().get(),
                         "uniq_lexicon_hash/s/a.kav", "", broken.data(), broken.size());
  auto detector = get_visitor_detect_incremental_changes(passes.compilation.blackboard);
  EXPECT_THROW(detector->open("/s/a.kav"), nlohmann::json::parse_error);
}

TEST(LexiconChangeDetector, WithoutADatabaseEverythingIsNew) {
  Compilation compilation;
  auto detector = get_visitor_detect_incremental_changes(compilation.blackboard);
  detector->open("/s/a.kav");
  detector->collect(parse(compilation, "lexicon:{ a } = XX;"));
  detector->close("/s/a.kav");
  detector->finalize();
  EXPECT_THAT(detector->changed_lexicons(), ElementsAre("literal"));
}

// The grammar puts no lexicon into a chain, but the walk reaches lexicons
// at any depth of namespaces and chains, and none elsewhere.
TEST(LexiconChangeDetector, LexiconsAreFoundInsideNamespacesAndChains) {
  Compilation compilation;
  ast::node::Lexicon stem;
  stem.attributes = {{"input", "\"stem\""}};
  stem.entries.push_back({"s", "", {}, boost::none});
  ast::node::Lexicon literal;
  literal.entries.push_back({"l", "", {}, boost::none});
  ast::node::PriorityGroup chain;
  chain.statements.push_back(stem);
  ast::node::Namespace inner;
  inner.name = "inner";
  inner.statements.push_back(chain);
  ast::node::Namespace outer;
  outer.name = "outer";
  outer.statements.push_back(inner);
  outer.statements.push_back(literal);
  ast::node::Root root;
  root.statements.push_back(outer);
  root.statements.push_back(ast::node::Instance());
  root.statements.push_back(ast::node::AnnotationDefinition());

  auto detector = get_visitor_detect_incremental_changes(compilation.blackboard);
  detector->open("/s/a.kav");
  detector->collect(root);
  detector->close("/s/a.kav");
  EXPECT_THAT(detector->changed_lexicons(), ElementsAre("literal", "stem"));
}

// --- detect_changes ---------------------------------------------------------

void set_time(const fs::path& path, fs::file_time_type time) { fs::last_write_time(path, time); }

TEST(DetectChanges, ComparesWriteTimesAtTheFileSystemsPrecision) {
  zel::testing::ScratchFolder folder;
  const fs::path dom = folder.write("d.dom", "x");
  const fs::path a = folder.write("a.kav", "rule:{ <'a'> } = AA;");
  const fs::path b = folder.write("b.kav", "rule:{ <'b'> } = BB;");
  InputPool pool;
  pool.add_file(a.string());
  pool.add_file(b.string());

  // All in one second: the domain at .100, the sources before it.
  const fs::file_time_type second =
      std::chrono::time_point_cast<std::chrono::seconds>(fs::file_time_type::clock::now());
  set_time(dom, second + std::chrono::milliseconds(100));
  set_time(a, second);
  set_time(b, second + std::chrono::milliseconds(100));
  EXPECT_FALSE(detect_changes(dom, pool));  // equal times are not newer

  // Edited in the same second after the domain was written.
  set_time(b, second + std::chrono::milliseconds(900));
  EXPECT_TRUE(detect_changes(dom, pool));

  // A missing domain: any existing input is newer; a missing input never.
  EXPECT_TRUE(detect_changes(folder.path() / "none.dom", pool));
  InputPool missing;
  missing.add_file(folder.str("gone.kav"));
  EXPECT_FALSE(detect_changes(folder.path() / "none.dom", missing));
  EXPECT_FALSE(detect_changes(dom, InputPool()));
}

// --- Gone sources -------------------------------------------------------------

// Builds sources from files of a scratch folder through the detector and
// the result store, as a build pass does.
class GoneSourceBuilds : public ::testing::Test {
 protected:
  void write(const std::string& name, const std::string& text) { compilation.folder.write(name, text); }

  void build(const std::vector<std::string>& names, bool full) {
    compilation.open_database(full, full ? -1 : 1700000000);
    auto detector = get_visitor_detect_incremental_changes(compilation.blackboard);
    auto store = compilation.store();
    for (const std::string& name : names) {
      const std::string path = compilation.folder.str(name);
      std::ifstream in(path);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const ast::node::Root root = parse(compilation, text);
      detector->open(path);
      detector->collect(root);
      detector->close(path);
      store->open(path);
      store->collect(root);
      store->close(path);
    }
    store->finalize();
    detector->finalize();
  }

  InputPool pool(const std::vector<std::string>& names) {
    InputPool inputs;
    for (const std::string& name : names) inputs.add_file(compilation.folder.str(name));
    return inputs;
  }

  // The records of the file whose names hold the text.
  std::vector<std::string> records_with(const std::string& file, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& name : record_names(file)) {
      if (name.find(text) != std::string::npos) found.push_back(name);
    }
    return found;
  }

  Compilation compilation;
};

TEST_F(GoneSourceBuilds, AGoneSourceLosesItsRulesHashesAndSettings) {
  write("a.kav", "rule:{ <'a'> } = AA;\nlexicon:{ x } = XX;");
  write("b.kav",
        "rule:{ <'b'> } = BB;\nlexicon:(input=\"stem\"){ y } = YY;\nlexicon:{ z } = ZZ;\n"
        "on Bee :{ scope=\"sentence\" };");
  write("c.kav", "rule:{ <'c'> } = CC;");
  build({"a.kav", "b.kav", "c.kav"}, true);
  const std::string b = compilation.folder.str("b.kav");
  ASSERT_EQ(records_with(compilation.dom(), "$DAZ:1_b.kav__l").size(), 2u);  // rule_ and bitset_
  ASSERT_NE(record_data(compilation.twin(), "uniq_source_definitions" + b), "(none)");
  compilation.close_database();

  // Nothing is gone while every source is an input, also under another
  // spelling of its path.
  compilation.open_database(false, 1700000000);
  InputPool spelled;
  spelled.add_file(compilation.folder.str("./a.kav"));
  spelled.add_file(compilation.folder.str("b.kav"));
  spelled.add_file(compilation.folder.str("c.kav"));
  const GoneSources none = forget_gone_sources(compilation.blackboard, spelled);
  EXPECT_THAT(none.paths, IsEmpty());
  EXPECT_THAT(none.streams, IsEmpty());

  fs::remove(b);
  const GoneSources gone = forget_gone_sources(compilation.blackboard, pool({"a.kav", "c.kav"}));
  EXPECT_THAT(gone.paths, ElementsAre(b));
  EXPECT_THAT(gone.streams, ElementsAre("literal", "stem"));
  compilation.close_database();

  EXPECT_THAT(records_with(compilation.dom(), "b.kav"), IsEmpty());
  EXPECT_EQ(records_with(compilation.dom(), "$DAZ:0_a.kav__l").size(), 2u);
  EXPECT_EQ(records_with(compilation.dom(), "$DAZ:2_c.kav__l").size(), 2u);
  EXPECT_THAT(records_with(compilation.twin(), "b.kav"), IsEmpty());
  EXPECT_EQ(record_data(compilation.twin(), "uniq_lexicon_hash" + compilation.folder.str("a.kav"))
                .front(),
            '{');
  const std::string map = record_data(compilation.twin(), "uniq_id_2_filename_map");
  EXPECT_EQ(map.find("b.kav"), std::string::npos) << map;
  EXPECT_NE(map.find("0_a.kav"), std::string::npos) << map;

  // The next build pass over what is left stores definitions without b.kav's.
  build({"a.kav", "c.kav"}, false);
  compilation.close_database();
  EXPECT_EQ(record_data(compilation.dom(), "uniq_concept_definitions"), "null");
}

TEST(ForgetGoneSources, NeedsTheBuildsDatabase) {
  Compilation compilation;
  EXPECT_THROW(forget_gone_sources(compilation.blackboard, InputPool()), Exception);
}

}  // namespace
}  // namespace compiler
}  // namespace zel
