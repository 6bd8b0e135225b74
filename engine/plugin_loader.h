// Plugins as shared objects: which file serves a plugin name, and how the
// file is opened and its plugin object made ready.
//
// A plugin name "abc" is served by "abc.so" in the plugin folder, else by
// the file among "abc_plugin*.so" whose name is greatest in byte order. The
// name "python" is served by "_kavero.so" and "_kavero_plugin*.so". A file
// is registered under its registration name: its file name up to its first
// "." ("abc_plugin.x86.so" -> "abc_plugin").
//
// The library is opened with global symbol visibility (libraries opened
// later may bind to its symbols) and immediate binding, so a plugin that
// needs a function no loaded object defines fails to open instead of ending
// the process at its first call. The plugin object is the data symbol
// "plugin"; the pointer handed out shares the ownership of the opened
// library, which stays open while any copy lives.
//
// global_plugin_mutex serialises every plugin lookup and load of every
// engine in the process and guards every engine's plugin collection; it is
// exported, so plugins can take it too.

#ifndef KAVERO_ENGINE_PLUGIN_LOADER_H_
#define KAVERO_ENGINE_PLUGIN_LOADER_H_

#include <mutex>
#include <string>

#include <boost/shared_ptr.hpp>

#include "api/kavero.h"
#include "matcher/plugin_api.h"

extern "C" ZEL_API_EXPORT std::mutex global_plugin_mutex;

namespace zel {
namespace kavero {

// The path of the file that serves the plugin `name` in `folder`, or an
// empty text when there is none (see the header comment). A folder that
// cannot be listed raises std::filesystem::filesystem_error.
std::string generate_plugin_filename(const std::string& folder,
                                     const std::string& name);

// The registration name of a plugin file: its file name up to its first
// "." (all of it when it has none).
std::string plugin_registration_name(const std::string& file);

// The one empty plugin pointer of the process, handed out by reference when
// there is no plugin to give.
const boost::shared_ptr<plugins::API>& empty_plugin();

// Opens `file`, takes its "plugin" and initialises it with the option text.
// Returns the plugin, or an empty pointer when `initialize` answered false.
// A code from 1 to 5 in the error record raises the exception the code
// stands for (omr::common::handle_exception) with the plugin's message,
// whatever `initialize` answered. Every standard exception on the way (the
// library loader's, the record's, one that `initialize` throws) is logged
// as "[PLUGIN]:Could not load " + file + ":" + its text and raised again.
boost::shared_ptr<plugins::API> open_plugin(const std::string& file,
                                            const std::string& basename,
                                            const std::string& options);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ENGINE_PLUGIN_LOADER_H_
