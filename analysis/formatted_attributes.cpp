#include "analysis/formatted_attributes.h"

#include <vector>

#include "analysis/blackboard.h"
#include "compiler/parser/fstring.h"
#include "matcher/plugin_api.h"
#include "matcher/plugin_calls.h"
#include "matcher/runtime_context.h"

namespace zel {
namespace kavero {

std::string resolve_attribute(Blackboard& blackboard, const std::string& format,
                              runtime::Context& context) {
  if (zel::compiler::check_fstring_pattern(format) <= 0) return std::string();
  plugins::set_match_context(context);
  Blackboard& target =
      context.blackboard != nullptr ? *context.blackboard : blackboard;
  const std::string& function =
      blackboard.analyzer_guard->analyzer->resolve_formated_attribute_function();
  const std::vector<plugins::DataObject> arguments{
      plugins::DataObject{1, format.c_str()}};
  return plugins::trigger(target, function, arguments);
}

void resolve_attributes(Blackboard& blackboard, Attributes& list,
                        runtime::Context& context) {
  bool failed = false;
  for (Attribute& entry : list) {
    auto* value = boost::any_cast<AttributeFormatValue>(&entry.second);
    if (value == nullptr || !value->resolved.empty()) continue;
    if (blackboard.allow_plugins()) {
      value->resolved = resolve_attribute(blackboard, value->format, context);
      if (!value->resolved.empty()) continue;
    }
    entry.second = AttributeFormatInvalidValue();
    failed = true;
  }
  if (!failed) return;
  for (auto entry = list.begin(); entry != list.end();) {
    if (entry->second.type() == typeid(AttributeFormatInvalidValue)) {
      entry = list.erase(entry);
    } else {
      ++entry;
    }
  }
}

}  // namespace kavero
}  // namespace zel
