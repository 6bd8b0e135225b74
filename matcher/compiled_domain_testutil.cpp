#include "matcher/compiled_domain_testutil.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include <fst/arc.h>
#include <fst/symbol-table.h>
#include <fst/vector-fst.h>
#include <nlohmann/json.hpp>

#include "base/unicode.h"
#include "compiler/backend/attribute_collection_map.h"
#include "compiler/backend/id_info.h"
#include "core-afst/builder.h"
#include "core-afst/formatted_string.h"
#include "core-afst/lexicon_text.h"
#include "core-afst/serialization.h"
#include "language/pos_table.h"

namespace zel {
namespace kavero {
namespace testing {
namespace {

namespace ser = zel::afst::serialization;
using Transducer = fst::VectorFst<fst::StdArc>;

[[noreturn]] void fail(size_t line, const std::string& message) {
  throw std::runtime_error("compiled domain text, line " + std::to_string(line) + ": " + message);
}

// Blank-separated items; a double-quoted stretch (quotes kept, "\" escapes
// the next character) does not split.
std::vector<std::string> split_items(const std::string& line) {
  std::vector<std::string> items;
  std::string item;
  bool quoted = false;
  bool in_item = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (!quoted && (c == ' ' || c == '\t')) {
      if (in_item) items.push_back(item);
      item.clear();
      in_item = false;
      continue;
    }
    in_item = true;
    item += c;
    if (quoted && c == '\\' && i + 1 < line.size()) {
      item += line[++i];
    } else if (c == '"') {
      quoted = !quoted;
    }
  }
  if (in_item) items.push_back(item);
  return items;
}

// A value without its surrounding double quotes and escapes.
std::string unquote(const std::string& value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return value;
  std::string out;
  for (size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] == '\\' && i + 2 < value.size()) ++i;
    out += value[i];
  }
  return out;
}

// The text after the first blank-separated word.
std::string rest_of_line(const std::string& line) {
  const size_t start = line.find_first_not_of(" \t");
  const size_t blank = line.find_first_of(" \t", start);
  if (blank == std::string::npos) return std::string();
  const size_t rest = line.find_first_not_of(" \t", blank);
  return rest == std::string::npos ? std::string() : line.substr(rest);
}

std::pair<std::string, std::string> key_value(const std::string& item, size_t line) {
  const size_t eq = item.find('=');
  if (eq == std::string::npos) fail(line, "expected key=value: " + item);
  return {item.substr(0, eq), unquote(item.substr(eq + 1))};
}

// key=value with the value exactly as written (quotes kept), as the
// compiler keeps attribute values.
std::pair<std::string, std::string> raw_key_value(const std::string& item, size_t line) {
  const size_t eq = item.find('=');
  if (eq == std::string::npos) fail(line, "expected key=value: " + item);
  return {item.substr(0, eq), item.substr(eq + 1)};
}

unsigned parse_number(const std::string& text, size_t line) {
  try {
    size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 0);
    if (used != text.size() || value > 0xFFFFFFFFul) throw std::invalid_argument(text);
    return static_cast<unsigned>(value);
  } catch (const std::logic_error&) {
    fail(line, "not a number: " + text);
  }
}

// The text form of a numeric label, as the compiler pushes it.
std::string hex_label(uint32_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << value;
  return out.str();
}

class IdMap {
 public:
  // The name's id; a new name gets the next one.
  uint32_t add(const std::string& name) {
    auto found = ids_.find(name);
    if (found != ids_.end()) return found->second;
    names_.push_back(name);
    const uint32_t id = static_cast<uint32_t>(names_.size());
    ids_[name] = id;
    return id;
  }
  std::optional<uint32_t> find(const std::string& name) const {
    auto found = ids_.find(name);
    if (found == ids_.end()) return std::nullopt;
    return found->second;
  }
  const std::vector<std::string>& names() const { return names_; }

 private:
  std::vector<std::string> names_;
  std::map<std::string, uint32_t> ids_;
};

// One label of a rule or bitset transducer, before symbol keys are given.
struct ParsedLabel {
  uint32_t value = 0;     // the kind bits, or the whole label
  std::string text;       // the symbol text; empty for none
  bool keyed = false;     // the symbol key goes into the low bits
};

ParsedLabel parse_label(const std::string& item, const IdMap& concepts, size_t line) {
  static const std::map<std::string, uint32_t> indexed = {
      {"TK", 0x10000000u},     {"CNCPT", 0x20000000u},  {"CNCPT_BEG", 0x30000000u},
      {"CNCPT_END", 0x40000000u}, {"CAPBEG", 0x60000000u}, {"CAPEND", 0x70000000u},
  };
  static const std::map<std::string, uint32_t> bare = {
      {"SHRTMATCH", 0x80000000u},     {"ANYTK", 0x90000000u},
      {"NEGATION", 0xc0000000u},      {"NEGATION_BODY", 0xc1000000u},
      {"NEGATION_NEXT", 0xc2000000u}, {"KAV_NEGATION_END", 0xc3000000u},
  };
  ParsedLabel label;
  if (item == "EPS") return label;
  auto b = bare.find(item);
  if (b != bare.end()) {
    label.value = b->second;
    label.text = hex_label(label.value);
    return label;
  }
  if (item.rfind("ATT@", 0) == 0) {
    label.value = 0x50000000u;
    label.text = "0x50000000" + item.substr(3);
    label.keyed = true;
    return label;
  }
  if (item.rfind("PROP+", 0) == 0) {
    label.value = 0xa0000000u;
    label.text = "0xa0000000" + item.substr(4);
    label.keyed = true;
    return label;
  }
  if (item[0] == '@') {
    label.text = item;
    label.keyed = true;
    return label;
  }
  if (item.rfind("SYM:", 0) == 0) {
    label.text = unquote(item.substr(4));
    label.keyed = true;
    return label;
  }
  if (item.rfind("RAW:", 0) == 0) {
    label.value = parse_number(item.substr(4), line);
    return label;
  }
  const size_t colon = item.find(':');
  auto k = colon == std::string::npos ? indexed.end() : indexed.find(item.substr(0, colon));
  if (k == indexed.end()) fail(line, "unknown label: " + item);
  const std::string index = item.substr(colon + 1);
  uint32_t n = 0;
  if (!index.empty() && std::isdigit(static_cast<unsigned char>(index[0]))) {
    n = parse_number(index, line);
  } else {
    auto id = concepts.find(index);
    if (!id) fail(line, "no concept named " + index);
    n = *id;
  }
  if (n > 0xFFFFFFu) fail(line, "index too large: " + item);
  label.value = k->second | n;
  label.text = hex_label(label.value);
  return label;
}

// A transducer as written: a path or explicit arcs.
struct NetworkText {
  std::vector<std::string> path;
  bool has_path = false;
  size_t path_line = 0;
  std::vector<std::tuple<int, int, std::string, size_t>> arcs;
  std::vector<int> finals;
  std::optional<int> start;
  bool no_start = false;

  bool explicit_form() const { return !arcs.empty() || !finals.empty() || start || no_start; }
};

void parse_net_line(NetworkText& net, const std::vector<std::string>& items, size_t at, size_t line) {
  const std::string& what = items[at];
  if (what == "path") {
    net.has_path = true;
    net.path_line = line;
    net.path.assign(items.begin() + static_cast<long>(at) + 1, items.end());
  } else if (what == "arc") {
    if (items.size() != at + 4) fail(line, "arc FROM TO LABEL");
    net.arcs.emplace_back(static_cast<int>(parse_number(items[at + 1], line)),
                          static_cast<int>(parse_number(items[at + 2], line)), items[at + 3], line);
  } else if (what == "final") {
    for (size_t i = at + 1; i < items.size(); ++i) {
      net.finals.push_back(static_cast<int>(parse_number(items[i], line)));
    }
  } else if (what == "start") {
    if (items.size() != at + 2) fail(line, "start STATE|none");
    if (items[at + 1] == "none") {
      net.no_start = true;
    } else {
      net.start = static_cast<int>(parse_number(items[at + 1], line));
    }
  } else {
    fail(line, "unknown line in a transducer: " + what);
  }
}

// Builds the transducer with symbol keys from 2 in order of first use and
// "eps" outputs; `labels` receives every label value written.
std::shared_ptr<Transducer> build_net(const NetworkText& net, const IdMap& concepts, size_t line,
                                      std::vector<uint32_t>* labels) {
  if (net.has_path && net.explicit_form()) fail(line, "a transducer is a path or arcs, not both");
  fst::SymbolTable input("lower");
  input.AddSymbol("eps", 0);
  input.AddSymbol("EPS", 1);
  fst::SymbolTable output("upper");
  output.AddSymbol("eps", 0);
  output.AddSymbol("EPS", 1);
  auto label_of = [&](const std::string& item, size_t at_line) {
    const ParsedLabel parsed = parse_label(item, concepts, at_line);
    uint32_t value = parsed.value;
    if (!parsed.text.empty()) {
      int64_t key = input.Find(parsed.text);
      if (key == fst::kNoSymbol) key = input.AddSymbol(parsed.text);
      if (parsed.keyed) value |= static_cast<uint32_t>(key);
    }
    if (labels != nullptr) labels->push_back(value);
    return value;
  };
  auto t = std::make_shared<Transducer>();
  auto add_states = [&](int upto) {
    while (t->NumStates() <= upto) t->AddState();
  };
  if (net.explicit_form()) {
    add_states(0);
    for (const auto& [from, to, item, at_line] : net.arcs) {
      add_states(std::max(from, to));
      const uint32_t value = label_of(item, at_line);
      t->AddArc(from, fst::StdArc(static_cast<int>(value), 0, fst::TropicalWeight::One(), to));
    }
    for (int f : net.finals) {
      add_states(f);
      t->SetFinal(f, fst::TropicalWeight::One());
    }
    if (!net.no_start) {
      add_states(net.start.value_or(0));
      t->SetStart(net.start.value_or(0));
    }
  } else {
    t->AddState();
    t->SetStart(0);
    for (const std::string& item : net.path) {
      const int from = t->NumStates() - 1;
      const int to = t->AddState();
      const uint32_t value = label_of(item, net.path_line);
      t->AddArc(from, fst::StdArc(static_cast<int>(value), 0, fst::TropicalWeight::One(), to));
    }
    t->SetFinal(t->NumStates() - 1, fst::TropicalWeight::One());
  }
  t->SetInputSymbols(&input);
  t->SetOutputSymbols(&output);
  return t;
}

struct RuleText {
  size_t line = 0;
  std::vector<std::string> namespaces;
  std::string source_key = "src_";
  unsigned source_line = 1;
  std::string group;
  std::string text;
  std::string rt = "1";
  std::string debug = "rules/test.kav";
  std::optional<std::string> captures;
  std::optional<std::string> groups;
  std::optional<std::string> attributes;
  NetworkText net;
  NetworkText bitset;
  std::vector<std::string> tlb;
  std::optional<std::string> tlb_text;
};

struct LexiconText {
  std::string stream;
  std::string entries;
  size_t line = 0;
};

std::string join_set(const std::set<uint32_t>& ids) {
  std::string out;
  for (uint32_t id : ids) {
    if (!out.empty()) out += ",";
    out += std::to_string(id);
  }
  return out;
}

class DomainWriter {
 public:
  explicit DomainWriter(sqlite3* db) : db_(db) {}

  void parse(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    size_t number = 0;
    while (std::getline(lines, line)) {
      ++number;
      const size_t first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos || line[first] == '#') continue;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (first > 0) {
        continue_block(line, number);
      } else {
        block_ = Block::kNone;
        directive(line, number);
      }
    }
  }

  void write(WrittenDomain* written) {
    ser::store_binary_data(db_, "sdk_version", "", sdk_version_.data(), sdk_version_.size());
    store_id_map(db_, "uniq_concept_map", concepts_.names());
    store_id_map(db_, "uniq_capture_map", captures_.names());
    ser::store_object(db_, "uniq_concept_definitions", definitions_, "");
    if (encoder_used_) {
      encoder_->applyUnion(0);
      ser::store_fsm(encoder_, shared_db(), "token_encoder", std::string());
    }
    for (const RuleText& rule : rules_) write_rule(rule, written);
    for (const LexiconText& lexicon : lexicons_) {
      std::istringstream entries(lexicon.entries);
      auto network = zel::afst::build_lexicon(entries, "lexicon " + lexicon.stream);
      ser::store_fsm(*network, shared_db(), "entities_" + lexicon.stream,
                     "input=" + lexicon.stream);
    }
    if (lexicon_info_) {
      ser::store_binary_data(db_, "lexicon_info", "", lexicon_info_->data(),
                             lexicon_info_->size());
    }
    for (const std::string& name : omitted_) ser::delete_binary_data(db_, name);
    for (const std::string& name : garbled_) {
      const std::string attributes = ser::get_binary_data(db_, name).first;
      static const char kJunk[] = "\x01\x02garbled record\x7f{";
      ser::store_binary_data(db_, name, attributes, kJunk, sizeof kJunk - 1);
    }
  }

  const std::optional<std::string>& dom_info() const { return dom_info_; }

 private:
  enum class Block { kNone, kRule, kLexicon, kDefinition };

  std::shared_ptr<sqlite3> shared_db() {
    // The database is owned by the caller; the container's transducer
    // writers take a shared handle, which must not close it.
    return std::shared_ptr<sqlite3>(db_, [](sqlite3*) {});
  }

  void directive(const std::string& line, size_t number) {
    const std::vector<std::string> items = split_items(line);
    const std::string& what = items[0];
    if (what == "sdk_version") {
      sdk_version_ = rest_of_line(line);
    } else if (what == "concept") {
      for (size_t i = 1; i < items.size(); ++i) concepts_.add(items[i]);
    } else if (what == "capture") {
      for (size_t i = 1; i < items.size(); ++i) {
        captures_.add(items[i]);
        concepts_.add(items[i]);
      }
    } else if (what == "token") {
      add_token(items, number);
    } else if (what == "encoder_path") {
      add_encoder_path(items, number);
    } else if (what == "rule") {
      add_rule(items, number);
      block_ = Block::kRule;
    } else if (what == "lexicon") {
      if (items.size() != 2) fail(number, "lexicon STREAM");
      lexicons_.push_back({items[1], std::string(), number});
      block_ = Block::kLexicon;
    } else if (what == "definition") {
      if (items.size() != 2) fail(number, "definition NAME");
      definition_ = &definitions_[items[1]];
      block_ = Block::kDefinition;
    } else if (what == "lexicon_info") {
      lexicon_info_ = rest_of_line(line);
    } else if (what == "dom_info") {
      dom_info_ = rest_of_line(line);
    } else if (what == "no_dom_info") {
      dom_info_.reset();
    } else if (what == "omit" || what == "garble") {
      for (size_t i = 1; i < items.size(); ++i) {
        (what == "omit" ? omitted_ : garbled_).push_back(items[i]);
      }
    } else {
      fail(number, "unknown directive: " + what);
    }
  }

  void continue_block(const std::string& line, size_t number) {
    if (block_ == Block::kLexicon) {
      lexicons_.back().entries += line.substr(line.find_first_not_of(" \t")) + "\n";
      return;
    }
    if (block_ == Block::kDefinition) {
      add_definition_value(split_items(line), number);
      return;
    }
    if (block_ != Block::kRule) fail(number, "indented line outside a rule, lexicon or definition");
    RuleText& rule = rules_.back();
    const std::vector<std::string> items = split_items(line);
    if (items[0] == "bitset") {
      if (items.size() < 2) fail(number, "bitset what?");
      parse_net_line(rule.bitset, items, 1, number);
    } else if (items[0] == "tlb") {
      rule.tlb.assign(items.begin() + 1, items.end());
    } else if (items[0] == "tlb_text") {
      rule.tlb_text = rest_of_line(line);
    } else {
      parse_net_line(rule.net, items, 0, number);
    }
  }

  // One attribute of the current definition: text KEY VALUE, call KEY NAME
  // [k=v ...], calls KEY NAME [k=v ...] [| NAME [k=v ...] ...] or pairs KEY
  // [k=v ...].
  void add_definition_value(const std::vector<std::string>& items, size_t number) {
    using zel::compiler::ast::node::AssignCaptureGroup;
    const std::string& kind = items[0];
    if (items.size() < 2) fail(number, kind + " KEY ...");
    const std::string& key = items[1];
    auto pairs_of = [&](size_t from, size_t to) {
      AttributeList pairs;
      for (size_t i = from; i < to; ++i) pairs.push_back(raw_key_value(items[i], number));
      return pairs;
    };
    if (kind == "text") {
      if (items.size() != 3) fail(number, "text KEY VALUE");
      definition_->emplace_back(key, items[2]);
    } else if (kind == "call" || kind == "calls") {
      std::vector<AssignCaptureGroup> calls;
      for (size_t at = 2; at < items.size();) {
        size_t end = at + 1;
        while (end < items.size() && items[end] != "|") ++end;
        AssignCaptureGroup call;
        call.uri_ = items[at];
        call.attributes_ = pairs_of(at + 1, end);
        calls.push_back(std::move(call));
        at = end + 1;
      }
      if (calls.empty()) fail(number, kind + " KEY NAME [k=v ...]");
      if (kind == "call") {
        if (calls.size() != 1) fail(number, "call KEY NAME [k=v ...]: one call");
        definition_->emplace_back(key, calls.front());
      } else {
        definition_->emplace_back(key, std::move(calls));
      }
    } else if (kind == "pairs") {
      definition_->emplace_back(key, pairs_of(2, items.size()));
    } else {
      fail(number, "unknown definition value: " + kind);
    }
  }

  void add_rule(const std::vector<std::string>& items, size_t number) {
    RuleText rule;
    rule.line = number;
    for (size_t i = 1; i < items.size(); ++i) {
      const auto [key, value] = key_value(items[i], number);
      if (key == "text") {
        rule.text = value;
      } else if (key == "ns") {
        std::istringstream names(value);
        for (std::string name; std::getline(names, name, ',');) rule.namespaces.push_back(name);
      } else if (key == "src") {
        rule.source_key = value;
      } else if (key == "line") {
        rule.source_line = parse_number(value, number);
      } else if (key == "group") {
        rule.group = value;
      } else if (key == "rt") {
        rule.rt = value;
      } else if (key == "debug") {
        rule.debug = value;
      } else if (key == "captures") {
        rule.captures = value;
      } else if (key == "groups") {
        rule.groups = value;
      } else if (key == "attributes") {
        rule.attributes = value;
      } else {
        fail(number, "unknown rule item: " + key);
      }
    }
    if (rule.text.empty()) fail(number, "a rule needs text=");
    rules_.push_back(rule);
  }

  void write_rule(const RuleText& rule, WrittenDomain* written) {
    if (rule.rt == "2" && rule.net.explicit_form()) {
      fail(rule.line, "rt=2 marks a single path; write the rule with path");
    }
    const std::string id = rule_record_name(rule.namespaces, rule.source_key, rule.source_line,
                                            rule.group, rule.text);
    std::vector<uint32_t> labels;
    auto network = build_net(rule.net, concepts_, rule.line, &labels);
    std::string attributes;
    if (rule.attributes) {
      attributes = *rule.attributes;
    } else {
      std::set<uint32_t> captures;
      std::set<uint32_t> groups;
      for (uint32_t label : labels) {
        const uint32_t kind = label & 0xFF000000u;
        if (kind == 0x60000000u) captures.insert(label & 0xFFFFFFu);
        if (kind == 0x20000000u || kind == 0x30000000u || kind == 0x40000000u) {
          groups.insert(label & 0xFFFFFFu);
        }
      }
      attributes = "captures=" + rule.captures.value_or(join_set(captures)) + ";groups=" +
                   rule.groups.value_or(join_set(groups)) + ";;debug_info=" + rule.debug + ":" +
                   std::to_string(rule.source_line);
      if (rule.rt != "none") attributes += ";rt=" + rule.rt;
    }
    ser::store_fsm(*network, shared_db(), "rule_" + id, attributes);

    auto bitset = build_net(rule.bitset, concepts_, rule.line, nullptr);
    std::string tlb_text;
    if (rule.tlb_text) {
      tlb_text = *rule.tlb_text;
    } else {
      nlohmann::json list = nlohmann::json::array();
      for (const std::string& item : rule.tlb) {
        if (std::isdigit(static_cast<unsigned char>(item[0]))) {
          list.push_back(parse_number(item, rule.line));
        } else {
          list.push_back(parse_label(item, concepts_, rule.line).value);
        }
      }
      tlb_text = nlohmann::json{{"tlb", list}}.dump();
    }
    ser::store_fsm(*bitset, shared_db(), "bitset_" + id, tlb_text);
    written->rules.emplace_back("rule_" + id, attributes);
  }

  // One encoder entry, closed and optimised as the compiler does it. The
  // entries are united once, when the encoder is written: uniting after
  // every entry copies all earlier entries each time, which makes a domain
  // of thousands of tokens take minutes to write.
  template <class Fill>
  void add_encoder_entry(Fill fill) {
    encoder_->open_rule();
    fill();
    encoder_->close_rule();
    encoder_->build(true);
    encoder_used_ = true;
  }

  void push(const std::string& label) { encoder_->pushArc(label, "eps"); }

  void push_pattern(const std::string& marker, const std::string& pattern) {
    push(marker);
    zel::afst::add_formatted_string(encoder_, pattern);
    push(zel::string::from_uint(0xEF07u));
  }

  void add_token(const std::vector<std::string>& items, size_t number) {
    if (items.size() < 2) fail(number, "token ID ITEMS...");
    const unsigned id = parse_number(items[1], number);
    std::optional<std::string> length, literal, stem, pos, head;
    std::set<std::string> properties;
    std::set<std::string> components;
    for (size_t i = 2; i < items.size(); ++i) {
      const auto [key, value] = key_value(items[i], number);
      if (key == "length") {
        length = value;
      } else if (key == "literal") {
        literal = value;
      } else if (key == "stem") {
        stem = value;
      } else if (key == "pos") {
        pos = value;
      } else if (key == "head") {
        head = value;
      } else if (key == "prop") {
        properties.insert(value);
      } else if (key == "component") {
        components.insert(value);
      } else {
        fail(number, "unknown token item: " + key);
      }
    }
    // A token without any test (an any-token) has an id but, as in the
    // compiler, no encoder entry.
    if (items.size() == 2) return;
    const auto marker = [](unsigned code) { return zel::string::from_uint(code); };
    add_encoder_entry([&] {
      if (length) push(length_label(*length, number));
      if (literal) push_pattern(marker(0xEF01u), *literal);
      if (stem) push_pattern(marker(0xEF02u), *stem);
      if (pos) {
        const uint32_t root = zel::language::pos_table::get_root_pos_id(*pos);
        if (root != 0) {
          push(marker(0xEF08u) + zel::string::from_uint(root >> 16));
        } else {
          push_pattern(marker(0xEF03u), *pos);
        }
      }
      for (const std::string& p : properties) push(marker(0xEF04u) + p);
      if (head) push_pattern(marker(0xEF06u), *head);
      for (const std::string& c : components) push_pattern(marker(0xEF05u), c);
      push(marker(0xEF00u) + std::to_string(id));
    });
  }

  std::string length_label(const std::string& value, size_t number) {
    std::string label = zel::string::from_uint(0xEF09u);
    std::istringstream parts(value);
    for (std::string part; std::getline(parts, part, ',');) {
      label += zel::string::from_uint(parse_number(part, number));
    }
    return label;
  }

  void add_encoder_path(const std::vector<std::string>& items, size_t number) {
    static const std::map<std::string, unsigned> commands = {
        {"literal", 0xEF01u}, {"stem", 0xEF02u}, {"pos", 0xEF03u},
        {"component", 0xEF05u}, {"head", 0xEF06u}, {"end", 0xEF07u},
    };
    add_encoder_entry([&] {
      for (size_t i = 1; i < items.size(); ++i) {
        const std::string& item = items[i];
        if (item.size() < 3 || item.front() != '{' || item.back() != '}') {
          push(unquote(item));
          continue;
        }
        const std::string inner = item.substr(1, item.size() - 2);
        const size_t colon = inner.find(':');
        const std::string name = inner.substr(0, colon);
        const std::string argument = colon == std::string::npos ? "" : inner.substr(colon + 1);
        auto command = commands.find(name);
        if (command != commands.end() && colon == std::string::npos) {
          push(zel::string::from_uint(command->second));
        } else if (name == "emit") {
          push(zel::string::from_uint(0xEF00u) + argument);
        } else if (name == "prop") {
          push(zel::string::from_uint(0xEF04u) + argument);
        } else if (name == "root") {
          push(zel::string::from_uint(0xEF08u) +
               zel::string::from_uint(parse_number(argument, number)));
        } else if (name == "length") {
          push(length_label(argument, number));
        } else {
          fail(number, "unknown encoder command: " + item);
        }
      }
    });
  }

  sqlite3* db_;
  Block block_ = Block::kNone;
  std::string sdk_version_ = "3.1.1";
  IdMap concepts_;
  IdMap captures_;
  std::shared_ptr<zel::afst::Builder> encoder_ = std::make_shared<zel::afst::Builder>();
  bool encoder_used_ = false;
  std::vector<RuleText> rules_;
  std::vector<LexiconText> lexicons_;
  std::optional<std::string> lexicon_info_;
  zel::compiler::AttributeCollectionMap definitions_;
  zel::compiler::AnnotationAttributes* definition_ = nullptr;
  std::optional<std::string> dom_info_ = std::string("{}");
  std::vector<std::string> omitted_;
  std::vector<std::string> garbled_;
};

}  // namespace

std::string rule_record_name(const std::vector<std::string>& namespaces,
                             const std::string& source_key, unsigned line,
                             const std::string& group, const std::string& text) {
  std::ostringstream id;
  for (const std::string& name : namespaces) id << name << "_";
  id << "$DAZ:" << source_key << "_l" << std::setw(3) << std::setfill('0') << line << "_";
  if (!group.empty()) id << "$GRUUID:" << group << "_";
  id << text;
  return id.str();
}

void store_id_map(sqlite3* db, const std::string& record, const std::vector<std::string>& names) {
  zel::compiler::Id2Info map;
  for (size_t i = 0; i < names.size(); ++i) map.emplace(names[i], zel::compiler::IdInfo{i + 1});
  ser::store_object(db, record, map, "");
}

WrittenDomain write_compiled_domain(const std::string& text, const std::filesystem::path& dom) {
  WrittenDomain written;
  written.dom = dom;
  written.dom_info = dom.string() + "_info";
  std::filesystem::remove(dom);
  std::filesystem::remove(written.dom_info);
  auto db = ser::open_file(dom);
  if (!ser::create_cbf_table(db.get())) {
    throw std::runtime_error("cannot create the record table in " + dom.string());
  }
  DomainWriter writer(db.get());
  writer.parse(text);
  // One transaction: a test domain is written in a fraction of the time
  // that one synchronised write per record takes.
  ser::sql_exec(db.get(), "BEGIN");
  try {
    writer.write(&written);
  } catch (...) {
    ser::sql_exec(db.get(), "ROLLBACK");
    throw;
  }
  ser::sql_exec(db.get(), "COMMIT");
  if (writer.dom_info()) {
    std::ofstream out(written.dom_info, std::ios::binary);
    out << *writer.dom_info();
    if (!out) throw std::runtime_error("cannot write " + written.dom_info.string());
  }
  return written;
}

WrittenDomain write_compiled_domain_folder(const std::string& text,
                                           const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  return write_compiled_domain(text, folder / "domain.dom");
}

ScratchDomain::ScratchDomain(const std::string& text)
    : written_(write_compiled_domain(text, folder_.path() / "domain.dom")),
      db_(ser::open_file_read(written_.dom)) {}

}  // namespace testing
}  // namespace kavero
}  // namespace zel
