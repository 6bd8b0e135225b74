#include "analysis/analyzer.h"

#include <utility>

#include "analysis/option_collection.h"
#include "base/logging.h"
#include "engine/engine_interface.h"
#include "language/language_module.h"
#include "matcher/instance_store.h"

namespace zel {
namespace kavero {

namespace {

constexpr char kResolveFormatedAttribute[] =
    "::python::kavero.plugin::resolve_formated_attribute";
constexpr char kSetDocumentDate[] = "::python::kavero.plugin::set_document_date";
constexpr char kResolveDate[] = "::python::kavero.plugin::resolve_date";

}  // namespace

Analyzer::Analyzer(std::shared_ptr<EngineInterface> engine,
                   std::shared_ptr<LanguageModule> language_module,
                   std::shared_ptr<IOptions> options)
    : analyzer_options_(options ? std::move(options)
                                : std::make_shared<Options>()),
      engine_(std::move(engine)),
      language_module_(std::move(language_module)) {
  long_term_store_ = instances::long_term::create_store(engine_, analyzer_options_);
  args::parse_option_collection(dbg_flags_, analyzer_options_, "dbg", "");
  allow_plugins_ = analyzer_options_->get_bool("allow_plugins", true);
  resolve_formated_attribute_function_ =
      option("resolve_formated_attribute_function", kResolveFormatedAttribute);
  set_document_date_function_ =
      option("set_document_date_function", kSetDocumentDate);
  resolve_date_function_ = option("resolve_date_function", kResolveDate);
  wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, [&](std::ostream& os) {
    os << "[Language] Options: [" << analyzer_options_->str() << "]";
  });
}

Analyzer::~Analyzer() = default;

std::string Analyzer::option(const char* name) const {
  return analyzer_options_->get(name);
}

std::string Analyzer::option(const std::string& name) const {
  return option(name.c_str());
}

std::string Analyzer::option(const char* name,
                             const std::string& default_value) const {
  return analyzer_options_->get(name, default_value);
}

std::string Analyzer::option(const std::string& name,
                             const std::string& default_value) const {
  return option(name.c_str(), default_value);
}

const std::string& Analyzer::filename() const {
  static const std::string kNoFile;
  if (!language_module_ || !language_module_->module_data) return kNoFile;
  return language_module_->module_data->config_file;
}

dbg_options_wrapper::dbg_options_wrapper(const Analyzer* analyzer)
    : analyzer_(analyzer) {}

bool dbg_options_wrapper::operator[](const std::string& flag) const {
  return analyzer_ != nullptr && analyzer_->dbg_flags().count(flag) > 0;
}

}  // namespace kavero
}  // namespace zel
