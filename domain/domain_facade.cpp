#include "domain/domain_facade.h"

namespace zel {
namespace kavero {

DomainInterface::~DomainInterface() = default;

DomainFacade::DomainFacade(const std::string& name) : name_(name) {}

DomainFacade::~DomainFacade() = default;

}  // namespace kavero
}  // namespace zel
