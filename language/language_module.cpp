#include "language/language_module.h"

namespace zel {
namespace kavero {

LanguageModuleData::LanguageModuleData(const std::string& config_path)
    : name(config_path) {}

LanguageModuleData::~LanguageModuleData() {
  if (rules_owned && rules != nullptr) delete[] rules;
}

}  // namespace kavero
}  // namespace zel
