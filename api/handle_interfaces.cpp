#include "api/handle_interfaces.h"

namespace zel {
namespace api {

AnalyzerInterface::~AnalyzerInterface() = default;
BlackboardInterface::~BlackboardInterface() = default;
DomainInterface::~DomainInterface() = default;

}  // namespace api
}  // namespace zel
