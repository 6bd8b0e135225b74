#include "language/lookup_proxy.h"

#include <atomic>
#include <utility>

#include "analysis/blackboard.h"
#include "core-afst/lookup_interface.h"

namespace zel {
namespace kavero {
namespace core {

namespace {

LookupId next_lookup_id() {
  static std::atomic<LookupId> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

ILookup::~ILookup() = default;

LookupProxy::LookupProxy(std::shared_ptr<afst::LookupInterface> lookup,
                         Blackboard* blackboard)
    : lookup_(std::move(lookup)), blackboard_(blackboard), id_(next_lookup_id()) {}

LookupProxy::~LookupProxy() = default;

std::vector<std::string> LookupProxy::lookup(const std::string& word) const {
  ILookupCache& cache = *blackboard_->lookup_cache;
  if (const std::vector<std::string>* cached = cache.lookup(id_, word)) {
    return *cached;
  }
  std::vector<std::string> answer = lookup_no_cache(word);
  if (!answer.empty()) cache.add(id_, word, answer);
  return answer;
}

std::vector<std::string> LookupProxy::lookup_no_cache(
    const std::string& word) const {
  std::vector<std::string> answer = lookup_->up(word);
  if (!properties_.empty()) {
    for (std::string& output : answer) output += properties_;
  }
  return answer;
}

std::vector<std::string> lookup_chain(const LookupChain& chain,
                                      const std::string& word) {
  for (const std::shared_ptr<ILookup>& lookup : chain) {
    std::vector<std::string> answer = lookup->lookup(word);
    if (!answer.empty()) return answer;
  }
  return {};
}

std::vector<std::string> lookup_chain_no_cache(const LookupChain& chain,
                                               const std::string& word) {
  for (const std::shared_ptr<ILookup>& lookup : chain) {
    std::vector<std::string> answer = lookup->lookup_no_cache(word);
    if (!answer.empty()) return answer;
  }
  return {};
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
