// The object behind a language-identification handle of the C interface.
//
// A Lid holds a language identifier made for an engine and an option set
// and answers two questions about a text: its language, and its sections of
// one language each (as JSON text). It keeps no state between calls; like
// its identifier, it serves one call at a time.

#ifndef KAVERO_LANGUAGE_LID_HANDLE_H_
#define KAVERO_LANGUAGE_LID_HANDLE_H_

#include <memory>
#include <string>

#include "api/object.h"
#include "base/options.h"
#include "language/language_identifier.h"

namespace zel {
namespace kavero {

class EngineInterface;

class Lid : public api::Object {
 public:
  // Makes the identifier for the engine and the options (see
  // zel::lid::LIDStore); its errors, such as missing identification data,
  // propagate. The handle starts with one reference.
  Lid(EngineInterface* engine, const std::shared_ptr<IOptions>& options);
  ~Lid() override;

  // The language of the text: a long name or a code, as the options ask;
  // "invalid utf8" for a text that is not valid UTF-8.
  virtual std::string lid(const char* text, unsigned long length) const;

  // The identifier's language-sections JSON text of the text, unchanged.
  virtual std::string language_sections(const char* text, unsigned long length) const;

 private:
  // Raises zel::FatalException "Lid engine not initialized." without one.
  ::zel::lid::LIDStoreInterface& store() const;

  std::shared_ptr<IOptions> options_;
  std::shared_ptr<::zel::lid::LIDStoreInterface> store_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_LID_HANDLE_H_
