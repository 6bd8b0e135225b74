// Version texts: "latest", "dev", or one to three dot-separated numbers.
//
// Resources and pipeline components are named by a base, "@" and a version
// (english@1.2.3.language); the newest matching one is picked with Version.

#ifndef KAVERO_BASE_VERSION_H_
#define KAVERO_BASE_VERSION_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "base/regex.h"

namespace zel {
namespace version {

// The version pattern (zel::version_pattern), compiled once at start-up
// through the process-wide cache. Groups 1 to 3: major, minor, patch.
extern const Regex version_regex_pattern;

// True when the whole text is a version text.
bool is_valid_version_format(const std::string& text);

// The parts of a version text: always three for a valid text, a group that
// is absent counting 0 (1.2 gives 1, 2, 0; "latest" and "dev" give 0, 0, 0);
// none for a text that is not a version. A number too large for 32 bits
// counts as the largest 32-bit value.
std::vector<std::uint32_t> parse_version_format(const std::string& text);

class Version {
 public:
  Version() = default;
  explicit Version(const std::string& text);

  const std::vector<std::uint32_t>& parts() const { return parts_; }

  // Part by part as numbers; a list that is a prefix of the other is
  // smaller.
  bool operator<(const Version& other) const;

  // True unless this version is smaller than the other: also for equal
  // versions. The resource and pipeline scans rely on it, so that of equal
  // versions the one found last wins, and so that a version of 0.0.0 beats
  // the starting value 0.0.0. A version without parts is never greater than
  // one with parts.
  bool operator>(const Version& other) const;

 private:
  std::vector<std::uint32_t> parts_;
};

// The parts in decimal joined by "."; nothing for a version without parts.
std::ostream& operator<<(std::ostream& os, const Version& version);

// The version part of a resource name: the bytes after its first "@" up to
// its end, less the suffix when the name ends with it (english@1.2.3.language
// and ".language" give 1.2.3). The empty text when the name has no "@" (or
// the suffix reaches back over it).
std::string extract_version(const std::string& name, const std::string& suffix);

}  // namespace version
}  // namespace zel

#endif  // KAVERO_BASE_VERSION_H_
