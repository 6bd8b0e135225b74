// The languages an engine can offer, listed without loading any of them.
//
// Engine::languages() scans the engine's resource folders (in order, not
// their subfolders) for ".language" files and answers a compact JSON object:
//
//   {"dutch":{"2":{"support":["tokenizer","morphology"]}},
//    "english":{"none":{"support":["tokenizer_locale"]}}}
//
// keyed by language name (the file name up to its first "@") and version
// (the part after it, up to a second "@", or "none"). A language is listed
// with the first of its files the scan meets. The support description says
// which of "tokenizer" (or else "tokenizer_locale") and "morph_chain" the
// configuration has; it is null when it has neither, and {"error": "Invalid
// json language file."} when the file is no JSON. A folder that cannot be
// listed lists nothing, and the other folders are listed all the same.

#ifndef KAVERO_LANGUAGE_LANGUAGE_LISTING_H_
#define KAVERO_LANGUAGE_LANGUAGE_LISTING_H_

#include <string>

#include <nlohmann/json.hpp>

namespace zel {
namespace kavero {

// Fills the support description (null on entry) of the configuration file
// at the path. Nothing when no file exists there; a file that cannot be read
// raises the file reader's error.
void add_support_level(nlohmann::json& description, const std::string& path);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LANGUAGE_LISTING_H_
