#include "matcher/compiled_domain_testutil.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include <fst/vector-fst.h>
#include <gtest/gtest.h>

#include "base/error_message_testutil.h"
#include "base/unicode.h"
#include "base/scratch_folder_testutil.h"
#include "core-afst/network_paths_testutil.h"
#include "core-afst/serialization.h"
#include "language/pos_table.h"

namespace zel {
namespace kavero {
namespace testing {
namespace {

namespace ser = zel::afst::serialization;
using zel::testing::ScratchFolder;

std::string data_text(const std::shared_ptr<sqlite3>& db, const std::string& name) {
  const ser::BinaryData record = ser::get_binary_data(db.get(), name);
  return std::string(record.second.begin(), record.second.end());
}

// Private-use command characters of the token encoder, made readable.
std::string readable(std::string text) {
  static const std::vector<std::pair<std::string, std::string>> names = {
      {"\xEE\xBC\x80", "<id>"},   {"\xEE\xBC\x81", "<lit>"},  {"\xEE\xBC\x82", "<stem>"},
      {"\xEE\xBC\x83", "<pos>"},  {"\xEE\xBC\x84", "<prop>"}, {"\xEE\xBC\x85", "<comp>"},
      {"\xEE\xBC\x86", "<head>"}, {"\xEE\xBC\x87", "<end>"},  {"\xEE\xBC\x88", "<root>"},
      {"\xEE\xBC\x89", "<len>"},
  };
  for (const auto& [from, to] : names) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), to);
    }
  }
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20) {
      out += "\\" + std::to_string(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::set<std::string> encoder_paths(const std::shared_ptr<sqlite3>& db) {
  auto encoder = ser::get_fsm(db, "token_encoder");
  if (encoder == nullptr) return {};
  std::set<std::string> out;
  for (const std::string& path : zel::testing::accepted_relations(*encoder, 40)) {
    out.insert(readable(path.substr(0, path.find(" ->"))));
  }
  return out;
}

// Arcs of a rule transducer as "from>to:label(text)" in stored order, and
// final states as "F<state>".
std::string arcs_of(const fst::StdVectorFst& t) {
  std::string out;
  for (int s = 0; s < t.NumStates(); ++s) {
    for (fst::ArcIterator<fst::StdVectorFst> it(t, s); !it.Done(); it.Next()) {
      const fst::StdArc& arc = it.Value();
      char label[16];
      snprintf(label, sizeof label, "%x", static_cast<unsigned>(arc.ilabel));
      // Only plain, ATT and PROP labels hold a symbol key.
      const unsigned kind = static_cast<unsigned>(arc.ilabel) & 0xFF000000u;
      std::string text;
      if (kind == 0 || kind == 0x50000000u || kind == 0xa0000000u) {
        text = t.InputSymbols()->Find(static_cast<unsigned>(arc.ilabel) & 0xFFFFFFu);
      }
      out += std::to_string(s) + ">" + std::to_string(arc.nextstate) + ":" + label + "(" + text +
             ") ";
    }
    if (t.Final(s) != fst::TropicalWeight::Zero()) out += "F" + std::to_string(s) + " ";
  }
  return out;
}

TEST(CompiledDomainWriter, MapsAndVersionDefaults) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain("", folder.path() / "empty.dom");
  auto db = ser::open_file_read(d.dom);
  EXPECT_EQ(data_text(db, "sdk_version"), "3.1.1");
  EXPECT_EQ(data_text(db, "uniq_concept_map"), "{}");
  EXPECT_EQ(data_text(db, "uniq_capture_map"), "{}");
  EXPECT_FALSE(ser::has_binary_data(db.get(), "token_encoder"));
  EXPECT_EQ(zel::testing::read_file(d.dom_info), "{}");
  EXPECT_EQ(d.dom_info, folder.path() / "empty.dom_info");
}

TEST(CompiledDomainWriter, CapturesAreNumberedInBothMaps) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain(
      "sdk_version 2.0.0 beta\n"
      "concept City $tmp\n"
      "capture Person City\n"
      "concept Person Town\n",
      folder.path() / "d.dom");
  auto db = ser::open_file_read(d.dom);
  EXPECT_EQ(data_text(db, "sdk_version"), "2.0.0 beta");
  EXPECT_EQ(data_text(db, "uniq_concept_map"), R"({"$tmp":2,"City":1,"Person":3,"Town":4})");
  EXPECT_EQ(data_text(db, "uniq_capture_map"), R"({"City":2,"Person":1})");
  EXPECT_EQ(ser::get_binary_data(db.get(), "uniq_concept_map").first, "");
}

TEST(CompiledDomainWriter, DefinitionsAreStoredInTheCompilersForm) {
  ScratchFolder folder;
  // on Person :{ scope = "names", trigger = kav::f(to="X"),
  //              attributes = (kind="human", id=7) };
  // on Person :{ trigger = [kav::a(x=1), kav::b] };
  const WrittenDomain d = write_compiled_domain(
      "definition Person\n"
      "  text scope \"names\"\n"
      "  call trigger kav::f to=\"X\"\n"
      "  pairs attributes kind=\"human\" id=7\n"
      "definition City\n"
      "  pairs attributes\n"
      "definition Person\n"
      "  calls trigger kav::a x=1 | kav::b\n",
      folder.path() / "d.dom");
  auto db = ser::open_file_read(d.dom);
  EXPECT_EQ(data_text(db, "uniq_concept_definitions"),
            R"({"City":[["attributes",{"array":[],"type":"AttributeCollection"}]],)"
            R"("Person":[["scope","\"names\""],)"
            R"(["trigger",{"attributes":[["to","\"X\""]],"function":"kav::f",)"
            R"("type":"AssignCaptureGroup"}],)"
            R"(["attributes",{"array":[["kind","\"human\""],["id","7"]],)"
            R"("type":"AttributeCollection"}],)"
            R"(["trigger",{"array":[{"attributes":[["x","1"]],"function":"kav::a",)"
            R"("type":"AssignCaptureGroup"},{"function":"kav::b","type":"AssignCaptureGroup"}],)"
            R"("type":"vector<AssignCaptureGroup>"}]]})");

  const WrittenDomain none = write_compiled_domain("", folder.path() / "none.dom");
  EXPECT_EQ(data_text(ser::open_file_read(none.dom), "uniq_concept_definitions"), "null");
}

TEST(CompiledDomainWriter, TokenEntriesFollowTheCompilersLabelOrder) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain(
      // [c'b' c'a' +x +w lemma'go' 'ab' length(2,4) pos'V'] and two more tokens
      "token 1 component=b component=a prop=x prop=w stem=go literal=ab length=2,4 pos=V\n"
      "token 2 pos=Nn-Pl head=h\n"
      "token 3 literal=\"a b\"\n"
      "token 4\n",
      folder.path() / "d.dom");
  auto db = ser::open_file_read(d.dom);
  const std::set<std::string> expected = {
      "<len>\\2\\4 <lit> a b <end> <stem> g o <end> <root>" +
          zel::string::from_uint(zel::language::pos_table::get_root_pos_id("V") >> 16) +
          " <prop>w <prop>x <comp> a <end> <comp> b <end> <id>1",
      "<pos> N n - P l <end> <head> h <end> <id>2",
      "<lit> a   b <end> <id>3",
  };
  EXPECT_EQ(encoder_paths(db), expected);
}

TEST(CompiledDomainWriter, EncoderPathsAreWrittenArcByArc) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain(
      "encoder_path {literal} a ?? :digit: {emit:7}\n"
      "encoder_path {length:2,4} {prop:cap} {root:1} {pos} N {end} {emit:9}\n",
      folder.path() / "d.dom");
  auto db = ser::open_file_read(d.dom);
  const std::set<std::string> expected = {
      "<lit> a ?? :digit: <id>7",
      "<len>\\2\\4 <prop>cap <root>\\1 <pos> N <end> <id>9",
  };
  EXPECT_EQ(encoder_paths(db), expected);
}

TEST(CompiledDomainWriter, RuleRecordsCarryTheCompilersNameAndAttributes) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain(
      "concept Person City\n"
      "capture X\n"
      // namespace people { X: [ 'be' ]; } on line 7 of people.kav
      "rule text=rule:X{sbes} ns=people src=k1_ line=7 debug=d/r/people.kav\n"
      "  path CAPBEG:X TK:1 CAPEND:X\n"
      // a chained rule on line 1234 with concepts, an attribute test, a
      // property and a marker
      "rule text=rule:X{City} src=k1_ line=1234 group=g9-3 rt=2\n"
      "  path CAPBEG:X CNCPT:City ATT@name=\"a b\" TK:2 PROP+cap CAPEND:X @match=x\n"
      "rule text=r3 rt=none attributes=\"a=1;;b=2\"\n"
      "  path TK:1\n",
      folder.path() / "d.dom");
  ASSERT_EQ(d.rules.size(), 3u);
  EXPECT_EQ(d.rules[0].first, "rule_people_$DAZ:k1__l007_rule:X{sbes}");
  EXPECT_EQ(d.rules[0].second, "captures=3;groups=;;debug_info=d/r/people.kav:7;rt=1");
  EXPECT_EQ(d.rules[1].first, "rule_$DAZ:k1__l1234_$GRUUID:g9-3_rule:X{City}");
  EXPECT_EQ(d.rules[1].second, "captures=3;groups=2;;debug_info=rules/test.kav:1234;rt=2");
  EXPECT_EQ(d.rules[2].second, "a=1;;b=2");

  auto db = ser::open_file_read(d.dom);
  const auto [attributes, rule] = ser::get_fsm_attr(db, d.rules[1].first);
  EXPECT_EQ(attributes, d.rules[1].second);
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(arcs_of(*rule),
            "0>1:60000003() 1>2:20000002() 2>3:50000004(0x50000000@name=\"a b\") "
            "3>4:10000002() 4>5:a0000006(0xa0000000+cap) 5>6:70000003() 6>7:8(@match=x) F7 ");
  // Every label text has its key, from 2 in order of first use.
  EXPECT_EQ(rule->InputSymbols()->Find(int64_t{2}), "0x60000003");
  EXPECT_EQ(rule->InputSymbols()->Find(int64_t{3}), "0x20000002");
  EXPECT_EQ(rule->InputSymbols()->Find(int64_t{7}), "0x70000003");
  EXPECT_EQ(rule->OutputSymbols()->Find(int64_t{0}), "eps");

  const auto [tlb, bitset] = ser::get_fsm_attr(db, "bitset_" + d.rules[1].first.substr(5));
  EXPECT_EQ(tlb, R"({"tlb":[]})");
  ASSERT_NE(bitset, nullptr);
  EXPECT_EQ(arcs_of(*bitset), "F0 ");
}

TEST(CompiledDomainWriter, ExplicitArcsStayAsWritten) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain(
      // X: ( _* ['y'|'x'] );  kept unoptimised, with an extra final state
      "rule text=loop\n"
      "  arc 0 1 CAPBEG:1\n"
      "  arc 1 1 ANYTK\n"
      "  arc 1 2 TK:5\n"
      "  arc 1 2 TK:4\n"
      "  arc 2 3 CAPEND:1\n"
      "  final 3 2\n"
      "  bitset arc 0 1 TK:5\n"
      "  bitset arc 0 1 TK:4\n"
      "  bitset final 1\n"
      "  tlb TK:5 268435460\n"
      "rule text=nostart\n"
      "  arc 0 1 EPS\n"
      "  start none\n"
      "  tlb_text not json\n",
      folder.path() / "d.dom");
  auto db = ser::open_file_read(d.dom);
  auto rule = ser::get_fsm(db, d.rules[0].first);
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(arcs_of(*rule),
            "0>1:60000001() 1>1:90000000() 1>2:10000005() 1>2:10000004() 2>3:70000001() F2 F3 ");
  const auto [tlb, bitset] = ser::get_fsm_attr(db, "bitset_" + d.rules[0].first.substr(5));
  EXPECT_EQ(tlb, R"({"tlb":[268435461,268435460]})");
  EXPECT_EQ(arcs_of(*bitset), "0>1:10000005() 0>1:10000004() F1 ");

  auto nostart = ser::get_fsm_attr(db, "bitset_" + d.rules[1].first.substr(5));
  EXPECT_EQ(nostart.first, "not json");
  EXPECT_EQ(ser::get_fsm(db, d.rules[1].first)->Start(), fst::kNoStateId);
}

TEST(CompiledDomainWriter, LexiconsInfoDescriptionAndFolderForm) {
  ScratchFolder folder;
  const WrittenDomain d = write_compiled_domain_folder(
      "lexicon literal\n"
      "  Paris:[City]\n"
      "  New York:[City@alias=\"NYC\"]\n"
      "lexicon_info {\"literal\":2,\"entries\":2}\n"
      "dom_info {\"name\": broken\n",
      folder.path() / "dom");
  EXPECT_EQ(d.dom, folder.path() / "dom" / "domain.dom");
  EXPECT_EQ(d.dom_info, folder.path() / "dom" / "domain.dom_info");
  EXPECT_EQ(zel::testing::read_file(d.dom_info), "{\"name\": broken");
  auto db = ser::open_file_read(d.dom);
  const auto [input, lexicon] = ser::get_fsm_attr(db, "entities_literal");
  EXPECT_EQ(input, "input=literal");
  ASSERT_NE(lexicon, nullptr);
  EXPECT_EQ(zel::testing::accepted_relations(*lexicon, 20),
            (std::set<std::string>{"N e w   Y o r k -> City@alias=\"NYC\"", "P a r i s -> City"}));
  EXPECT_EQ(data_text(db, "lexicon_info"), "{\"literal\":2,\"entries\":2}");
}

TEST(CompiledDomainWriter, RecordsLeftOutOrGarbledOnRequest) {
  ScratchFolder folder;
  const std::string rule = rule_record_name({}, "src_", 1, "", "r");
  const WrittenDomain d = write_compiled_domain(
      "no_dom_info\n"
      "token 1 literal=a\n"
      // X: ( 'a' );
      "rule text=r\n"
      "  path TK:1\n"
      "omit uniq_capture_map bitset_" + rule.substr(0) + "\n"
      "garble token_encoder rule_" + rule + " uniq_concept_map\n",
      folder.path() / "d.dom");
  EXPECT_FALSE(std::filesystem::exists(d.dom_info));
  auto db = ser::open_file_read(d.dom);
  EXPECT_FALSE(ser::has_binary_data(db.get(), "uniq_capture_map"));
  EXPECT_FALSE(ser::has_binary_data(db.get(), "bitset_" + rule));
  EXPECT_TRUE(ser::has_binary_data(db.get(), "token_encoder"));
  EXPECT_EQ(ser::get_fsm(db, "token_encoder"), nullptr);
  const auto garbled = ser::get_fsm_attr(db, "rule_" + rule);
  EXPECT_EQ(garbled.second, nullptr);
  EXPECT_EQ(garbled.first, "captures=;groups=;;debug_info=rules/test.kav:1;rt=1");
  EXPECT_NE(data_text(db, "uniq_concept_map"), "{}");
}

TEST(CompiledDomainWriter, RefusesWhatItCannotWrite) {
  ScratchFolder folder;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"rule text=r rt=2\n  arc 0 1 TK:1\n  final 1\n",
       "compiled domain text, line 1: rt=2 marks a single path; write the rule with path"},
      {"rule rt=1\n", "compiled domain text, line 1: a rule needs text="},
      {"rule text=r\n  path TK:x\n", "compiled domain text, line 2: no concept named x"},
      {"rule text=r\n  path FOO:1\n", "compiled domain text, line 2: unknown label: FOO:1"},
      {"frobnicate\n", "compiled domain text, line 1: unknown directive: frobnicate"},
      {"  path TK:1\n", "compiled domain text, line 1: indented line outside a rule, lexicon or definition"},
      {"definition P\n  text scope\n", "compiled domain text, line 2: text KEY VALUE"},
      {"definition P\n  call trigger a | b\n",
       "compiled domain text, line 2: call KEY NAME [k=v ...]: one call"},
      {"definition P\n  pairs attributes novalue\n",
       "compiled domain text, line 2: expected key=value: novalue"},
      {"definition P\n  list k v\n", "compiled domain text, line 2: unknown definition value: list"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(zel::testing::message_of([&] { write_compiled_domain(c.first, folder.path() / "x.dom"); }),
              c.second);
  }
}

}  // namespace
}  // namespace testing
}  // namespace kavero
}  // namespace zel
