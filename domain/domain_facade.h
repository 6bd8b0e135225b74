// One compiled domain in memory.
//
// The engine makes an empty facade for a domain name, the domain loader
// fills it from the compiled database, and from then on it is only read:
// by the domain runs, the rule matchers and the blackboards of the
// documents it processes. What the facade holds so far is what those
// readers use of it yet: its names and the concepts each namespace removes;
// the rules, lexicons, token encoder and concept tables come with the
// loader.

#ifndef KAVERO_DOMAIN_DOMAIN_FACADE_H_
#define KAVERO_DOMAIN_DOMAIN_FACADE_H_

#include <map>
#include <string>

#include "domain/concept_records.h"

namespace zel {
namespace kavero {

// A domain as the profiler and other readers of its names see it.
class DomainInterface {
 public:
  // The path of the domain's compiled database (".dom").
  virtual const std::string& get_sqlite_filename() const = 0;
  // The domain name the facade was made for.
  virtual const std::string& name() const = 0;
  virtual ~DomainInterface();
};

class DomainFacade : public DomainInterface {
 public:
  // An empty facade for the name: no database file, no namespace actions.
  explicit DomainFacade(const std::string& name);
  ~DomainFacade() override;

  DomainFacade(const DomainFacade&) = delete;
  DomainFacade& operator=(const DomainFacade&) = delete;

  const std::string& get_sqlite_filename() const override {
    return sqlite_filename;
  }
  const std::string& name() const override { return name_; }

  // Namespace name -> the concepts marked deleted after its rules ran.
  std::map<std::string, NamespaceAction> namespace_actions;
  // The path of the ".dom" database; empty until loaded.
  std::string sqlite_filename;

 private:
  std::string name_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_FACADE_H_
