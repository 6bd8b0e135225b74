// Pipeline descriptions: the short texts that name the resources of an
// analysis.
//
// A description lists components separated by commas. Each component is a
// name, optionally followed by "@" and a version and by a type extension
// (".dom", ".language", ".app"), and optionally by an options text between
// brackets, which is kept as text and never parsed here:
//
//   english,entity@1.2({"x":"a,b"}),sub/english-myapp@1.0.app
//
// This header holds the splitting of a description into components, the
// component record, the component types and their names and extensions, the
// pipeline error, and the conversion of folder texts into search paths.
// pipeline_expansion.h resolves components on those paths.

#ifndef KAVERO_ENGINE_PIPELINE_DESCRIPTION_H_
#define KAVERO_ENGINE_PIPELINE_DESCRIPTION_H_

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel {
namespace pipeline {

// Component types: a signed 32-bit number indexing the name and extension
// tables below.
constexpr int32_t kNoType = 0;
constexpr int32_t kDomainType = 1;
constexpr int32_t kLanguageType = 2;
constexpr int32_t kAppType = 3;

// The fixed texts of the pipeline code, defined once here.
inline constexpr char kDomainExtension[] = ".dom";
inline constexpr char kLanguageExtension[] = ".language";
inline constexpr char kAppExtension[] = ".app";

inline constexpr char kDomainTypeName[] = "domain";
inline constexpr char kLanguageTypeName[] = "language";
inline constexpr char kAppTypeName[] = "app";

// Keys of the JSON expansion and of its error object.
inline constexpr char kTypeKey[] = "type";
inline constexpr char kNameKey[] = "name";
inline constexpr char kOriginalKey[] = "original";
inline constexpr char kOptionsKey[] = "options";
inline constexpr char kFilenameKey[] = "filename";
inline constexpr char kExceptionTypeKey[] = "exception_type";
inline constexpr char kExceptionMsgKey[] = "exception_msg";

// Values of "exception_type".
inline constexpr char kNotFound[] = "not_found";
inline constexpr char kPipelineError[] = "pipeline_error";
inline constexpr char kStdError[] = "std";
inline constexpr char kNotSupported[] = "not_supported";

// Prefixes of the pipeline's log lines: the top level, then three nested
// levels of detail.
inline constexpr char kLogPrefix[] = "[PIPELINE] ";
inline constexpr char kLogPrefix1[] = "[PIPELINE]   -- ";
inline constexpr char kLogPrefix2[] = "[PIPELINE]     -- ";
inline constexpr char kLogPrefix3[] = "[PIPELINE]       -- ";

// The options text of a component written without options, or with empty
// brackets.
inline constexpr char kEmptyOptions[] = "{}";

// One component of a description. parse_components() sets the written text
// and the options; the expansion fills in the rest.
struct Component {
  Component(std::string written_text, std::string options);

  // The component text without its options: name, optional "@" and version,
  // optional type extension.
  std::string written_text;
  // What stood between the component's outermost brackets, or "{}".
  std::string options;
  // The text before the first "@", without the type extension.
  std::string name;
  // The name without its folder part.
  std::string base_name;
  // The folder part of the name; empty when there is none.
  std::string folder;
  // The version after "@", without the type extension; empty when none.
  std::string version;
  // The language prefix detected in the name, or the one under which the
  // file was found.
  std::string language;
  // The file extensions to try, in order.
  std::vector<std::string> extensions;
  int32_t type = kNoType;
  // The resolved file; empty until resolved.
  std::string filename;
};

// A description that cannot be expanded because of one component. The
// reason is the message; the component is kept whole.
class pipeline_error : public std::runtime_error {
 public:
  pipeline_error(std::string const& reason, Component component);
  ~pipeline_error() override;

  Component const& component() const { return component_; }

 private:
  Component component_;
};

// Splits a description into its components, in order. Never fails.
//
// Commas and brackets inside a component's outermost brackets belong to its
// options. Blanks are kept and nothing is lower-cased. An empty place between
// commas gives a component with an empty written text (the expansion skips
// it); a trailing comma gives none. Text after a closing bracket is appended
// to the name; of several bracket pairs the last gives the options. An
// opening bracket that is never closed swallows the rest of the description,
// and after a closing bracket without an opening one every byte is ignored
// until an opening bracket balances it.
std::vector<Component> parse_components(std::string const& description);

// "", "domain", "language" or "app" for the types 0 to 3. Any other number
// raises std::out_of_range.
std::string from_component_type_to_string(int32_t type);

// The type whose extension (with its dot) equals the text byte for byte: 0
// for the empty text, -1 for a text that is no type extension.
int32_t from_extension_to_component(std::string const& extension);

// The texts as ['a','b'] (no blanks, nothing escaped), or [] for none.
std::string pipeline2str(std::vector<std::string> const& texts);

// The search paths of a list of folder texts, in order. A text under which
// nothing exists is skipped; every other one gives its canonical absolute
// path. A listed text ending in "morvik" also brings its "kavero" subfolder,
// appended after all listed folders (joined, not canonicalised) when it
// exists, unless a listed text ends in "/kavero"; of several such texts the
// last one counts. File-system errors other than a missing object raise
// std::filesystem::filesystem_error.
std::vector<std::filesystem::path> convert2paths(std::vector<std::string> const& folders);

}  // namespace pipeline
}  // namespace zel

#endif  // KAVERO_ENGINE_PIPELINE_DESCRIPTION_H_
