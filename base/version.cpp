#include "base/version.h"

#include <algorithm>
#include <limits>
#include <ostream>

#include "base/regex_patterns.h"
#include "base/string_util.h"

namespace zel {
namespace version {

const Regex version_regex_pattern = kav_regex(version_pattern);

bool is_valid_version_format(const std::string& text) {
  return version_regex_pattern.regex_match(text);
}

namespace {

// The pattern only lets digits through; a value beyond 32 bits saturates.
std::uint32_t to_number(const std::string& digits) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t value = 0;
  for (const char c : digits) {
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), kMax);
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::vector<std::uint32_t> parse_version_format(const std::string& text) {
  SMatch match;
  if (!version_regex_pattern.regex_match(text, match)) return {};
  std::vector<std::uint32_t> parts;
  for (std::size_t group = 1; group <= 3; ++group) {
    parts.push_back(match[group].matched ? to_number(match[group].text) : 0);
  }
  return parts;
}

Version::Version(const std::string& text) : parts_(parse_version_format(text)) {}

bool Version::operator<(const Version& other) const { return parts_ < other.parts_; }

bool Version::operator>(const Version& other) const {
  const std::size_t common = std::min(parts_.size(), other.parts_.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (parts_[i] != other.parts_[i]) return parts_[i] > other.parts_[i];
  }
  return other.parts_.size() <= parts_.size();
}

std::ostream& operator<<(std::ostream& os, const Version& version) {
  const auto& parts = version.parts();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i != 0) os << '.';
    os << parts[i];
  }
  return os;
}

std::string extract_version(const std::string& name, const std::string& suffix) {
  const std::size_t at = name.find('@');
  if (at == std::string::npos) return std::string();
  std::size_t end = name.size();
  if (zel::string::ends_with(name, suffix)) end -= suffix.size();
  if (end <= at) return std::string();
  return name.substr(at + 1, end - at - 1);
}

}  // namespace version
}  // namespace zel
