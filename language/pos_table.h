// The fixed catalogue of part-of-speech tags shared by every language,
// reading and compiled rule.
//
// Every tag has a 32-bit id: its running number within its group in the low
// 16 bits, OR-ed with the bit of its root category (Adj, Adv, ..., V, Others)
// in the upper bits. Language resources (tagger tables, token conditions,
// compiled rules) are keyed by these ids, so they are data and never change.
// The tables are built once and only read afterwards; every operation may be
// called from any thread.

#ifndef KAVERO_LANGUAGE_POS_TABLE_H_
#define KAVERO_LANGUAGE_POS_TABLE_H_

#include <cstdint>
#include <string>
#include <unordered_map>

namespace zel {
namespace language {
namespace pos_table {

// The id of a tag name; 0 when the name is not a tag. Case-sensitive.
uint32_t id(const std::string& name);

// The name of the tag with that id; empty when no tag has it (a bare root
// bit, 0). A linear search: meant for traces, not for hot paths.
std::string str(const unsigned& id);

// Whether the name is a tag.
bool has(const char* name);

// The bit of a root category name (one of the fourteen roots, "Others"
// included); 0 for any other text, full tag names such as "Adj-Sup" too.
uint32_t get_root_pos_id(const std::string& name);

// The whole tag table, name to id. Its iteration order is unspecified.
const std::unordered_map<std::string, uint32_t>& data();

}  // namespace pos_table
}  // namespace language
}  // namespace zel

#endif  // KAVERO_LANGUAGE_POS_TABLE_H_
