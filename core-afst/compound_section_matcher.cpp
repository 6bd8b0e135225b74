#include "core-afst/compound_section_matcher.h"

#include <unicode/uchar.h>
#include <utf8.h>

#include <algorithm>
#include <stdexcept>

#include "base/string_util.h"
#include "core-afst/lookup_interface.h"
#include "core-afst/lookup_matcher.h"

namespace zel {
namespace afst {

std::string_view EndOffsetResultPartV2::literal() const {
  return std::string_view(output).substr(0, output.find('+'));
}

std::string_view EndOffsetResultPartV2::tags() const {
  const std::size_t plus = output.find('+');
  if (plus == std::string::npos) return std::string_view();
  return std::string_view(output).substr(plus);
}

bool has_invalid_tags(const std::string& output) {
  return zel::string::ends_with(output, "+gen") || zel::string::ends_with(output, "+def");
}

namespace {

bool tags_begin_with(const std::string& output, std::string_view tag) {
  const std::size_t plus = output.find('+');
  return plus != std::string::npos && output.compare(plus, tag.size(), tag) == 0;
}

}  // namespace

bool has_prefix_tag(const std::string& output) { return tags_begin_with(output, "+Prefix"); }

bool has_affix_tag(const std::string& output) { return tags_begin_with(output, "+Affix"); }

bool skip_characters(unsigned int code_point) {
  return code_point == '_' || u_isdigit(static_cast<UChar32>(code_point));
}

bool is_valid_compound(const ResultsMementoV2& state, const EndOffsetResultPartV2& last) {
  if (!zel::string::ends_with(last.output, "Num-Std")) return true;
  return std::all_of(state.path.begin(), state.path.end(), [](const EndOffsetResultPartV2& part) {
    return zel::string::ends_with(part.output, "Num-Std") ||
           zel::string::ends_with(part.output, "Conj-Coord");
  });
}

namespace {

using Candidates = std::vector<EndOffsetResultPartV2>;

// Records every final state a section walk reaches as a candidate: it
// starts where the walk started and ends after the bytes consumed, and its
// output is the path's output labels other than "eps". No cap.
class EndOffsetResultCollectorV2 {
 public:
  explicit EndOffsetResultCollectorV2(Candidates* results) : results_(results) {}

  template <class Input, class Labels, class Stack>
  void add(const Input& input, typename Input::Position at, const Labels& labels,
           const Stack& stack, int64_t last_output) {
    std::string text;
    auto add_output = [&](int64_t id) {
      if (labels.output(id) != OutputLabel::kNothing) text += labels.output_text(id);
    };
    for (const auto& entry : stack) add_output(entry.output);
    add_output(last_output);
    results_->emplace_back(0, input.offset(at), std::move(text));
  }
  bool full() const { return false; }

 private:
  Candidates* results_;
};

using SectionMatcher = ArcMatcher<Utf8Input, AlwasyTrueEndPolicy, EndOffsetResultCollectorV2>;

// Where the first "#" of an output stands; its length when it has none.
std::size_t first_hash(const std::string& output) {
  const std::size_t hash = output.find('#');
  return hash == std::string::npos ? output.size() : hash;
}

// The skipper of plain compound splitting.
struct NoSkipper {
  static constexpr bool kSkipsNumbers = false;
};

// The skipper that also takes runs of digits and underscores.
struct NumSkipper {
  static constexpr bool kSkipsNumbers = true;
};

// The search: one call per component level (see the header for the rules).
template <class Skipper>
class MatchSectionV2 {
 public:
  explicit MatchSectionV2(int max_components) : max_components_(max_components) {}

  // Searches from `start` (depth: the components on the path); false when
  // the search is aborted, which empties the path.
  bool operator()(ResultsMementoV2& state, const AFst& network, const char* start,
                  const char* begin, const char* end, int depth) const;

 private:
  // The run of digits and underscores at `at`, after the path's last
  // component: a number component of its own, or joined to that component
  // when the run begins with "_"; then the search goes on after it. Removes
  // what it and the candidate before it added to the path, unless the search
  // aborts.
  bool skip_run(ResultsMementoV2& state, const AFst& network, const char* at, const char* begin,
                const char* end, int depth) const;

  int max_components_;
};

template <class Skipper>
bool MatchSectionV2<Skipper>::operator()(ResultsMementoV2& state, const AFst& network,
                                         const char* start, const char* begin, const char* end,
                                         int depth) const {
  if (depth > 0 && depth > max_components_) {
    state.path.clear();
    return false;
  }

  Candidates candidates;
  SectionMatcher matcher(network, EndOffsetResultCollectorV2(&candidates));
  matcher.match(Utf8Input(start, end));

  if (depth == 0) {
    candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                    [](const EndOffsetResultPartV2& candidate) {
                                      return has_invalid_tags(candidate.output);
                                    }),
                     candidates.end());
  } else if (start != end && compound_joiners.find(*start) != std::string::npos) {
    // The linking characters are ASCII, so one byte is the whole character.
    const std::size_t plain = candidates.size();
    matcher.match(Utf8Input(start + 1, end));
    for (std::size_t i = plain; i < candidates.size(); ++i) {
      candidates[i].start = 1;
      candidates[i].end += 1;
      candidates[i].weight /= 2;
    }
  }
  if (depth >= 2) {
    candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                    [](const EndOffsetResultPartV2& candidate) {
                                      return has_prefix_tag(candidate.output);
                                    }),
                     candidates.end());
  }
  if (candidates.empty()) return true;

  for (auto& candidate : candidates) {
    if (depth <= 1 && has_prefix_tag(candidate.output)) candidate.output.clear();
    if (has_affix_tag(candidate.output)) candidate.output.clear();
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const EndOffsetResultPartV2& a, const EndOffsetResultPartV2& b) {
                     if (a.end != b.end) return a.end > b.end;
                     return first_hash(a.output) > first_hash(b.output);
                   });

  const int64_t offset = start - begin;
  uint16_t threshold = 0;
  for (const auto& candidate : candidates) {
    if (candidate.end == 0 || candidate.weight < threshold) continue;
    // A walk consumes whole characters, so its end is a character boundary.
    const char* after = start + candidate.end;
    state.path.emplace_back(candidate.start + offset, after - begin, candidate.output);
    if (after == end) {
      if (is_valid_compound(state, candidate)) state.splits.push_back(state.path);
      state.path.pop_back();
    } else if (Skipper::kSkipsNumbers && [&] {
                 const char* next = after;
                 return skip_characters(utf8::next(next, end));
               }()) {
      if (!skip_run(state, network, after, begin, end, depth)) return false;
    } else {
      if (!(*this)(state, network, after, begin, end, depth + 1)) return false;
      state.path.pop_back();
    }
    threshold = candidate.weight;
  }
  return true;
}

template <class Skipper>
bool MatchSectionV2<Skipper>::skip_run(ResultsMementoV2& state, const AFst& network, const char* at,
                                       const char* begin, const char* end, int depth) const {
  const char* run_end = at;
  while (run_end != end) {
    const char* next = run_end;
    if (!skip_characters(utf8::next(next, end))) break;
    run_end = next;
  }
  const bool number = *at != '_';
  if (number) {
    state.path.emplace_back(at - begin, run_end - begin, std::string(at, run_end) + "+Num");
  } else {
    state.path.back().end = run_end - begin;
  }
  if (run_end == end) {
    // Nothing can follow the end of the word, so the search stops here
    // rather than going a level deeper, where it could only hit the
    // component limit and abort.
    state.splits.push_back(state.path);
  } else if (!(*this)(state, network, run_end, begin, end, depth + 1)) {
    return false;
  }
  if (number) state.path.pop_back();
  state.path.pop_back();
  return true;
}

template <class Skipper>
bool search(ResultsMementoV2& state, const AFst& network, const char* start, const char* begin,
            const char* end, int max_components) {
  if (end < begin) throw std::out_of_range("Invalid utf-8 iterator position");
  if (start < begin || start > end) {
    throw std::logic_error("Comparing utf-8 iterators defined with different ranges");
  }
  return MatchSectionV2<Skipper>(max_components)(state, network, start, begin, end, 0);
}

}  // namespace

namespace utf8_iterator {

bool match_section(ResultsMementoV2& state, const AFst& network, const char* start,
                   const char* begin, const char* end, int max_components) {
  return search<NoSkipper>(state, network, start, begin, end, max_components);
}

bool match_section_skip_numbers(ResultsMementoV2& state, const AFst& network, const char* start,
                                const char* begin, const char* end, int max_components) {
  return search<NumSkipper>(state, network, start, begin, end, max_components);
}

}  // namespace utf8_iterator

}  // namespace afst
}  // namespace zel
