#include "core-afst/word_lookup.h"

#include <stdexcept>

namespace zel {
namespace afst {

namespace {

const AFst& checked(const std::shared_ptr<AFst>& network) {
  if (!network) throw std::invalid_argument("word lookup without a lexicon network");
  return *network;
}

}  // namespace

WordLookup::WordLookup(std::shared_ptr<AFst> network, std::shared_ptr<ILookupConverter> converter)
    : network_(std::move(network)), converter_(std::move(converter)), matcher_(checked(network_)) {}

WordLookup::WordLookup(std::shared_ptr<fst::VectorFst<fst::StdArc>> transducer,
                       std::shared_ptr<ILookupConverter> converter)
    : WordLookup(std::make_shared<AFst>(std::move(transducer)), std::move(converter)) {}

WordLookup::~WordLookup() = default;

int32_t WordLookup::type() const { return 1; }

std::vector<std::string> WordLookup::up(const std::string& word) {
  if (converter_) {
    matcher_.match((*converter_)(word));
  } else {
    matcher_.match(word);
  }
  return std::move(matcher_.results());
}

std::vector<std::pair<int32_t, std::string>> WordLookup::up(const char* begin, const char* end,
                                                            end_on_space) {
  EndOffsetResultCollector::Results results;
  const Utf8Input input(begin, end);
  ArcMatcher<Utf8Input, SpaceEndPolicy, EndOffsetResultCollector> matcher(
      *network_, EndOffsetResultCollector(&results));
  matcher.match(input);
  return results;
}

}  // namespace afst
}  // namespace zel
