#include "language/token_map.h"

#include <utility>

namespace zel {
namespace kavero {

const TokenMap& init_token_map() {
  static const TokenMap map = [] {
    // The order of insertion matters among rows of one status.
    static const std::pair<int32_t, const char*> kRows[] = {
        {100, "+Num"},
        {500, "+Punct"},
        {501, "+Punct-Sent"},
        {502, "+Punct-Comma"},
        {503, "+Punct-Quote"},
        {504, "+Punct-Open"},
        {505, "+Punct-Close"},
        {506, "+Punct-Line"},
        {101, "breakline"},
        {510, "abbrev"},
        {511, "+Num"},
        {511, "_not_a_noun_"},
        {512, "markup"},
        {513, "+Punct-Quote"},
        {516, "+Nn-Sym"},
        {514, "+Nn-Sym"},
        {514, "currency"},
        {515, "+Num"},
        {515, "_not_a_noun_"},
        {700, "+Num"},
        {700, "measure"},
        {700, "_not_a_noun_"},
        {520, "e-mail"},
        {521, "separator"},
        {524, "ipaddress"},
        {525, "code-block"},
        {527, "sequence"},
        {400, "+Punct-Header"},
        {400, "hdr-prefix"},
        {621, "internet"},
        {630, "e-mail"},
        {522, "emoticon"},
        {523, "alphanum"},
        {600, "+Prop-Std"},
        {600, "nf"},
        {2000, "tag"},
        {1900, "uuid"},
    };
    TokenMap rows;
    for (const auto& [status, text] : kRows) rows.emplace(status, text);
    return rows;
  }();
  return map;
}

}  // namespace kavero
}  // namespace zel
