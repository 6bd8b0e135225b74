// An exception whose whole message is a JSON object.
//
// Code that reports structured failures to a host (the pipeline expansion's
// error object) throws it; the C interface reports it with its own error
// code so that the host knows the message can be parsed as JSON.

#ifndef KAVERO_BASE_JSON_EXCEPTION_H_
#define KAVERO_BASE_JSON_EXCEPTION_H_

#include <string>

#include "base/exception.h"

namespace zel {

class JSONThrowException : public Exception {
 public:
  // `json_object` is the complete text of one JSON object; it becomes the
  // message unchanged.
  explicit JSONThrowException(std::string const& json_object);
  ~JSONThrowException() override;
};

}  // namespace zel

#endif  // KAVERO_BASE_JSON_EXCEPTION_H_
