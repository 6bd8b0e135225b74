#include "api/client_result_reader.h"

#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "base/error_message_testutil.h"

namespace omr {
namespace common {
namespace {

using zel::testing::message_of;

void dump_reading(const MorphData& reading, std::ostream& out) {
  out << reading.stem << "/" << reading.pos;
  for (const std::string& property : reading.properties) out << "+" << property;
  if (reading.weight != 1.0) out << "@" << reading.weight;
  if (!reading.components.empty()) {
    out << "(";
    for (size_t i = 0; i < reading.components.size(); ++i) {
      if (i > 0) out << ",";
      dump_reading(reading.components[i], out);
    }
    out << ")";
  }
}

// One line per sentence: "begin-end:" then its items, blank-separated:
// "<Uri@b-e{name=value;...}>" for concepts, "literal@b-e{props}/readings"
// for tokens.
std::string dump(const AnnotationList& list) {
  std::ostringstream out;
  for (Annotation* item : list) {
    if (item != list.head) out << "\n";
    if (item->kind != Annotation::kSentence) {
      out << "?" << item->kind;
      continue;
    }
    auto* sentence = static_cast<Sentence*>(item);
    out << sentence->begin << "-" << sentence->end << ":";
    for (Annotation* inner : sentence->annotations) {
      out << " ";
      if (inner->kind == Annotation::kConcept) {
        auto* c = static_cast<Concept*>(inner);
        out << "<" << c->uri << "@" << c->begin << "-" << c->end << "{";
        for (size_t i = 0; i < c->attributes.size(); ++i) {
          out << (i > 0 ? ";" : "") << c->attributes[i].first << "=" << c->attributes[i].second;
        }
        out << "}>";
      } else {
        auto* t = static_cast<Token*>(inner);
        out << t->literal << "@" << t->begin << "-" << t->end << "{";
        for (const std::string& p : t->properties) out << (p == *t->properties.begin() ? "" : ",") << p;
        out << "}";
        for (const MorphData& reading : t->readings) {
          out << "/";
          dump_reading(reading, out);
        }
      }
    }
  }
  return out.str();
}

struct Read {
  AnnotationList list;
  std::string language;
  std::string id;
};

void read(const std::string& text, Read& into) {
  JsonToResult target(into.list);
  json_to_zel_results_v2(target, text.c_str());
  into.language = target.language;
  into.id = target.id;
}

// The printer's worked example.
const char kPrinted[] =
    R"({"id":"d1","language":"english","sentences":[ [1,0,9,[[2,0,4,"Person",{"gender":["male"]}],)"
    R"([3,0,4,"John",["init-cap"],[["John", "Prop-Std"]]],[3,5,9,"left",[],[["leave", "V-Past"]]]]]]})";

TEST(ClientResultReader, ReadsThePrintersDocument) {
  Read result;
  read(kPrinted, result);
  EXPECT_EQ(result.language, "english");
  EXPECT_EQ(result.id, "d1");
  EXPECT_EQ(dump(result.list),
            "0-9: <Person@0-4{gender=male}> John@0-4{init-cap}/John/Prop-Std "
            "left@5-9{}/leave/V-Past");
}

TEST(ClientResultReader, BothFormsGiveTheSameObjects) {
  // Two sentences; float offsets; a concept with two values of one name and
  // one with no attributes object; a reading with properties and nested
  // components; sentence attributes; an item of another kind.
  const std::string sentences =
      R"([[1,0,13.0,[[2,0,4,"City",{"alias":["a","b"],"state":["NY"]}],[2,0.9,4.2,"Place"],)"
      R"([3,0,4,"Oslo",["cap","init-cap"],[["Oslo", "Prop","+sg",[["os", "N",[["o", "L"]]]],"x"]]],)"
      R"([4,4,4],[3,5,13,"Hausboot",[],[["Hausboot", "Nn"],["haus", "V"]]]],{"header":["true"]}],)"
      R"([1,14,16,[]]])";
  Read plain;
  read(R"({"language":"german","sentences":)" + sentences + "}", plain);
  Read wrapped;
  read(R"({"language":"german","document":{"sentences":)" + sentences + "}}", wrapped);
  const std::string expected =
      "0-13: <City@0-4{alias=a;alias=b;state=NY}> <Place@0-4{}> "
      "Oslo@0-4{cap,init-cap}/Oslo/Prop++sg+x(os/N(o/L)) "
      "Hausboot@5-13{}/Hausboot/Nn/haus/V\n"
      "14-16:";
  EXPECT_EQ(dump(plain.list), expected);
  EXPECT_EQ(dump(wrapped.list), expected);
  EXPECT_EQ(plain.language, "german");
  EXPECT_EQ(wrapped.language, "german");
  EXPECT_EQ(plain.id, "");
  // Sentences held in an object are read in key order.
  Read keyed;
  read(R"({"sentences":{"b":[1,5,6,[]],"a":[1,0,4,[]]}})", keyed);
  EXPECT_EQ(dump(keyed.list), "0-4:\n5-6:");
  // A second reading appends.
  read(R"({"sentences":[[1,20,21,[]]]})", keyed);
  EXPECT_EQ(dump(keyed.list), "0-4:\n5-6:\n20-21:");
}

TEST(ClientResultReader, EveryFailureCarriesThePrefix) {
  const std::string prefix = "Invalid kav/json format,";
  struct Case {
    const char* text;
    // The message after the prefix; empty when only the prefix is fixed.
    const char* message;
  } const cases[] = {
      {"not json", ""},
      {"", ""},
      {"{}", "Invalid document object, missing 'sentence' section."},
      {"[1,2]", "Invalid document object, missing 'sentence' section."},
      {R"({"document":{}})", ""},
      {R"({"language":7,"sentences":[]})", ""},
      {R"({"sentences":[[1,0,4]]})", ""},
      {R"({"sentences":[[1,"0",4,[]]]})", ""},
      {R"({"sentences":[[1,-1,4,[]]]})", "Invalid offset -1."},
      {R"({"sentences":[[1,0,4294967296,[]]]})", "Invalid offset 4294967296."},
      {R"({"sentences":[[1,0,-0.5,[]]]})", "Invalid offset -0.5."},
      {R"({"sentences":[[1,0,4,[7]]]})", ""},
      {R"({"sentences":[[1,0,4,[[]]]]})", ""},
      // Items shorter than the printer writes them.
      {R"({"sentences":[[1,0,4,[[3,0,4,"John",[]]]]]})",
       "Invalid token item, 6 positions needed, 5 found."},
      {R"({"sentences":[[1,0,4,[[2,0,4]]]]})", "Invalid concept item, 4 positions needed, 3 found."},
      {R"({"sentences":[[1,0,4,[[3,0,4,"John",[],[["John"]]]]]]})",
       "Invalid reading, 2 positions needed, 1 found."},
      // Values of the wrong type.
      {R"({"sentences":[[1,0,4,[[3,0,4,"John",[],[["John","N",7]]]]]]})",
       "Invalid reading value 7."},
      {R"({"sentences":[[1,0,4,[[3,0,4,"John",[1],[]]]]]})", ""},
      {R"({"sentences":[[1,0,4,[[2,0,4,"City",{"a":"b"}]]]]})", ""},
      {R"({"sentences":[[1,0,4,[[2,0,4,"City",[]]]]]})", ""},
  };
  for (const Case& c : cases) {
    Read result;
    const std::string message = message_of([&] { read(c.text, result); });
    EXPECT_EQ(message.substr(0, prefix.size()), prefix) << c.text;
    if (*c.message != '\0') {
      EXPECT_EQ(message, prefix + c.message) << c.text;
    }
    EXPECT_THROW(read(c.text, result), std::runtime_error) << c.text;
  }
  // A null text is not JSON either.
  AnnotationList list;
  JsonToResult target(list);
  EXPECT_EQ(message_of([&] { json_to_zel_results_v2(target, nullptr); }).substr(0, prefix.size()),
            prefix);
}

TEST(ClientResultReader, WhatWasReadBeforeAFailureStays) {
  Read result;
  EXPECT_THROW(read(R"({"sentences":[[1,0,4,[[3,0,4,"John",[],[]]]],[1,5,9,[[2,5,9]]]]})", result),
               std::runtime_error);
  EXPECT_EQ(dump(result.list), "0-4: John@0-4{}\n5-9:");
}

TEST(ClientResultReader, ComponentsNestOnlySoDeep) {
  std::string nested = R"(["w", "N"])";
  for (int level = 0; level < 64; ++level) nested = R"(["w", "N",[)" + nested + "]]";
  const std::string document = R"({"sentences":[[1,0,1,[[3,0,1,"w",[],[)" + nested + "]]]]]}";
  Read accepted;
  read(document, accepted);
  const std::string deeper = R"({"sentences":[[1,0,1,[[3,0,1,"w",[],[["w", "N",[)" + nested +
                             "]]]]]]]}";
  Read refused;
  EXPECT_EQ(message_of([&] { read(deeper, refused); }),
            "Invalid kav/json format,Invalid reading, components nested too deeply.");
}

}  // namespace
}  // namespace common
}  // namespace omr
