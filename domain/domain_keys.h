// The key names that the domain code shares: members of the domain
// information object, of ".dom_info" descriptions and of the options and
// descriptions that name domains.

#ifndef KAVERO_DOMAIN_DOMAIN_KEYS_H_
#define KAVERO_DOMAIN_DOMAIN_KEYS_H_

namespace zel {
namespace kavero {

inline constexpr char kDomFilenameKey[] = "dom_filename";
inline constexpr char kDomInfoFilenameKey[] = "dom_info_filename";
inline constexpr char kDomKey[] = "dom";
inline constexpr char kDomInfoKey[] = "dom_info";
inline constexpr char kConceptsKey[] = "concepts";
inline constexpr char kConceptKey[] = "concept";
inline constexpr char kLanguageKey[] = "language";
inline constexpr char kRulesKey[] = "rules";
inline constexpr char kLexiconsKey[] = "lexicons";
inline constexpr char kExamplesKey[] = "examples";
inline constexpr char kDependenciesKey[] = "dependencies";
inline constexpr char kDomainsKey[] = "domains";
inline constexpr char kRunOrderKey[] = "run_order";
inline constexpr char kImportsKey[] = "imports";

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_KEYS_H_
