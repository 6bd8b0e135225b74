#include "language/splitter_settings.h"

#include "base/environment.h"

namespace zel {
namespace kavero {

std::string get_header_prefix() {
  std::string pattern = "(:?";
  pattern += header_prefix_pattern_nr;
  pattern += "|";
  pattern += header_prefix_pattern_letters;
  pattern += "|";
  pattern += "[XIVxiv]{1,5}[.)]";
  pattern += "|";
  pattern += "#{1,6}";
  pattern += ")";
  return pattern;
}

// The expression cache is reached through function-local statics, so it is
// ready whatever order the static initialisers of the library run in.
const Regex header_prefix_pattern = kav_regex(get_header_prefix());

const int32_t max_field_size =
    system::get_environment_int("KAVERO_MAX_FIELD_SIZE", 60);
const int32_t max_value_size =
    system::get_environment_int("KAVERO_MAX_VALUE_SIZE", 80);

}  // namespace kavero
}  // namespace zel
