// The language loader: Engine::get_language_module_nolock.
//
// A request names a language ("english", a versioned name, or the path of a
// ".language" file). The loader resolves it to its configuration file, and
// hands out a new LanguageModule over the engine's cached data of that file,
// loading the file and every resource it names on a cache miss. It runs with
// the engine mutex held by its caller and locks nothing itself.

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fst/vector-fst.h>
#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "base/options.h"
#include "core-afst/afst.h"
#include "engine/engine.h"
#include "engine/pipeline_expansion.h"
#include "language/abbreviation_expression.h"
#include "language/hmm_tables.h"
#include "language/language_module.h"
#include "language/lookup_condition.h"
#include "language/lookup_descriptor.h"
#include "language/postagger.h"
#include "language/resource_file.h"
#include "language/token_map.h"
#include "language/tokenizer_cache.h"

namespace zel {
namespace kavero {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr char kLanguageTag[] = "[Language] ";

// Languages without a configuration of their own that load "generic".
const std::set<std::string>& generic_languages() {
  static const std::set<std::string> names = {
      "albanian",   "arabic",     "basque",    "bengali",   "bosnian",
      "bulgarian",  "burmese",    "catalan",   "chinese",   "croatian",
      "czech",      "estonian",   "farsi",     "finnish",   "georgian",
      "greek",      "hebrew",     "hindi",     "hungarian", "icelandic",
      "irish",      "italian",    "japanese",  "lao",       "korean",
      "indonesian", "latvian",    "lithuanian", "malayalam", "norwegian",
      "pashto",     "polish",     "romanian",  "serbian",   "slovac",
      "slovene",    "somali",     "tamil",     "telugu",    "thai",
      "tibetan",    "turkish",    "ukrainian", "urdu",      "vietnamese"};
  return names;
}

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, std::forward<Compose>(compose));
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

// A path written in double quotes, with a backslash before every double
// quote or backslash inside it.
std::string quoted(const fs::path& path) {
  std::ostringstream text;
  text << path;
  return text.str();
}

bool path_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

bool names_regular_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// Appends the configuration's "tokenizer_mapper" rows to the token map:
// each element is [status, text, ...], and each text is one more row of
// that status, after the rows it already has.
void add_tokenizer_mapper(const json& config, const fs::path& cfg,
                          TokenMap& token_map) {
  if (!config.is_object() || !config.contains("tokenizer_mapper")) return;
  const std::string head =
      "Invalid config file format in the tokenizer_mapper :\n - file:" +
      quoted(cfg) + "\n - Format : \"tokenizer_mapper\" : ";
  for (const json& element : config["tokenizer_mapper"]) {
    if (element.size() < 2 || !element[0].is_number_unsigned() ||
        !element[1].is_string()) {
      fail(head + "[ [int,string,...,string],[int,string,...,string] ]");
    }
    const int32_t status = element[0].get<int32_t>();
    for (std::size_t i = 1; i < element.size(); ++i) {
      if (!element[i].is_string()) {
        fail(head + "[ [int,string,...,string],[int,string...,string] ]");
      }
      token_map.emplace(status, element[i].get<std::string>());
    }
  }
}

// Reads the language's disambiguation transducer; a file that cannot be
// read is logged and left out, the language loads without it.
void load_postagger(const fs::path& file, LanguageModuleData& data) {
  try {
    if (!path_exists(file)) return;
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLanguageTag << "Postagger file: " << file.string();
    });
    std::shared_ptr<fst::StdVectorFst> transducer(
        fst::StdVectorFst::Read(file.string()));
    if (!transducer) return;
    auto network = std::make_shared<afst::AFst>(transducer);
    // Malformed labels are refused here, once, rather than on every
    // document that meets them.
    auto rules = std::make_shared<const disambiguation::Postagger>(network);
    data.postagger = network;
    data.postagger_rules = rules;
  } catch (const std::exception& e) {
    // A transducer without symbol tables is refused by the network as an
    // invalid argument; it is as unusable as a file the reader refuses, or
    // one whose labels the rules refuse.
    log(wlog::kLevelError, [&](std::ostream& os) {
      os << kLanguageTag << "Cannot load/find pos disambiguator file "
         << file.string();
    });
    log(wlog::kLevelError, [&](std::ostream& os) { os << kLanguageTag << e.what(); });
  }
}

}  // namespace

std::shared_ptr<LanguageModule> Engine::get_language_module_nolock(
    const std::shared_ptr<IOptions>& options) const {
  // Resolution of the request.
  std::string language = options->get("language");
  if (language.empty()) fail("Language has not been set.");
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << "-- get_language_module:" << language; });
  const std::string project_path = options->get("project_path");
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "-- project path:" << quoted(project_path);
  });

  auto module = std::make_shared<LanguageModule>();
  module->requested_name = language;

  std::vector<fs::path> folders;
  for (const std::string& folder : resource_folders_) {
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << "-- data path:" << folder; });
    folders.emplace_back(folder);
  }
  folders.emplace_back(project_path);

  fs::path cfg;
  if (!path_exists(language)) {
    json expansion =
        pipeline::expand2json(language, resource_folders_, true, true, "");
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "-- [PIPELINE][EXPANSION]:(" << language << ") -> "
         << expansion.dump();
    });
    const json first =
        expansion.is_array() && !expansion.empty() ? expansion[0] : json::object();
    if (first.contains("exception_msg")) {
      // A name the expansion does not find in the resource folders is still
      // looked for below, also in the project folder, and a missing
      // configuration may fall back to "generic"; only a failure of another
      // kind (a file that is no language) ends the request here.
      if (first.value("exception_type", "") != "not_found") {
        fail("Language file not found. " + language);
      }
    } else {
      cfg = first["filename"].get<std::string>();
    }
  }

  if (names_regular_file(cfg)) {
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << "- generate config: " << quoted(cfg); });
    module->language_name = relative_to_paths(cfg.string(), folders);
    language = module->language_name;
  } else {
    cfg = core::generate_filename(language + ".language", folders);
    if (cfg.empty()) cfg = language;
    module->language_name = relative_to_paths(cfg.string(), folders);
  }
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "- language: " << module->language_name;
  });
  log(wlog::kLevelTrace,
      [&](std::ostream& os) { os << "- config file: " << cfg.string(); });

  const std::string key = cfg.string();
  check_language_file(key);

  if (!path_exists(cfg)) {
    if (generic_languages().count(key) == 0) {
      fail("language config file missing for [" + language + "] :" + key);
    }
    // The generic fallback: the same request for the language "generic".
    const std::string request = options->str();
    log(wlog::kLevelDebug, [&](std::ostream& os) {
      os << "using generic language module." << request;
    });
    std::shared_ptr<IOptions> generic = convert_string_to_api_options(request);
    generic->add("language", "generic");
    return get_language_module_nolock(generic);
  }

  // The request protocol.
  log(wlog::kLevelInfo,
      [&](std::ostream& os) { os << kLanguageTag << "Get: " << key; });
  const bool cached = language_cache_.find(key) != language_cache_.end();
  if (!cached) {
    log(wlog::kLevelDebug,
        [&](std::ostream& os) { os << kLanguageTag << "Load: " << key; });

    // Load.
    const std::string text = file::load(key.c_str());
    json config;
    try {
      config = json::parse(text);
    } catch (const std::exception&) {
      fail("Invalid json input file:" + quoted(cfg) + "\n" + text);
    }
    auto data = std::make_shared<LanguageModuleData>(key);
    data->config_json = std::make_shared<json>(std::move(config));
    json& configuration = *data->config_json;
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << kLanguageTag << "Name: " << language; });

    if (configuration.contains("detect_headers")) {
      const json& detect_headers = configuration["detect_headers"];
      if (!detect_headers.is_boolean()) {
        fail("Invalid type for the field 'detect_headers' for the language [" +
             language + "] in " + quoted(cfg) + "\n" + text);
      }
      data->detect_headers = detect_headers.get<bool>();
    }
    if (!configuration.contains("morph_chain")) {
      log(wlog::kLevelWarning, [&](std::ostream& os) {
        os << "Missing morph_chain file in " << quoted(cfg) << text;
      });
    }

    folders.insert(folders.begin(), cfg.parent_path());
    const core::filename_generator resolve(folders, configuration, language);

    const fs::path abbreviations = resolve(".abbrev", "abbreviations");
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLanguageTag << "Abbreviation file: " << abbreviations.string();
    });
    const fs::path apostrophes = resolve(".apostrophe", "apostrophe");
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "- apostrophe file: " << apostrophes.string();
    });

    const fs::path hmm =
        configuration.contains("hmm")
            ? core::generate_filename(configuration["hmm"].get<std::string>(),
                                      folders)
            : resolve(".hmm", "hmm");
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLanguageTag << "HMM file: " << hmm.string();
    });
    if (path_exists(hmm)) data->hmm_tables = core::hmm::load(hmm.string());

    data->conditions = make_conditions(configuration);
    data->abbreviation_expression =
        core::build_abbreviation_expression(abbreviations.string());
    data->apostrophe_expression =
        core::build_abbreviation_expression(apostrophes.string());

    const fs::path measures = resolve(".measure", "measure");
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << kLanguageTag << "Measure file: " << measures.string();
    });
    data->measure_expression =
        core::build_abbreviation_expression(measures.string());

    if (configuration.contains("tokenizer")) {
      const fs::path rules = core::generate_filename(
          configuration["tokenizer"].get<std::string>(), folders);
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << kLanguageTag << "Tokenizer file: " << quoted(rules);
      });
      check_tokenizer_cache_file(rules, language, *data);
    }

    data->lookup_descriptors =
        create_lookup_chain_descriptors(this, configuration, "morph_chain", folders);
    data->guesser_descriptors =
        create_lookup_chain_descriptors(this, configuration, "not_found", folders);
    data->named_descriptors =
        create_named_lookup_descriptors(this, configuration, folders);

    load_postagger(resolve(".postagger", "postagger"), *data);

    data->token_map = init_token_map();
    add_tokenizer_mapper(configuration, cfg, data->token_map);

    data->config_file = key;
    data->last_write_time_stamp = file::modification_time(key.c_str());
    log(wlog::kLevelDebug, [&](std::ostream& os) {
      os << kLanguageTag << "ADDING : " << key
         << " wts=" << data->last_write_time_stamp.load();
    });
    language_cache_.emplace(key, data);
  }

  auto it = language_cache_.find(key);
  if (it == language_cache_.end()) fail("Could not load language:" + key);
  module->module_data = it->second;
  // A language just loaded counts as used now, so that a purge keeps the
  // most recently used languages; only a cache hit runs the purge.
  module->module_data->last_access = now();
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << kLanguageTag
       << "Last access : " << module->module_data->last_access.load();
  });
  if (cached) check_language_purge();
  return module;
}

}  // namespace kavero
}  // namespace zel
