// The builder's operations on two networks, its files and its printers.

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <fst/arcsort.h>
#include <fst/cache.h>
#include <fst/compose.h>
#include <fst/connect.h>
#include <fst/determinize.h>
#include <fst/difference.h>
#include <fst/intersect.h>
#include <fst/relabel.h>
#include <fst/replace.h>
#include <fst/reverse.h>
#include <fst/rmepsilon.h>

#include "core-afst/builder.h"
#include "core-afst/transducer_file.h"

namespace zel {
namespace afst {

namespace {

using Arc = fst::StdArc;
using Network = fst::StdVectorFst;

constexpr float kDelta = 1.0F / 1024.0F;

// The library's lazy operations are expanded at once into their target, so
// their cache keeps nothing.
fst::CacheOptions expanding_cache() { return fst::CacheOptions(FLAGS_fst_default_cache_gc, 0); }

void remove_epsilons(Network& net) {
  fst::RmEpsilon(&net, true, Arc::Weight::Zero(), fst::kNoStateId, kDelta);
}

// Rewrites the output labels of `net` from keys of `from` to the keys that
// `to` gives the same texts (adding missing texts to `to`). Labels `from`
// does not hold (raw labels) stay as they are.
void rekey_outputs(Network& net, const fst::SymbolTable& from, fst::SymbolTable& to) {
  std::vector<std::pair<int, int>> pairs;
  for (const auto& symbol : from) {
    int64_t key = to.Find(symbol.Symbol());
    if (key == fst::kNoSymbol) key = to.AddSymbol(symbol.Symbol());
    pairs.emplace_back(static_cast<int>(symbol.Label()), static_cast<int>(key));
  }
  fst::Relabel(&net, std::vector<std::pair<int, int>>{}, pairs);
}

// A copy of a member whose output side is keyed in `lower` like its input
// side, so that the library compares texts when it compares labels; an
// acceptor by text is then an acceptor by key. Sorted as `compare` says.
template <class Compare>
Network keyed_by_lower(const Network& member, fst::SymbolTable& lower,
                       const fst::SymbolTable& upper, Compare compare) {
  Network copy(member);
  rekey_outputs(copy, upper, lower);
  copy.SetInputSymbols(&lower);
  copy.SetOutputSymbols(&lower);
  fst::ArcSort(&copy, compare);
  return copy;
}

}  // namespace

std::vector<std::shared_ptr<stack_item>>* Builder::two_member_group(const char* name) {
  stack_item* parent = current_->parent;
  if (parent == nullptr || parent->children.size() != 2) {
    std::cout << "Warning : FstBuilderCommands : " << name << " : Only works on a group of 2 networks."
              << std::flush;
    return nullptr;
  }
  return &parent->children;
}

void Builder::intersect() {
  auto* group = two_member_group("intersect");
  if (group == nullptr) return;
  const Network left =
      keyed_by_lower(*(*group)[0]->network, *lower_, *upper_, fst::OLabelCompare<Arc>());
  const Network right =
      keyed_by_lower(*(*group)[1]->network, *lower_, *upper_, fst::ILabelCompare<Arc>());
  auto result = newNetwork();
  *result = fst::IntersectFst<Arc>(left, right, expanding_cache());
  fst::Connect(result.get());
  rekey_outputs(*result, *lower_, *upper_);
  attach_tables(result.get());
  auto item = push(current_->parent);
  item->network = result;
  current_ = item.get();
}

void Builder::replace(const std::string& name) {
  auto* group = two_member_group("replace");
  if (group == nullptr) return;
  remove_epsilons(*(*group)[0]->network);
  remove_epsilons(*(*group)[1]->network);
  auto item = push(current_->parent);
  current_ = item.get();
  Network root(*(*group)[0]->network);
  Network inserted(*(*group)[1]->network);
  attach_tables(&root);
  attach_tables(&inserted);
  // The library replaces an arc by its output label, so the name's key is
  // the one the output table gives it.
  const int64_t key = upper_->Find(name);
  if (key == fst::kNoSymbol) {
    *item->network = root;
    return;
  }
  constexpr int kRootLabel = 1;
  const std::vector<std::pair<int, const fst::Fst<Arc>*>> networks = {
      {kRootLabel, &root}, {static_cast<int>(key), &inserted}};
  fst::Replace(networks, item->network.get(), kRootLabel, true);
}

void Builder::compose() {
  auto* group = two_member_group("compose");
  if (group == nullptr) return;
  remove_epsilons(*(*group)[0]->network);
  remove_epsilons(*(*group)[1]->network);
  auto item = push(current_->parent);
  const Network left =
      keyed_by_lower(*(*group)[0]->network, *lower_, *upper_, fst::OLabelCompare<Arc>());
  Network right(*(*group)[1]->network);
  attach_tables(&right);
  fst::ArcSort(&right, fst::ILabelCompare<Arc>());
  *item->network = fst::ComposeFst<Arc>(left, right, expanding_cache());
  fst::Connect(item->network.get());
  attach_tables(item->network.get());
}

void Builder::difference() {
  auto* group = two_member_group("difference");
  if (group == nullptr) return;
  remove_epsilons(*(*group)[0]->network);
  remove_epsilons(*(*group)[1]->network);
  const Network left =
      keyed_by_lower(*(*group)[0]->network, *lower_, *upper_, fst::OLabelCompare<Arc>());
  const Network subtrahend =
      keyed_by_lower(*(*group)[1]->network, *lower_, *upper_, fst::ILabelCompare<Arc>());
  auto deterministic = newNetwork();
  const fst::DeterminizeOptions<Arc> options(kDelta, Arc::Weight::Zero(), fst::kNoStateId, 0);
  fst::Determinize(subtrahend, deterministic.get(), options);
  fst::ArcSort(deterministic.get(), fst::ILabelCompare<Arc>());
  push();
  auto result = std::make_shared<Network>();
  *result = fst::DifferenceFst<Arc>(left, *deterministic, expanding_cache());
  fst::Connect(result.get());
  rekey_outputs(*result, *lower_, *upper_);
  attach_tables(result.get());
  current_->network = result;
}

void Builder::reverse() {
  auto out = newNetwork();
  fst::Reverse(current_network(), out.get());
  current_->network = out;
}

void Builder::invert() { std::swap(lower_, upper_); }

bool Builder::read_fst(std::string filename) {
  // The library reads standard input for an empty name.
  if (filename.empty()) return false;
  // Checked as it is read (transducer_file.h), so that a damaged file is
  // refused rather than trusted; a network may lack its tables here.
  TransducerRules rules;
  rules.symbol_tables = false;
  rules.utf8_symbols = false;
  std::string bytes;
  std::string fault;
  if (!read_transducer_bytes(filename, &bytes, &fault)) return false;
  std::shared_ptr<Network> net = read_transducer(bytes, &fault, rules);
  if (net == nullptr) return false;
  push_network(net);
  return true;
}

void Builder::read(const std::string& filename) {
  if (!read_fst(filename)) throw std::runtime_error("Could not read from stream. [" + filename + "]");
}

bool Builder::write(std::string filename) {
  // The library writes to standard output for an empty name.
  if (filename.empty()) return false;
  std::shared_ptr<Network> held = current_->network;
  attach_tables(held.get());
  return held->Write(filename);
}

void Builder::save(const std::string& filename) {
  if (!write(filename)) throw std::runtime_error("Could not save the " + filename + ".");
}

void Builder::raw_save(const std::string& filename) { save(filename); }

bool Builder::write(std::ostream& os, const fst::FstWriteOptions& options) {
  std::shared_ptr<Network> held = current_->network;
  attach_tables(held.get());
  return held->Write(os, options);
}

void Builder::write(std::ostream& os) {
  build(true);
  // Held for the write, whatever the stream's owner does meanwhile.
  std::shared_ptr<Network> held = current_->network;
  const fst::FstWriteOptions options("stream", true, true, true, FLAGS_fst_align);
  if (!held->Write(os, options)) throw std::runtime_error("Could not save to stream.");
}

void Builder::print_stack(std::string) {}

void Builder::print_stack_item(int depth, std::shared_ptr<stack_item> item) {
  for (int i = 0; i < depth; ++i) std::cout << "  ";
  std::cout << static_cast<const void*>(item.get()) << "_separator_type:" << item->separator_type
            << " group_size:" << item->children.size() << std::endl;
  for (const auto& child : item->children) print_stack_item(depth + 1, child);
}

void Builder::print_lower(std::string title) {
  current_network().SetInputSymbols(lower_.get());
  print_symbol_table(title, lower_.get());
}

void Builder::print_upper(std::string title) {
  current_network().SetOutputSymbols(upper_.get());
  print_symbol_table(title, upper_.get());
}

void print_symbol_table(const std::string& title, const fst::SymbolTable* table) {
  std::cout << title << std::endl;
  for (size_t i = 0; i < table->NumSymbols(); ++i) {
    const int64_t key = table->GetNthKey(static_cast<ssize_t>(i));
    std::cout << i << ":" << key << "=" << table->Find(key) << std::endl;
  }
}

}  // namespace afst
}  // namespace zel
