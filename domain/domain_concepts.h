// The concept names a domain knows, read before or without loading it.
//
// A domain's names come from two places: the "concepts" of its description
// (domain_info.h), which are the concepts it outputs, and the capture names
// of its database (its "uniq_capture_map"). In filtered mode the capture
// names that begin with '_' or '$', and the built-in rule functions
// ("::kav::..."), are left out.

#ifndef KAVERO_DOMAIN_DOMAIN_CONCEPTS_H_
#define KAVERO_DOMAIN_DOMAIN_CONCEPTS_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/output_filter.h"

namespace zel {
namespace kavero {
namespace core {

// The concepts named by the description in a domain information object,
// with "Sentence"; an empty filter when the information has no description
// or the description no "concepts". A "concepts" text is split at ","
// (parts kept as they are); otherwise every element (of an array, or the
// member values of an object) must be a text, else the JSON library's type
// error.
std::shared_ptr<OutputFilter> get_dom_info_concepts(const std::shared_ptr<nlohmann::json>& info);

// The concepts named by the description beside the database `file`
// (load_dom_info), without "Sentence"; empty when there is none.
std::shared_ptr<OutputFilter> get_dom_info_concepts(const std::string& file);

// The description's concepts and the capture names of the database, sorted
// and without duplicates. A database that cannot be opened adds no capture
// names. Raises zel::Exception "Cannot open domain file:" + file when the
// file does not exist, and "Could not find Domain file" + file when it is
// gone after the description was read.
std::vector<std::string> get_domain_concepts(const std::string& file, bool filtered);

// The filter of the concepts a domain outputs: get_domain_concepts in
// filtered mode; an empty pointer when there are none.
std::shared_ptr<OutputFilter> get_output_filter(const std::string& file);

// The concepts of a comma-separated list of domain names, each resolved to
// its database in the search folders (get_domain_filename): a domain whose
// description names concepts gives those, any other its capture names.
// Sorted and without duplicates; an empty list gives none. Raises
// zel::Exception "Cannot open domain file:" + path for a database path that
// does not exist.
std::vector<std::string> get_domain_list_concepts(
    const std::string& names, bool filtered, const std::vector<std::filesystem::path>& folders);

// The same over the installation's default resource folder
// (engine/sdk_paths.h get_default_morvik), raising what finding it raises.
std::vector<std::string> get_domain_list_concepts(const char* names, bool filtered);
std::vector<std::string> get_domain_list_concepts(const std::string& names, bool filtered);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_CONCEPTS_H_
