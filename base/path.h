// Path helpers: home-folder expansion and shortening a path for messages.

#ifndef KAVERO_BASE_PATH_H_
#define KAVERO_BASE_PATH_H_

#include <cstdint>
#include <filesystem>
#include <string>

namespace zel {
namespace filesystem {

// Expands a leading home marker: "~", "$HOME", "${HOME}" or "$(HOME)", tried
// in that order. A marker applies only when the path starts with it and goes
// on with a slash or backslash and at least one more byte; the first marker
// that applies is expanded by resolve_name_offset. Otherwise the path comes
// back unchanged (so "~", "~/" and "~user/x" stay as they are).
std::filesystem::path resolve_home(std::filesystem::path const& path);

// `text` starts with `marker` and one separator byte. Returns the value of
// HOME joined with the rest of the text after that separator, or the text
// unchanged when HOME is not set. The join is the path type's, so a rest
// that is itself absolute replaces the home folder.
std::filesystem::path resolve_name_offset(std::string const& text, std::string marker);

// The last `n` elements of a path, joined again: with n = 3,
// "/home/u/dom/src/rules.kav" gives "dom/src/rules.kav". A leading root
// directory counts as an element ("/a/b" has three), and so does the empty
// element after a trailing separator. n is not negative.
std::string chop_filename(std::string const& text, int32_t n);

}  // namespace filesystem
}  // namespace zel

#endif  // KAVERO_BASE_PATH_H_
