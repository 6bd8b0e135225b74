#include "core-afst/endings_lookup.h"

#include <utf8.h>

#include <cstddef>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "core-afst/lookup_matcher.h"

namespace zel {
namespace afst {

namespace {

std::shared_ptr<AFst> checked(std::shared_ptr<AFst> network) {
  if (!network) throw std::invalid_argument("endings lookup without a lexicon network");
  return network;
}

// Words this short are left to the other lookups: an ending needs a head of
// at least three characters in front of it.
constexpr std::size_t kMaxSkippedLength = 7;
constexpr std::size_t kMinHeadLength = 3;

}  // namespace

EndingsLookup::EndingsLookup(std::shared_ptr<AFst> network,
                             std::shared_ptr<ILookupConverter> converter)
    : network_(checked(std::move(network))), converter_(std::move(converter)) {}

EndingsLookup::EndingsLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                             std::shared_ptr<ILookupConverter> converter)
    : EndingsLookup(std::make_shared<AFst>(std::move(transducer)), std::move(converter)) {}

EndingsLookup::~EndingsLookup() = default;

int32_t EndingsLookup::type() const { return 8; }

std::vector<std::string> EndingsLookup::up(const std::string& word) {
  std::vector<std::string> outputs;
  // Cheap rejection before any decoding. Only an ASCII capital counts, so a
  // locale set by the host cannot change what qualifies.
  if (word.size() <= kMaxSkippedLength || word[0] < 'A' || word[0] > 'Z') return outputs;

  // The code points, and where each one begins in the word (and the word's
  // end), so that a head is cut from the word's own bytes.
  std::vector<uint32_t> code_points;
  std::vector<std::size_t> starts;
  for (auto it = word.begin(); it != word.end();) {
    starts.push_back(static_cast<std::size_t>(it - word.begin()));
    code_points.push_back(utf8::next(it, word.end()));
  }
  starts.push_back(word.size());

  EndOffsetResultCollector::Results endings;
  ArcMatcher<ReverseCodePointInput, AlwasyTrueEndPolicy, EndOffsetResultCollector> matcher(
      *network_, EndOffsetResultCollector(&endings));
  matcher.match(ReverseCodePointInput(code_points));

  for (const auto& [offset, tags] : endings) {
    // The offset is minus the number of code points the ending consumed.
    const std::size_t consumed = static_cast<std::size_t>(-static_cast<int64_t>(offset));
    if (consumed > code_points.size()) continue;
    const std::size_t head_length = code_points.size() - consumed;
    if (head_length < kMinHeadLength) continue;
    const std::string head = word.substr(0, starts[head_length]);
    const std::string ending_stem = tags.substr(0, tags.find('+'));
    std::string output;
    output.reserve(2 * head.size() + ending_stem.size() + tags.size() + 20);
    output += "#$";
    output += head;
    output += ending_stem;
    output += '#';
    output += head;
    output += "+Prop#";
    output += tags;
    output += "+reverse";
    outputs.push_back(std::move(output));
  }
  return outputs;
}

void EndingsLookup::print_results(const std::string& word) {
  for (const auto& output : up(word)) std::cout << "  -c- " << output << std::endl;
}

}  // namespace afst
}  // namespace zel
