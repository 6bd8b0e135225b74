#include "core-afst/lookup_interface.h"

#include <iostream>

#include "base/normalize.h"

namespace zel {
namespace afst {

LookupInterface::~LookupInterface() = default;

void LookupInterface::print_results(const std::string& text) {
  std::cout << "up [" << text << "]" << std::endl;
  for (const auto& output : up(text)) std::cout << "  -- " << output << std::endl;
}

ILookupConverter::~ILookupConverter() = default;

std::string LookupConverterLowercase::operator()(const std::string& text) {
  return zel::string::to_lower(text);
}

std::string construct_stem(const std::vector<std::string>& components) {
  std::string stem;
  for (const auto& component : components) {
    if (component.empty()) continue;
    stem += '#';
    stem += component;
  }
  return stem;
}

}  // namespace afst
}  // namespace zel
