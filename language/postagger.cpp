#include "language/postagger.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include <utf8.h>

#include "analysis/navigation.h"
#include "base/exception.h"
#include "core-afst/afst.h"
#include "language/token_flags.h"

namespace zel {
namespace kavero {
namespace disambiguation {

namespace {

// Classifies one input label; returns what is wrong with it, or an empty
// text.
std::string classify_input(const std::string& label, Postagger::InputRule& rule) {
  if (label.empty()) return "an input label must not be empty";
  try {
    auto it = label.begin();
    rule.first = utf8::next(it, label.end());
  } catch (const utf8::exception&) {
    return "the first character of an input label must be valid UTF-8";
  }
  if (label == "eps" || label == "EPS") {
    rule.kind = Postagger::InputRule::kEpsilon;
    return "";
  }
  if (label.size() < 3 || (label[0] != '+' && label[0] != '-')) return "";
  rule.kind = Postagger::InputRule::kContext;
  rule.test = label[1];
  if (rule.test != 'p' && rule.test != 's' && rule.test != 'm') return "";
  if (label[2] < '0' || label[2] > '9') {
    return "the distance of a context label must be a digit";
  }
  rule.distance = (label[0] == '-' ? -1 : 1) * (label[2] - '0');
  if (rule.test == 'm') {
    // "+m1 name": the fourth byte separates the name.
    if (label.size() < 4) return "a property label must name a property";
    rule.property = label.substr(4);
  }
  return "";
}

// The score of an output label; returns what is wrong with it, or an empty
// text.
std::string classify_output(const std::string& label, double& score) {
  score = 0;
  if (label.empty() || label[0] != '#') return "";
  // "#" alone, or "#" followed by no number, scores 0.
  score = std::strtod(label.c_str() + 1, nullptr);
  if (!std::isfinite(score)) return "a score must be a finite number";
  return "";
}

[[noreturn]] void refuse(const char* side, int32_t id, const std::string& label,
                         const std::string& fault) {
  std::ostringstream message;
  message << "malformed postagger " << side << " label " << id;
  if (!label.empty()) message << " \"" << label << "\"";
  message << ": " << fault;
  throw std::invalid_argument(message.str());
}

const std::string kEmptyText;

}  // namespace

Postagger::Postagger(std::shared_ptr<afst::AFst> afst) : afst_(std::move(afst)) {
  if (afst_ == nullptr) {
    throw std::invalid_argument("a postagger needs a transducer");
  }
  const std::vector<std::string>& in = afst_->input_symbols();
  const std::vector<std::string>& out = afst_->output_symbols();
  inputs_.resize(in.size());
  scores_.resize(out.size());
  std::vector<std::string> input_faults(in.size());
  std::vector<std::string> output_faults(out.size());
  for (size_t id = 0; id < in.size(); ++id) {
    input_faults[id] = classify_input(in[id], inputs_[id]);
  }
  for (size_t id = 0; id < out.size(); ++id) {
    output_faults[id] = classify_output(out[id], scores_[id]);
  }
  // Only labels that arcs use must be well formed.
  for (const afst::LookupArc& arc : afst_->arcs()) {
    if ((arc.flags & afst::LookupArc::kInputBeyondList) != 0) {
      refuse("input", arc.input, "", "the id is outside the input symbol table");
    }
    if ((arc.flags & afst::LookupArc::kOutputBeyondList) != 0) {
      refuse("output", arc.output, "", "the id is outside the output symbol table");
    }
    if (!input_faults[arc.input].empty()) {
      refuse("input", arc.input, in[arc.input], input_faults[arc.input]);
    }
    if (!output_faults[arc.output].empty()) {
      refuse("output", arc.output, out[arc.output], output_faults[arc.output]);
    }
  }
}

Scorer::Scorer(const Postagger& rules) : rules_(rules), afst_(rules.afst()) {
  stack_.reserve(50);
}

void Scorer::reset(const AnnotationCollection* sentence) {
  sentence_ = sentence;
  stack_.clear();
  results_.clear();
}

void Scorer::operator()(RawPtrIterator position) {
  Token* token = annotation_cast<Token>(position.get());
  if (token == nullptr) return;
  token_ = token;
  for (MorphData& reading : token->readings) {
    stack_.clear();
    results_.clear();
    steps_ = 0;
    if (afst_.start() < 0) return;
    const afst::ArcSpan arcs = afst_.start_arcs();
    stack_.push_back({afst_.start(), arcs.begin, arcs.end, 0, 0.0});
    Input input{&reading.pos(), 0};
    search(0, input);
    if (!results_.empty()) reading.weight = results_.front();
  }
  stack_.clear();
  results_.clear();
}

// Explores everything above `level` on the stack, depth first, until the
// stack is back at `level` or a path was accepted: only the first accepted
// path counts.
void Scorer::search(size_t level, Input& input) {
  while (stack_.size() > level && results_.empty()) {
    const Item& top = stack_.back();
    if (top.state < 0 || top.next >= top.end) {
      // Back to where the text stood before the step into this item.
      input.current = top.saved;
      stack_.pop_back();
    } else {
      check(input);
    }
  }
}

void Scorer::check(Input& input) {
  if (++steps_ > kMaxSteps) {
    std::ostringstream message;
    message << "[Language] The postagger walk over \"" << *input.text
            << "\" tried more than " << kMaxSteps
            << " arcs; the postagger has cycles of steps that consume nothing";
    throw Exception(message);
  }
  const afst::LookupArc& arc = afst_.arcs()[stack_.back().next];
  // Tried, whatever comes of it; pushing below may move the stack.
  ++stack_.back().next;
  const Postagger::InputRule& rule = rules_.input(arc.input);
  const double score = rules_.score(arc.output);
  const bool final = (arc.flags & afst::LookupArc::kTargetFinal) != 0;
  const std::string& text = *input.text;
  const size_t rest = text.size() - input.current;

  uint32_t next = 0;
  size_t width = 0;
  if (rest > 0) {
    auto it = text.begin() + input.current;
    next = utf8::next(it, text.end());
    width = static_cast<size_t>(it - (text.begin() + input.current));
  }

  // A character step.
  if (rest > 0 && rule.first == next) {
    if (final && (width == rest || next == '-')) collect(score);
    if (push(arc, input.current, score)) input.current += width;
    return;
  }

  switch (rule.kind) {
    case Postagger::InputRule::kEpsilon:
      if (final && rest == 0) {
        std::cerr << "Warning, Check the Postagger file for strange constructions."
                  << std::endl;
        return;
      }
      if (final && rest > 0 && width == rest) {
        collect(score);
      } else if (!final && rest == 1 && next == '-') {
        collect(score);
      }
      // At the end of the text the walk goes on too: a context step may
      // follow.
      push(arc, input.current, score);
      return;
    case Postagger::InputRule::kContext:
      // No context step right before a "-": the part before it is spelled
      // whole first.
      if (rest > 0 && next == '-') return;
      match(rule, arc, score);
      return;
    case Postagger::InputRule::kNothing:
      return;
  }
}

void Scorer::match(const Postagger::InputRule& rule, const afst::LookupArc& arc,
                   double score) {
  if (sentence_ == nullptr) return;
  RawPtrIterator position(token_);
  Token* context = annotation_cast<Token>(move_to_token(*sentence_, position, rule.distance));
  if (context == nullptr || (context->flags & token_flags::markup) != 0) return;
  const size_t level = stack_.size();
  switch (rule.test) {
    case 'p':
      for (const MorphData& reading : context->readings) {
        if (!results_.empty()) return;
        walk_context(level, reading.pos(), arc, score);
      }
      return;
    case 's':
      for (const MorphData& reading : context->readings) {
        if (!results_.empty()) return;
        walk_context(level, reading.stem, arc, score);
      }
      return;
    case 'm':
      // A property of the token itself is followed once; otherwise once per
      // reading that holds it.
      if (context->properties.count(rule.property) > 0) {
        walk_property(level, arc, score);
        return;
      }
      for (const MorphData& reading : context->readings) {
        if (!results_.empty()) return;
        const std::vector<std::string>& held = reading.properties;
        if (std::find(held.begin(), held.end(), rule.property) != held.end()) {
          walk_property(level, arc, score);
        }
      }
      return;
    default:
      return;
  }
}

void Scorer::walk_context(size_t level, const std::string& text,
                          const afst::LookupArc& arc, double score) {
  if (!push(arc, 0, score)) return;
  Input input{&text, 0};
  search(level, input);
}

void Scorer::walk_property(size_t level, const afst::LookupArc& arc, double score) {
  if ((arc.flags & afst::LookupArc::kTargetFinal) != 0) collect(score);
  if (!results_.empty()) return;
  if (!push(arc, 0, score)) return;
  Input input{&kEmptyText, 0};
  search(level, input);
}

bool Scorer::push(const afst::LookupArc& arc, size_t saved, double score) {
  if (stack_.size() >= kMaxDepth) return false;
  stack_.push_back({arc.target, arc.target_arcs.begin, arc.target_arcs.end, saved, score});
  return true;
}

void Scorer::collect(double score) {
  double sum = 0;
  for (const Item& item : stack_) sum += item.score;
  results_.push_back(sum + score);
}

void keep_best_readings(Token& token) {
  if (token.readings.empty()) return;
  double best = token.readings.front().weight;
  for (const MorphData& reading : token.readings) best = std::max(best, reading.weight);
  token.readings.remove_if([best](const MorphData& reading) { return reading.weight < best; });
}

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel
