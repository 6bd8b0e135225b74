#include "base/inline_logger.h"

#include <ostream>

namespace zel {
namespace log {
namespace inline_logger {

BaseLogger::~BaseLogger() = default;

std::ostream& print_variable(std::ostream& out, const boost::any& value) {
  if (const auto* text = boost::any_cast<std::string>(&value)) {
    out << *text;
  } else if (const auto* c_text = boost::any_cast<const char*>(&value)) {
    if (*c_text == nullptr) {
      out.setstate(std::ios_base::badbit);
    } else {
      out << *c_text;
    }
  } else if (const auto* mutable_text = boost::any_cast<char*>(&value)) {
    if (*mutable_text == nullptr) {
      out.setstate(std::ios_base::badbit);
    } else {
      out << *mutable_text;
    }
  } else if (const auto* number = boost::any_cast<int>(&value)) {
    out << *number;
  } else if (const auto* wide = boost::any_cast<unsigned long>(&value)) {
    out << *wide;
  } else if (const auto* narrow = boost::any_cast<unsigned int>(&value)) {
    out << *narrow;
  }
  return out;
}

}  // namespace inline_logger
}  // namespace log
}  // namespace zel
