// One compiled domain in memory.
//
// The engine makes an empty facade for a domain name, the domain loader
// (domain_loader.h) fills it from the compiled database, and from then on it
// is only read: by the domain runs, the rule matchers and the blackboards of
// the documents it processes. The two time stamps are the only members that
// change after loading; they are atomics, so the engine reads them without
// a lock.

#ifndef KAVERO_DOMAIN_DOMAIN_FACADE_H_
#define KAVERO_DOMAIN_DOMAIN_FACADE_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "analysis/output_filter.h"
#include "base/stream_name.h"
#include "domain/concept_records.h"
#include "domain/encoder_facade.h"
#include "domain/lexicon_facade.h"
#include "matcher/rule_collection.h"

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
  // An empty facade for the name: nothing loaded, no database file, flags
  // 0, both time stamps -1.
  explicit DomainFacade(const std::string& name);
  ~DomainFacade() override;

  DomainFacade(const DomainFacade&) = delete;
  DomainFacade& operator=(const DomainFacade&) = delete;

  const std::string& get_sqlite_filename() const override {
    return sqlite_filename;
  }
  const std::string& name() const override { return name_; }

  // Stores the current time as the last access and returns it.
  long touch();
  long last_access() const { return last_access_time.load(); }
  // The database file's last write time, in seconds since the epoch; -1
  // when there is no such file.
  void update_build_time();

  // The flags bits.
  static constexpr uint64_t kInstances = 1;
  static constexpr uint64_t kAnaphora = 2;

  // The lexicons by the text stream they are matched on.
  std::map<text_stream_type, std::shared_ptr<core::LexiconFacade>> lexicons;
  // Concept id -> concept name, and the reverse: a concept's rule-input id.
  std::map<uint32_t, std::string> concept_names;
  std::map<std::string, uint32_t> concept_ids;
  // Concept name -> what the domain does for every concept of the name.
  std::map<std::string, ConceptDefinition> concept_definitions;
  // Namespace name -> the concepts marked deleted after its rules ran.
  std::map<std::string, NamespaceAction> namespace_actions;
  // Null until loaded; holds no transducer for a domain without tokens.
  std::unique_ptr<EncoderFacade> token_encoder;
  // The rules in run order, each collection under the name of its cluster
  // (domain_loader.h).
  std::vector<std::pair<const std::string, RuleCollectionBase>> rule_collections;
  // Seconds since the epoch; -1 when unknown.
  std::atomic<int64_t> build_time{-1};
  std::atomic<int64_t> last_access_time{-1};
  // The path of the ".dom" database; empty until loaded.
  std::string sqlite_filename;
  // Concepts that are not inserted over a range that holds a line feed
  // (the "no_crlf" names of the domain description).
  std::set<std::string> no_crlf_names;
  // The domain information: "dom" (file names, and once loaded
  // "sdk_version", "rules", "concepts", "lexicons") and "dom_info" (the
  // description, or null). Null until the loader sets it.
  std::shared_ptr<nlohmann::json> domain_info;
  // The concepts the domain outputs; may be null.
  std::shared_ptr<OutputFilter> output_filter;
  // kInstances and kAnaphora.
  uint64_t flags = 0;

 private:
  std::string name_;
};

// The last write time of the file in whole seconds since the epoch; -1
// when there is no such file.
int64_t file_build_time(const std::string& path);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_DOMAIN_DOMAIN_FACADE_H_
