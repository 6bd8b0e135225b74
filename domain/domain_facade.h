// One compiled domain in memory.
//
// The engine makes an empty facade for a domain name, the domain loader
// fills it from the compiled database, and from then on it is only read:
// by the domain runs, the rule matchers and the blackboards of the
// documents it processes. What the facade holds so far is what those
// readers use of it yet: its names, its concept ids and definitions, the
// concepts that must not span a line break and the concepts each namespace
// removes; the rules, lexicons and token encoder come with the loader.

#ifndef KAVERO_DOMAIN_DOMAIN_FACADE_H_
#define KAVERO_DOMAIN_DOMAIN_FACADE_H_

#include <cstdint>
#include <map>
#include <set>
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

  // Concept id -> concept name, and the reverse: a concept's rule-input id.
  std::map<uint32_t, std::string> concept_names;
  std::map<std::string, uint32_t> concept_ids;
  // Concept name -> what the domain does for every concept of the name.
  std::map<std::string, ConceptDefinition> concept_definitions;
  // Namespace name -> the concepts marked deleted after its rules ran.
  std::map<std::string, NamespaceAction> namespace_actions;
  // The path of the ".dom" database; empty until loaded.
  std::string sqlite_filename;
  // Concepts that are not inserted over a range that holds a line feed
  // (the "no_crlf" names of the domain description).
  std::set<std::string> no_crlf_names;

 private:
  std::string name_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_FACADE_H_
