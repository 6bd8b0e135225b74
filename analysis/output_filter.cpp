#include "analysis/output_filter.h"

#include "base/string_util.h"

namespace zel {
namespace kavero {

void OutputFilter::build() {
  std::string pattern = zel::string::join(names, "|", 0, -1);
  if (pattern.size() > 1 && pattern.front() == '/' && pattern.back() == '/') {
    pattern = pattern.substr(1, pattern.size() - 2);
  }
  filter = std::make_shared<RegexFilter>(pattern);
}

bool OutputFilter::has(const std::string& name) const {
  return filter == nullptr || (*filter)(name);
}

}  // namespace kavero
}  // namespace zel
