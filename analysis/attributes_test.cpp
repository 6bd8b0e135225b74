#include "analysis/attributes.h"

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/annotation.h"
#include "base/output_capture_testutil.h"

namespace zel {
namespace kavero {
namespace {

// The list as "key=text;" entries, in order.
std::string show(const Attributes& list) {
  std::ostringstream out;
  out << list;
  return out.str();
}

std::string json(const ConceptAttributes& a,
                 const std::function<bool(const std::string&)>& accept =
                     ConceptAttributes::CAFT_None) {
  std::ostringstream out;
  to_json(out, a, accept);
  return out.str();
}

Attribute format(const std::string& key, const std::string& text,
                 const std::string& resolved = "") {
  return Attribute(key, AttributeFormatValue{text, resolved});
}

TEST(Attributes, AddKeepsKeysSortedAndValuesUnique) {
  Attributes list;
  EXPECT_EQ(list.add("b", "1"), 1u);
  EXPECT_EQ(list.add("a", "2"), 1u);
  EXPECT_EQ(list.add("b", "3"), 1u);
  EXPECT_EQ(list.add("b", "1"), 0u);
  EXPECT_EQ(show(list), "a=2;b=1;b=3;");
  EXPECT_EQ(list.get_attribute("b"), "1");
  EXPECT_TRUE(list.has_attribute("a"));
  EXPECT_FALSE(list.has_attribute("c"));
  EXPECT_FALSE(list.has_attribute(""));
  EXPECT_EQ(&list.get_attribute("c"), &invalid_cast);
}

TEST(Attributes, KeysCompareAsUnsignedBytes) {
  Attributes list;
  for (const char* key : {"\xc3\xa9", "z", "Z", "ab", "a", "_x"}) {
    list.add(key, "v");
  }
  EXPECT_EQ(show(list), "Z=v;_x=v;a=v;ab=v;z=v;\xc3\xa9=v;");
  EXPECT_TRUE(list.has_attribute("\xc3\xa9"));
}

TEST(Attributes, ValuesCompareByTextWhateverTheirType) {
  Attributes list;
  EXPECT_EQ(list.add("k", "Rome"), 1u);
  EXPECT_EQ(list.add(format("k", "{x}", "Rome")), 0u);
  EXPECT_EQ(list.add(format("k", "{x}")), 1u);
  EXPECT_EQ(list.add(format("k", "{y}", "{x}")), 0u);
  EXPECT_EQ(list.size(), 2u);
  Attributes other;
  other.add("k", "Rome");
  other.add("k", "Paris");
  other.add("j", "1");
  EXPECT_EQ(list.add(other), 2u);
  EXPECT_EQ(list.add(list), 0u);
  EXPECT_EQ(show(list), "j=1;k=Rome;k={x};k=Paris;");
}

TEST(Attributes, TextOfValues) {
  struct Case {
    const char* what;
    boost::any value;
    std::string text;
  };
  const Case cases[] = {
      {"text", std::string("Rome"), "Rome"},
      {"unresolved format", AttributeFormatValue{"{a}", ""}, "{a}"},
      {"resolved format", AttributeFormatValue{"{a}", "Rome"}, "Rome"},
      {"failed format", AttributeFormatInvalidValue{}, ""},
      {"empty holder", boost::any(), ""},
      {"other type", 42, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(to_string(c.value), c.text) << c.what;
    EXPECT_EQ(&raw_string(c.value), &to_string(c.value)) << c.what;
  }
  EXPECT_EQ(&to_string(boost::any(42)), &invalid_cast);
  EXPECT_TRUE(invalid_cast.empty());
}

TEST(Attributes, LinearLookupsWorkOnUnsortedLists) {
  Attributes list;
  list.push_back(Attribute("z", std::string("1")));
  list.push_back(Attribute("a", std::string("2")));
  list.push_back(Attribute("z", std::string("3")));
  EXPECT_TRUE(has(list, "a"));
  EXPECT_FALSE(has(list, "b"));
  EXPECT_EQ(get_value(list, "z"), "1");
  EXPECT_EQ(&get_value(list, "b"), &invalid_cast);
  EXPECT_EQ(show(list), "z=1;a=2;z=3;");
}

TEST(Attributes, RemovingKeysAndEntries) {
  for (bool by_key : {false, true}) {
    Attributes list;
    list.push_back(Attribute("a", std::string("1")));
    list.push_back(Attribute("b", std::string("2")));
    list.push_back(Attribute("a", std::string("3")));
    list.push_back(Attribute("c", std::string("4")));
    if (by_key) {
      list.remove_key("a");
    } else {
      list.remove_attributes("a");
    }
    EXPECT_EQ(show(list), "b=2;c=4;");
  }
  Attributes list;
  list.add("a", "1");
  list.add("b", "2");
  list.add("c", "3");
  auto next = list.erase(list.begin() + 1);
  EXPECT_EQ(next->first, "c");
  EXPECT_EQ(show(list), "a=1;c=3;");
}

TEST(Attributes, RemoveAttributeByLiteralOrPattern) {
  struct Case {
    const char* value;
    const char* left;
  };
  const Case cases[] = {
      {"12", "k=;k=/;k=1;k=x12;k=a/b;j=12;"},
      {"/1[0-9]*/", "k=;k=/;k=x12;k=a/b;j=12;"},
      {"/.*/", "j=12;"},
      {"/", "k=;k=1;k=12;k=x12;k=a/b;j=12;"},
      {"//", "k=/;k=1;k=12;k=x12;k=a/b;j=12;"},
      {"/2/", "k=;k=/;k=1;k=12;k=x12;k=a/b;j=12;"},
      {"a/b", "k=;k=/;k=1;k=12;k=x12;j=12;"},
  };
  for (const Case& c : cases) {
    Attributes list;
    for (const char* v : {"", "/", "1", "12", "x12", "a/b"}) {
      list.push_back(Attribute("k", std::string(v)));
    }
    list.push_back(Attribute("j", std::string("12")));
    list.remove_attribute("k", c.value);
    EXPECT_EQ(show(list), c.left) << c.value;
  }
}

TEST(Attributes, RemoveAttributeWithABadPatternThrowsAndKeepsTheList) {
  for (const char* bad : {"/(/", "/[z-a]/", "/x]/"}) {
    Attributes list;
    list.add("k", "x");
    EXPECT_ANY_THROW(list.remove_attribute("k", bad)) << bad;
    EXPECT_EQ(show(list), "k=x;");
    Attributes empty;
    EXPECT_ANY_THROW(empty.remove_attribute("k", bad)) << bad;
  }
}

TEST(ConceptAttributes, StoreTypeChoosesTheList) {
  ConceptAttributes plain;
  EXPECT_EQ(plain.add("x", "1", kStoreWhenShared), 1u);
  EXPECT_EQ(show(plain.own), "x=1;");
  EXPECT_EQ(plain.store, nullptr);

  SharedAttributes shared;
  ASSERT_NE(shared.store, nullptr);
  shared.add("_fact", "1", kStoreWhenShared);
  shared.add("name", "2", kStoreWhenShared);
  shared.add("_own", "3", kOwnList);
  shared.add("city", "4", kOwnList);
  EXPECT_EQ(show(shared.own), "_fact=1;_own=3;city=4;");
  EXPECT_EQ(show(*shared.store), "name=2;");

  Attributes list;
  list.add("name", "5");
  list.add("_x", "6");
  EXPECT_EQ(shared.add(list, kStoreWhenShared), 2u);
  EXPECT_EQ(shared.add(list, kStoreWhenShared), 0u);
  EXPECT_EQ(show(*shared.store), "name=2;name=5;");
}

TEST(ConceptAttributes, OwnListAnswersFirst) {
  SharedAttributes a;
  a.store->add("k", "stored");
  a.store->add("s", "only");
  EXPECT_EQ(a.get_attribute("k"), "stored");
  a.own.add("k", "own");
  EXPECT_EQ(a.get_attribute("k"), "own");
  EXPECT_EQ(a.get_attribute("s"), "only");
  EXPECT_TRUE(a.has_attribute("s"));
  EXPECT_FALSE(a.has_attribute("t"));
  EXPECT_EQ(&a.get_attribute("t"), &invalid_cast);
  ConceptAttributes none;
  EXPECT_FALSE(none.has_attribute("k"));
  EXPECT_EQ(&none.get_attribute("k"), &invalid_cast);

  a.remove_attribute("k", "/.*/");
  EXPECT_FALSE(a.has_attribute("k"));
}

TEST(ConceptAttributes, ShareFromAList) {
  ConceptAttributes a;
  Attributes other;
  other.add("name", "Ann");
  other.add("_pos", "3");
  other.add("city", "Rome");
  a.share_from_this(other);
  ASSERT_NE(a.store, nullptr);
  EXPECT_EQ(show(*a.store), "city=Rome;name=Ann;");
  EXPECT_EQ(show(other), "_pos=3;");
}

TEST(ConceptAttributes, ShareFromAConcept) {
  ConceptAttributes a;
  a.own.add("mine", "1");
  ConceptAttributes b;
  b.store = std::make_shared<Attributes>();
  b.store->add("age", "40");
  b.store->add("secret", "x");
  b.own.add("name", "Ann");
  b.own.add("_pos", "3");
  b.own.add("nick", "A");
  std::shared_ptr<Attributes> old_store = b.store;

  a.share_from_this(b, [](const std::string& key) {
    return key != "secret" && key != "nick";
  });
  EXPECT_EQ(show(*a.store), "age=40;name=Ann;");
  EXPECT_EQ(show(a.own), "mine=1;");
  EXPECT_EQ(show(b.own), "_pos=3;nick=A;");
  // b now shares a's store; what was not accepted left b.
  EXPECT_EQ(b.store, a.store);
  EXPECT_FALSE(b.has_attribute("secret"));
  EXPECT_EQ(show(*old_store), "age=40;secret=x;");

  // A change through one sharer is seen by the other.
  b.add("city", "Rome", kStoreWhenShared);
  EXPECT_EQ(a.get_attribute("city"), "Rome");

  // Sharing again, everything accepted, moves what b kept in its own list.
  a.share_from_this(b, ConceptAttributes::CAFT_None);
  EXPECT_EQ(show(*a.store), "age=40;city=Rome;name=Ann;nick=A;");
  EXPECT_EQ(show(b.own), "_pos=3;");
}

TEST(ConceptAttributes, ShareUniqueKeepsKeysThisStoreHas) {
  SharedAttributes a;
  a.store->add("name", "Ann");
  ConceptAttributes b;
  b.own.add("name", "Anna");
  b.own.add("alias", "X");
  b.own.add("alias", "Y");
  b.own.add("_pos", "1");
  a.share_from_this_uniq(b);
  EXPECT_EQ(show(*a.store), "alias=X;name=Ann;");
  EXPECT_EQ(show(b.own), "_pos=1;");
  EXPECT_EQ(b.store, a.store);
}

TEST(ConceptAttributes, Printers) {
  SharedAttributes a;
  a.own.add("k", "1");
  a.own.add("_p", "2");
  a.store->add("s", "3");
  std::ostringstream plain, verbose;
  plain << a;
  verbose << print_verbose(a);
  EXPECT_EQ(plain.str(), "_p=2;k=1;s=3;");
  EXPECT_EQ(verbose.str(), "l:_p:2;l:k:1;s:s:3;");
}

TEST(ConceptAttributes, JsonGroupsValuesPerKey) {
  SharedAttributes a;
  a.own.add("a", "1");
  a.own.add("a", "2");
  a.store->add("a", "3");
  a.store->add("b", "4");
  EXPECT_EQ(json(a), "{\"a\":[\"1\",\"2\",\"3\"],\"b\":[\"4\"]}");
  EXPECT_EQ(json(a, [](const std::string&) { return false; }), "{}");
  EXPECT_EQ(json(a, [](const std::string& k) { return k == "b"; }),
            "{\"b\":[\"4\"]}");
  EXPECT_EQ(json(ConceptAttributes()), "{}");
}

TEST(ConceptAttributes, JsonWritesAKeyOfBothListsOnce) {
  // The key "a" is not at the seam of the two lists; written twice, a JSON
  // reader would keep only one of its arrays.
  SharedAttributes a;
  a.own.add("a", "1");
  a.own.add("c", "5");
  a.store->add("a", "3");
  a.store->add("d", "6");
  EXPECT_EQ(json(a),
            "{\"a\":[\"1\",\"3\"],\"c\":[\"5\"],\"d\":[\"6\"]}");
}

TEST(ConceptAttributes, JsonEscapesNamesAndValues) {
  ConceptAttributes a;
  a.own.add("say \"hi\"", "back\\slash\nline");
  EXPECT_EQ(json(a), "{\"say \\\"hi\\\"\":[\"back\\\\slash\\nline\"]}");
}

TEST(ConceptAttributes, JsonNeedsAPredicateOnlyForEntries) {
  std::function<bool(const std::string&)> none;
  EXPECT_EQ(json(ConceptAttributes(), none), "{}");
  ConceptAttributes a;
  a.own.add("k", "v");
  EXPECT_THROW(json(a, none), std::bad_function_call);
}

class ConceptMatch : public ::testing::Test {
 protected:
  ConceptMatch() : person(0, 4, "Person") {
    person.attributes.store = std::make_shared<Attributes>();
    person.add("name", "Ann", kOwnList);
    person.add("name", "Annie", kOwnList);
    person.attributes.store->add("city", "Rome");
    person.attributes.store->add("name", "Anna");
    person.add("empty", "", kOwnList);
    person.add("nul", std::string("dog\0cat", 7), kOwnList);
  }

  bool match(const std::string& key, const std::string& condition) {
    return person.match(Attribute(key, condition));
  }

  Concept person;
};

TEST_F(ConceptMatch, Literals) {
  struct Case {
    const char* key;
    const char* condition;
    bool matches;
  };
  const Case cases[] = {
      {"name", "\"Ann", true},    {"name", "\"Annie", true},
      {"name", "\"Anna", true},   {"city", "\"Rome", true},
      {"name", "\"ann", false},   {"name", "\"An", false},
      {"age", "\"Ann", false},    {"empty", "\"", true},
      {"name", "\"", false},      {"nul", "\"dog", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(match(c.key, c.condition), c.matches)
        << c.key << " " << c.condition;
  }
}

TEST_F(ConceptMatch, Expressions) {
  struct Case {
    const char* key;
    const char* condition;
    bool matches;
  };
  const Case cases[] = {
      {"name", "/An", false},     {"name", "/Ann.*", true},
      {"name", "/Anna", true},    {"name", "/nn", false},
      {"city", "~R[aeiou]me", true}, {"city", "/rome", false},
      {"empty", "/", true},       {"name", "/", false},
      {"nul", "/dog", true},      {"age", "/.*", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(match(c.key, c.condition), c.matches)
        << c.key << " " << c.condition;
  }
}

TEST_F(ConceptMatch, BadExpressionsMatchNothingAndAreReported) {
  for (const char* condition : {"/(", ""}) {
    bool matched = true;
    const std::string printed = zel::testing::capture_stdout(
        [&] { matched = match("name", condition); });
    EXPECT_FALSE(matched);
    EXPECT_EQ(printed.find(std::string(condition) +
                           "/ is not a valid regular expression: \""),
              0u)
        << printed;
    EXPECT_EQ(printed.substr(printed.size() - 2), "\"\n") << printed;
  }
}

}  // namespace
}  // namespace kavero
}  // namespace zel
