#include "core-afst/guesser_search.h"

#include <fst/symbol-table.h>
#include <utf8.h>

#include <stdexcept>
#include <utility>

namespace zel {
namespace afst {

namespace {

bool is_epsilon(const std::string& label) { return label == "eps" || label == "EPS"; }

}  // namespace

// ---------------------------------------------------------------------------
// LevelGuardBase

LevelGuardBase::LevelGuardBase(GuesserLookupSession* session, const int& state,
                               const char* const& position, int depth, const std::string& output,
                               ArcSpan arcs)
    : session_(session), stack_(&session->stack()) {
  item_.state = state;
  item_.arcs = arcs;
  item_.position = position;
  item_.depth = depth;
  item_.output = output;
  item_.below = stack_->top;
  if (stack_->top != nullptr) {
    stack_->top->above = &item_;
  } else {
    stack_->bottom = &item_;
  }
  stack_->top = &item_;
  ++stack_->size;
  linked_ = true;
}

LevelGuardBase::~LevelGuardBase() { unlink(); }

void LevelGuardBase::unlink() {
  if (!linked_) return;
  linked_ = false;
  // Items leave the stack in the reverse order of their arrival.
  stack_->top = item_.below;
  if (item_.below != nullptr) {
    item_.below->above = nullptr;
  } else {
    stack_->bottom = nullptr;
  }
  --stack_->size;
}

void LevelGuardBase::remove() {
  if (!linked_) return;
  StackItem* item = &item_;
  if (item->below != nullptr && !session_->stopped()) {
    int64_t matches = 0;
    for (StackItem* p = item; p != nullptr && p->position == item->position; p = p->below) {
      matches += p->match_count;
    }
    if (matches == 0) {
      reset_previous_level_paths(item);
      session_->check_and_apply_fixes(*item);
    }
  }
  unlink();
}

void LevelGuardBase::reset_previous_level_paths(StackItem* item) {
  item->repair = true;
  StackItem* lowest = item;
  while (lowest->below != nullptr && lowest->below->position == item->position) {
    lowest = lowest->below;
    lowest->repair = true;
    lowest->above->repair = false;
  }
  StackItem* previous = lowest->below;
  if (previous == nullptr) return;
  const char* const position = previous->position;
  for (; previous != nullptr && previous->position == position; previous = previous->below) {
    previous->match_count = 0;
  }
}

bool LevelGuardBase::has_different_input_iterator(StackItem* item) const {
  return item->below != nullptr && item->below->position != item->position;
}

// ---------------------------------------------------------------------------
// GuesserLookupSession

GuesserLookupSession::GuesserLookupSession(std::shared_ptr<AFst> guesser,
                                           std::shared_ptr<nlohmann::json> config)
    : guesser_(std::move(guesser)), config_(std::move(config)) {
  if (!guesser_) throw std::invalid_argument("guesser search without a guesser network");
}

GuesserLookupSession::~GuesserLookupSession() = default;

std::vector<ResultEntry> GuesserLookupSession::lookup(const std::string& word) {
  if (guesser_->start() == fst::kNoStateId) return {};
  text_ = std::make_shared<GuesserFactory>(word.data(), word.data() + word.size());
  tried_.assign(word.size() + 1, 0);
  in_force_.assign(word.size() + 1, 0);
  const int start = guesser_->start();
  const char* const begin = text_->begin();
  LevelGuardBase root(this, start, begin, 0, std::string(), guesser_->start_arcs());
  lookup(root.top());
  root.remove();
  return results_;
}

bool GuesserLookupSession::tick() {
  if (stopped()) return false;
  if (++steps_ > kGuesserSearchBudget) {
    exhausted_ = true;
    return false;
  }
  return true;
}

const std::string& GuesserLookupSession::input_text(int32_t id) const {
  const auto& texts = guesser_->input_symbols();
  if (id >= 0 && static_cast<std::size_t>(id) < texts.size()) return texts[id];
  scratch_ = guesser_->fst().InputSymbols()->Find(id);
  return scratch_;
}

const std::string& GuesserLookupSession::output_text(int32_t id) const {
  const auto& texts = guesser_->output_symbols();
  if (id >= 0 && static_cast<std::size_t>(id) < texts.size()) return texts[id];
  output_scratch_ = guesser_->fst().OutputSymbols()->Find(id);
  return output_scratch_;
}

void GuesserLookupSession::descend(int state, ArcSpan arcs, const char* position, int depth,
                                   const std::string& output, Walk walk) {
  if (stopped()) return;
  if (stack_.size >= kGuesserMaxItems) {
    exhausted_ = true;
    return;
  }
  // The output is copied into the item before the nested walk can reuse
  // the text it refers to.
  LevelGuardBase guard(this, state, position, depth, output, arcs);
  switch (walk) {
    case Walk::kLookup:
      lookup(guard.top());
      break;
    case Walk::kIgnore:
      ignore_lookup(guard.top());
      break;
    case Walk::kOneMoreArc:
      ignore_lookup_one_more_arc(guard.top());
      break;
  }
  guard.remove();
}

void GuesserLookupSession::lookup(StackItem& item) {
  const AFst& net = *guesser_;
  const LookupArc* const first = net.arcs().data() + item.arcs.begin;
  const LookupArc* const last = net.arcs().data() + item.arcs.end;
  for (const LookupArc* arc = first; arc != last; ++arc) {
    if (!tick()) return;
    const bool beyond = arc->flags & LookupArc::kInputBeyondList;
    // What the label can do was worked out when the network was made; a
    // label beyond the network's lists is looked at here.
    const uint8_t kind =
        beyond ? InputLabel::classify(input_text(arc->input)).flags : arc->input_flags;
    const bool final = arc->flags & LookupArc::kTargetFinal;
    const char* const end = text_->end();
    const bool at_end = item.position == end;

    if (kind & InputLabel::kEpsilon) {
      const std::string& out = output_text(arc->output);
      if (final && at_end) collect(out);
      descend(arc->target, arc->target_arcs, item.position, item.depth + 1, out, Walk::kLookup);
      continue;
    }
    if (kind & InputLabel::kControl) {
      const std::string& out = output_text(arc->output);
      if (final && at_end && (kind & InputLabel::kEndControl)) collect(out);
      if (!at_end)
        descend(arc->target, arc->target_arcs, item.position, item.depth + 1, out, Walk::kLookup);
      continue;
    }
    // The label's first byte: that of its first code point when that is
    // ASCII, else read from the text. The empty label reads as a zero
    // byte, which no admitted word has.
    const bool ascii = !beyond && (kind & (InputLabel::kEmpty | InputLabel::kBadFirst)) == 0 &&
                       arc->first < 0x80;
    const char first_byte =
        ascii ? static_cast<char>(arc->first) : input_text(arc->input)[0];
    if (at_end || first_byte != *item.position) {
      if (kind & InputLabel::kAny) ++item.match_count;
      continue;
    }
    const char* after = item.position;
    const uint32_t c = utf8::next(after, end);
    if (after - item.position > 1) {
      uint32_t label_first = arc->first;
      if (beyond || (kind & InputLabel::kBadFirst)) {
        // Decoding the label again raises its UTF-8 error.
        const std::string& in = input_text(arc->input);
        auto it = in.begin();
        label_first = utf8::next(it, in.end());
      }
      if (label_first != c) continue;
    }
    ++item.match_count;
    const std::string& out = output_text(arc->output);
    if (final && after == end) collect(out);
    descend(arc->target, arc->target_arcs, after, item.depth + 1, out, Walk::kLookup);
  }
}

void GuesserLookupSession::ignore_lookup(StackItem& item) {
  const AFst& net = *guesser_;
  const LookupArc* const first = net.arcs().data() + item.arcs.begin;
  const LookupArc* const last = net.arcs().data() + item.arcs.end;
  for (const LookupArc* arc = first; arc != last; ++arc) {
    if (!tick()) return;
    const std::string& out = output_text(arc->output);
    const bool final = arc->flags & LookupArc::kTargetFinal;
    if (final && text_->end() - item.position <= 1) collect(out);
    descend(arc->target, arc->target_arcs, item.position, item.depth + 1, out, Walk::kLookup);
  }
}

void GuesserLookupSession::ignore_lookup_one_more_arc(StackItem& item) {
  const AFst& net = *guesser_;
  const LookupArc* const first = net.arcs().data() + item.arcs.begin;
  const LookupArc* const last = net.arcs().data() + item.arcs.end;
  for (const LookupArc* arc = first; arc != last; ++arc) {
    if (!tick()) return;
    const std::string& out = output_text(arc->output);
    const bool final = arc->flags & LookupArc::kTargetFinal;
    if (final && item.position == text_->end()) {
      collect(out);
      return;
    }
    const bool epsilon = (arc->flags & LookupArc::kInputBeyondList)
                             ? is_epsilon(input_text(arc->input))
                             : (arc->input_flags & InputLabel::kEpsilon) != 0;
    if (epsilon) {
      descend(arc->target, arc->target_arcs, item.position, item.depth + 1, out, Walk::kOneMoreArc);
    }
  }
}

void GuesserLookupSession::collect(const std::string& output) {
  std::string form;
  for (const StackItem* p = stack_.bottom; p != nullptr; p = p->above) {
    if (p->output != "eps") form += p->output;
  }
  if (output != "eps") form += output;
  if (!forms_.insert(form).second) return;

  const std::size_t n = text_->size();
  double sum = 0;
  int32_t repairs = 0;
  for (std::size_t i = 0; i <= n && i < in_force_.size(); ++i) {
    switch (in_force_[i]) {
      case kRepairMissing:
        sum += static_cast<double>(i) + 30;
        ++repairs;
        break;
      case kRepairSwap:
        sum += static_cast<double>(i) + 80;
        ++repairs;
        break;
      case kRepairMissingLast:
        sum += 20;
        ++repairs;
        break;
      case kRepairExtra:
        sum += static_cast<double>(i) + 60;
        ++repairs;
        break;
      default:
        sum += 100;
        break;
    }
  }
  results_.push_back(
      ResultEntry{"+guess", std::move(form), sum / static_cast<double>(n + 1) / 100.0, repairs});
  if (settles_ && settles_(results_.back())) settled_ = true;
}

void GuesserLookupSession::stop_when(std::function<bool(const ResultEntry&)> settles) {
  settles_ = std::move(settles);
}

bool GuesserLookupSession::allowed(std::size_t position, int32_t kind) const {
  if (tried_[position] & kind) {
    int marked = 0;
    const std::size_t n = text_->size();
    for (std::size_t i = 0; i <= n && i < tried_.size(); ++i) {
      if (tried_[i] != 0) ++marked;
    }
    return marked <= 2;
  }
  return tried_[position - 1] == 0;
}

void GuesserLookupSession::clear_after(std::vector<int32_t>& marks, std::size_t position,
                                       std::size_t last) const {
  for (std::size_t i = position + 1; i <= last && i < marks.size(); ++i) marks[i] = 0;
}

void GuesserLookupSession::check_and_apply_fixes(StackItem& item) {
  if (!item.repair || stopped()) return;
  // The repairs' items carry the output instead.
  const std::string kept = std::move(item.output);
  item.output.clear();
  const std::size_t before = results_.size();
  auto found = [&] { return results_.size() > before; };
  const char* const position = item.position;
  const std::size_t n = text_->offset(position);
  const std::size_t all = in_force_.size();
  // The tried marks are cleared up to the last position of the text as it
  // was made; none is ever set beyond it.
  const std::size_t last_tried =
      text_->initial_length() > 0 ? static_cast<std::size_t>(text_->initial_length() - 1) : 0;

  if (position == text_->end()) {
    // The word may lack its last character.
    if (results_.empty()) {
      in_force_[n] = kRepairMissingLast;
      descend(item.state, item.arcs, position, item.depth, kept, Walk::kOneMoreArc);
      if (found()) clear_after(in_force_, n, all);
      in_force_[n] = 0;
    }
    return;
  }
  // The first character is never repaired.
  if (n == 0) return;

  // A character too many: remove it.
  if (allowed(n, kRepairExtra)) {
    clear_after(tried_, n, last_tried);
    tried_[n] |= kRepairExtra;
    if (text_->end() - position >= 2) {
      const char* next = position;
      utf8::next(next, text_->end());
      text_->replace(position, next, position, position);
      in_force_[n] = kRepairExtra;
      descend(item.state, item.arcs, position, item.depth, kept, Walk::kLookup);
      clear_after(tried_, n, last_tried);
      if (found()) clear_after(in_force_, n, all);
      in_force_[n] = 0;
      text_->restore(position);
    }
  }

  // Two characters exchanged: exchange them back.
  if (!found() && allowed(n, kRepairSwap)) {
    clear_after(tried_, n, last_tried);
    tried_[n] |= kRepairSwap;
    const char* const end = text_->end();
    if (end - position >= 2 && position[0] != position[1]) {
      const char* second = position;
      utf8::next(second, end);
      if (second != end) {
        const char* third = second;
        utf8::next(third, end);
        std::string swapped(second, third);
        swapped.append(position, second);
        text_->replace(position, third, swapped.data(), swapped.data() + swapped.size());
        clear_after(in_force_, n, all);
        in_force_[n] = kRepairSwap;
        descend(item.state, item.arcs, position, item.depth, kept, Walk::kLookup);
        clear_after(tried_, n, last_tried);
        if (found()) clear_after(in_force_, n, all);
        in_force_[n] = 0;
        text_->restore(position);
      }
    }
  }

  // A character missing: follow one arc without reading.
  if (!allowed(n, kRepairMissing)) return;
  tried_[n] |= kRepairMissing;
  clear_after(tried_, n, last_tried);
  clear_after(in_force_, n, all);
  in_force_[n] = kRepairMissing;
  descend(item.state, item.arcs, position, item.depth, kept, Walk::kIgnore);
  clear_after(tried_, n, last_tried);
  if (found()) clear_after(in_force_, n, all);
  in_force_[n] = 0;
}

}  // namespace afst
}  // namespace zel
