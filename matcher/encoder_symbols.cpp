#include "matcher/encoder_symbols.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include <utf8.h>

#include "base/exception.h"

namespace zel {
namespace kavero {
namespace idstrm {

namespace {

constexpr uint32_t kFirstCommand = 0xEF00;
constexpr uint32_t kLastCommand = 0xEF09;

// The code points of a text; decoding stops at the first invalid byte.
std::vector<uint32_t> code_points(const std::string& text) {
  std::vector<uint32_t> points;
  const char* it = text.data();
  const char* end = it + text.size();
  try {
    while (it != end) points.push_back(utf8::next(it, end));
  } catch (const utf8::exception&) {
  }
  return points;
}

// The states of every strongly connected component, by component number
// per state (Tarjan's algorithm, without recursion).
std::vector<int> components(const EncoderSymbols::Transducer& transducer) {
  const int n = transducer.NumStates();
  std::vector<int> index(n, -1), low(n, 0), component(n, -1);
  std::vector<bool> on_stack(n, false);
  std::vector<int> stack;
  struct Frame {
    int state;
    size_t arc;
  };
  std::vector<Frame> frames;
  int counter = 0;
  int components = 0;
  for (int root = 0; root < n; ++root) {
    if (index[root] != -1) continue;
    frames.push_back({root, 0});
    index[root] = low[root] = counter++;
    stack.push_back(root);
    on_stack[root] = true;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      const int s = frame.state;
      if (frame.arc < transducer.NumArcs(s)) {
        fst::ArcIterator<EncoderSymbols::Transducer> arcs(transducer, s);
        arcs.Seek(frame.arc++);
        const int t = arcs.Value().nextstate;
        if (index[t] == -1) {
          index[t] = low[t] = counter++;
          stack.push_back(t);
          on_stack[t] = true;
          frames.push_back({t, 0});
        } else if (on_stack[t]) {
          low[s] = std::min(low[s], index[t]);
        }
        continue;
      }
      if (low[s] == index[s]) {
        int t;
        do {
          t = stack.back();
          stack.pop_back();
          on_stack[t] = false;
          component[t] = components;
        } while (t != s);
        ++components;
      }
      frames.pop_back();
      if (!frames.empty()) {
        const int parent = frames.back().state;
        low[parent] = std::min(low[parent], low[s]);
      }
    }
  }
  return component;
}

}  // namespace

EncoderSymbols::EncoderSymbols(const Transducer& transducer) {
  if (const fst::SymbolTable* table = transducer.InputSymbols()) {
    const int64_t size = table->AvailableKey();
    symbols_.resize(static_cast<size_t>(size));
    class_texts_.resize(static_cast<size_t>(size));
    for (int64_t id = 0; id < size; ++id) decode(static_cast<uint32_t>(id), table->Find(id));
  }
  if (const fst::SymbolTable* table = transducer.OutputSymbols()) {
    output_size_ = static_cast<size_t>(table->AvailableKey());
  }

  // An arc inside a strongly connected component lies on a cycle.
  const std::vector<int> component = components(transducer);
  for (int s = 0; s < transducer.NumStates(); ++s) {
    for (fst::ArcIterator<Transducer> arcs(transducer, s); !arcs.Done(); arcs.Next()) {
      const fst::StdArc& arc = arcs.Value();
      if (component[s] != component[arc.nextstate]) continue;
      const bool character = arc.ilabel >= 0 && static_cast<size_t>(arc.ilabel) < symbols_.size() &&
                             is_character(symbols_[arc.ilabel].kind);
      if (character) continue;
      std::ostringstream message;
      message << "Token encoder refused: state " << s << " lies on a cycle through the arc "
              << "with input label " << arc.ilabel
              << ", which consumes no character, so encoding a token would never end.";
      throw Exception(message);
    }
  }
}

int EncoderSymbols::property_index(const std::string& text) const {
  auto found = property_index_.find(text);
  return found == property_index_.end() ? -1 : found->second;
}

void EncoderSymbols::decode(uint32_t id, const std::string& text) {
  EncoderSymbol& symbol = symbols_[id];
  if (text.empty()) return;
  if (text == "??") {
    symbol.kind = EncoderSymbolKind::kAny;
    return;
  }
  if (text[0] == ':' && text.size() > 1) {
    symbol.kind = EncoderSymbolKind::kClass;
    class_texts_[id] = text;
    return;
  }
  const std::vector<uint32_t> points = code_points(text);
  if (points.empty()) return;
  const uint32_t first = points[0];
  if (first < kFirstCommand || first > kLastCommand) {
    symbol.kind = EncoderSymbolKind::kCharacter;
    symbol.value = first;
    return;
  }
  // The text after the command's own code point (3 bytes in UTF-8).
  const std::string rest = text.substr(3);
  switch (first) {
    case 0xEF00:
      symbol.kind = EncoderSymbolKind::kEmit;
      // As strtol reads it: digits that form no number give 0.
      symbol.value = static_cast<uint32_t>(std::strtol(rest.c_str(), nullptr, 10));
      break;
    case 0xEF01:
      symbol.kind = EncoderSymbolKind::kLiteral;
      break;
    case 0xEF02:
      symbol.kind = EncoderSymbolKind::kStems;
      break;
    case 0xEF03:
      symbol.kind = EncoderSymbolKind::kPartOfSpeech;
      break;
    case 0xEF04: {
      symbol.kind = EncoderSymbolKind::kProperty;
      auto inserted = property_index_.emplace(rest, static_cast<int>(properties_.size()));
      if (inserted.second) properties_.push_back(rest);
      symbol.value = static_cast<uint32_t>(inserted.first->second);
      break;
    }
    case 0xEF05:
      symbol.kind = EncoderSymbolKind::kStemsAndComponents;
      break;
    case 0xEF06:
      symbol.kind = EncoderSymbolKind::kHead;
      break;
    case 0xEF07:
      symbol.kind = EncoderSymbolKind::kEndOfPart;
      break;
    case 0xEF08:
      if (points.size() < 2) break;
      symbol.kind = EncoderSymbolKind::kPartOfSpeechClass;
      symbol.value = points[1];
      break;
    case 0xEF09:
      if (points.size() < 2) break;
      symbol.kind = EncoderSymbolKind::kLength;
      symbol.value = points[1];
      symbol.last = points.size() > 2 ? points[2] : points[1];
      break;
  }
}

}  // namespace idstrm
}  // namespace kavero
}  // namespace zel
