#include "compiler/backend/rule_relabelling.h"

#include <cctype>
#include <string>

#include "core-afst/visitor.h"

namespace zel {
namespace compiler {
namespace detail {

namespace {

constexpr std::uint32_t kAttributeKind = 0x50000000u;
constexpr std::uint32_t kPropertyKind = 0xa0000000u;

}  // namespace

class ReplaceVisitor : public afst::Visitor {
 public:
  ReplaceVisitor(fst::StdVectorFst* network, std::set<std::uint32_t>& labels)
      : afst::Visitor(network), labels_(labels) {}

  using afst::Visitor::visit;

  // Arcs are rewritten here rather than in the arc visit, which must leave
  // the state's arcs as they are.
  void visit(const int& state) override {
    for (fst::MutableArcIterator<fst::StdVectorFst> arcs(network_, state); !arcs.Done();
         arcs.Next()) {
      fst::StdArc arc = arcs.Value();
      if (relabel(arc)) arcs.SetValue(arc);
    }
  }

 private:
  bool relabel(fst::StdArc& arc) {
    const std::string text =
        input_symbols_ == nullptr ? std::string() : input_symbols_->Find(arc.ilabel);
    if (text.size() < 2 || text[0] != '0' || text[1] != 'x') return false;
    // The hexadecimal digits after the prefix, up to the first other
    // character ("@" or "+" for attribute tests and properties).
    std::uint64_t value = 0;
    for (size_t i = 2; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i]));
         ++i) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
      value = (value << 4) | static_cast<std::uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
      value &= 0xffffffffffULL;  // keeps a runaway text from overflowing
    }
    const auto number = static_cast<std::uint32_t>(value);
    if (number == kAttributeKind || number == kPropertyKind) {
      arc.ilabel = static_cast<fst::StdArc::Label>(number | static_cast<std::uint32_t>(arc.ilabel));
    } else {
      arc.ilabel = static_cast<fst::StdArc::Label>(number);
      labels_.insert(number);
    }
    return true;
  }

  std::set<std::uint32_t>& labels_;
};

}  // namespace detail

std::set<std::uint32_t> replace_rule_ids(fst::StdVectorFst& network) {
  std::set<std::uint32_t> labels;
  detail::ReplaceVisitor visitor(&network, labels);
  visitor.travers();
  return labels;
}

}  // namespace compiler
}  // namespace zel
