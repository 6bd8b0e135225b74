// Domain names, the files they stand for, and domain descriptions.
//
// A compiled domain is a database file "NAME.dom" with, beside it, an
// optional description "NAME.dom_info" (a JSON object; see below). A domain
// may also be a domain folder holding the pair as "domain.dom" and
// "domain.dom_info". These functions turn a domain name into the paths of
// the pair and read the description. Nothing is cached: every call reads
// the files again.
//
// The domain information of a name is one JSON object:
//
//   {"dom": {"dom_filename": "/r/morvik/english-entity.dom",
//            "dom_info_filename": "/r/morvik/english-entity.dom_info"},
//    "dom_info": {...the parsed description, or null...}}
//
// "dom_info_filename" is set whenever a description was read, and always
// for a folder. The domain loader adds what it loads under "dom".
//
// The description's keys read by the runtime: "concepts" (the names the
// domain outputs: a text of names separated by "," or an array of texts),
// "instances" and "anaphora" (flags), "no_crlf" (names) and "dependencies"
// (domains loaded ahead of this one); other keys are ignored. It is strict
// JSON: no comments.

#ifndef KAVERO_DOMAIN_DOMAIN_INFO_H_
#define KAVERO_DOMAIN_DOMAIN_INFO_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zel {
namespace kavero {

// A copy of `path` with its extension replaced by `extension` (an existing
// extension is removed, the new one appended; a "." is put in front of an
// extension that lacks one).
std::filesystem::path change_extension(const std::filesystem::path& path,
                                       const std::string& extension);

// The database path of a domain name, looked for in the resource folders:
// the name itself when it exists, else the name with ".dom" appended
// (unless it already ends so) when that exists, else the first folder that
// holds that file name, else the name with ".dom". The form without folders
// takes the installation's resource folders (engine/sdk_paths.h), and
// raises what finding them raises.
std::string get_domain_filename(const char* name);
std::string get_domain_filename(const char* name,
                                const std::vector<std::filesystem::path>& folders);

namespace core {

// The domain information of a name (see above). A name that is an existing
// folder is a domain folder; any other name is resolved over the search
// folders by the pipeline expansion, and its ".dom_info" is read when the
// file found has the extension ".dom" and the description exists beside it.
// Raises zel::Exception "Domain file not found. " + name when the expansion
// does not find it, and lets the expansion's errors and those of
// add_dom_info_from_file through.
nlohmann::json get_domain_info(const std::string& name,
                               const std::vector<std::filesystem::path>& folders);

// Reads the description `file` into the domain information `info`: its
// value under "dom_info", its path under "dom"."dom_info_filename", and
// "dom"."dom_filename" set to the file name with the extension ".dom" (or,
// when present, given that extension). Raises zel::Exception
// "dom_info file not found." + file when it cannot be read, and
// "Invalid dom_info file." + file + ", invalid json:" + the parser's message
// + a line end + the whole text when it is not one strict JSON value (a
// blank file is not).
void add_dom_info_from_file(const std::string& file, nlohmann::json& info);

// The description beside the database `file` (its extension replaced by
// ".dom_info"): an empty pointer, with a warning logged, when there is none;
// a pointer to null when it is blank; else its value. Raises zel::Exception
// "Invalid json config file :" + the description's path when it is not
// JSON.
std::shared_ptr<nlohmann::json> load_dom_info(const std::string& file);

// The database path of a domain name: the name itself when it exists as a
// path, else "dom"."dom_filename" of its domain information.
std::string get_domain_filename(const std::string& name,
                                const std::vector<std::filesystem::path>& folders);

}  // namespace core
}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_INFO_H_
