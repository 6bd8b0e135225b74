// Resolution of pipeline descriptions on search folders, and their JSON
// expansion.
//
// The expansion turns a description (pipeline_description.h) into a JSON
// array with one object per component, saying what the component is and
// which file stands for it:
//
//   [{"filename":"/r/morvik/english.language","options":"{}",
//     "original":"english","type":"language"},
//    {"exception_msg":"Domain component not found.","exception_type":"not_found",
//     "options":"{}","original":"missing","type":"domain"}]
//
// A name is looked up in the search folders, in order: first as exact file
// names (with and without the current language prefix, with the version
// asked for), then, when no version was asked for, by a scan of each folder
// for the latest version. A written text that names an existing file, or a
// folder of ".kav" rule sources, can be used directly. Components that are
// not found give not-found entries; malformed or forbidden inputs end the
// expansion with an error.
//
// The language loader and the domain lookups call expand2json() with one
// name and read element 0: it holds "exception_msg" when the name was not
// found, and otherwise "filename". The C interface calls expand(), which
// prints the array and reports every failure as a JSON error object.
//
// An expansion keeps its state in the call; several threads may expand at
// once.

#ifndef KAVERO_ENGINE_PIPELINE_EXPANSION_H_
#define KAVERO_ENGINE_PIPELINE_EXPANSION_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/pipeline_description.h"

namespace zel {
namespace pipeline {

// The resolver of one expansion: its search folders, its two permissions and
// the current language prefix.
class ComponentSplitter {
 public:
  // `allow_files`: a written text that names an existing file or folder may
  // be used as that file or folder (otherwise naming one is an error).
  // `allow_dev`: a latest scan accepts a file of version "dev", and takes it
  // before any numbered version.
  // `language`: the prefix tried before the plain name ("english" makes
  // "english-entity" the first candidate for "entity").
  ComponentSplitter(std::vector<std::filesystem::path> folders, bool allow_files, bool allow_dev,
                    std::string language);

  std::vector<std::filesystem::path> const& folders() const { return folders_; }
  bool allow_files() const { return allow_files_; }
  bool allow_dev() const { return allow_dev_; }
  std::string const& language() const { return language_; }
  void set_language(std::string language) { language_ = std::move(language); }

  // True when the component's written text names an existing file, or a
  // folder holding ".kav" files, that is used directly; `entry` is then the
  // complete JSON entry. A plain name (no "/" and no extension, a version's
  // dots aside) is never taken as a path. Raises pipeline_error when files
  // are not allowed and the path exists, and when it is a file without a
  // type extension.
  bool check_existing_paths(Component const& component, nlohmann::json& entry) const;

  // True when the component was resolved in the folder; it then has its
  // file name, and its version, type and language may have been set. The
  // version "latest" scans the folder; any other version (also none) tries
  // the exact file names.
  bool add_identifier(Component& component, std::filesystem::path const& folder) const;

 private:
  bool find_exact(Component& component, std::filesystem::path const& folder) const;
  bool find_latest(Component& component, std::filesystem::path const& folder) const;

  std::vector<std::filesystem::path> folders_;
  bool allow_files_;
  bool allow_dev_;
  std::string language_;
};

// Whether a written text is a file-system path: it holds a "/" or ends in
// an extension. A version's dots are no extension: "entity@1.10" is a name,
// but "entity@1.10.dom" and "notes.txt" are paths. A plain name such as
// "english" or "entity" is looked up in the search folders only, never in
// the process's current folder, whatever happens to lie there.
bool names_a_path(std::string const& text);

// Fills in a component's type, extensions, name, version, base name, folder
// part and the language named in its name, from its written text:
// "sub/english-entity@1.2.dom" is a domain named "sub/english-entity" with the
// version "1.2", the folder part "sub", the base name "english-entity" and
// the language "english". A known language name without "-" (english,
// english.dom) makes a language component.
void classify(Component& component);

// Writes a resolved domain or language ("type", "options", "original",
// "filename": the canonical path of the file) or an app ("type", "options",
// "original", "name": the name, then "@" and the version when it has one).
void component_to_json(Component const& component, nlohmann::json& entry);

// Adds to `counter` the number of regular files directly inside the folder
// whose extension equals `extension` (every regular file when it is empty).
void count_files_with_extension(std::filesystem::path const& folder, std::string const& extension,
                                std::size_t& counter);

// The expansion as a JSON array, the folder texts turned into search paths
// with convert2paths() first.
nlohmann::json expand2json(std::string const& description, std::vector<std::string> const& folders,
                           bool allow_files, bool allow_dev, std::string const& language);

// The expansion as a JSON array, searching the folders in the given order.
// Raises pipeline_error for the component that stops it, and lets the
// file-system and JSON libraries' errors through; not-found components are
// entries, not failures.
nlohmann::json expand2json(std::string const& description,
                           std::vector<std::filesystem::path> const& folders, bool allow_files,
                           bool allow_dev, std::string const& language);

// The expansion printed compactly (keys sorted; bytes that are not UTF-8
// dropped). Every failure that is a std::exception becomes a
// zel::JSONThrowException whose message is the error object: {"exception_msg":
// reason, "exception_type": "pipeline_error" or "std", "name": the written
// text of the component, or "unknown"}.
std::string expand(std::string const& description, std::vector<std::string> const& folders,
                   bool allow_files, bool allow_dev, std::string const& language);

// Renders each element of the value and keeps nothing; true for any value.
bool test_expanded_pipeline(nlohmann::json const& value);

}  // namespace pipeline
}  // namespace zel

#endif  // KAVERO_ENGINE_PIPELINE_EXPANSION_H_
