// The library side of the plugin C interface (api/kavero_plugin.h).
//
// The functions declared there are defined in plugin_interface.cpp and
// exported with C linkage. Each catches everything at the boundary: a
// plugin may be written in C, so no exception may unwind into it; the
// reason is logged as "[PLUGIN]:" + the function's name + ": " + the text,
// and the answer is the empty one (null, 0, an empty text).
//
// local_string_buffer holds the text of the last range call
// (kavero_plugin_range_stem, kavero_plugin_range_literal) of each thread.
// It is made empty on the thread's first use by its per-thread initialiser,
// which is exported with it and registers its release at thread exit.

#ifndef KAVERO_API_PLUGIN_INTERFACE_H_
#define KAVERO_API_PLUGIN_INTERFACE_H_

#include <string>

#include "api/kavero_plugin.h"

extern "C" KAVERO_PLUGIN_EXPORT thread_local std::string local_string_buffer;

#endif  // KAVERO_API_PLUGIN_INTERFACE_H_
