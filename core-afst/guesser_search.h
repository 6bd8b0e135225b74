// The search of one guesser lookup.
//
// A guesser network spells the word forms it knows; the search walks the
// word through it depth first and, where the walk gets stuck, tries small
// repairs of the word: a character too many (removed), two characters
// swapped (exchanged back), a character missing (one arc of the network is
// followed without reading input) and, at the end of the word, a missing
// last character. Every output form reached is collected once, with a score
// that says where the repairs were made: 1.0 without repairs, less the
// earlier in the word a repair sits.
//
// The walk. Each stack item is a state of the network reached at a position
// of the text. For every arc of the item's state, with input label L and
// output label O:
//   - L "eps" or "EPS": at the end of the text a final target collects O;
//     the target is walked at the same position.
//   - L a control label ("#" and more than 4 bytes): at the end of the text
//     a final target of a label beginning with "#end" collects O; before the
//     end the target is walked at the same position.
//   - L whose first byte is not the byte at the position (or the end of the
//     text): no match; a "??" label counts as a match of the item without
//     being followed.
//   - Otherwise L matches when the character is one byte, or when L's first
//     code point is the character; the item counts the match, a final target
//     collects O when the character was the last, and the target is walked
//     after the character.
//
// Repairs. When an item is removed and no arc of it, nor of the items below
// it at the same position, matched the character there, the lowest item at
// that position is marked for repairs and the items at the position before
// it lose their match counts (so that repairs are tried there as well when
// they are removed). A marked item tries, in order: at the end of the text,
// a missing last character (only while nothing has been found); otherwise,
// never at position 0, an extra character, then (only when that found
// nothing) a swap, then a missing character. A kind of repair is tried at a
// position only when the position before carries no tried mark, or again
// when the position has tried that kind already and at most 2 positions
// carry tried marks.
//
// Scores. With n the text's current length, each position i from 0 to n
// contributes 100 when no repair is in force there, i + 30 for a missing
// character, i + 80 for a swap, 20 for a missing last character and i + 60
// for an extra character; the score is the sum divided by n + 1 and by 100.
//
// Limits. Words admitted by the lookup are shorter than 50 bytes, and the
// text lives in a 52-byte buffer. A search tries at most kGuesserSearchBudget
// arcs and holds at most kGuesserMaxItems items: a network with a cycle of
// arcs that read nothing would otherwise walk without end, and a network
// that sticks everywhere would try repairs without bound. When either runs
// out the search ends with what it has found.

#ifndef KAVERO_CORE_AFST_GUESSER_SEARCH_H_
#define KAVERO_CORE_AFST_GUESSER_SEARCH_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <set>
#include <string>
#include <vector>

#include "core-afst/afst.h"
#include "core-afst/failed_walk_table.h"
#include "core-afst/guesser_text.h"

namespace zel {
namespace afst {

inline constexpr uint64_t kGuesserSearchBudget = 200000;
inline constexpr int kGuesserMaxItems = 400;

// The repair kinds, as bits of the tried marks and values of the in-force
// marks.
enum GuesserRepair : int32_t {
  kRepairMissing = 1,      // the word lacks a character the network has
  kRepairSwap = 2,         // two characters of the word are exchanged
  kRepairMissingLast = 4,  // the word lacks its last character
  kRepairExtra = 8,        // the word has a character too many
};

// One item of the search stack.
struct StackItem {
  int32_t state = -1;
  // Where the state's arcs lie in the network's arc array.
  ArcSpan arcs;
  const char* position = nullptr;
  // Arcs from the search's root; recorded, not consulted.
  int32_t depth = 0;
  // Arcs of the state that matched the character at the position.
  int32_t match_count = 0;
  // Set when repairs may be tried for this item.
  bool repair = false;
  // How often the match counts of the run of items at this item's position
  // were cleared from above it (see reset_previous_level_paths).
  uint32_t clearings = 0;
  // The output label of the arc that led here; empty for the root.
  std::string output;
  StackItem* below = nullptr;
  StackItem* above = nullptr;
};

// One form the search reached.
struct ResultEntry {
  std::string tag;  // always "+guess"
  std::string form;
  double score = 1.0;
  int32_t repairs = 0;
};

class GuesserLookupSession;

// The search stack: a doubly linked list of items, bottom to top.
struct GuesserStack {
  StackItem* bottom = nullptr;
  StackItem* top = nullptr;
  int size = 0;
};

// Holds one item on top of the search stack for the extent of one nested
// walk. remove() first tries repairs when the walk got stuck there, then
// takes the item off; a guard left without remove() (an exception on its
// way out) takes its item off without repairs.
class LevelGuardBase {
 public:
  LevelGuardBase(GuesserLookupSession* session, const int& state, const char* const& position,
                 int depth, const std::string& output, ArcSpan arcs);
  ~LevelGuardBase();
  LevelGuardBase(const LevelGuardBase&) = delete;
  LevelGuardBase& operator=(const LevelGuardBase&) = delete;

  StackItem& top() { return item_; }
  // Tries repairs when no arc matched at the item's position, then unlinks
  // the item.
  void remove();
  // Marks the lowest item at `item`'s position for repairs (and only that
  // one) and clears the match counts of the items at the position below.
  void reset_previous_level_paths(StackItem* item);
  // Whether an item lies below `item` at another position.
  bool has_different_input_iterator(StackItem* item) const;

 private:
  void unlink();

  GuesserLookupSession* session_;
  GuesserStack* stack_;
  StackItem item_;
  bool linked_ = false;
};

class GuesserLookupSession {
 public:
  // A search over the guesser network (which must not be null).
  GuesserLookupSession(std::shared_ptr<AFst> guesser, std::shared_ptr<nlohmann::json> config);
  ~GuesserLookupSession();
  GuesserLookupSession(const GuesserLookupSession&) = delete;
  GuesserLookupSession& operator=(const GuesserLookupSession&) = delete;

  // Runs the search over `word` and returns a copy of the results. A
  // network without a start state gives nothing. Call once per session.
  std::vector<ResultEntry> lookup(const std::string& word);

  // The walks and repairs (see the top of this file).
  void lookup(StackItem& item);
  void ignore_lookup(StackItem& item);
  void ignore_lookup_one_more_arc(StackItem& item);
  void check_and_apply_fixes(StackItem& item);
  void collect(const std::string& output);

  std::vector<ResultEntry>& results() { return results_; }
  // The text; after the search every repair is undone, so it is the word
  // with its long runs shortened. Empty before a search.
  std::string text() const { return text_ ? text_->str() : std::string(); }
  // Whether the search ended because a limit ran out.
  bool exhausted() const { return exhausted_; }

  // Ends the search as soon as a result collected satisfies `settles`: a
  // caller that knows no later result can change what it makes of the
  // results stops the walk there. The results then are those found so
  // far; exhausted() stays false. Call before lookup(word).
  void stop_when(std::function<bool(const ResultEntry&)> settles);
  // Whether the walk is over: a limit ran out or a result settled it.
  bool stopped() const { return exhausted_ || settled_; }

  // Lets the search skip repairs that cannot change the answer. `answers`
  // says whether the caller would answer with a result (filter() ranks
  // results by repairs, fewer first, then by score, higher first, and
  // answers with the first it can). Once such a result is found, a repair
  // whose results would all rank after it is not walked: its walk could
  // only add results with at least as many repairs and, at that count, the
  // score the repair itself fixes. The repair's tried marks are still set
  // and cleared as if it had been walked. Such a search also remembers
  // walks inside repairs that collected nothing, by the situation that
  // decides what they do, and does not walk the same situation again (it
  // sets the marks that walk left). Call before lookup(word).
  void rank_with(std::function<bool(const ResultEntry&)> answers);
  // The most arcs the search tries (kGuesserSearchBudget unless set).
  void set_budget(uint64_t arcs) { budget_ = arcs; }
  // Arcs tried so far.
  uint64_t steps() const { return steps_; }
  GuesserStack& stack() { return stack_; }

 private:
  enum class Walk { kLookup, kIgnore, kOneMoreArc };

  // Pushes an item, walks it the given way and removes it.
  void descend(int state, ArcSpan arcs, const char* position, int depth, const std::string& output,
               Walk walk);
  // Walks a repair of `item`: an item of its state at its position,
  // carrying `output`.
  void repair_walk(const StackItem& item, const std::string& output, Walk walk);
  // Counts one arc tried; false once the budget is spent.
  bool tick();
  bool allowed(std::size_t position, int32_t kind) const;
  // Whether every result of a repair of `kind` at `position`, with the text
  // `length` bytes long while it is in force, ranks after the best result
  // the caller answers with.
  bool outranked(std::size_t position, int32_t kind, std::size_t length) const;
  // The score and repair count of a result collected while the text is
  // `length` bytes long, with the in-force marks as they are except that
  // `position` (when inside the marks) holds `kind`.
  void score(std::size_t length, std::size_t position, int32_t kind, double* score,
             int32_t* repairs) const;
  void clear_after(std::vector<int32_t>& marks, std::size_t position, std::size_t last) const;
  const std::string& input_text(int32_t id) const;
  const std::string& output_text(int32_t id) const;

  // The situation a walk starts from, as far as it decides what the walk
  // does when it collects nothing: written at `key`, which has room for
  // kMaxKeySize bytes; returns its size.
  std::size_t situation(int state, const char* position, char* key) const;
  static constexpr std::size_t kMaxKeySize = 256;

  std::set<std::string> forms_;
  // Walks entered by reading a character that collected nothing, by their
  // situation, with the tried marks after them and whether they cleared the
  // match counts of the items below them: the same situation walks the same
  // way and again collects nothing, so only its marks are set. The table
  // is the thread's, reused from search to search, unless another search
  // of the thread holds it.
  FailedWalkTable* failed_ = nullptr;
  std::unique_ptr<FailedWalkTable> own_failed_;
  bool holds_thread_table_ = false;
  uint64_t collects_ = 0;
  // Repair walks under way.
  int repairs_walked_ = 0;
  std::shared_ptr<AFst> guesser_;
  std::shared_ptr<nlohmann::json> config_;
  std::shared_ptr<GuesserFactory> text_;
  GuesserStack stack_;
  std::vector<ResultEntry> results_;
  std::vector<int32_t> tried_;
  std::vector<int32_t> in_force_;
  uint64_t steps_ = 0;
  bool exhausted_ = false;
  uint64_t budget_ = kGuesserSearchBudget;
  std::function<bool(const ResultEntry&)> settles_;
  bool settled_ = false;
  std::function<bool(const ResultEntry&)> answers_;
  // The best result that answers_ accepted, by filter()'s ranking.
  bool have_best_ = false;
  int32_t best_repairs_ = 0;
  double best_score_ = 0;
  // Texts of labels beyond the network's lists; one for each side, since
  // a walk step holds an input and an output label at once.
  mutable std::string scratch_;
  mutable std::string output_scratch_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_GUESSER_SEARCH_H_
