#include "core-afst/transducer_file.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fst/symbol-table.h>
#include <utf8.h>

#include "base/exception.h"

namespace zel {
namespace afst {

namespace {

// The library's magic numbers and the oldest vector layout it reads.
constexpr int32_t kTransducerMagic = 2125659606;
constexpr int32_t kSymbolTableMagic = 2125658996;
constexpr int32_t kOldestVersion = 2;
constexpr uint32_t kHasInputSymbols = 0x1;
constexpr uint32_t kHasOutputSymbols = 0x2;
constexpr uint32_t kKnownFlags = 0x7;

// The fewest bytes a state, an arc and a symbol take.
constexpr std::size_t kStateBytes = 4 + 8;
constexpr std::size_t kArcBytes = 4 + 4 + 4 + 4;
constexpr std::size_t kSymbolBytes = 4 + 8;

// Raised inside the reader; read_transducer turns it into the fault.
struct Damage {
  std::string what;
};

// At most 24 bytes of a text, with anything but printable ASCII escaped: a
// damaged file must not put its bytes into a message.
std::string excerpt(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < 24; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  if (text.size() > 24) out += "...";
  return out + "\"";
}

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  std::size_t offset() const { return offset_; }
  std::size_t left() const { return bytes_.size() - offset_; }
  void seek(std::size_t offset) { offset_ = offset; }

  [[noreturn]] void fail(const std::string& what) const {
    std::ostringstream text;
    text << what << " (byte " << offset_ << " of " << bytes_.size() << ")";
    throw Damage{text.str()};
  }

  // A number of the layout; `what` names it when the bytes end first.
  template <typename T>
  T number(const char* what) {
    if (left() < sizeof(T)) fail(std::string("the bytes end inside ") + what);
    T value;
    std::memcpy(&value, bytes_.data() + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }

  std::string_view text(const char* what) {
    const auto length = number<int32_t>(what);
    if (length < 0 || static_cast<std::size_t>(length) > left()) {
      std::ostringstream message;
      message << "the length " << length << " of " << what << " does not fit the " << left()
              << " bytes left";
      fail(message.str());
    }
    std::string_view value = bytes_.substr(offset_, static_cast<std::size_t>(length));
    offset_ += static_cast<std::size_t>(length);
    return value;
  }

 private:
  std::string_view bytes_;
  std::size_t offset_ = 0;
};

// One symbol table and the keys below its symbol count that it holds (the
// ids an arc may carry).
// A transducer without the table takes any label but the library's "no
// label" (-1) and the other negative numbers.
struct Table {
  std::unique_ptr<fst::SymbolTable> symbols;
  std::vector<bool> known;

  bool holds(int32_t label) const {
    if (!symbols) return label >= 0;
    return label >= 0 && static_cast<std::size_t>(label) < known.size() && known[label];
  }
  std::string describe(const char* which) const {
    if (!symbols) return "";
    return std::string(", which the ") + which + " symbol table of " +
           std::to_string(known.size()) + " symbols does not hold";
  }
};

Table read_table(ByteReader& in, const char* which, bool utf8_texts) {
  const std::string table = std::string("the ") + which + " symbol table";
  if (in.number<int32_t>(table.c_str()) != kSymbolTableMagic) {
    in.fail(table + " does not begin with its magic number");
  }
  const std::string_view name = in.text(("the name of " + table).c_str());
  in.number<int64_t>(table.c_str());  // the next free key: the table keeps its own
  const auto count = in.number<int64_t>(table.c_str());
  if (count < 0 || static_cast<uint64_t>(count) > in.left() / kSymbolBytes) {
    std::ostringstream message;
    message << "the symbol count " << count << " of " << table << " does not fit the "
            << in.left() << " bytes left";
    in.fail(message.str());
  }

  Table result;
  result.symbols = std::make_unique<fst::SymbolTable>(std::string(name));
  result.known.assign(static_cast<std::size_t>(count), false);
  std::unordered_set<int64_t> high_keys;
  const std::string symbol_what = "a symbol of " + table;
  for (int64_t i = 0; i < count; ++i) {
    const std::string_view text = in.text(symbol_what.c_str());
    const auto key = in.number<int64_t>(symbol_what.c_str());
    if (utf8_texts && !utf8::is_valid(text.begin(), text.end())) {
      in.fail("symbol " + std::to_string(i) + " of " + table + " is not valid UTF-8: " +
              excerpt(text));
    }
    bool fresh = false;
    if (key < 0) {
      in.fail("symbol " + std::to_string(i) + " of " + table + " has the negative key " +
              std::to_string(key));
    } else if (key < count) {
      fresh = !result.known[static_cast<std::size_t>(key)];
      result.known[static_cast<std::size_t>(key)] = true;
    } else {
      fresh = high_keys.insert(key).second;
    }
    if (!fresh) in.fail(table + " has the key " + std::to_string(key) + " twice");
    result.symbols->AddSymbol(std::string(text), key);
    if (result.symbols->NumSymbols() != static_cast<std::size_t>(i + 1)) {
      in.fail(table + " has the text " + excerpt(text) + " twice");
    }
  }
  return result;
}

void check_final(ByteReader& in, float weight, int64_t state) {
  if (std::isnan(weight) || weight == -std::numeric_limits<float>::infinity()) {
    in.fail("state " + std::to_string(state) + " has a final weight that is no number");
  }
}

std::shared_ptr<StoredTransducer> read_checked(std::string_view bytes,
                                               const TransducerRules& rules) {
  ByteReader in(bytes);
  if (bytes.size() < 4 || in.number<int32_t>("the header") != kTransducerMagic) {
    in.seek(0);
    in.fail("not a compiled transducer (no magic number)");
  }
  const std::string_view type = in.text("the transducer type");
  if (type != "vector") in.fail("the transducer type " + excerpt(type) + " is not \"vector\"");
  const std::string_view arc_type = in.text("the arc type");
  if (arc_type != fst::StdArc::Type()) {
    in.fail("the arc type " + excerpt(arc_type) + " is not \"" + fst::StdArc::Type() + "\"");
  }
  const auto version = in.number<int32_t>("the header");
  if (version < kOldestVersion) in.fail("the version " + std::to_string(version) + " is unknown");
  const auto flags = in.number<uint32_t>("the header");
  if ((flags & ~kKnownFlags) != 0) in.fail("the header flags " + std::to_string(flags) + " are unknown");
  const bool has_input = (flags & kHasInputSymbols) != 0;
  const bool has_output = (flags & kHasOutputSymbols) != 0;
  if (rules.symbol_tables && !has_input) in.fail("the transducer has no input symbol table");
  if (rules.symbol_tables && !has_output) in.fail("the transducer has no output symbol table");
  in.number<uint64_t>("the header");  // properties: computed afresh below
  const auto start = in.number<int64_t>("the header");
  const auto declared_states = in.number<int64_t>("the header");
  in.number<int64_t>("the header");  // the arc count, which the layout does not need
  if (declared_states < -1) {
    in.fail("the state count " + std::to_string(declared_states) + " is negative");
  }
  if (start < -1 || (declared_states >= 0 && start >= declared_states)) {
    in.fail("the start state " + std::to_string(start) + " is not one of the " +
            std::to_string(declared_states) + " states");
  }

  Table input;
  if (has_input) input = read_table(in, "input", rules.utf8_symbols);
  Table output;
  if (has_output) output = read_table(in, "output", rules.utf8_symbols);

  if (declared_states >= 0 && static_cast<uint64_t>(declared_states) > in.left() / kStateBytes) {
    std::ostringstream message;
    message << "the state count " << declared_states << " does not fit the " << in.left()
            << " bytes left";
    in.fail(message.str());
  }

  // First pass: check every state and arc, allocating nothing.
  const std::size_t states_offset = in.offset();
  int64_t states = 0;
  int64_t highest_target = -1;
  while (declared_states >= 0 ? states < declared_states : in.left() > 0) {
    const auto final_weight = in.number<float>("a state");
    check_final(in, final_weight, states);
    const auto arcs = in.number<int64_t>("a state");
    if (arcs < 0 || static_cast<uint64_t>(arcs) > in.left() / kArcBytes) {
      std::ostringstream message;
      message << "the arc count " << arcs << " of state " << states << " does not fit the "
              << in.left() << " bytes left";
      in.fail(message.str());
    }
    for (int64_t i = 0; i < arcs; ++i) {
      const auto ilabel = in.number<int32_t>("an arc");
      const auto olabel = in.number<int32_t>("an arc");
      const auto weight = in.number<float>("an arc");
      const auto target = in.number<int32_t>("an arc");
      const std::string arc = "arc " + std::to_string(i) + " of state " + std::to_string(states);
      if (rules.labels_in_tables && !input.holds(ilabel)) {
        in.fail(arc + " has the input label " + std::to_string(ilabel) + input.describe("input"));
      }
      if (rules.labels_in_tables && !output.holds(olabel)) {
        in.fail(arc + " has the output label " + std::to_string(olabel) +
                output.describe("output"));
      }
      if (std::isnan(weight) || weight == -std::numeric_limits<float>::infinity()) {
        in.fail(arc + " has a weight that is no number");
      }
      if (target < 0 || (declared_states >= 0 && target >= declared_states)) {
        in.fail(arc + " leads to state " + std::to_string(target) + " of " +
                std::to_string(declared_states) + " states");
      }
      if (target > highest_target) highest_target = target;
    }
    ++states;
    if (states > std::numeric_limits<int32_t>::max()) in.fail("the transducer has too many states");
  }
  if (in.left() > 0) {
    in.fail(std::to_string(in.left()) + " bytes follow the last of the " + std::to_string(states) +
            " states");
  }
  if (highest_target >= states || start >= states) {
    in.fail("an arc or the start leads past the last of the " + std::to_string(states) +
            " states");
  }

  // Second pass: build it.
  auto transducer = std::make_shared<StoredTransducer>();
  if (input.symbols) transducer->SetInputSymbols(input.symbols.get());
  if (output.symbols) transducer->SetOutputSymbols(output.symbols.get());
  transducer->ReserveStates(static_cast<int>(states));
  in.seek(states_offset);
  for (int64_t s = 0; s < states; ++s) {
    const int state = transducer->AddState();
    transducer->SetFinal(state, fst::TropicalWeight(in.number<float>("a state")));
    const auto arcs = in.number<int64_t>("a state");
    transducer->ReserveArcs(state, static_cast<std::size_t>(arcs));
    for (int64_t i = 0; i < arcs; ++i) {
      const auto ilabel = in.number<int32_t>("an arc");
      const auto olabel = in.number<int32_t>("an arc");
      const auto weight = in.number<float>("an arc");
      const auto target = in.number<int32_t>("an arc");
      transducer->AddArc(state, fst::StdArc(ilabel, olabel, fst::TropicalWeight(weight), target));
    }
  }
  if (start >= 0) transducer->SetStart(static_cast<int>(start));
  return transducer;
}

}  // namespace

std::shared_ptr<StoredTransducer> read_transducer(std::string_view bytes, std::string* fault,
                                                  const TransducerRules& rules) {
  try {
    return read_checked(bytes, rules);
  } catch (const Damage& damage) {
    *fault = damage.what;
  } catch (const std::bad_alloc&) {
    *fault = "there is not enough memory for it";
  }
  return nullptr;
}

bool read_transducer_bytes(const std::string& path, std::string* bytes, std::string* fault) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    *fault = "not a regular file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *fault = "the file cannot be opened";
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    *fault = "the file cannot be read";
    return false;
  }
  *bytes = content.str();
  return true;
}

std::shared_ptr<StoredTransducer> read_transducer_file(const std::string& path) {
  std::string bytes;
  std::string fault;
  std::shared_ptr<StoredTransducer> transducer;
  if (read_transducer_bytes(path, &bytes, &fault)) transducer = read_transducer(bytes, &fault);
  if (!transducer) {
    std::ostringstream message;
    message << "Invalid transducer file [" << path << "]: " << fault;
    throw Exception(message);
  }
  return transducer;
}

std::shared_ptr<StoredTransducer> read_transducer_record(std::string_view bytes,
                                                         const std::string& name,
                                                         const TransducerRules& rules) {
  std::string fault;
  std::shared_ptr<StoredTransducer> transducer = read_transducer(bytes, &fault, rules);
  if (!transducer) {
    std::ostringstream message;
    message << "Invalid transducer [" << name << "]: " << fault;
    throw Exception(message);
  }
  return transducer;
}

}  // namespace afst
}  // namespace zel
