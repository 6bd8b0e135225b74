#include "engine/pipeline_description.h"

#include <array>
#include <optional>
#include <utility>

#include "base/string_util.h"

namespace zel {
namespace pipeline {
namespace {

// Indexed by the component type.
std::array<char const*, 4> const kTypeNames = {"", kDomainTypeName, kLanguageTypeName,
                                               kAppTypeName};
std::array<char const*, 4> const kExtensions = {"", kDomainExtension, kLanguageExtension,
                                                kAppExtension};

}  // namespace

Component::Component(std::string written_text, std::string options)
    : written_text(std::move(written_text)), options(std::move(options)) {}

pipeline_error::pipeline_error(std::string const& reason, Component component)
    : std::runtime_error(reason), component_(std::move(component)) {}

// Defined here so that the type information and virtual table live in one
// object file.
pipeline_error::~pipeline_error() = default;

std::vector<Component> parse_components(std::string const& description) {
  std::vector<Component> components;
  int depth = 0;
  std::size_t component_start = 0;
  std::size_t options_start = 0;
  std::string name;
  std::string options;

  for (std::size_t i = 0; i < description.size(); ++i) {
    char const c = description[i];
    if (c == '(') {
      if (depth == 0) {
        // Whatever stood before this bracket, earlier bracket pairs
        // included, is the name.
        name = description.substr(component_start, i - component_start);
        options_start = i + 1;
      }
      ++depth;
    } else if (c == ')') {
      --depth;
      if (depth == 0) options = description.substr(options_start, i - options_start);
    } else if (depth != 0) {
      // Part of the options text, or ignored after an unbalanced ")".
    } else if (c == ',') {
      if (options.empty()) options = kEmptyOptions;
      components.emplace_back(std::move(name), std::move(options));
      name.clear();
      options.clear();
      component_start = i + 1;
    } else {
      name += c;
    }
  }
  if (!name.empty()) {
    if (options.empty()) options = kEmptyOptions;
    components.emplace_back(std::move(name), std::move(options));
  }
  return components;
}

std::string from_component_type_to_string(int32_t type) {
  if (type < 0 || static_cast<std::size_t>(type) >= kTypeNames.size()) {
    throw std::out_of_range("component type " + std::to_string(type) + " has no name");
  }
  return kTypeNames[static_cast<std::size_t>(type)];
}

int32_t from_extension_to_component(std::string const& extension) {
  for (std::size_t type = 0; type < kExtensions.size(); ++type) {
    if (extension == kExtensions[type]) return static_cast<int32_t>(type);
  }
  return -1;
}

std::string pipeline2str(std::vector<std::string> const& texts) {
  if (texts.empty()) return "[]";
  return "['" + zel::string::join(texts, "','", 0, -1) + "']";
}

std::vector<std::filesystem::path> convert2paths(std::vector<std::string> const& folders) {
  namespace fs = std::filesystem;
  std::vector<fs::path> paths;
  std::optional<fs::path> kavero_folder;
  bool kavero_listed = false;
  for (std::string const& text : folders) {
    fs::path const folder(text);
    if (!fs::exists(folder)) continue;
    paths.push_back(fs::canonical(folder));
    // The tests look at the caller's text, not at the canonical path.
    if (zel::string::ends_with(text, "morvik")) {
      kavero_folder = folder / "kavero";
    } else if (zel::string::ends_with(text, "/kavero")) {
      kavero_listed = true;
    }
  }
  if (!kavero_listed && kavero_folder && fs::exists(*kavero_folder)) {
    paths.push_back(*kavero_folder);
  }
  return paths;
}

}  // namespace pipeline
}  // namespace zel
