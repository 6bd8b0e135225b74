#include "matcher/rule_labels.h"

#include <ostream>

namespace zel {
namespace kavero {
namespace matcher {
namespace {

unsigned int kind_byte(unsigned int label) { return label >> 24; }

}  // namespace

bool is_concept_begin(const unsigned int& label) {
  return label != invalid_id && (kind_byte(label) & 0x30u) == 0x30u;
}

bool is_capture_group(const unsigned int& label) {
  if (label == invalid_id) return false;
  const unsigned int kind = kind_byte(label);
  return (kind & 0x60u) == 0x60u || kind == 0;
}

bool is_capture_group_begin(const unsigned int& label) {
  return label != invalid_id && kind_byte(label) == 0x60u;
}

bool is_capture_group_end(const unsigned int& label) {
  return label != invalid_id && kind_byte(label) == 0x70u;
}

bool is_submatcher(const unsigned int& label) {
  return label != invalid_id && (kind_byte(label) & 0xB0u) == 0xB0u;
}

namespace forward {

void print_type_string(std::ostream& out, unsigned int kind) {
  switch (kind) {
    case LABLE: out << "LABLE"; return;
    case TK: out << "TK"; return;
    case CNCPT: out << "CNCPT"; return;
    case CNCPT_BEG: out << "CNCPT_BEG"; return;
    case CNCPT_END: out << "CNCPT_END"; return;
    case ATT: out << "ATT"; return;
    case CAPBEG: out << "CAPBEG"; return;
    case CAPEND: out << "CAPEND"; return;
    case SHRTMATCH: out << "SHRTMATCH"; return;
    case ANYTK: out << "ANYTK"; return;
    case PROP: out << "PROP"; return;
    case NEGATION: out << "NEGATION"; return;
    case KAV_NEGATION_END: out << "KAV_NEGATION_END"; return;
    default:
      out << "NEED MAPPING:x" << std::hex << kind;
  }
}

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel
