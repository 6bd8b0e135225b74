#include "api/filter_concept_interface.h"

namespace zel {
namespace kavero {

FilterConceptInterface::~FilterConceptInterface() = default;

}  // namespace kavero
}  // namespace zel
