#include "language/lid_handle.h"

#include <sstream>

#include "base/fatal_exception.h"

namespace zel {
namespace kavero {

Lid::Lid(EngineInterface* engine, const std::shared_ptr<IOptions>& options)
    : options_(options), store_(::zel::lid::createStore(engine, options)) {
  store();
}

Lid::~Lid() = default;

::zel::lid::LIDStoreInterface& Lid::store() const {
  if (!store_) {
    std::ostringstream message;
    message << "Lid engine not initialized.";
    throw FatalException(message);
  }
  return *store_;
}

std::string Lid::lid(const char* text, unsigned long length) const {
  return store().identify_language(text, length).language;
}

std::string Lid::language_sections(const char* text, unsigned long length) const {
  return store().identify_language_sections(text, length);
}

}  // namespace kavero
}  // namespace zel
