#include "analysis/option_view.h"

#include <utility>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"

namespace zel {
namespace kavero {

OptionAnywhere::OptionAnywhere(const Blackboard& blackboard)
    : blackboard_(blackboard) {}

OptionAnywhere::~OptionAnywhere() = default;

const IOptions* OptionAnywhere::analyzer_options() const {
  const std::shared_ptr<AnalyzerGuard>& guard = blackboard_.analyzer_guard;
  if (!guard || !guard->analyzer) return nullptr;
  return guard->analyzer->options().get();
}

std::string OptionAnywhere::get(const char* key) const {
  if (blackboard_.options->has(key)) return blackboard_.options->get(key);
  if (const IOptions* analyzer = analyzer_options()) return analyzer->get(key);
  return std::string();
}

std::string OptionAnywhere::get(const char* key,
                                std::string default_value) const {
  if (blackboard_.options->has(key)) {
    return blackboard_.options->get(key, std::move(default_value));
  }
  if (const IOptions* analyzer = analyzer_options()) {
    return analyzer->get(key, std::move(default_value));
  }
  return default_value;
}

bool OptionAnywhere::get_bool(const char* key, bool default_value) const {
  if (blackboard_.options->has(key)) {
    return blackboard_.options->get_bool(key, default_value);
  }
  if (const IOptions* analyzer = analyzer_options()) {
    return analyzer->get_bool(key, default_value);
  }
  return default_value;
}

std::string OptionAnywhere::str() const {
  if (!blackboard_.analyzer || !blackboard_.analyzer->options()) {
    return std::string();
  }
  return blackboard_.analyzer->options()->str();
}

bool OptionAnywhere::has(const char* key) const {
  if (blackboard_.options->has(key)) return true;
  const IOptions* analyzer = analyzer_options();
  return analyzer != nullptr && analyzer->has(key);
}

BlackboardOptions::BlackboardOptions(const Blackboard& blackboard)
    : OptionAnywhere(blackboard),
      detect_headers(get_bool("detect_headers", true)),
      initial_lower_casing(get_bool("initial_lower_casing", true)),
      rule_info(blackboard.dbg["rule_info"]),
      rule_info_short(blackboard.dbg["rule_info_short"]) {
  if (rule_info_short) rule_info = true;
}

BlackboardOptions::~BlackboardOptions() = default;

}  // namespace kavero
}  // namespace zel
