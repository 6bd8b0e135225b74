// Option maps of the client classes, as the option texts the C interface
// takes.

#ifndef KAVERO_API_CLIENT_OPTIONS_H_
#define KAVERO_API_CLIENT_OPTIONS_H_

#include <map>
#include <string>

namespace omr {
namespace common {

using OptionMap = std::map<std::string, std::string>;

// The map as a compact JSON object: one string member per entry, in key
// order; names and values escaped for JSON, other bytes (those of non-ASCII
// characters among them) written as they are. An empty map gives "{}".
std::string options_to_string(const OptionMap& options);

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_OPTIONS_H_
