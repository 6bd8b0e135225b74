// The client class of an analysed document, and the interface of what
// makes or changes one (see client_object.h).

#ifndef KAVERO_API_CLIENT_RESULTS_H_
#define KAVERO_API_CLIENT_RESULTS_H_

#include <memory>
#include <string>

#include "api/client_annotation.h"
#include "api/client_object.h"
#include "api/client_options.h"

namespace omr {
namespace analyzer {

class Results : public common::Object {
 public:
  // All three handles null.
  Results();
  // Takes over the reference to the result handle, and retains the
  // analyzer and engine handles, which the result keeps alive for its own
  // client object.
  Results(zel_object* result, zel_object* analyzer, zel_object* engine);
  // Copies retain the three handles and share the parsed document, which
  // belongs to the result handle they hold; a moved-from result holds
  // nothing.
  Results(const Results& other);
  Results(Results&& other) noexcept;
  Results& operator=(Results other) noexcept;
  ~Results() override;

  // The document read back from its result JSON. With `cached` set, a list
  // read before is returned as it is; otherwise the result is read anew and
  // the list replaced. Raises the C interface's failures and those of the
  // reader. The document's language is stored in `language`. A result
  // without a handle has nothing to read: its list is empty.
  std::shared_ptr<common::AnnotationList> parse_results(bool cached) const;

  // Empties and drops the list read before, for this object and its
  // copies, so that the next parse reads the result anew; called before
  // anything changes the result.
  void drop_parsed() const;

  // The language of the document as last parsed.
  const std::string& language() const { return parsed_->language; }

  common::Object analyzer;
  common::Object engine;

 private:
  struct Parsed {
    std::shared_ptr<common::AnnotationList> list;  // null until parsed
    std::string language;
  };
  std::shared_ptr<Parsed> parsed_;
};

}  // namespace analyzer

namespace common {

// What analyses a text or works on a result: an analyzer or a domain.
class CallableInterface {
 public:
  virtual ~CallableInterface();

  // The text analysed with the document options; here an empty result.
  virtual analyzer::Results operator()(const std::string& text, const OptionMap& options);
  // A new client object of the result, after the work is done on it.
  virtual analyzer::Results operator()(analyzer::Results results) = 0;
};

}  // namespace common
}  // namespace omr

#endif  // KAVERO_API_CLIENT_RESULTS_H_
