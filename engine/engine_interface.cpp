#include "engine/engine_interface.h"

namespace zel {
namespace kavero {

EngineInterface::~EngineInterface() = default;

}  // namespace kavero
}  // namespace zel
