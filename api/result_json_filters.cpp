#include "api/result_json_filters.h"

#include "analysis/annotation.h"

namespace zel {
namespace kavero {

namespace v2 {
namespace {

bool begins_with_marker(const std::string& uri) {
  return !uri.empty() && (uri[0] == '$' || uri[0] == ':');
}

bool begins_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

bool FilterNothing::operator()(const Concept&) const { return false; }

bool ImportOnlyFilter::operator()(const Concept& c) const {
  if (!c.flags.test(kImport)) return true;
  if (c.flags.test(kDeleted)) return true;
  return begins_with_marker(c.uri);
}

bool KacFilter::operator()(const Concept& c) const {
  if (c.flags.test(kDeleted)) return !begins_with(c.uri, "kav::filter");
  if (c.flags.test(kImport)) return false;
  return begins_with_marker(c.uri);
}

bool json_printer_attribute_filter(const std::string& name) {
  return !(!name.empty() && name[0] == '_') && !begins_with(name, "inherit");
}

bool json_printer_attribute_filter_dbg(const std::string& name) {
  return !begins_with(name, "inherit");
}

bool json_printer_attribute_filter_none(const std::string&) { return true; }

}  // namespace v2
}  // namespace kavero
}  // namespace zel
