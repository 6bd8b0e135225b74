// The installation's root folder and resource folders.
//
// An engine needs the root folder (option "root_path") and one or more
// resource folders (option "morvik", separated by ":"). The host may give
// them; otherwise they come from the environment ("KAVERO_ROOT",
// "KAVERO_MORVIK"), from where the library file lies (the folder above the
// library's folder), from where the running program lies, and from the
// default subfolder "morvik" inside the root or beside it.

#ifndef KAVERO_ENGINE_SDK_PATHS_H_
#define KAVERO_ENGINE_SDK_PATHS_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/options.h"

namespace zel {
namespace kavero {

// Completes "root_path" and "morvik" in the option set and checks that the
// folders exist. Options the host gave win: a non-empty "root_path" and a
// present "morvik" are only checked. Raises zel::Exception
// "omr root path option is not valid path [" + root + "]" for a root that
// does not exist, and "morvik data path is not valid [" + folder + "]" for
// the first resource folder that does not exist (an empty part of "morvik"
// is such a folder). Finding no resource folder at all is no error:
// "morvik" then stays absent.
void fill_in_sdk_paths(const std::shared_ptr<IOptions>& options);

// The installation's default resource folders: "morvik" of an empty option
// set completed by fill_in_sdk_paths; empty when there is none. Raises as
// fill_in_sdk_paths does.
std::string get_default_morvik();

// The root of an installation whose library lies in `library_folder`: the
// parent of the folder's canonical form. Empty for an empty folder or one
// that cannot be made canonical.
std::filesystem::path root_of_library_folder(const std::filesystem::path& library_folder);

}  // namespace kavero

namespace system {
namespace path {

// The folder of the library file, with a trailing separator: found in the
// dynamic loader's list of loaded objects from the library's own entry on.
// Empty when no loaded object's file name contains "libkavero.so" (as in a
// program linked with the static parts).
std::filesystem::path this_function();

// The folder of the library named in a list of loaded objects' file names:
// the first name that contains "libkavero.so", up to where that begins.
// Empty when none does.
std::filesystem::path library_folder_in(const std::vector<std::string>& loaded_names);

// The installation folder of the running program ("/proc/self/exe"), or
// `fallback` when the program's path cannot be read.
std::filesystem::path sdk(const std::string& fallback);

// The installation folder of a program file: the parent of its folder,
// skipping one more level when that parent's name begins with "debug" or
// "release" (/a/b/bin/tool and /a/b/release-x64/bin/tool both give /a/b).
// `fallback` when the program file does not exist.
std::filesystem::path installation_of_executable(const std::filesystem::path& executable,
                                                 const std::string& fallback);

}  // namespace path
}  // namespace system
}  // namespace zel

#endif  // KAVERO_ENGINE_SDK_PATHS_H_
