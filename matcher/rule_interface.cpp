#include "matcher/rule_interface.h"

#include <cstdint>
#include <sstream>
#include <vector>

#include "base/exception.h"
#include "core-afst/serialization.h"
#include "core-afst/state_stack.h"

namespace zel {
namespace kavero {

namespace detail_candidate {

// The pre-test's search over a rule's bitset network. The stack's entries
// carry a text position that never moves: the search reads no text, only
// the sentence's candidate id set.
using Position = ::zel::afst::InputState<const char*>;
using Stack = ::zel::afst::StateStack<fst::StdArc, Position, void*>;

class BitMatcher : public ::zel::afst::IntrusiveMatcherPointers<BitMatcher, Stack, Position> {
 public:
  BitMatcher(const ::zel::afst::AFst& network, const Sentence* sentence)
      : ::zel::afst::IntrusiveMatcherPointers<BitMatcher, Stack, Position>(this, network),
        sentence_(sentence) {}

  // Whether a final state is reachable over arcs whose labels the sentence
  // holds. Every state is pushed at most once (a state reached before has
  // had, or will have, all its arcs tried), so shared states of the bitset
  // are not walked once per path into them.
  bool run() {
    const int start = fst().Start();
    if (start == fst::kNoStateId) return false;
    if (final_states()[static_cast<size_t>(start)]) return true;
    visited_.assign(static_cast<size_t>(fst().NumStates()), false);
    visited_[static_cast<size_t>(start)] = true;
    stack().reserve(50);
    stack().push(start, position_, nullptr);
    while (!stack().empty() && !found_) {
      auto& top = stack().top();
      if (top.arcs.Done()) {
        stack().pop();
        continue;
      }
      const int state = top.state;
      check(state, top.arcs.Value(), position_);
    }
    return found_;
  }

  void check(const int& /*state*/, const fst::StdArc& arc, Position& input) {
    stack().top().arcs.Next();
    if (sentence_->ids.count(static_cast<uint32_t>(arc.ilabel)) == 0) return;
    const auto target = static_cast<size_t>(arc.nextstate);
    if (final_states()[target]) {
      found_ = true;
      return;
    }
    if (visited_[target]) return;
    visited_[target] = true;
    stack().push(arc.nextstate, input, nullptr);
  }

 private:
  const Sentence* sentence_;
  Position position_;
  std::vector<bool> visited_;
  bool found_ = false;
};

}  // namespace detail_candidate

RuleInterface::~RuleInterface() = default;

std::pair<std::string, std::shared_ptr<RuleTransducer>> get_fsm_bitset(std::shared_ptr<sqlite3> db,
                                                                      const std::string& name) {
  return zel::afst::serialization::get_fsm_attr(db, "bitset_" + name.substr(5));
}

std::shared_ptr<zel::afst::AFst> make_rule_network(sqlite3* db, const std::string& record,
                                                  std::shared_ptr<RuleTransducer> transducer) {
  std::ostringstream message;
  message << "The compiled rule record \"" << record << "\" ";
  if (transducer == nullptr) {
    if (zel::afst::serialization::has_binary_data(db, record)) {
      message << "holds no readable transducer.";
    } else {
      message << "is missing.";
    }
    throw zel::Exception(message);
  }
  try {
    return std::make_shared<zel::afst::AFst>(std::move(transducer));
  } catch (const std::exception& e) {
    message << "holds no usable transducer: " << e.what();
    throw zel::Exception(message);
  }
}

RuleBaseFacade::RuleBaseFacade(unsigned long kind, std::shared_ptr<sqlite3> db,
                               const std::string& name, const AttributeList& attributes)
    : kind_(kind), id_(name), attributes_(attributes), bitset_record_(get_fsm_bitset(db, name)) {
  bitset_ = make_rule_network(db.get(), "bitset_" + name.substr(5), bitset_record_.second);
}

RuleBaseFacade::~RuleBaseFacade() = default;

const std::string& RuleBaseFacade::attribute(const std::string& key) const {
  return zel::get_attribute(attributes_, key);
}

bool RuleBaseFacade::is_candidate(const Sentence* sentence) const {
  detail_candidate::BitMatcher matcher(*bitset_, sentence);
  return matcher.run();
}

}  // namespace kavero
}  // namespace zel
