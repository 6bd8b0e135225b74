#include "base/path.h"

#include <cstdlib>
#include <iterator>
#include <string_view>

namespace zel {
namespace filesystem {
namespace {

// Tried in this order; the first one that applies is used.
constexpr std::string_view kHomeMarkers[] = {"~", "$HOME", "${HOME}", "$(HOME)"};

}  // namespace

std::filesystem::path resolve_home(std::filesystem::path const& path) {
  std::string const text = path.string();
  for (std::string_view marker : kHomeMarkers) {
    if (text.size() < marker.size() + 2) continue;
    if (text.compare(0, marker.size(), marker) != 0) continue;
    char const separator = text[marker.size()];
    if (separator != '/' && separator != '\\') continue;
    return resolve_name_offset(text, std::string(marker));
  }
  return path;
}

std::filesystem::path resolve_name_offset(std::string const& text, std::string marker) {
  char const* home = std::getenv("HOME");
  if (home == nullptr) return std::filesystem::path(text);
  std::size_t const rest = marker.size() + 1;
  return std::filesystem::path(home) / (rest < text.size() ? text.substr(rest) : std::string());
}

std::string chop_filename(std::string const& text, int32_t n) {
  std::filesystem::path const path(text);
  std::ptrdiff_t const count = std::distance(path.begin(), path.end());
  std::ptrdiff_t skip = 0;
  if (count > n) skip = count - (n < 0 ? 0 : n);
  std::filesystem::path result;
  auto element = path.begin();
  std::advance(element, skip);
  for (; element != path.end(); ++element) result /= *element;
  return result.string();
}

}  // namespace filesystem
}  // namespace zel
