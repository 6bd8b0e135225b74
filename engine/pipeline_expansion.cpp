#include "engine/pipeline_expansion.h"

#include <algorithm>
#include <exception>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string_view>
#include <utility>

#include "base/json_exception.h"
#include "base/logging.h"
#include "base/regex.h"
#include "base/string_util.h"
#include "base/version.h"
#include "language/language_names.h"

namespace zel {
namespace pipeline {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr char kLatest[] = "latest";
constexpr char kDev[] = "dev";
constexpr char kRuleSourceExtension[] = ".kav";

constexpr char kNoFileAccess[] = "Does not have permission for file access.";
constexpr char kUnknownExtension[] =
    "Unkown Extensions, use one of the following [ .language, .dom, .app ]";
constexpr char kAppNotSupported[] = "Applications can not be filename.";
constexpr char kDomainNotFound[] = "Domain component not found.";
constexpr char kLanguageNotFound[] = "Language component not found.";

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

// The extension of a domain, language or app component.
std::string extension_of(int32_t type) {
  switch (type) {
    case kDomainType:
      return kDomainExtension;
    case kLanguageType:
      return kLanguageExtension;
    case kAppType:
      return kAppExtension;
    default:
      return std::string();
  }
}

// Pieces between separators, empty ones included ("a@@b" gives a, "", b).
std::vector<std::string> split_keep_empty(std::string const& text, char const* separator) {
  return zel::string::split_vector(text, separator, false);
}

// The text made literal inside a regular expression: every character that
// Perl syntax gives a meaning is preceded by a backslash. Names, prefixes and
// folders are file-system texts and may hold any of them ("c++", "x(1)").
std::string escape_pattern(std::string const& text) {
  static constexpr std::string_view kSpecial = ".^$|()[]{}*+?\\";
  std::string escaped;
  escaped.reserve(text.size() * 2);
  for (char c : text) {
    if (kSpecial.find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}



// One file that a latest scan may choose, ranked so that the choice does not
// depend on the order in which the folder is listed.
struct Candidate {
  enum Rank { kUnversioned = 0, kNumbered = 1, kDevelopment = 2 };

  Rank rank;
  version::Version version;  // for kNumbered
  std::string version_text;
  std::size_t extension_index;  // in the component's extension list
  bool prefixed;                // carries the language prefix
  std::string path;

  // A development version (when allowed) before any numbered one, numbered
  // ones by version, and a file without version only when there is nothing
  // else. Between files of equal rank and version, the earlier extension
  // and the language prefix win, as in the exact lookup; the path's byte
  // order settles what remains.
  bool outranks(Candidate const& other) const {
    if (rank != other.rank) return rank > other.rank;
    if (rank == kNumbered) {
      if (other.version < version) return true;
      if (version < other.version) return false;
    }
    if (extension_index != other.extension_index) return extension_index < other.extension_index;
    if (prefixed != other.prefixed) return prefixed;
    return path < other.path;
  }
};

void append_resolved(ComponentSplitter& splitter, Component const& component, json& result) {
  json entry = json::object();
  component_to_json(component, entry);
  // A description that starts with a language found in the folders makes it
  // the prefix of every later component.
  if (result.empty() && component.type == kLanguageType) splitter.set_language(component.name);
  result.push_back(std::move(entry));
}

json not_found_entry(Component const& component) {
  bool const language = component.type == kLanguageType;
  json entry = json::object();
  entry[kOriginalKey] = component.written_text;
  entry[kOptionsKey] = component.options;
  entry[kTypeKey] = language ? kLanguageTypeName : kDomainTypeName;
  entry[kExceptionTypeKey] = kNotFound;
  entry[kExceptionMsgKey] = language ? kLanguageNotFound : kDomainNotFound;
  return entry;
}

bool search_folders(ComponentSplitter const& splitter, Component& component) {
  for (fs::path const& folder : splitter.folders()) {
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << kLogPrefix1 << "PATH:" << std::quoted(folder.string()); });
    if (splitter.add_identifier(component, folder)) return true;
  }
  return false;
}

std::string print(json const& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::ignore);
}

}  // namespace

bool names_a_path(std::string const& text) {
  if (text.find('/') != std::string::npos) return true;
  for (char const* extension : {kDomainExtension, kLanguageExtension, kAppExtension}) {
    if (zel::string::ends_with(text, extension)) return true;
  }
  return text.find('@') == std::string::npos && fs::path(text).has_extension();
}

void classify(Component& component) {
  std::string const& text = component.written_text;

  component.type = kNoType;
  for (int32_t type : {kDomainType, kLanguageType, kAppType}) {
    if (zel::string::ends_with(text, extension_of(type))) {
      component.type = type;
      break;
    }
  }
  component.extensions = component.type == kNoType
                             ? std::vector<std::string>{kLanguageExtension, kDomainExtension}
                             : std::vector<std::string>{extension_of(component.type)};

  auto const without_extension = [&](std::string const& piece) {
    if (component.type == kNoType) return piece;
    std::string const extension = extension_of(component.type);
    if (!zel::string::ends_with(piece, extension)) return piece;
    return piece.substr(0, piece.size() - extension.size());
  };
  std::vector<std::string> const at_pieces = split_keep_empty(text, "@");
  if (at_pieces.size() <= 1) {
    component.name = without_extension(text);
    component.version.clear();
  } else {
    component.name = at_pieces[0];
    component.version = without_extension(at_pieces[1]);
  }
  if (component.name.empty()) return;

  // The folder part ends at the last "/" before the first "-".
  std::string const first_dash_piece = split_keep_empty(component.name, "-").front();
  if (component.type != kAppType) {
    std::size_t const slash = first_dash_piece.rfind('/');
    if (slash == std::string::npos) {
      component.base_name = component.name;
      component.folder.clear();
    } else {
      component.base_name = component.name.substr(slash + 1);
      component.folder = component.name.substr(0, slash);
    }
  }

  // A language name at the start of the name: alone it makes a language
  // component; followed by "-" it is the component's language.
  if (component.type == kLanguageType || first_dash_piece.empty()) return;
  std::vector<std::string> const slash_pieces = split_keep_empty(first_dash_piece, "/");
  std::string const& candidate = slash_pieces.size() > 1 ? slash_pieces[1] : slash_pieces[0];
  if (!zel::language::is_known_language(candidate)) return;
  if (component.name.find('-') == std::string::npos) {
    component.type = kLanguageType;
    component.extensions = {kLanguageExtension};
  } else {
    component.language = candidate;
  }
}

ComponentSplitter::ComponentSplitter(std::vector<fs::path> folders, bool allow_files,
                                     bool allow_dev, std::string language)
    : folders_(std::move(folders)),
      allow_files_(allow_files),
      allow_dev_(allow_dev),
      language_(std::move(language)) {}

bool ComponentSplitter::check_existing_paths(Component const& component, json& entry) const {
  std::string const& text = component.written_text;
  if (!names_a_path(text)) return false;
  fs::path const path(text);
  bool const exists = fs::exists(path);
  if (!allow_files_) {
    if (exists) throw pipeline_error(kNoFileAccess, component);
    return false;
  }
  if (!exists) return false;
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << kLogPrefix << "EXISTS:" << std::quoted(text); });

  fs::file_status const status = fs::status(path);
  if (fs::is_directory(status)) {
    std::size_t rule_sources = 0;
    count_files_with_extension(path, kRuleSourceExtension, rule_sources);
    if (rule_sources == 0) {
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << kLogPrefix << "Could not find kav files in :" << std::quoted(text);
      });
      return false;
    }
    entry[kTypeKey] = kDomainTypeName;
    entry[kOptionsKey] = component.options;
    entry[kFilenameKey] = fs::canonical(path).string();
    return true;
  }
  if (!fs::is_regular_file(status)) return false;

  entry[kOriginalKey] = text;
  entry[kOptionsKey] = component.options;
  switch (component.type) {
    case kDomainType:
      entry[kTypeKey] = kDomainTypeName;
      entry[kFilenameKey] = fs::canonical(path).string();
      return true;
    case kLanguageType:
      entry[kTypeKey] = kLanguageTypeName;
      entry[kFilenameKey] = fs::canonical(path).string();
      return true;
    case kAppType:
      entry[kTypeKey] = kAppTypeName;
      entry[kExceptionTypeKey] = kNotSupported;
      entry[kExceptionMsgKey] = kAppNotSupported;
      return true;
    default:
      log(wlog::kLevelTrace, [&](std::ostream& os) { os << kLogPrefix << "COMPONENT:" << text; });
      throw pipeline_error(kUnknownExtension, component);
  }
}

bool ComponentSplitter::add_identifier(Component& component, fs::path const& folder) const {
  if (component.version == kLatest) return find_latest(component, folder);
  return find_exact(component, folder);
}

bool ComponentSplitter::find_exact(Component& component, fs::path const& folder) const {
  std::string const folder_text = folder.string();
  std::string const version = component.version.empty() ? std::string() : "@" + component.version;
  // The prefix goes before the base name, inside the name's folder part
  // ("sub/entity" gives "sub/english-entity"), where the latest scan looks
  // for it too.
  std::string const folder_part =
      component.name.substr(0, component.name.size() - component.base_name.size());

  auto const exists = [&](std::string const& candidate) {
    bool const found = fs::exists(fs::path(candidate));
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLogPrefix2 << "check:" << candidate << ":" << (found ? "1" : "0");
    });
    return found;
  };
  auto const take = [&](std::string const& candidate, std::string const& extension) {
    component.filename = candidate;
    if (component.type == kNoType) component.type = from_extension_to_component(extension);
  };

  for (std::string const& extension : component.extensions) {
    if (!language_.empty()) {
      std::string const candidate = folder_text + "/" + folder_part + language_ + "-" +
                                    component.base_name + version + extension;
      if (exists(candidate)) {
        log(wlog::kLevelDebug,
            [&](std::ostream& os) { os << kLogPrefix1 << "Found:" << candidate << ":1"; });
        take(candidate, extension);
        if (component.language.empty()) component.language = language_;
        return true;
      }
    }
    std::string const candidate = folder_text + "/" + component.name + version + extension;
    if (exists(candidate)) {
      log(wlog::kLevelTrace,
          [&](std::ostream& os) { os << kLogPrefix1 << "Found:" << candidate << ":1"; });
      take(candidate, extension);
      return true;
    }
  }
  return false;
}

bool ComponentSplitter::find_latest(Component& component, fs::path const& folder) const {
  fs::path const scan_folder = component.folder.empty() ? folder : folder / component.folder;
  if (!fs::is_directory(scan_folder)) return false;
  std::string const scan_text = scan_folder.string();

  // Everything but the version is literal: the folder, the optional language
  // prefix, the base name and the extension.
  std::string const head = escape_pattern(scan_text) + "/" +
                           (language_.empty() ? "" : "(?:" + escape_pattern(language_) + "-)?") +
                           escape_pattern(component.base_name) + "(?:@(.*))?";
  std::vector<Regex> patterns;
  for (std::string const& extension : component.extensions) {
    std::string const pattern = head + escape_pattern(extension);
    log(wlog::kLevelTrace, [&](std::ostream& os) { os << kLogPrefix2 << "Pattern:" << pattern; });
    patterns.push_back(kav_regex(pattern));
  }

  // Sorted, so that the candidate lines come in the same order whatever the
  // platform's listing order; the choice itself is made by rank.
  std::vector<std::string> names;
  for (fs::directory_entry const& entry : fs::directory_iterator(scan_folder)) {
    if (!entry.is_regular_file()) continue;
    std::string const extension = entry.path().extension().string();
    if (extension != kDomainExtension && extension != kLanguageExtension) continue;
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());

  std::string const prefixed_start = language_ + "-" + component.base_name;
  std::optional<Candidate> best;
  for (std::string const& name : names) {
    std::string const path = scan_text + "/" + name;
    SMatch match;
    std::size_t index = 0;
    while (index < patterns.size() && !patterns[index].regex_match(path, match)) {
      match.clear();
      ++index;
    }
    if (index == patterns.size()) continue;
    log(wlog::kLevelTrace, [&](std::ostream& os) { os << kLogPrefix3 << "  CANDIDATE:" << path; });

    Candidate candidate;
    candidate.version_text = match.size() == 2 ? match[1].text : std::string();
    if (candidate.version_text.empty()) {
      candidate.rank = Candidate::kUnversioned;
    } else if (candidate.version_text == kDev) {
      if (!allow_dev_) continue;
      candidate.rank = Candidate::kDevelopment;
    } else if (version::is_valid_version_format(candidate.version_text)) {
      candidate.rank = Candidate::kNumbered;
      candidate.version = version::Version(candidate.version_text);
    } else {
      continue;  // not a version: never chosen
    }
    candidate.extension_index = index;
    candidate.prefixed = !language_.empty() && zel::string::starts_with(name, prefixed_start);
    candidate.path = path;
    if (!best || candidate.outranks(*best)) best = std::move(candidate);
  }

  if (!best) return false;
  component.version = best->version_text;
  component.filename = best->path;
  log(wlog::kLevelDebug,
      [&](std::ostream& os) { os << kLogPrefix1 << "Found " << component.filename; });
  if (component.type == kNoType) {
    component.type = from_extension_to_component(fs::path(component.filename).extension().string());
  }
  if (component.language.empty()) component.language = language_;
  return true;
}

void component_to_json(Component const& component, json& entry) {
  entry[kTypeKey] = from_component_type_to_string(component.type);
  entry[kOptionsKey] = component.options;
  entry[kOriginalKey] = component.written_text;
  if (component.type == kDomainType || component.type == kLanguageType) {
    entry[kFilenameKey] = fs::canonical(fs::path(component.filename)).string();
  } else {
    entry[kNameKey] =
        component.version.empty() ? component.name : component.name + "@" + component.version;
  }
}

void count_files_with_extension(fs::path const& folder, std::string const& extension,
                                std::size_t& counter) {
  for (fs::directory_entry const& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    if (extension.empty() || entry.path().extension() == extension) ++counter;
  }
}

json expand2json(std::string const& description, std::vector<std::string> const& folders,
                 bool allow_files, bool allow_dev, std::string const& language) {
  return expand2json(description, convert2paths(folders), allow_files, allow_dev, language);
}

json expand2json(std::string const& description, std::vector<fs::path> const& folders,
                 bool allow_files, bool allow_dev, std::string const& language) {
  json result = json::array();
  ComponentSplitter splitter(folders, allow_files, allow_dev, language);
  for (Component& component : parse_components(description)) {
    if (component.written_text.empty()) continue;
    log(wlog::kLevelDebug,
        [&](std::ostream& os) { os << kLogPrefix << "COMPONENT:" << component.written_text; });
    classify(component);

    json entry = json::object();
    if (splitter.check_existing_paths(component, entry)) {
      result.push_back(std::move(entry));
      continue;
    }
    // Apps are named, never looked up.
    if (component.type == kAppType) {
      append_resolved(splitter, component, result);
      continue;
    }
    bool found = search_folders(splitter, component);
    if (!found && component.version.empty()) {
      component.version = kLatest;
      found = search_folders(splitter, component);
    }
    if (found) {
      append_resolved(splitter, component, result);
    } else {
      result.push_back(not_found_entry(component));
    }
  }
  return result;
}

std::string expand(std::string const& description, std::vector<std::string> const& folders,
                   bool allow_files, bool allow_dev, std::string const& language) {
  wlog::set_environment_logger();
  log(wlog::kLevelDebug,
      [&](std::ostream& os) { os << kLogPrefix << "DESCRIPTION:" << description; });

  json error = json::object();
  try {
    return print(expand2json(description, folders, allow_files, allow_dev, language));
  } catch (pipeline_error const& e) {
    error[kNameKey] = e.component().written_text;
    error[kExceptionTypeKey] = kPipelineError;
    error[kExceptionMsgKey] = e.what();
  } catch (std::exception const& e) {
    error[kNameKey] = "unknown";
    error[kExceptionTypeKey] = kStdError;
    error[kExceptionMsgKey] = e.what();
  }
  // Names and messages may hold bytes that are not UTF-8 (file names are
  // bytes); they are replaced, so that the host always gets its error object.
  throw JSONThrowException(error.dump(-1, ' ', false, json::error_handler_t::replace));
}

bool test_expanded_pipeline(json const& value) {
  std::string scratch;
  for (json const& element : value) {
    scratch = element.dump(-1, ' ', false, json::error_handler_t::replace);
  }
  return true;
}

}  // namespace pipeline
}  // namespace zel
