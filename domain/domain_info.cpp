#include "domain/domain_info.h"

#include <sstream>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "base/options.h"
#include "base/string_util.h"
#include "domain/domain_keys.h"
#include "engine/pipeline_expansion.h"
#include "engine/sdk_paths.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr char kDomainFolderDatabase[] = "domain.dom";
constexpr char kDomainFolderDescription[] = "domain.dom_info";
constexpr char kDatabaseExtension[] = ".dom";
constexpr char kDescriptionExtension[] = ".dom_info";

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

bool path_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// White space as the description reader trims it: every byte up to 0x0D,
// and the space.
bool is_blank(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte <= 0x0D || byte == ' ';
}

}  // namespace

fs::path change_extension(const fs::path& path, const std::string& extension) {
  fs::path changed = path;
  changed.replace_extension(extension);
  return changed;
}

std::string get_domain_filename(const char* name) {
  const std::string text = name == nullptr ? std::string() : name;
  if (path_exists(text)) return text;
  const std::string with_extension =
      string::ends_with(text, kDatabaseExtension) ? text : text + kDatabaseExtension;
  if (path_exists(with_extension)) return with_extension;

  auto options = std::make_shared<Options>();
  fill_in_sdk_paths(options);
  std::vector<fs::path> folders;
  if (options->has("morvik")) {
    for (const std::string& folder : string::split_vector(options->get("morvik"), ':', false)) {
      folders.emplace_back(folder);
    }
  }
  return get_domain_filename(text.c_str(), folders);
}

std::string get_domain_filename(const char* name, const std::vector<fs::path>& folders) {
  const std::string text = name == nullptr ? std::string() : name;
  if (path_exists(text)) return text;
  const std::string with_extension =
      string::ends_with(text, kDatabaseExtension) ? text : text + kDatabaseExtension;
  if (path_exists(with_extension)) return with_extension;
  for (const fs::path& folder : folders) {
    const fs::path candidate = folder / with_extension;
    if (path_exists(candidate)) return candidate.string();
  }
  return with_extension;
}

namespace core {

json get_domain_info(const std::string& name, const std::vector<fs::path>& folders) {
  json info = json::object();
  info[kDomKey] = nullptr;
  info[kDomInfoKey] = nullptr;

  const fs::path folder(name);
  std::error_code error;
  if (fs::is_directory(folder, error)) {
    // The folder may have gone since the test above.
    if (!path_exists(folder)) fail("Cannot load domain folder " + name);
    const fs::path description = folder / kDomainFolderDescription;
    info[kDomKey][kDomInfoFilenameKey] = description.string();
    info[kDomKey][kDomFilenameKey] = (folder / kDomainFolderDatabase).string();
    if (path_exists(description)) add_dom_info_from_file(description.string(), info);
    return info;
  }

  const json expanded = pipeline::expand2json(name, folders, true, false, "");
  const json& found = expanded.at(0);
  if (found.contains("exception_msg")) fail("Domain file not found. " + name);
  const std::string file = found.at("filename").get<std::string>();
  info[kDomKey][kDomFilenameKey] = file;

  if (fs::path(file).extension() == kDatabaseExtension) {
    const fs::path description = change_extension(file, kDescriptionExtension);
    if (fs::is_regular_file(description, error)) {
      add_dom_info_from_file(description.string(), info);
    }
  }
  return info;
}

void add_dom_info_from_file(const std::string& file, json& info) {
  if (!info.contains(kDomKey) || info[kDomKey].is_null()) info[kDomKey] = json::object();

  std::string text;
  try {
    text = zel::file::load(file.c_str());
  } catch (const std::exception&) {
    fail("dom_info file not found." + file);
  }
  json description;
  try {
    description = json::parse(text);
  } catch (const json::parse_error& e) {
    fail("Invalid dom_info file." + file + ", invalid json:" + e.what() + "\n" + text);
  }

  info[kDomInfoKey] = std::move(description);
  json& dom = info[kDomKey];
  dom[kDomInfoFilenameKey] = file;
  if (!dom.contains(kDomFilenameKey)) {
    dom[kDomFilenameKey] = change_extension(file, kDatabaseExtension).string();
  } else {
    const std::string database =
        change_extension(dom[kDomFilenameKey].get<std::string>(), kDatabaseExtension).string();
    if (!database.empty()) dom[kDomFilenameKey] = database;
  }
}

std::shared_ptr<json> load_dom_info(const std::string& file) {
  const fs::path description = change_extension(file, kDescriptionExtension);
  if (!path_exists(description)) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelWarning, [&](std::ostream& os) {
      os << "Domain info file NOT FOUND: " << description.string();
    });
    return nullptr;
  }
  auto value = std::make_shared<json>();
  const std::string text = zel::file::load(description.string().c_str());
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  if (begin < end) {
    try {
      *value = json::parse(text.begin() + begin, text.begin() + end);
    } catch (const json::parse_error&) {
      fail("Invalid json config file :" + description.string());
    }
  }
  return value;
}

std::string get_domain_filename(const std::string& name, const std::vector<fs::path>& folders) {
  if (path_exists(name)) return name;
  return get_domain_info(name, folders)[kDomKey][kDomFilenameKey].get<std::string>();
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
