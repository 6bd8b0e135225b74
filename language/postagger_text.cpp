#include "language/postagger_text.h"

#include <cstdlib>
#include <istream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fst/symbol-table.h>

#include "base/file.h"

namespace zel {
namespace kavero {
namespace disambiguation {

namespace {

// A state number: decimal digits only.
bool read_state(const std::string& field, int& state) {
  if (field.empty() || field.size() > 9) return false;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
  }
  state = std::atoi(field.c_str());
  return true;
}

fst::SymbolTable make_table(const std::string& name) {
  fst::SymbolTable table(name);
  table.AddSymbol("eps", 0);
  table.AddSymbol("EPS", 1);
  return table;
}

}  // namespace

std::shared_ptr<fst::StdVectorFst> build_postagger(std::istream& lines,
                                                   const std::string& source) {
  auto network = std::make_shared<fst::StdVectorFst>();
  fst::SymbolTable lower = make_table("lower");
  fst::SymbolTable upper = make_table("upper");
  auto state = [&](int number) {
    while (network->NumStates() <= number) network->AddState();
    return number;
  };
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::vector<std::string> parts;
    for (std::string part; fields >> part;) parts.push_back(part);
    if (parts.empty() || parts[0][0] == '#') continue;
    int from = 0;
    int to = 0;
    bool ok = read_state(parts[0], from);
    if (ok && parts.size() == 1) {
      if (network->Start() == fst::kNoStateId) network->SetStart(state(from));
      network->SetFinal(state(from), fst::TropicalWeight::One());
      continue;
    }
    ok = ok && (parts.size() == 3 || parts.size() == 4) && read_state(parts[1], to);
    if (!ok) {
      std::ostringstream message;
      message << source << ":" << number << ": not a postagger line: " << line;
      throw std::runtime_error(message.str());
    }
    if (network->Start() == fst::kNoStateId) network->SetStart(state(from));
    const int64_t input = lower.AddSymbol(parts[2]);
    const int64_t output = upper.AddSymbol(parts.size() == 4 ? parts[3] : "eps");
    state(to);
    network->AddArc(state(from), fst::StdArc(input, output, fst::TropicalWeight::One(), to));
  }
  network->SetInputSymbols(&lower);
  network->SetOutputSymbols(&upper);
  return network;
}

void compile_postagger_file(const std::string& rules_path, const std::string& fst_path) {
  std::istringstream lines(zel::file::load(rules_path.c_str()));
  const auto network = build_postagger(lines, rules_path);
  if (fst_path.empty() || !network->Write(fst_path)) {
    throw std::runtime_error("Could not save the " + fst_path + ".");
  }
}

}  // namespace disambiguation
}  // namespace kavero
}  // namespace zel
