#include "domain/domain_concepts.h"

#include <set>
#include <sstream>

#include "base/exception.h"
#include "base/string_util.h"
#include "core-afst/serialization.h"
#include "domain/concept_records.h"
#include "domain/domain_info.h"
#include "domain/domain_keys.h"
#include "engine/sdk_paths.h"

namespace zel {
namespace kavero {
namespace core {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

bool exists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

void add_concepts(const json& concepts, OutputFilter& filter) {
  if (concepts.is_string()) {
    std::set<std::string> names;
    string::split_set(names, concepts.get<std::string>(), ',');
    for (const std::string& name : names) filter.add(name);
    return;
  }
  for (const json& name : concepts) filter.add(name.get<std::string>());
}

// Names that filtered lists leave out: the compiler's own captures and
// the built-in rule functions.
bool is_hidden(const std::string& name) {
  return (!name.empty() && (name[0] == '_' || name[0] == '$')) ||
         name.compare(0, 7, "::kav::") == 0;
}

// The capture names of the database `file`; none when it cannot be opened.
void add_capture_names(const std::string& file, bool filtered, std::set<std::string>& names) {
  try {
    std::shared_ptr<sqlite3> db = afst::serialization::open_file(file);
    if (!db) return;
    for (const auto& [id, name] : load_capture_groups_pairs(db, true)) {
      if (!filtered || !is_hidden(name)) names.insert(name);
    }
  } catch (const afst::serialization::FileFormatException&) {
  }
}

}  // namespace

std::shared_ptr<OutputFilter> get_dom_info_concepts(const std::shared_ptr<json>& info) {
  auto filter = std::make_shared<OutputFilter>();
  if (!info || !info->is_object()) return filter;
  auto description = info->find(kDomInfoKey);
  if (description == info->end() || !description->contains(kConceptsKey)) return filter;
  filter->add("Sentence");
  add_concepts(description->at(kConceptsKey), *filter);
  return filter;
}

std::shared_ptr<OutputFilter> get_dom_info_concepts(const std::string& file) {
  auto filter = std::make_shared<OutputFilter>();
  const std::shared_ptr<json> description = load_dom_info(file);
  if (description && description->contains(kConceptsKey)) {
    add_concepts(description->at(kConceptsKey), *filter);
  }
  return filter;
}

std::vector<std::string> get_domain_concepts(const std::string& file, bool filtered) {
  if (!exists(file)) fail("Cannot open domain file:" + file);
  const std::shared_ptr<OutputFilter> described = get_dom_info_concepts(file);
  std::set<std::string> names(described->begin(), described->end());
  if (!exists(file)) fail("Could not find Domain file" + file);
  add_capture_names(file, filtered, names);
  return std::vector<std::string>(names.begin(), names.end());
}

std::shared_ptr<OutputFilter> get_output_filter(const std::string& file) {
  const std::vector<std::string> names = get_domain_concepts(file, true);
  if (names.empty()) return nullptr;
  auto filter = std::make_shared<OutputFilter>();
  for (const std::string& name : names) filter->add(name);
  return filter;
}

std::vector<std::string> get_domain_list_concepts(const std::string& names, bool filtered,
                                                  const std::vector<fs::path>& folders) {
  std::set<std::string> concepts;
  for (const std::string& name : string::split_vector(names, ',', false)) {
    const std::string file = get_domain_filename(name, folders);
    if (!exists(file)) fail("Cannot open domain file:" + file);
    const std::shared_ptr<OutputFilter> described = get_dom_info_concepts(file);
    if (!described->names.empty()) {
      concepts.insert(described->begin(), described->end());
      continue;
    }
    if (!exists(file)) fail("Could not find Domain file" + file);
    add_capture_names(file, filtered, concepts);
  }
  return std::vector<std::string>(concepts.begin(), concepts.end());
}

std::vector<std::string> get_domain_list_concepts(const char* names, bool filtered) {
  const std::string text = names == nullptr ? std::string() : names;
  // The folders are looked for only when there is a domain to find.
  if (string::split_vector(text, ',', false).empty()) return {};
  return get_domain_list_concepts(text, filtered, {fs::path(get_default_morvik())});
}

std::vector<std::string> get_domain_list_concepts(const std::string& names, bool filtered) {
  return get_domain_list_concepts(names.c_str(), filtered);
}

}  // namespace core
}  // namespace kavero
}  // namespace zel
