// What a handle of the C interface is, seen from the runtime.
//
// A handle object holds its runtime object through a shared pointer, and the
// runtime classes derive from the same interfaces, so code that needs only
// an analyzer or only a document can take either.

#ifndef KAVERO_API_HANDLE_INTERFACES_H_
#define KAVERO_API_HANDLE_INTERFACES_H_

namespace zel {
namespace api {

class AnalyzerInterface {
 public:
  virtual ~AnalyzerInterface();
};

class BlackboardInterface {
 public:
  virtual ~BlackboardInterface();
};

class DomainInterface {
 public:
  virtual ~DomainInterface();
};

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_HANDLE_INTERFACES_H_
