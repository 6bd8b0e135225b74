// The installation's root folder and resource folders.
//
// An engine needs the root folder (option "root_path") and one or more
// resource folders (option "morvik", separated by ":"). The host may give
// them; otherwise they come from the environment ("KAVERO_ROOT",
// "KAVERO_MORVIK") or from where the library and the program lie.

#ifndef KAVERO_ENGINE_SDK_PATHS_H_
#define KAVERO_ENGINE_SDK_PATHS_H_

#include <memory>
#include <string>

#include "base/options.h"

namespace zel {
namespace kavero {

// Completes "root_path" and "morvik" in the option set and checks that the
// folders exist.
//
// Finding the folders is not part of the library yet: every call raises
// zel::Exception "Finding the installation's root and resource folders is
// not available yet.".
void fill_in_sdk_paths(const std::shared_ptr<IOptions>& options);

// The installation's default resource folders: "morvik" of an empty option
// set completed by fill_in_sdk_paths. Raises as fill_in_sdk_paths does.
std::string get_default_morvik();

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ENGINE_SDK_PATHS_H_
