// The input labels of rule transducers as the matchers read them.
//
// A label is an unsigned 32-bit value: its top byte is the kind, its low
// 24 bits the index (a rule-input id, a capture id or a symbol key of the
// rule transducer's input table, depending on the kind). A plain label
// (kind 0) is a symbol key; of those only markers match, symbols of at least
// 4 characters that begin with '@' and carry the attributes of the capture
// that ends before them.
//
// The predicates test bit masks of the kind byte, not equality, so several
// kinds satisfy each of them; all of them are false for invalid_id, the
// value that stands for "no label".

#ifndef KAVERO_MATCHER_RULE_LABELS_H_
#define KAVERO_MATCHER_RULE_LABELS_H_

#include <cstdint>
#include <iosfwd>

namespace zel {
namespace kavero {
namespace matcher {

constexpr unsigned int invalid_id = 0xFFFFFFFFu;

constexpr unsigned int kKindMask = 0xFF000000u;
constexpr unsigned int kIndexMask = 0x00FFFFFFu;

// Label kinds (the label with its index bits cleared).
constexpr unsigned int LABLE = 0x00000000u;             // plain symbol key
constexpr unsigned int TK = 0x10000000u;                // one token with the id
constexpr unsigned int CNCPT = 0x20000000u;             // one concept, as a whole
constexpr unsigned int CNCPT_BEG = 0x30000000u;         // a pattern inside a concept begins
constexpr unsigned int CNCPT_END = 0x40000000u;         // ... and ends
constexpr unsigned int ATT = 0x50000000u;               // attribute condition (symbol key)
constexpr unsigned int CAPBEG = 0x60000000u;            // capture group begins
constexpr unsigned int CAPEND = 0x70000000u;            // capture group ends
constexpr unsigned int SHRTMATCH = 0x80000000u;         // shortest gap
constexpr unsigned int ANYTK = 0x90000000u;             // any one token
constexpr unsigned int PROP = 0xA0000000u;              // token property (symbol key)
constexpr unsigned int SUBMATCH_REF = 0xB0000000u;      // path steps only, never an arc
constexpr unsigned int NEGATION = 0xC0000000u;          // a negated sub-pattern follows
constexpr unsigned int NEGATION_BODY = 0xC1000000u;     // starts the negated pattern
constexpr unsigned int NEGATION_NEXT = 0xC2000000u;     // continues after the negation
constexpr unsigned int KAV_NEGATION_END = 0xC3000000u;  // the negated pattern ends

constexpr unsigned int label_kind(unsigned int label) { return label & kKindMask; }
constexpr unsigned int label_index(unsigned int label) { return label & kIndexMask; }

// Kind byte & 0x30 == 0x30: CNCPT_BEG, CAPEND, SUBMATCH_REF and 0xF0.
bool is_concept_begin(const unsigned int& label);
// Kind byte & 0x60 == 0x60 (CAPBEG, CAPEND, ...) or a plain label: the path
// steps a match reports.
bool is_capture_group(const unsigned int& label);
bool is_capture_group_begin(const unsigned int& label);
bool is_capture_group_end(const unsigned int& label);
// Kind byte & 0xB0 == 0xB0 (SUBMATCH_REF and 0xF0): path steps expanded from
// a matcher's sub-match store.
bool is_submatcher(const unsigned int& label);

namespace forward {

// Writes the name of a kind ("TK", "CAPBEG", ...). A value that is no named
// kind (a label with index bits, NEGATION_BODY, ...) writes "NEED MAPPING:x"
// and the value in lower-case hexadecimal, leaving the stream in
// hexadecimal mode. For diagnostics only.
void print_type_string(std::ostream& out, unsigned int kind);

}  // namespace forward
}  // namespace matcher
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_MATCHER_RULE_LABELS_H_
