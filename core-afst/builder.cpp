#include "core-afst/builder.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <fst/arcsort.h>
#include <fst/closure.h>
#include <fst/concat.h>
#include <fst/determinize.h>
#include <fst/minimize.h>
#include <fst/properties.h>
#include <fst/relabel.h>
#include <fst/rmepsilon.h>
#include <fst/union.h>

#include "base/string_util.h"

namespace zel {
namespace afst {

namespace {

using Arc = fst::StdArc;
using Weight = Arc::Weight;
using Network = fst::StdVectorFst;

// Quantisation delta of determinisation, minimisation and epsilon removal.
constexpr float kDelta = 1.0F / 1024.0F;

// The label determinisation writes on the arc that carries residual output.
constexpr int kSubsequentialLabel = 1;

// Finishing: the end state (the highest-numbered one) becomes final.
void finish(Network& net) {
  if (net.NumStates() > 0) net.SetFinal(net.NumStates() - 1, Weight::One());
}

// A network into which nothing was built may have no state at all; it is
// given its start state, so that it stands, as a network of one state does,
// for the empty sequence, and a closure has a state to finish.
void start_empty_network(Network& net) {
  if (net.NumStates() == 0) net.SetStart(net.AddState());
}

// The builder's symbol tables. A network given a table shares its contents
// with it, and adding a symbol through the library's interface to a table
// whose contents are shared copies the whole table first (copy on write):
// once per new symbol when networks are made between additions, which is
// quadratic in the number of symbols. The builder's tables add their
// symbols in place instead, so every network of a builder sees one growing
// table; tables only grow and a key never changes its text, so a network's
// labels keep their texts. The builder adds symbols only through add():
// the library's own AddSymbol would take the contents as shared and give
// the table object a copy of its own.
class GrowingTable : public fst::SymbolTable {
 public:
  explicit GrowingTable(const std::string& name)
      : GrowingTable(std::make_shared<fst::internal::SymbolTableImpl>(name)) {}
  int64_t add(const std::string& text) { return contents_->AddSymbol(text); }
 private:
  explicit GrowingTable(std::shared_ptr<fst::internal::SymbolTableImpl> contents)
      : fst::SymbolTable(contents), contents_(std::move(contents)) {}
  std::shared_ptr<fst::internal::SymbolTableImpl> contents_;
};

std::shared_ptr<Network> network_with_start() {
  auto net = std::make_shared<Network>();
  net->SetStart(net->AddState());
  return net;
}

// Reads one count of a repetition range: an unsigned decimal number not
// above the builder's limit. A minus sign is refused rather than wrapped
// around to a count near 2^64.
unsigned parse_count(const std::string& part) {
  size_t first = 0;
  while (first < part.size() && std::isspace(static_cast<unsigned char>(part[first]))) ++first;
  if (first < part.size() && part[first] == '-') {
    throw std::runtime_error("ERROR: AFST Closure invalid_argument, could not convert value");
  }
  unsigned long value = 0;
  try {
    value = std::stoul(part);
  } catch (const std::invalid_argument&) {
    throw std::runtime_error("ERROR: AFST Closure invalid_argument, could not convert value");
  } catch (const std::out_of_range&) {
    throw std::runtime_error("ERROR: AFST Closure out_of_range");
  }
  if (value > Builder::kMaxRepetitions) {
    throw std::runtime_error("ERROR: AFST Closure repetition count " + std::to_string(value) +
                             " is above the limit of " +
                             std::to_string(Builder::kMaxRepetitions));
  }
  return static_cast<unsigned>(value);
}

}  // namespace

Builder::Builder() { clear(); }

Builder::~Builder() = default;

// --- Construction, stack and items ------------------------------------------

void Builder::clear() {
  stack_.clear();
  current_ = nullptr;
  add_root();
  auto lower = std::make_shared<GrowingTable>("lower");
  auto upper = std::make_shared<GrowingTable>("upper");
  for (const char* text : {"eps", "EPS"}) {
    lower->add(text);
    upper->add(text);
  }
  lower_ = std::move(lower);
  upper_ = std::move(upper);
}

std::shared_ptr<stack_item> Builder::new_item(stack_item* parent) {
  auto item = std::make_shared<stack_item>();
  item->network = network_with_start();
  item->parent = parent;
  return item;
}

void Builder::add_root() {
  // A root has no parent: pop() on it must fail rather than reach into an
  // item that the root does not belong to (and that may be gone by then).
  auto root = new_item(nullptr);
  stack_.push_back(root);
  current_ = root.get();
}

void Builder::push() {
  auto child = new_item(current_);
  current_->children.push_back(child);
  current_ = child.get();
}

std::shared_ptr<stack_item> Builder::push(stack_item* item) {
  auto child = new_item(item);
  item->children.push_back(child);
  return child;
}

void Builder::open_rule() {
  current_ = stack_.back().get();
  push();
}

void Builder::open_group() {
  closing_concat_group();
  set_final();
  push();
}

void Builder::separator(const std::string& s) {
  closing_concat_group();
  stack_item* parent = current_->parent;
  if (parent == nullptr) throw_exception("To many pops.");
  set_final();
  parent->separator_type = s;
  auto next = new_item(parent);
  parent->children.push_back(next);
  current_ = next.get();
}

void Builder::unordered_separator(const std::string& s) {
  if (s == "adjacent" || s == "shortest" || s == "longest") separator("unordered:" + s);
}

bool Builder::orit() {
  return current_->parent != nullptr && current_->parent->separator_type == "union";
}

bool Builder::unorderit() {
  return current_->parent != nullptr &&
         current_->parent->separator_type.compare(0, 9, "unordered") == 0;
}

void Builder::pop() {
  stack_item* parent = current_->parent;
  if (parent == nullptr) throw_exception("To many pops.");
  parent->children.pop_back();
  current_ = parent->children.empty() ? parent : parent->children.back().get();
}

void Builder::swap() {
  stack_item* parent = current_->parent;
  if (parent != nullptr && parent->children.size() == 2) {
    std::swap(parent->children[0], parent->children[1]);
  }
}

void Builder::concat() {
  stack_item* parent = current_->parent;
  if (parent == nullptr || parent->children.size() < 2) return;
  auto& group = parent->children;
  concat_networks(group[group.size() - 2]->network.get(), group.back()->network.get());
  pop();
}

bool Builder::closing_concat_group() {
  if (current_ == nullptr || !current_->concat_group) return false;
  if (current_->network->NumStates() > 1) {
    append2ParentNode();
  } else {
    pop();
  }
  return true;
}

void Builder::append2ParentNode() {
  stack_item* parent = current_->parent;
  if (parent == nullptr || parent->children.size() != 1) return;
  finish(*parent->network);
  finish(*current_->network);
  concat_networks(parent->network.get(), current_->network.get());
  pop();
}

void Builder::close_group(const std::string& modifier) {
  closing_concat_group();
  if (orit()) {
    union_groups();
  } else if (unorderit()) {
    expand_unordered(current_->parent);
  }
  if (!modifier.empty()) closure_modifier(modifier);
  append2ParentNode();
  if (current_ == nullptr || current_->concat_group) return;
  set_final();
  push();
  current_->concat_group = true;
}

void Builder::close_rule() {
  closing_concat_group();
  set_final();
}

void Builder::set_final() { finish(current_network()); }

void Builder::set_final(int state) {
  Network& net = current_network();
  if (state < 0 || state >= net.NumStates()) {
    throw_exception("set_final: no state " + std::to_string(state) + ".");
  }
  net.SetFinal(state, Weight::One());
}

void Builder::setProperties() {
  Network& net = current_network();
  net.SetProperties(0, fst::kAcceptor);
  // The network is marked input-label sorted, and so its arcs are sorted:
  // the library trusts the mark (composition searches arcs by it) and checks
  // it against the arcs whenever it computes properties.
  fst::ArcSort(&net, fst::ILabelCompare<Arc>());
  attach_tables(&net);
}

std::shared_ptr<fst::StdVectorFst> Builder::newNetwork() {
  auto net = std::make_shared<Network>();
  attach_tables(net.get());
  return net;
}

std::shared_ptr<fst::StdVectorFst> Builder::newNetwork(const fst::StdVectorFst* n) {
  auto net = std::make_shared<Network>(*n);
  // Setting the tables makes the copy independent of `n` at once.
  attach_tables(net.get());
  return net;
}

std::shared_ptr<fst::StdVectorFst> Builder::simple_copy() {
  setProperties();
  return current_->network;
}

void Builder::throw_exception(const std::string& message) const {
  throw std::runtime_error("AFST Builder fatal error:" + message);
}

fst::StdVectorFst& Builder::current_network() { return *current_->network; }

void Builder::attach_tables(fst::StdVectorFst* net) const {
  net->SetInputSymbols(lower_.get());
  net->SetOutputSymbols(upper_.get());
}

// The library refuses to join networks whose symbol tables differ. Tables
// attached at different moments of a build differ only by the symbols added
// since, and all keys are the builder's, so the source takes the target's.
void Builder::concat_networks(fst::StdVectorFst* target, fst::StdVectorFst* source) {
  if (target->InputSymbols() != nullptr && source->InputSymbols() != nullptr) {
    source->SetInputSymbols(target->InputSymbols());
  }
  if (target->OutputSymbols() != nullptr && source->OutputSymbols() != nullptr) {
    source->SetOutputSymbols(target->OutputSymbols());
  }
  fst::Concat(target, *source);
}

// --- Arcs and symbols -----------------------------------------------------------

// Adds the arc's destination state and returns the source: the end state
// before the call. A network without states gets a start state first.
int Builder::add_arc_state(fst::StdVectorFst& net) {
  if (net.NumStates() == 0) net.SetStart(net.AddState());
  const int src = net.NumStates() - 1;
  net.AddState();
  return src;
}

namespace {

int64_t add_if_missing(fst::SymbolTable& table, const std::string& text) {
  // Find first: adding to a table shared with a network copies it.
  const int64_t key = table.Find(text);
  if (key != fst::kNoSymbol) return key;
  // A table set from outside keeps copy on write: networks made with it
  // keep the contents they were given.
  if (auto* growing = dynamic_cast<GrowingTable*>(&table)) return growing->add(text);
  return table.AddSymbol(text);
}

}  // namespace

void Builder::pushArc(const std::string& in, const std::string& out) {
  Network& net = current_network();
  const int src = add_arc_state(net);
  const int dst = src + 1;
  int64_t in_key;
  int64_t out_key;
  if (read_only_tables_) {
    in_key = lower_->Find(in);
    if (in_key == fst::kNoSymbol) {
      throw std::runtime_error(
          "ERROR: afst:builder::pushArc (lower) table is read only and label is not found[" + in +
          "]");
    }
    out_key = upper_->Find(out);
    if (out_key == fst::kNoSymbol) {
      throw std::runtime_error(
          "ERROR: afst:builder::pushArc (upper) table is read only and label is not found[" + out +
          "]");
    }
  } else {
    in_key = add_if_missing(*lower_, in);
    out_key = add_if_missing(*upper_, out);
  }
  net.AddArc(src, Arc(static_cast<int>(in_key), static_cast<int>(out_key), Weight::One(), dst));
}

void Builder::pushArc(const std::string& s) { pushArc(s, s); }

void Builder::pushUtf8Arc(const std::string& in, const std::string& out) {
  Network& net = current_network();
  const int src = add_arc_state(net);
  const auto in_key = add_if_missing(*lower_, in);
  const auto out_key = add_if_missing(*upper_, out);
  net.AddArc(src, Arc(static_cast<int>(in_key), static_cast<int>(out_key), Weight::One(), src + 1));
}

void Builder::pushArcIDs(const long& in, const long& out) {
  Network& net = current_network();
  const int src = add_arc_state(net);
  const auto in_label = static_cast<int32_t>(static_cast<uint32_t>(in));
  const auto out_label = static_cast<int32_t>(static_cast<uint32_t>(out));
  net.AddArc(src, Arc(in_label, out_label, Weight::One(), src + 1));
}

void Builder::addArc(int from, int to, const std::string& in, const std::string& out) {
  Network& net = current_network();
  if (from < 0 || from >= net.NumStates() || to < 0 || to >= net.NumStates()) {
    throw_exception("addArc: no state " + std::to_string(from < 0 || from >= net.NumStates() ? from : to) +
                    ".");
  }
  const auto in_key = add_if_missing(*lower_, in);
  const auto out_key = add_if_missing(*upper_, out);
  net.AddArc(from, Arc(static_cast<int>(in_key), static_cast<int>(out_key), Weight::One(), to));
}

void Builder::addEpsilon() {
  add_if_missing(*lower_, "eps");
  add_if_missing(*upper_, "eps");
}

void Builder::push_lable(const std::string& s) {
  add_if_missing(*lower_, s);
  add_if_missing(*upper_, s);
}

void Builder::push_lower_lable(const std::string& s) { add_if_missing(*lower_, s); }

void Builder::push_upper_lable(const std::string& s) { add_if_missing(*upper_, s); }

void Builder::set_read_only_tables(bool read_only) { read_only_tables_ = read_only; }

void Builder::set_lower_table(std::shared_ptr<fst::SymbolTable> table) { lower_ = std::move(table); }

void Builder::set_upper_table(std::shared_ptr<fst::SymbolTable> table) { upper_ = std::move(table); }

// --- Groups, repetition and results --------------------------------------------

void Builder::closure(unsigned min, unsigned max) {
  if (max < min) {
    throw std::runtime_error("ERROR: first range should be bigger then the second value");
  }
  if (max > kMaxRepetitions) {
    throw std::runtime_error("ERROR: AFST Closure repetition count " + std::to_string(max) +
                             " is above the limit of " + std::to_string(kMaxRepetitions));
  }
  start_empty_network(current_network());
  set_final();
  auto a = newNetwork(current_->network.get());
  auto b = newNetwork(current_->network.get());
  // The network may end in several final states (a closure inside it leaves
  // one after each count it allows); every one of them ends an accepted
  // number of repetitions, not only the end state.
  std::vector<int> finals;
  if (min == 0) finals.push_back(a->Start());
  for (unsigned i = 1; i < max; ++i) {
    if (i >= min) {
      for (int s = 0; s < a->NumStates(); ++s) {
        if (a->Final(s) != Weight::Zero()) finals.push_back(s);
      }
    }
    fst::Concat(a.get(), *b);
  }
  finish(*a);
  for (int s : finals) a->SetFinal(s, Weight::One());
  current_->network = a;
}

void Builder::closure(unsigned n) { closure(n, n); }

void Builder::closure(group_modifiers_type m) {
  start_empty_network(current_network());
  set_final();
  switch (m) {
    case closure_star:
      fst::Closure(&current_network(), fst::CLOSURE_STAR);
      break;
    case closure_plus:
      fst::Closure(&current_network(), fst::CLOSURE_PLUS);
      break;
    case closure_optional:
      closure(0, 1);
      break;
  }
}

void Builder::closure_modifier(const std::string& text) {
  if (text == "+") return closure(closure_plus);
  if (text == "*") return closure(closure_star);
  if (text == "?") return closure(closure_optional);
  const std::vector<std::string> parts = zel::string::split_vector(text, ',', false);
  if (parts.size() == 1) return closure(parse_count(parts[0]));
  if (parts.size() == 2) {
    const unsigned min = parse_count(parts[0]);
    const unsigned max = parse_count(parts[1]);
    return closure(min, max);
  }
  throw std::runtime_error("ERROR: Invalid iterator type or range");
}

void Builder::applyUnion(int index) { foreach_child(this, union_networks, index); }

void Builder::union_groups() { foreach_group(this, newNetwork(), union_networks); }

void Builder::determinize() {
  auto out = newNetwork();
  const fst::DeterminizeOptions<Arc> options(kDelta, Weight::Zero(), fst::kNoStateId,
                                             kSubsequentialLabel);
  fst::Determinize(current_network(), out.get(), options);
  current_->network = out;
}

void Builder::minimize() { fst::Minimize<Arc>(&current_network(), nullptr, kDelta); }

void Builder::removeEpsilon() {
  fst::RmEpsilon(&current_network(), true, Weight::Zero(), fst::kNoStateId, kDelta);
}

fst::StdVectorFst* Builder::build(bool optimize) {
  setProperties();
  determinize();
  if (optimize) {
    setProperties();
    minimize();
    setProperties();
    removeEpsilon();
  }
  setProperties();
  return current_->network.get();
}

std::shared_ptr<stack_item> Builder::push_network(std::shared_ptr<fst::StdVectorFst> n) {
  if (n == nullptr || n->InputSymbols() == nullptr || n->OutputSymbols() == nullptr) {
    throw_exception("push_network: the network needs both symbol tables.");
  }
  const auto in_pairs = merge_tables(lower_.get(), n->InputSymbols());
  const auto out_pairs = merge_tables(upper_.get(), n->OutputSymbols());
  fst::Relabel(n.get(), in_pairs, out_pairs);
  auto item = std::make_shared<stack_item>();
  item->network = std::move(n);
  item->parent = stack_.front().get();
  stack_.front()->children.push_back(item);
  current_ = item.get();
  return item;
}

void Builder::push_network_inplace(std::shared_ptr<fst::StdVectorFst> n) {
  if (n == nullptr || n->InputSymbols() == nullptr || n->OutputSymbols() == nullptr) {
    throw_exception("push_network: the network needs both symbol tables.");
  }
  const auto in_pairs = merge_tables(lower_.get(), n->InputSymbols());
  const auto out_pairs = merge_tables(upper_.get(), n->OutputSymbols());
  fst::Relabel(n.get(), in_pairs, out_pairs);
  auto item = std::make_shared<stack_item>();
  item->network = std::move(n);
  item->parent = current_;
  current_->children.push_back(item);
}

// --- Unordered groups -------------------------------------------------------------

// Expands an unordered group into the determinised union, over every order of
// its members, of the members concatenated in that order with the kind's
// separator network between neighbours.
void Builder::expand_unordered(stack_item* group) {
  const std::string kind = group->separator_type;
  std::function<void(Builder&)> separator_action;
  if (kind == "unordered:adjacent") {
    separator_action = [](Builder& b) { b.close_group(""); };
  } else if (kind == "unordered:shortest") {
    separator_action = [](Builder& b) {
      b.pushArcIDs(kUnorderedShortestLabel, 0);
      b.close_group("");
    };
  } else if (kind == "unordered:longest") {
    separator_action = [](Builder& b) {
      b.pushArcIDs(kUnorderedLongestLabel, 0);
      b.close_group("*");
    };
  }
  // Both refusals come before anything changes, so the builder keeps the
  // group as it was.
  if (!separator_action && group->children.size() >= 2) throw std::bad_function_call();
  if (group->children.size() > kMaxUnorderedMembers) {
    throw_exception("unordered group of " + std::to_string(group->children.size()) +
                    " members is above the limit of " + std::to_string(kMaxUnorderedMembers) +
                    ".");
  }

  current_ = group;
  std::vector<std::shared_ptr<stack_item>> members = group->children;
  const auto by_identity = [](const std::shared_ptr<stack_item>& x,
                              const std::shared_ptr<stack_item>& y) { return x.get() < y.get(); };
  std::sort(members.begin(), members.end(), by_identity);
  group->children.clear();

  Builder orders;
  do {
    Builder one;
    for (size_t i = 0; i < members.size(); ++i) {
      if (i > 0) {
        one.open_rule();
        one.open_group();
        separator_action(one);
        one.close_rule();
        one.concat();
      }
      auto copy = newNetwork(members[i]->network.get());
      finish(*copy);
      one.push_network(copy);
      one.concat();
    }
    one.build(false);
    orders.push_network(one.current_->network);
  } while (std::next_permutation(members.begin(), members.end(), by_identity));

  orders.applyUnion(0);
  orders.build(false);
  push_network_inplace(orders.current_->network);
  current_ = group->children.back().get();
}

// --- Free functions --------------------------------------------------------------

namespace {

// The library's union reserves exactly the states it adds, so a long run of
// unions into one network would move its states once per union; room for all
// of them up front keeps the run linear.
void reserve_for_union(fst::StdVectorFst& target,
                       const std::vector<std::shared_ptr<stack_item>>& group, int from) {
  size_t states = static_cast<size_t>(target.NumStates()) + 1;
  for (size_t i = static_cast<size_t>(from); i < group.size(); ++i) {
    states += static_cast<size_t>(group[i]->network->NumStates());
  }
  target.ReserveStates(static_cast<int>(states));
}

}  // namespace

void union_networks(std::shared_ptr<fst::StdVectorFst> target,
                    const std::shared_ptr<stack_item>& item) {
  Network& net = *item->network;
  if (net.NumStates() <= 1) return;
  net.SetInputSymbols(target->InputSymbols());
  net.SetOutputSymbols(target->OutputSymbols());
  fst::Union(target.get(), net);
}

void foreach_child(Builder* builder, NetworkFunction f, int index) {
  stack_item* parent = builder->current_->parent;
  if (parent == nullptr || parent->children.size() <= 1) return;
  const int size = static_cast<int>(parent->children.size());
  if (index < 0 || index >= size) return;
  builder->set_final();
  auto n = builder->newNetwork();
  n->SetStart(n->AddState());
  // The children are held here: f may not see them released meanwhile.
  const std::vector<std::shared_ptr<stack_item>> group = parent->children;
  reserve_for_union(*n, group, index);
  for (int i = index; i < size; ++i) f(n, group[i]);
  for (int i = 0; i < size - index - 1; ++i) builder->pop();
  builder->current_->network = n;
}

void foreach_group(Builder* builder, std::shared_ptr<fst::StdVectorFst> n, NetworkFunction f) {
  stack_item* parent = builder->current_->parent;
  if (parent == nullptr || parent->children.size() <= 1) return;
  builder->set_final();
  const std::vector<std::shared_ptr<stack_item>> group = parent->children;
  reserve_for_union(*n, group, 0);
  for (const auto& child : group) f(n, child);
  // Empty members are dropped; when every member was empty the group is
  // the empty sequence, not a network without states, which accepts
  // nothing and on which later finishes and closures have no state to mark.
  if (n->NumStates() == 0) {
    n->SetStart(n->AddState());
    n->SetFinal(n->Start(), Weight::One());
  }
  for (size_t i = 0; i + 1 < group.size(); ++i) builder->pop();
  builder->current_->network = n;
  builder->determinize();
  builder->minimize();
  builder->removeEpsilon();
  // Optimisation may leave several final states anywhere in the numbering;
  // one epsilon arc from all of them to a new last state restores the single
  // end state that later arcs and finishes rely on.
  stack_item* first = builder->current_;
  builder->push();
  if (first->children.size() == 1) {
    builder->pushUtf8Arc("eps", "eps");
    builder->concat_networks(first->network.get(), builder->current_->network.get());
  }
  builder->pop();
}

std::vector<std::pair<int32_t, int32_t>> merge_tables(fst::SymbolTable* target,
                                                      const fst::SymbolTable* source) {
  std::vector<std::pair<int32_t, int32_t>> pairs;
  // The walk ends at the first missing key. An empty text is a symbol like
  // any other (the table reads a missing key as the empty text as well, so
  // the key of the empty symbol tells them apart): stopping there would
  // leave every later label unmapped.
  for (int64_t key = 0;; ++key) {
    const std::string text = source->Find(key);
    if (text.empty() && source->Find(text) != key) break;
    const int64_t target_key = add_if_missing(*target, text);
    pairs.emplace_back(static_cast<int32_t>(key), static_cast<int32_t>(target_key));
  }
  return pairs;
}

}  // namespace afst
}  // namespace zel
