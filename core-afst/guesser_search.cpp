#include "core-afst/guesser_search.h"

#include <fst/symbol-table.h>
#include <utf8.h>

#include <cstring>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace zel {
namespace afst {

namespace {

bool is_epsilon(const std::string& label) { return label == "eps" || label == "EPS"; }

// No position: score() takes the marks as they are.
constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

// The failed-walk table of the thread's searches, and whether a search
// holds it.
struct ThreadFailedWalks {
  FailedWalkTable table;
  bool held = false;
};
ThreadFailedWalks& thread_failed_walks() {
  thread_local ThreadFailedWalks walks;
  return walks;
}

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
  ++previous->clearings;
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
  ThreadFailedWalks& walks = thread_failed_walks();
  if (!walks.held) {
    walks.held = true;
    holds_thread_table_ = true;
    walks.table.clear();
    failed_ = &walks.table;
  } else {
    own_failed_ = std::make_unique<FailedWalkTable>();
    failed_ = own_failed_.get();
  }
}

GuesserLookupSession::~GuesserLookupSession() {
  if (holds_thread_table_) thread_failed_walks().held = false;
}

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
  if (++steps_ > budget_) {
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
  // A walk entered by reading a character is the only item at its
  // position, so what it does depends on nothing below it but the
  // situation; a walk that collects nothing does the same from the same
  // situation: it leaves the same tried marks and clears the match counts
  // below it or not. A walk above items at its position that matched
  // nothing, of which the lowest already keeps the repair flag and has
  // cleared the match counts below it (a repair's walk and the walks it
  // makes at its position), likewise: its items never make repairs at that
  // position, and what they do to the items below is done already.
  // Only a search told how its results are ranked takes this shortcut;
  // outside every repair's walk the same situation does not come back
  // (the walk reads the word once), so nothing is remembered there.
  StackItem* const below = stack_.top;
  bool memo = answers_ && below != nullptr && repairs_walked_ > 0;
  const bool alone = memo && below->position != position;
  if (memo && !alone) {
    StackItem* lowest = below;
    for (StackItem* p = below; p != nullptr && p->position == position; p = p->below) {
      if (p->match_count != 0) memo = false;
      lowest = p;
    }
    for (StackItem* p = below; memo && p != lowest; p = p->below) {
      if (p->repair) memo = false;
    }
    if (!lowest->repair) memo = false;
    if (lowest->below != nullptr) {
      for (StackItem* p = lowest->below; memo && p != nullptr && p->position == lowest->below->position;
           p = p->below) {
        if (p->match_count != 0) memo = false;
      }
    }
  }
  char key[kMaxKeySize];
  std::size_t key_size = 0;
  uint64_t key_hash = 0;
  if (memo) {
    key[0] = static_cast<char>(walk);
    key[1] = alone ? 1 : 0;
    key_size = 2 + situation(state, position, key + 2);
    key_hash = FailedWalkTable::hash(std::string_view(key, key_size));
    std::string_view known_tried;
    bool known_cleared = false;
    if (failed_->find(std::string_view(key, key_size), key_hash, &known_tried, &known_cleared)) {
      tick();
      const std::size_t p = text_->offset(position);
      for (std::size_t i = p; i < tried_.size(); ++i) {
        tried_[i] = static_cast<unsigned char>(known_tried[i - p]);
      }
      if (alone && known_cleared) {
        ++below->clearings;
        for (StackItem* p = below; p != nullptr && p->position == below->position; p = p->below) {
          p->match_count = 0;
        }
      }
      return;
    }
  }
  const uint64_t collects = collects_;
  const uint32_t clearings = below != nullptr ? below->clearings : 0;
  {
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
  if (memo && collects_ == collects && !stopped()) {
    char tried[kMaxKeySize];
    std::size_t size = 0;
    for (std::size_t i = text_->offset(position); i < tried_.size(); ++i) {
      tried[size++] = static_cast<char>(tried_[i]);
    }
    failed_->insert(std::string_view(key, key_size), key_hash, std::string_view(tried, size),
                    alone && below->clearings != clearings);
  }
}

std::size_t GuesserLookupSession::situation(int state, const char* position, char* key) const {
  // The walk reads the text from its position P on and makes repairs at P
  // and after. A repair at N looks at the tried marks at N - 1 and N and
  // at whether more than 2 positions carry one; so of the marks before
  // P - 1 only their number counts (up to 3). Whether anything was
  // collected yet decides on a missing last character. Once a result the
  // caller answers with is known, which repairs are left out by rank
  // depends on it and on the score so far, which the repairs in force
  // before P give as their number and the sum of their parts (whole
  // numbers, so their order does not matter).
  // The parts have fixed sizes but for the marks from P - 1 on, whose
  // number the text's length fixes, and the rest of the text, which comes
  // last after a zero byte; so no two situations give the same key.
  char* out = key;
  const auto append = [&out](const void* data, std::size_t size) {
    std::memcpy(out, data, size);
    out += size;
  };
  const std::size_t p = text_->offset(position);
  append(&state, sizeof state);
  *out++ = static_cast<char>(p);
  *out++ = results_.empty() ? 1 : 0;
  char marked = 0;
  for (std::size_t i = 0; i + 1 < p && i < tried_.size(); ++i) {
    if (tried_[i] != 0 && marked < 3) ++marked;
  }
  *out++ = marked;
  for (std::size_t i = p == 0 ? 0 : p - 1; i < tried_.size(); ++i) {
    *out++ = static_cast<char>(tried_[i]);
  }
  if (have_best_) {
    append(&best_repairs_, sizeof best_repairs_);
    append(&best_score_, sizeof best_score_);
    int32_t count = 0, sum = 0;
    for (std::size_t i = 0; i < p && i < in_force_.size(); ++i) {
      switch (in_force_[i]) {
        case kRepairMissing: sum += static_cast<int32_t>(i) + 30; ++count; break;
        case kRepairSwap: sum += static_cast<int32_t>(i) + 80; ++count; break;
        case kRepairMissingLast: sum += 20; ++count; break;
        case kRepairExtra: sum += static_cast<int32_t>(i) + 60; ++count; break;
        default: sum += 100; break;
      }
    }
    append(&count, sizeof count);
    append(&sum, sizeof sum);
    for (std::size_t i = p; i < in_force_.size(); ++i) *out++ = static_cast<char>(in_force_[i]);
  }
  *out++ = '\0';
  append(position, static_cast<std::size_t>(text_->end() - position));
  return static_cast<std::size_t>(out - key);
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
  ++collects_;
  std::string form;
  for (const StackItem* p = stack_.bottom; p != nullptr; p = p->above) {
    if (p->output != "eps") form += p->output;
  }
  if (output != "eps") form += output;
  if (!forms_.insert(form).second) return;

  double score = 1.0;
  int32_t repairs = 0;
  this->score(text_->size(), kNoPosition, 0, &score, &repairs);
  results_.push_back(ResultEntry{"+guess", std::move(form), score, repairs});
  const ResultEntry& result = results_.back();
  if (answers_ &&
      (!have_best_ || repairs < best_repairs_ ||
       (repairs == best_repairs_ && score > best_score_)) &&
      answers_(result)) {
    have_best_ = true;
    best_repairs_ = repairs;
    best_score_ = score;
  }
  if (settles_ && settles_(result)) settled_ = true;
}

void GuesserLookupSession::score(std::size_t length, std::size_t position, int32_t kind,
                                 double* score, int32_t* repairs) const {
  double sum = 0;
  int32_t count = 0;
  for (std::size_t i = 0; i <= length && i < in_force_.size(); ++i) {
    switch (i == position ? kind : in_force_[i]) {
      case kRepairMissing:
        sum += static_cast<double>(i) + 30;
        ++count;
        break;
      case kRepairSwap:
        sum += static_cast<double>(i) + 80;
        ++count;
        break;
      case kRepairMissingLast:
        sum += 20;
        ++count;
        break;
      case kRepairExtra:
        sum += static_cast<double>(i) + 60;
        ++count;
        break;
      default:
        sum += 100;
        break;
    }
  }
  *score = sum / static_cast<double>(length + 1) / 100.0;
  *repairs = count;
}

bool GuesserLookupSession::outranked(std::size_t position, int32_t kind,
                                     std::size_t length) const {
  if (!have_best_) return false;
  // The marks as they stand while the repair's walk runs; nothing after
  // the position is in force then.
  double at_least_score = 0;
  int32_t repairs = 0;
  score(length, position, kind, &at_least_score, &repairs);
  // Results of the walk carry these repairs and more; with exactly these,
  // the score is this one.
  if (repairs != best_repairs_) return repairs > best_repairs_;
  return at_least_score <= best_score_;
}

void GuesserLookupSession::rank_with(std::function<bool(const ResultEntry&)> answers) {
  answers_ = std::move(answers);
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

void GuesserLookupSession::repair_walk(const StackItem& item, const std::string& output,
                                       Walk walk) {
  ++repairs_walked_;
  descend(item.state, item.arcs, item.position, item.depth, output, walk);
  --repairs_walked_;
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
      repair_walk(item, kept, Walk::kOneMoreArc);
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
      const std::size_t length = text_->size();
      const char* next = position;
      utf8::next(next, text_->end());
      text_->replace(position, next, position, position);
      // Whether this walk finds anything decides whether the swap is
      // tried; it is left out only when the swap's results would rank
      // after the best as well.
      const bool walk = !outranked(n, kRepairExtra, text_->size()) ||
                        !outranked(n, kRepairSwap, length);
      in_force_[n] = kRepairExtra;
      if (walk) repair_walk(item, kept, Walk::kLookup);
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
        if (!outranked(n, kRepairSwap, text_->size())) {
          repair_walk(item, kept, Walk::kLookup);
        }
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
  if (!outranked(n, kRepairMissing, text_->size())) {
    repair_walk(item, kept, Walk::kIgnore);
  }
  clear_after(tried_, n, last_tried);
  if (found()) clear_after(in_force_, n, all);
  in_force_[n] = 0;
}

}  // namespace afst
}  // namespace zel
