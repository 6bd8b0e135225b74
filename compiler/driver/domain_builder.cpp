#include "compiler/driver/domain_builder.h"

namespace zel {
namespace compiler {

DomainBuilderInterface::~DomainBuilderInterface() = default;

}  // namespace compiler
}  // namespace zel
