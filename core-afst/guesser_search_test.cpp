// The guesser search: which forms it reaches, with which repairs and scores.
// The guesser networks here spell known words letter by letter, each arc
// writing its letter, so a form is the word the search arrived at.

#include "core-afst/guesser_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core-afst/lookup_network_testutil.h"
#include "core-afst/word_trie_testutil.h"

namespace zel {
namespace afst {
namespace {

using ::testing::IsEmpty;
using testing::TestNetwork;
using testing::WordTrie;

std::vector<ResultEntry> search(const std::shared_ptr<AFst>& guesser, const std::string& word) {
  GuesserLookupSession session(guesser, nullptr);
  return session.lookup(word);
}

// The result of a form, when the results have it.
std::optional<ResultEntry> find_form(const std::vector<ResultEntry>& results,
                                     const std::string& form) {
  for (const auto& result : results) {
    if (result.form == form) return result;
  }
  return std::nullopt;
}

// The score of a text of length n with the given contributions of its
// repaired positions, every other position contributing 100.
double score(std::size_t n, const std::vector<double>& repaired) {
  double sum = 100.0 * static_cast<double>(n + 1 - repaired.size());
  for (double r : repaired) sum += r;
  return sum / static_cast<double>(n + 1) / 100.0;
}

TEST(GuesserSearchTest, EachRepairKindScoresByItsPosition) {
  auto guesser = WordTrie({"abcdef"}).network();
  struct Case {
    const char* name;
    std::string word;
    int32_t repairs;
    double score;
  };
  const Case cases[] = {
      {"spelled as known", "abcdef", 0, 1.0},
      // One extra letter at byte 3; the repaired text has 6 bytes.
      {"extra letter", "abcxdef", 1, score(6, {3 + 60})},
      {"extra letter later", "abcdexf", 1, score(6, {5 + 60})},
      {"swapped letters", "abdcef", 1, score(6, {2 + 80})},
      // The text keeps its 5 bytes: the network supplies the letter.
      {"missing letter", "abdef", 1, score(5, {2 + 30})},
      {"missing last letter", "abcde", 1, score(5, {20})},
      // Two repairs apart from each other.
      {"two extra letters", "abxcdyef", 2, score(6, {2 + 60, 4 + 60})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto results = search(guesser, c.word);
    std::optional<ResultEntry> found = find_form(results, "abcdef");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->tag, "+guess");
    EXPECT_EQ(found->repairs, c.repairs);
    EXPECT_DOUBLE_EQ(found->score, c.score);
  }
}

TEST(GuesserSearchTest, RepairsAreNotMadeNextToEachOther) {
  auto guesser = WordTrie({"abcdefgh"}).network();
  // Two extra letters side by side: the second sits next to a tried mark.
  EXPECT_FALSE(find_form(search(guesser, "abxydefgh"), "abcdefgh"));
  EXPECT_FALSE(find_form(search(guesser, "abcxydefgh"), "abcdefgh"));
  // Apart from each other, any number of them.
  std::optional<ResultEntry> three = find_form(search(guesser, "abxcdyefzgh"), "abcdefgh");
  ASSERT_TRUE(three);
  EXPECT_EQ(three->repairs, 3);
  EXPECT_DOUBLE_EQ(three->score, score(8, {2 + 60, 4 + 60, 6 + 60}));
}

TEST(GuesserSearchTest, TriedMarksOfOnePathLimitTheNext) {
  // After "a", two arcs read "b": the second path gets stuck at the same
  // position as the first and tries the same repair there again.
  TestNetwork forked;
  const int a = forked.add_state();
  forked.arc(0, "a", "a", a);
  int state = a;
  for (const char* letter : {"b", "c", "d"}) {
    const int next = forked.add_state();
    forked.arc(state, letter, letter, next);
    state = next;
  }
  forked.set_final(state);
  state = a;
  for (const char* letter : {"b", "e", "f"}) {
    const int next = forked.add_state();
    forked.arc(state, letter, letter, next);
    state = next;
  }
  forked.set_final(state);
  const auto again = find_form(search(forked.network(), "abxef"), "abef");
  ASSERT_TRUE(again);
  EXPECT_DOUBLE_EQ(again->score, score(4, {2 + 60}));

  // Two paths apart from the start: when the first one gives up, it tries
  // repairs one position earlier as well, and the mark left there keeps the
  // second path from repairing next to it.
  TestNetwork apart;
  apart.path({"a", "b", "c", "d"}, {"a", "b", "c", "d"});
  apart.path({"a", "b", "e", "f"}, {"a", "b", "e", "f"});
  EXPECT_FALSE(find_form(search(apart.network(), "abxef"), "abef"));
  // Without the first path, the second is repaired.
  TestNetwork alone;
  alone.path({"a", "b", "e", "f"}, {"a", "b", "e", "f"});
  EXPECT_TRUE(find_form(search(alone.network(), "abxef"), "abef"));
}

TEST(GuesserSearchTest, NoRepairAtTheFirstCharacter) {
  auto guesser = WordTrie({"abcdef"}).network();
  for (const std::string word : {"xabcdef", "xbcdef", "bacdef", "bcdef"}) {
    EXPECT_THAT(search(guesser, word), IsEmpty()) << word;
  }
  // Also not when an arc that reads nothing leads from the start.
  TestNetwork net;
  const int first = net.add_state();
  net.arc(0, "eps", "eps", first);
  int state = first;
  for (const char* letter : {"a", "b", "c"}) {
    const int next = net.add_state();
    net.arc(state, letter, letter, next);
    state = next;
  }
  net.set_final(state);
  auto with_epsilon = net.network();
  EXPECT_EQ(search(with_epsilon, "abc").size(), 1u);
  EXPECT_THAT(search(with_epsilon, "xbc"), IsEmpty());
  EXPECT_THAT(search(with_epsilon, "bac"), IsEmpty());
}

TEST(GuesserSearchTest, SwapsCharactersNotBytes) {
  auto guesser = WordTrie({"abcäd"}).network();
  const auto results = search(guesser, "abäcd");
  std::optional<ResultEntry> found = find_form(results, "abcäd");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->repairs, 1);
  EXPECT_DOUBLE_EQ(found->score, score(6, {2 + 80}));
  // A two-byte letter too many is removed whole.
  std::optional<ResultEntry> extra =
      find_form(search(WordTrie({"abcd"}).network(), "abcöd"), "abcd");
  ASSERT_TRUE(extra);
  EXPECT_DOUBLE_EQ(extra->score, score(4, {3 + 60}));
}

TEST(GuesserSearchTest, MissingLastCharacterTakesTheFirstFinalArcOnly) {
  // After "abc" two letters lead to final states.
  auto guesser = WordTrie({"abcd", "abce"}).network();
  const auto results = search(guesser, "abc");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].form, "abcd");
  EXPECT_DOUBLE_EQ(results[0].score, score(3, {20}));

  // Only while nothing has been found.
  auto with_word = WordTrie({"abc", "abcd"}).network();
  const auto found = search(with_word, "abc");
  EXPECT_TRUE(find_form(found, "abc"));
  EXPECT_FALSE(find_form(found, "abcd"));
}

TEST(GuesserSearchTest, FormsAreCollectedOnce) {
  // Two paths write the same form; the first one found counts.
  TestNetwork net;
  net.path({"a", "b", "c"}, {"x"});
  net.path({"a", "b", "c"}, {"x"});
  const auto results = search(net.network(), "abc");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].form, "x");
  EXPECT_EQ(results[0].repairs, 0);
}

TEST(GuesserSearchTest, LabelsThatReadNothing) {
  // Epsilon and control arcs before and after the letters; "eps" outputs
  // add nothing to the form.
  TestNetwork net;
  const int s1 = net.add_state();
  const int s2 = net.add_state();
  const int s3 = net.add_state();
  const int s4 = net.add_state();
  const int s5 = net.add_state();
  net.arc(0, "eps", "[", s1);
  net.arc(s1, "a", "a", s2);
  net.arc(s2, "#ctrl", "eps", s3);
  net.arc(s3, "b", "b", s4);
  net.arc(s4, "#end1", "]", s5);
  net.set_final(s5);
  const auto results = search(net.network(), "ab");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].form, "[ab]");
  EXPECT_EQ(results[0].repairs, 0);

  // "??" never reads a character.
  TestNetwork any;
  any.path({"a", "??"}, {"a", "x"});
  EXPECT_THAT(search(any.network(), "ab"), IsEmpty());
}

TEST(GuesserSearchTest, TextIsRestoredAndStackEmptyAfterwards) {
  auto guesser = WordTrie({"abcdef", "abcxyz", "bcd"}).network();
  for (const std::string word : {"abcxdef", "abdcef", "abdef", "abcde", "aaaabcdef", ""}) {
    GuesserLookupSession session(guesser, nullptr);
    session.lookup(word);
    const std::string shortened = GuesserFactory(word.data(), word.data() + word.size()).str();
    EXPECT_EQ(session.text(), shortened) << word;
    EXPECT_EQ(session.stack().size, 0) << word;
    EXPECT_EQ(session.stack().top, nullptr) << word;
    EXPECT_EQ(session.stack().bottom, nullptr) << word;
    EXPECT_FALSE(session.exhausted()) << word;
  }
}

TEST(GuesserSearchTest, NetworkWithoutStartState) {
  auto transducer = std::make_shared<fst::VectorFst<fst::StdArc>>();
  fst::SymbolTable in, out;
  in.AddSymbol("eps");
  out.AddSymbol("eps");
  transducer->SetInputSymbols(&in);
  transducer->SetOutputSymbols(&out);
  auto guesser = std::make_shared<AFst>(transducer);
  GuesserLookupSession session(guesser, nullptr);
  EXPECT_THAT(session.lookup("abc"), IsEmpty());
  EXPECT_EQ(session.text(), "");
  EXPECT_THROW(GuesserLookupSession(nullptr, nullptr), std::invalid_argument);
}

TEST(GuesserSearchTest, ACycleOfArcsThatReadNothingEndsTheSearch) {
  TestNetwork net;
  const int a = net.add_state();
  const int b = net.add_state();
  net.arc(0, "a", "a", a);
  net.arc(a, "eps", "x", b);
  net.arc(b, "eps", "y", a);
  net.set_final(b);
  GuesserLookupSession session(net.network(), nullptr);
  const auto results = session.lookup("a");
  EXPECT_TRUE(session.exhausted());
  EXPECT_EQ(session.stack().size, 0);
  EXPECT_EQ(session.text(), "a");
  // What was found before the limit stays.
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results[0].form, "ax");
}

// A stack of items at the given positions, bottom first.
class StackFixture : public ::testing::Test {
 protected:
  StackFixture() : session_(WordTrie({"a"}).network(), nullptr) {}
  GuesserLookupSession session_;
  const char text_[8] = "abcdefg";
};

TEST_F(StackFixture, OnlyTheLowestItemAtAPositionKeepsItsRepairFlag) {
  const int state = 0;
  const char* const p0 = text_;
  const char* const p1 = text_ + 1;
  const char* const p2 = text_ + 2;
  LevelGuardBase i0(&session_, state, p0, 0, "", ArcSpan());
  LevelGuardBase i1(&session_, state, p1, 1, "a", ArcSpan());
  LevelGuardBase i2(&session_, state, p1, 2, "eps", ArcSpan());
  LevelGuardBase i3(&session_, state, p2, 3, "b", ArcSpan());
  LevelGuardBase i4(&session_, state, p2, 4, "eps", ArcSpan());
  LevelGuardBase i5(&session_, state, p2, 5, "eps", ArcSpan());
  for (auto* guard : {&i0, &i1, &i2, &i3, &i4, &i5}) guard->top().match_count = 3;
  EXPECT_EQ(session_.stack().size, 6);
  EXPECT_EQ(session_.stack().top, &i5.top());
  EXPECT_EQ(session_.stack().bottom, &i0.top());

  i5.reset_previous_level_paths(&i5.top());
  EXPECT_TRUE(i3.top().repair);
  EXPECT_FALSE(i4.top().repair);
  EXPECT_FALSE(i5.top().repair);
  // The items at the position before lose their match counts; the others
  // keep theirs.
  EXPECT_EQ(i2.top().match_count, 0);
  EXPECT_EQ(i1.top().match_count, 0);
  EXPECT_EQ(i0.top().match_count, 3);
  EXPECT_EQ(i3.top().match_count, 3);
  EXPECT_FALSE(i1.top().repair);

  EXPECT_TRUE(i3.has_different_input_iterator(&i3.top()));
  EXPECT_FALSE(i4.has_different_input_iterator(&i4.top()));
  EXPECT_FALSE(i0.has_different_input_iterator(&i0.top()));

  // Items leave in reverse order; the guards take them off.
  i5.remove();
  EXPECT_EQ(session_.stack().top, &i4.top());
  EXPECT_EQ(i4.top().above, nullptr);
  EXPECT_EQ(session_.stack().size, 5);
}

}  // namespace
}  // namespace afst
}  // namespace zel
