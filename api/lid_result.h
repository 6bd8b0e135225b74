// The object behind a section-result handle of the C interface: the
// language-sections JSON text of one identified text, kept while the handle
// lives so that the host may read it without copying.

#ifndef KAVERO_API_LID_RESULT_H_
#define KAVERO_API_LID_RESULT_H_

#include <string>
#include <utility>

#include "api/object.h"

namespace zel {
namespace kavero {

class LidResult : public api::Object {
 public:
  explicit LidResult(std::string json) : json(std::move(json)) {}
  ~LidResult() override = default;

  const std::string json;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_LID_RESULT_H_
