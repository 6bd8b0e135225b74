// Builds finite-state transducers from a stream of calls.
//
// A caller opens a rule, appends arcs, opens nested groups, separates a
// group's members into alternatives or into an unordered set, closes groups
// with a repetition modifier and closes the rule; after any number of rules it
// unions them and asks for the optimised result:
//
//   zel::afst::Builder b;
//   b.open_rule();
//   b.pushArc("a");
//   b.open_group();
//   b.pushArc("b");
//   b.separator("union");
//   b.pushArc("c");
//   b.close_group("");
//   b.pushArc("d");
//   b.close_rule();
//   fst::StdVectorFst* net = b.build(true);   // reads a, then b or c, then d
//
// Every label is a text kept whole as one symbol: input texts live in the
// symbol table "lower", output texts in "upper". Both tables hold "eps" with
// key 0 (the library's epsilon) and "EPS" with key 1 (the label that
// determinisation writes for residual output). Every arc and every final state
// carries the weight One. The networks of a builder share its two tables,
// which grow in place as symbols are added: a network handed out sees the
// symbols added after it as well (a key never changes its text), and adding a
// symbol costs the same however many networks share the table.
//
// Failures are std::runtime_error with fixed texts (see each operation); fatal
// reports of the finite-state library arrive as AFSTException. A builder
// belongs to one thread at a time.

#ifndef KAVERO_CORE_AFST_BUILDER_H_
#define KAVERO_CORE_AFST_BUILDER_H_

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <fst/fst.h>
#include <fst/symbol-table.h>
#include <fst/vector-fst.h>

namespace zel {
namespace afst {

// One node of the build tree.
struct stack_item {
  // The item's network. While a network is being built it may carry no
  // symbol tables; the builder attaches its tables whenever a network leaves
  // it (build, simple_copy, newNetwork, the writers).
  std::shared_ptr<fst::StdVectorFst> network;
  // The members of a group opened in this item, or the rules of a root.
  std::vector<std::shared_ptr<stack_item>> children;
  // The item this one is a child of; null for a root. Not owning.
  stack_item* parent = nullptr;
  // The operator joining the children: empty (plain), "union",
  // "unordered:adjacent", "unordered:shortest" or "unordered:longest".
  std::string separator_type;
  // True for a continuation item: it collects the arcs that follow a closed
  // group until they are concatenated onto the parent.
  bool concat_group = false;
};

// The characters that keep their backslash escape in the builder's text
// syntaxes (the colon is not among them). Each object file that includes
// this header builds its own copy at start-up.
static const std::set<char> builder_special_chars{'.', '*', '\\', '+', '?', '(', ')',
                                                  '[', ']', '{', '}', ',', '|', '$'};

// The raw input labels of the separator arcs of unordered groups (output
// label 0). They are written without any symbol table.
constexpr uint32_t kUnorderedShortestLabel = 0x80000000u;
constexpr uint32_t kUnorderedLongestLabel = 0x90000000u;

class Builder {
 public:
  enum group_modifiers_type {
    closure_star = 0,      // "*": zero or more
    closure_plus = 1,      // "+": one or more
    closure_optional = 2,  // "?": zero or one
  };

  // The largest repetition count a closure accepts. Each repetition is a
  // copy of the network, so a count written by mistake (a range part of
  // "-1" read as unsigned, say) would otherwise exhaust memory.
  static constexpr unsigned kMaxRepetitions = 1000;
  // The largest number of members of an unordered group. The expansion
  // builds one network per order of the members, n! in all; 8 members are
  // 40320 orders.
  static constexpr size_t kMaxUnorderedMembers = 8;

  Builder();
  ~Builder();
  Builder(const Builder&) = delete;
  Builder& operator=(const Builder&) = delete;

  // --- Construction, stack and items -------------------------------------

  // Releases every root, starts one new root and new "lower" and "upper"
  // tables. Whether the tables are read-only is kept.
  void clear();
  // Appends a new root (one state, the start) and makes it current.
  void add_root();
  // A new child of the current item becomes current.
  void push();
  // A new child of `item`; the current item is unchanged.
  std::shared_ptr<stack_item> push(stack_item* item);
  // The last root becomes current and a new rule is opened under it.
  void open_rule();
  // Finishes what came before and opens the first member of a group.
  void open_group();
  // Finishes the current member, sets the group's operator to `s` and opens
  // the next member. On a root (no group) raises the error of pop().
  void separator(const std::string& s);
  // separator("unordered:" + s) for "adjacent", "shortest" and "longest";
  // any other `s` is ignored.
  void unordered_separator(const std::string& s);
  // Whether the current item's group is a "union" group.
  bool orit();
  // Whether the current item's group is an unordered group.
  bool unorderit();
  // Removes the parent's last child; its new last child (or the parent)
  // becomes current. On a root raises "AFST Builder fatal error:To many pops."
  void pop();
  // Exchanges the two members of a group of exactly two; otherwise nothing.
  void swap();
  // Concatenates the group's last member onto the one before it and pops it;
  // nothing when the group has fewer than two members (or on a root).
  void concat();
  // Flushes a continuation item into its parent (or drops it when empty).
  // Returns whether the current item was a continuation item.
  bool closing_concat_group();
  // When the current item is its parent's only child: concatenates it onto
  // the parent and pops it.
  void append2ParentNode();
  // Closes the group of the current item: merges its members by the group's
  // operator, applies the modifier ("", "*", "+", "?", "n" or "n,m"), appends
  // the result to the enclosing item and opens a continuation item.
  void close_group(const std::string& modifier);
  void close_rule();
  // The end state (the highest-numbered one) of the current network becomes
  // final.
  void set_final();
  void set_final(int state);
  // Forgets whether the current network is an acceptor (the library finds
  // out again when asked), sorts its arcs by input label and gives it the
  // builder's tables.
  void setProperties();
  // A new network without states, carrying the builder's tables.
  std::shared_ptr<fst::StdVectorFst> newNetwork();
  // A full copy of `n` carrying the builder's tables.
  std::shared_ptr<fst::StdVectorFst> newNetwork(const fst::StdVectorFst* n);
  // setProperties(), then the current network itself (shared, not copied).
  std::shared_ptr<fst::StdVectorFst> simple_copy();
  // Raises std::runtime_error("AFST Builder fatal error:" + message).
  [[noreturn]] void throw_exception(const std::string& message) const;

  // --- Arcs and symbols --------------------------------------------------
  // Each pushing operation adds a new state to the current network and an
  // arc from the end state to it.

  // With read-only tables both texts must be known already; otherwise they
  // are added when missing. Errors:
  //   "ERROR: afst:builder::pushArc (lower) table is read only and label is not found[" in "]"
  //   "ERROR: afst:builder::pushArc (upper) table is read only and label is not found[" out "]"
  void pushArc(const std::string& in, const std::string& out);
  void pushArc(const std::string& s);
  // As pushArc, but always adds missing texts.
  void pushUtf8Arc(const std::string& in, const std::string& out);
  // An arc with raw labels (taken as 32-bit numbers); no table is touched.
  void pushArcIDs(const long& in, const long& out);
  // One arc between two existing states; no state is added.
  void addArc(int from, int to, const std::string& in, const std::string& out);
  void addEpsilon();
  void push_lable(const std::string& s);
  void push_lower_lable(const std::string& s);
  void push_upper_lable(const std::string& s);
  void set_read_only_tables(bool read_only);
  // Networks made earlier keep the tables they were given.
  void set_lower_table(std::shared_ptr<fst::SymbolTable> table);
  void set_upper_table(std::shared_ptr<fst::SymbolTable> table);

  // --- Groups, repetition and results --------------------------------------

  // From `min` to `max` repetitions of the current network. Errors:
  // "ERROR: first range should be bigger then the second value" (max < min),
  // and a count above kMaxRepetitions.
  void closure(unsigned min, unsigned max);
  void closure(unsigned n);
  void closure(group_modifiers_type m);
  // "+", "*", "?", a count "n" or a range "n,m". Errors:
  // "ERROR: Invalid iterator type or range" (not one or two parts),
  // "ERROR: AFST Closure invalid_argument, could not convert value" (a part
  // that is no unsigned number, a negative one included),
  // "ERROR: AFST Closure out_of_range" (too large for an unsigned long), and
  // a count above kMaxRepetitions.
  void closure_modifier(const std::string& text);
  // Unions the group's members from `index` on into the member at `index`.
  void applyUnion(int index);
  // Unions all members of the group into its first member and optimises it.
  void union_groups();
  void determinize();
  void minimize();
  void removeEpsilon();
  // Determinises (and with `optimize` also minimises and removes epsilons)
  // the current network and returns it. The builder keeps owning it.
  fst::StdVectorFst* build(bool optimize);
  // Relabels `n` into the builder's tables (in place), wraps it in a new item
  // under the first root and makes that item current. `n` must carry both
  // symbol tables.
  std::shared_ptr<stack_item> push_network(std::shared_ptr<fst::StdVectorFst> n);
  // Relabels `n` likewise and appends it as a new child of the current item,
  // which stays current.
  void push_network_inplace(std::shared_ptr<fst::StdVectorFst> n);

  // --- Operations on a group of two networks, files, diagnostics ------------
  // The two-network operations work on the group of the current item, whose
  // first and second children are member 1 and member 2. When the group does
  // not hold exactly two members they write
  // "Warning : FstBuilderCommands : <name> : Only works on a group of 2 networks."
  // to standard output (no line break) and change nothing. Labels meet by
  // their texts: an output of member 1 matches an input of member 2 with the
  // same text, whatever keys the two tables gave that text.

  // The intersection of the two members, which must be acceptors (the same
  // text on both sides of every arc). Appended to the group as a third
  // member, which becomes current.
  void intersect();
  // Removes the members' epsilon arcs in place, then appends a third member,
  // which becomes current: member 1 with every arc whose output label is
  // `name` replaced by member 2. A `name` no arc carries leaves a copy of
  // member 1.
  void replace(const std::string& name);
  // Removes the members' epsilon arcs in place, then appends a third member
  // holding member 1 composed with member 2; the current item is unchanged.
  void compose();
  // Removes the members' epsilon arcs in place, then adds a new child of the
  // current item, which becomes current: the acceptor member 1 less the
  // acceptor member 2 (the same text on both sides of every arc).
  void difference();
  // The current network is replaced by its reversal.
  void reverse();
  // Exchanges the "lower" and "upper" tables.
  void invert();
  // Reads a network file (with both symbol tables, as the writers make it)
  // and pushes it (push_network); false when the file holds no readable
  // network. An empty name is no file.
  bool read_fst(std::string filename);
  // read_fst, raising "Could not read from stream. [" filename "]".
  void read(const std::string& filename);
  // Writes the current network, not optimised, with the builder's tables;
  // false when the file cannot be written (an empty name included).
  bool write(std::string filename);
  // write, raising "Could not save the " filename ".".
  void save(const std::string& filename);
  void raw_save(const std::string& filename);
  bool write(std::ostream& os, const fst::FstWriteOptions& options);
  // Optimises the current network (build(true)) and writes it with both
  // symbol tables; raises "Could not save to stream." when that fails.
  void write(std::ostream& os);
  // Does nothing.
  void print_stack(std::string);
  // Prints the subtree of `item` to standard output, one line per item:
  // two spaces per level, the item's address, "_separator_type:" and the
  // type, " group_size:" and the number of children.
  void print_stack_item(int depth, std::shared_ptr<stack_item> item);
  // Give the current network the builder's input (output) table and print
  // that table with print_symbol_table.
  void print_lower(std::string title);
  void print_upper(std::string title);

  // --- Read access ----------------------------------------------------------
  const std::vector<std::shared_ptr<stack_item>>& roots() const { return stack_; }
  stack_item* current_item() const { return current_; }
  const std::shared_ptr<fst::SymbolTable>& lower_table() const { return lower_; }
  const std::shared_ptr<fst::SymbolTable>& upper_table() const { return upper_; }
  bool read_only_tables() const { return read_only_tables_; }

 private:
  friend void foreach_child(
      Builder* builder,
      std::function<void(std::shared_ptr<fst::StdVectorFst>, const std::shared_ptr<stack_item>&)> f,
      int index);
  friend void foreach_group(
      Builder* builder, std::shared_ptr<fst::StdVectorFst> n,
      std::function<void(std::shared_ptr<fst::StdVectorFst>, const std::shared_ptr<stack_item>&)> f);

  std::shared_ptr<stack_item> new_item(stack_item* parent);
  fst::StdVectorFst& current_network();
  int add_arc_state(fst::StdVectorFst& net);
  void attach_tables(fst::StdVectorFst* net) const;
  void concat_networks(fst::StdVectorFst* target, fst::StdVectorFst* source);
  void expand_unordered(stack_item* group);
  std::vector<std::shared_ptr<stack_item>>* two_member_group(const char* name);

  std::vector<std::shared_ptr<stack_item>> stack_;
  stack_item* current_ = nullptr;
  std::shared_ptr<fst::SymbolTable> lower_;
  std::shared_ptr<fst::SymbolTable> upper_;
  bool read_only_tables_ = false;
};

using NetworkFunction =
    std::function<void(std::shared_ptr<fst::StdVectorFst>, const std::shared_ptr<stack_item>&)>;

// Unions the item's network into `target` (giving it the target's tables
// first); a network of one state (nothing appended) is skipped.
void union_networks(std::shared_ptr<fst::StdVectorFst> target,
                    const std::shared_ptr<stack_item>& item);
// Merges the group's members from `index` on into the member at `index`,
// which becomes current. Nothing when the group has fewer than two members
// or `index` is outside it.
void foreach_child(Builder* builder, NetworkFunction f, int index);
// Merges all members of the group into `n`, which becomes the first
// member's network; that member is optimised, given a single end state and
// becomes current. Nothing when the group has fewer than two members.
void foreach_group(Builder* builder, std::shared_ptr<fst::StdVectorFst> n, NetworkFunction f);
// Adds every text of `source` (keys 0, 1, 2, ... up to the first key the
// table does not hold) to `target` and lists the pairs (source key, target
// key).
std::vector<std::pair<int32_t, int32_t>> merge_tables(fst::SymbolTable* target,
                                                      const fst::SymbolTable* source);
// Prints the title, then one line "i:key=text" per symbol, to standard output.
void print_symbol_table(const std::string& title, const fst::SymbolTable* table);

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_BUILDER_H_
