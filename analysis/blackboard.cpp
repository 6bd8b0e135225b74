#include "analysis/blackboard.h"

#include <exception>
#include <filesystem>
#include <sstream>

#include "analysis/concept_insertion.h"
#include "api/analyzer_handle.h"
#include "api/profiler.h"
#include "base/exception.h"
#include "base/logging.h"
#include "base/text_excerpt.h"
#include "compiler/backend/string_string_map.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"
#include "language/language_module.h"
#include "language/language_names.h"
#include "language/offset_table.h"
#include "language/tokenizer_facade.h"
#include "matcher/instance_store.h"
#include "matcher/plugin_calls.h"
#include "matcher/plugin_collection.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

namespace {

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

}  // namespace

std::shared_ptr<Analyzer> get_analyzer(api::Analyzer* analyzer_handle) {
  if (analyzer_handle == nullptr || !analyzer_handle->analyzer) {
    fail("Analyzer has not been initialized.");
  }
  return analyzer_handle->analyzer->shared_from_this();
}

Blackboard::Blackboard(api::Analyzer* analyzer_handle,
                       std::shared_ptr<IOptions> document_options,
                       const char* /*text*/, uint64_t /*length*/)
    : analyzer(get_analyzer(analyzer_handle)),
      analyzer_guard(std::make_shared<AnalyzerGuard>(analyzer)),
      options(document_options ? std::move(document_options)
                               : std::make_shared<Options>()),
      option_view(std::make_shared<OptionAnywhere>(*this)),
      dbg(analyzer.get()),
      flags(*this),
      annotations(std::make_shared<AnnotationCollection>()),
      lookup_cache(std::make_shared<LookupCache>()) {
  short_term_store = instances::short_term::create_store(*this);
  if (analyzer->engine()) plugins = analyzer->engine()->get_plugins_ptr();
  wlog::log(wlog::kRuntimeId, wlog::kLevelTrace, [&](std::ostream& os) {
    os << "[Blackboard] Options" << options->str();
  });
  if (option_view->get_bool("profiler", false)) {
    profiler = std::make_shared<profiler::Profiler>();
  }
  collector = create_collector(*this);
  // Neither option set decides: the language configuration does.
  if (!option_view->has("detect_headers")) {
    const std::shared_ptr<LanguageModule>& module = analyzer->language_module();
    if (module && module->module_data) {
      flags.detect_headers = module->module_data->detect_headers;
    }
  }
}

Blackboard::~Blackboard() {
  // No plugin may be handed pointers into this document any more.
  lifetime_.reset();
  plugins::forget_match_context(*this);
  // Plugins drop their state while every member is still alive. A failure
  // cannot leave a destructor; it is logged.
  try {
    plugins::release_document(*this);
  } catch (const std::exception& e) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
      os << "[PLUGIN]:" << "release_document failed: " << e.what();
    });
  } catch (...) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelError, [&](std::ostream& os) {
      os << "[PLUGIN]:" << "release_document failed";
    });
  }
}

bool Blackboard::allow_plugins() const {
  return analyzer_guard->analyzer->allow_plugins();
}

std::string Blackboard::id() const {
  const std::string id_option = option_view->get("id");
  if (!id_option.empty()) return id_option;
  uint64_t hash = 5381;
  for (const char c : text) {
    if (c == '\0') break;
    hash = hash * 33 + static_cast<unsigned char>(c);
  }
  return std::to_string(hash);
}

uint32_t Blackboard::get_byte_offset(const uint32_t& offset) const {
  if (!offset_table) fail("unkown unicode offset mapping");
  return from_unicode_2_utf8_offset(offset_table.get(), offset);
}

void Blackboard::set_language(const std::string& name) {
  // A document that names no language keeps the current one.
  if (name.empty() || name == language) return;
  EngineInterface* engine = engine_.get();
  if (engine == nullptr) engine = analyzer_guard->analyzer->engine().get();
  if (engine == nullptr) {
    fail("Cannot load the language '" + excerpt(name) +
         "' of the document: its analyzer has no engine.");
  }
  // The name comes with the document: resolved as a language name among
  // the engine's folders and the analyzer's own project folder, never as a
  // path. Nothing changes until the engine has the language.
  const Analyzer* owner = analyzer ? analyzer.get() : analyzer_guard->analyzer.get();
  const std::string project_path =
      owner != nullptr && owner->options() ? owner->options()->get("project_path") : "";
  std::shared_ptr<LanguageModule> module =
      engine->get_document_language_module(name, project_path);
  std::shared_ptr<LanguageModule> previous = language_module;
  try {
    set_languge_module(module);
  } catch (...) {
    // The language's tokenizer or lookups cannot be made: the blackboard
    // keeps the language it had.
    set_languge_module(previous);
    throw;
  }
  options->add("language", name);
  language = name;
  genitive = language::get_genitive_form(language);
}

void Blackboard::set_languge_module(std::shared_ptr<LanguageModule> module) {
  language_module = std::move(module);
  if (!language_module) {
    tokenizer.reset();
    abbreviations = Regex();
    apostrophes = Regex();
    measures = Regex();
    return;
  }
  if (language.empty()) {
    language = language_module->language_name;
    genitive = language::get_genitive_form(language);
  }
  morph_data = std::make_shared<core::MorphData>();
  const std::shared_ptr<LanguageModuleData>& data = language_module->module_data;
  if (data) {
    morph_data->lookups =
        create_lookup_chain_from_descriptors(data->lookup_descriptors, this);
    named_lookups =
        create_named_lookup_from_descriptors(data->named_descriptors, this);
    // The analyzer's own option; a document cannot turn the guesser on or
    // off.
    const Analyzer* guesser_analyzer =
        analyzer ? analyzer.get() : analyzer_guard->analyzer.get();
    if (guesser_analyzer->options()->get_bool("guesser", true)) {
      morph_data->guessers =
          create_lookup_chain_from_descriptors(data->guesser_descriptors, this);
    }
    morph_data->postagger = data->postagger;
    morph_data->postagger_rules = data->postagger_rules;
  } else {
    named_lookups.clear();
  }
  tokenizer = language_module->get_tokenizer();
  abbreviations = language_module->get_abbreviations();
  apostrophes = language_module->get_apostrophes();
  measures = language_module->get_measures();
}

void Blackboard::set_analyzer(std::shared_ptr<Analyzer> new_analyzer) {
  analyzer = std::move(new_analyzer);
  engine_ = analyzer ? analyzer->engine() : nullptr;
  set_languge_module(analyzer ? analyzer->language_module() : nullptr);
}

void Blackboard::release_analyzer() { analyzer.reset(); }

void Blackboard::set_current_domain(std::shared_ptr<DomainFacade> domain) {
  current_domain = std::move(domain);
  if (!flags.rule_info || !current_domain) return;
  std::filesystem::path twin(current_domain->get_sqlite_filename());
  twin.replace_extension(".dom_inc");
  std::error_code error;
  if (!std::filesystem::exists(twin, error)) return;
  std::shared_ptr<sqlite3> db = afst::serialization::open_file(twin);
  const compiler::StringStringMap names =
      afst::serialization::get_object<compiler::StringStringMap>(
          db.get(), "uniq_id_2_filename_map");
  file_names.insert(names.begin(), names.end());
}

std::string Blackboard::full_rule_name(const std::string& rule_id) const {
  if (flags.rule_info_short) return rule_id;
  const std::string::size_type colon = rule_id.find(':');
  auto file = file_names.find(rule_id.substr(0, colon));
  if (file == file_names.end()) return rule_id;
  return "file:/" + file->second +
         (colon == std::string::npos ? std::string() : rule_id.substr(colon));
}

bool Blackboard::can_run_lexicon(const std::string& name) const {
  return lexicons_run.insert(name).second;
}

void Blackboard::set_metadata(const std::string& key,
                              const nlohmann::json& value) {
  if (!metadata) metadata = std::make_shared<nlohmann::json>(nullptr);
  if (metadata->is_object() && metadata->contains(key)) {
    (*metadata)[key].push_back(value);
    return;
  }
  nlohmann::json values = nlohmann::json::array();
  values.push_back(value);
  (*metadata)[key] = std::move(values);
}

SetAnalyzerGuard::SetAnalyzerGuard(std::shared_ptr<Analyzer> analyzer,
                                   Blackboard* blackboard)
    : analyzer(std::move(analyzer)), blackboard(blackboard) {
  blackboard->set_analyzer(this->analyzer);
}

}  // namespace kavero
}  // namespace zel
