#include "language/lexicon_readings.h"

#include <algorithm>
#include <iostream>
#include <string_view>

#include "analysis/annotation.h"
#include "base/string_util.h"
#include "language/reading.h"
#include "language/token_flags.h"

namespace zel {
namespace kavero {

namespace {

const char kClitic[] = "Clit";

std::vector<std::string> split(const std::string& text, char separator) {
  return string::split_vector(text, separator, false);
}

// The parts of a text cut at '+' as split_vector cuts them: a run of '+'
// is one cut, so empty parts arise only at the start and the end. Read in
// place, without a list.
class PlusParts {
 public:
  explicit PlusParts(std::string_view text) : text_(text), at_(text.empty() ? npos : 0) {}

  // The next part; false after the last.
  bool next(std::string_view& part) {
    if (at_ == npos) return false;
    const size_t cut = text_.find('+', at_);
    if (cut == npos) {
      part = text_.substr(at_);
      at_ = npos;
      return true;
    }
    part = text_.substr(at_, cut - at_);
    at_ = text_.find_first_not_of('+', cut);
    // A text that ends in a run of '+' ends with an empty part.
    if (at_ == npos) at_ = text_.size();
    return true;
  }

 private:
  static constexpr size_t npos = std::string_view::npos;
  std::string_view text_;
  size_t at_;
};

void import_plain(Token* token, const std::string& output, double weight) {
  // "stem+pos+property+...": every reading of every token comes through
  // here, so the parts are read in place.
  std::string_view text(output);
  if (!text.empty() && text[0] == '\\') text.remove_prefix(1);
  PlusParts parts(text);
  std::string_view stem, pos;
  if (!parts.next(stem) || !parts.next(pos)) {
    std::cerr << "Internal Error: Invalid dictionary entry.[" << output
              << "], missing + in output label to separate the POS and the "
                 "stem."
              << std::endl;
    return;
  }
  MorphData& reading =
      token->readings.emplace_back(std::string(pos), std::string(stem), weight);
  for (std::string_view property; parts.next(property);) {
    reading.properties.emplace_back(property);
  }
}

// The text from `from` up to the next "#" (or the end), and the position
// after that "#" (or the end).
std::string group_at(const std::string& text, size_t from, size_t& next) {
  const size_t hash = text.find('#', from);
  if (hash == std::string::npos) {
    next = text.size();
    return text.substr(from);
  }
  next = hash + 1;
  return text.substr(from, hash - from);
}

// Fills what the head group left open from the components; false when no
// component other than a clitic has a part of speech.
bool derive_head(MorphData& head, const std::vector<std::string>& components) {
  std::string stem;
  std::string last_pos;
  int counted = 0;
  for (size_t i = 0; i < components.size(); ++i) {
    const std::vector<std::string> parts = split(components[i], '+');
    if (parts.size() < 2) continue;
    const bool clitic = parts[1] == kClitic;
    if (i + 1 < components.size()) {
      if (head.stem.empty()) stem += parts[0];
      if (head.pos().empty()) last_pos = parts[1];
      if (!clitic) ++counted;
    } else if (clitic) {
      head.properties[0] = "clitic";
      if (head.stem.empty()) head.stem = stem;
      if (head.pos().empty()) head.set_pos(last_pos);
    } else {
      ++counted;
      stem += parts[0];
      if (head.pos().empty()) head.set_pos(parts[1]);
      if (head.stem.empty()) head.stem = stem;
    }
  }
  return counted > 0;
}

void invalidate(Token* token, MorphData& head) {
  head.properties.clear();
  token->properties.erase("compound");
  token->properties.insert("invalid");
  head.stem = token->literal;
  head.set_pos("Nn-Std");
}

void import_compound(Token* token, const std::string& output) {
  token->flags |= token_flags::compound;
  MorphData& head = token->readings.emplace_back("", "", 1.0);
  head.properties.push_back("compound");

  size_t at = 1;
  if (at < output.size() && output[at] == '+') {
    for (std::string& property : split(group_at(output, at + 1, at), '+')) {
      token->properties.insert(std::move(property));
    }
  }
  if (at < output.size() && output[at] == '$') {
    // A head group that gives both a stem and a part of speech keeps both;
    // the components are still read.
    const std::vector<std::string> parts =
        split(group_at(output, at + 1, at), '+');
    if (!parts.empty()) head.stem = parts[0];
    if (parts.size() == 2) head.set_pos(parts[1]);
  }

  const std::vector<std::string> components =
      split(at < output.size() ? output.substr(at) : std::string(), '#');
  if (components.empty() || !derive_head(head, components)) {
    invalidate(token, head);
    return;
  }

  for (const std::string& component : components) {
    const std::vector<std::string> parts = split(component, '+');
    if (parts.size() >= 2) {
      MorphData& part = head.components.emplace_back(parts[1], parts[0], 1.0);
      part.properties.assign(parts.begin() + 2, parts.end());
      continue;
    }
    std::cerr << "Error in dictionary fst:[" << output << "], literal:["
              << token->literal << "]. Missing Pos for component:" << component
              << std::endl;
    head.components.emplace_back("none", parts.empty() ? "no_stem" : parts[0],
                                 1.0);
    token->properties.insert("missing_pos");
  }
}

void import_all(Token* token, const std::vector<std::string>& outputs) {
  const double weight = 1.0 / static_cast<double>(outputs.size());
  for (const std::string& output : outputs) {
    import_result_in_token_obj(token, output, weight);
    if (token->properties.count("tag") != 0)
      token->flags |= token_flags::tagged;
  }
}

}  // namespace

void import_result_in_token_obj(Token* token, const std::string& output,
                                double weight) {
  if (!output.empty() && output[0] == '#') {
    import_compound(token, output);
  } else {
    import_plain(token, output, weight);
  }
}

void assign_afst_results_token_obj(Token* token,
                                   const std::vector<std::string>& outputs) {
  if (outputs.empty()) return;
  token->readings.clear();
  import_all(token, outputs);
}

void append_afst_results_token_obj(Token* token,
                                   const std::vector<std::string>& outputs) {
  if (outputs.empty()) return;
  import_all(token, outputs);
}

void merge_lookup_results(std::vector<std::string>& target,
                          std::vector<std::string>& other) {
  if (target.empty()) {
    target = other;
    return;
  }
  for (const std::string& text : other) {
    if (std::find(target.begin(), target.end(), text) == target.end()) {
      target.push_back(text);
    }
  }
}

}  // namespace kavero
}  // namespace zel
