// The engine, result and domain handles of the C interface (the analyzer
// handle is analyzer_handle.h).
//
// Each owns its runtime object through a shared pointer: the engine handle
// one share of its engine, the result handle the document, the domain
// handle the opened domain. Analyzers and domains are made from a shared
// reference to the engine, and a document takes a share of its analyzer,
// so handles may be released in any order.

#ifndef KAVERO_API_HANDLES_H_
#define KAVERO_API_HANDLES_H_

#include <cstdint>
#include <memory>

#include "api/handle_interfaces.h"
#include "api/object.h"

namespace zel {

class IOptions;

namespace kavero {
class Blackboard;
class Domain;
class Engine;
}  // namespace kavero

namespace api {

class Analyzer;

class Engine : public Object {
 public:
  // Builds the engine of the options under shared ownership; its errors
  // propagate.
  explicit Engine(std::shared_ptr<IOptions> options);
  ~Engine() override;

  std::shared_ptr<kavero::Engine> engine;
};

// The result handle: one analysed document.
class Blackboard : public Object, public BlackboardInterface {
 public:
  // A document of the analyzer with its own options (nothing analysed yet).
  Blackboard(Analyzer* analyzer, std::shared_ptr<IOptions> options, const char* text,
             uint64_t length);
  ~Blackboard() override;

  std::shared_ptr<kavero::Blackboard> blackboard;
};

class Domain : public Object, public DomainInterface {
 public:
  // Opens the named domain and the domains it depends on.
  Domain(std::shared_ptr<kavero::Engine> engine, const char* name,
         const std::shared_ptr<IOptions>& options);
  ~Domain() override;

  std::shared_ptr<kavero::Domain> domain;
};

// The handle objects behind handles; null for null. The handle must be of
// that kind.
template <typename T>
T* handle_cast(zel_object* handle) {
  return static_cast<T*>(Object::from_handle(handle));
}

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_HANDLES_H_
