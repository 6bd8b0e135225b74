// The engine as the rest of the runtime sees it.
//
// Analyzers, blackboards, domains, the language identifier, instance stores
// and plugin calls never see the engine class itself: they hold a shared
// EngineInterface and reach every service through these virtual operations.
// The order of the operations is fixed (callers dispatch through the slots);
// new operations go after the last one.
//
// Locking: the engine guards all of its caches with one plain, non-recursive
// mutex (get_mutex). The operations marked "takes the engine mutex" lock it
// themselves; those marked "the caller holds the engine mutex" run inside
// such an operation and never lock, so code that holds the mutex calls only
// those.

#ifndef KAVERO_ENGINE_ENGINE_INTERFACE_H_
#define KAVERO_ENGINE_ENGINE_INTERFACE_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "base/options.h"
#include "base/regex.h"

namespace zel {
namespace afst {
class AFst;
}  // namespace afst

namespace kavero {

class DomainFacade;
class LanguageModule;

namespace plugins {
class API;
class PluginCollection;
}  // namespace plugins

// The domains that run for one requested domain, in running order: every
// domain after the domains it depends on, the requested domain last. The text
// is the caller's name for the requested domain and the database file name
// for a dependency.
using DomainCollection =
    std::vector<std::pair<std::string, std::shared_ptr<DomainFacade>>>;

class EngineInterface {
 public:
  // The language module named by the options' "language" (with their
  // "project_path"): a new handle over the engine's cached data of that
  // language, loaded on first use. Takes the engine mutex. Raises when the
  // language cannot be loaded.
  virtual std::shared_ptr<LanguageModule> get_language_module(
      const std::shared_ptr<IOptions>& options) const = 0;
  // The same for the options {"language": language}.
  virtual std::shared_ptr<LanguageModule> get_language_module(
      const std::string& language) const = 0;

  // The domain collection of a domain name. Takes the engine mutex.
  virtual DomainCollection get_domains(const std::string& name,
                                       bool cache) const = 0;
  // The database file of a domain name. No lock.
  virtual std::string get_domain_filename(const std::string& name) const = 0;

  // The engine's plugin collection. No lock.
  virtual plugins::PluginCollection* get_plugins() const = 0;
  virtual std::shared_ptr<plugins::PluginCollection> get_plugins_ptr()
      const = 0;
  // The plugin of that name, loaded on first use; an empty pointer when
  // there is none. The reference stays valid while the engine lives.
  virtual const boost::shared_ptr<plugins::API>& get_plugin(
      const std::string& name) const = 0;

  // Empties the domain cache. Takes the engine mutex.
  virtual void release_domains() = 0;
  // release_language_no_lock under the engine mutex.
  virtual bool release_language(const std::string& key) = 0;
  // release_domain_no_lock under the engine mutex.
  virtual bool release_domain(const std::string& name) = 0;
  // Purges languages and domains with a one-off purge policy given as JSON
  // text; always true.
  virtual bool purge_domains(const std::string& config) = 0;
  // Warms up the plugins. No lock.
  virtual void init_plugins() = 0;
  // Tells the engine the size of an analysed text. No lock.
  virtual void collect_volume_size(uint64_t size) const = 0;
  // The engine option of that name; raises zel::Exception when it is empty
  // or missing. No lock.
  virtual std::string property(const std::string& name) const = 0;
  // The engine information as JSON text. Takes the engine mutex.
  virtual std::string info() const = 0;
  // The languages the engine can offer, as JSON text. Takes the engine
  // mutex.
  virtual std::string languages() const = 0;
  // The language-identification network, read on first use. Takes the
  // engine mutex.
  virtual std::shared_ptr<afst::AFst> get_language_identifier_data() const = 0;
  // Runs the purge policy's language purge (with its interval check) when
  // the engine has a policy. The caller holds the engine mutex.
  virtual void check_language_purge() const = 0;
  // Releases the cached language of a configuration path when the file on
  // disk is newer than the cached copy, so that the next request loads it
  // again. Nothing when the path is not cached. The caller holds the engine
  // mutex.
  virtual void check_language_file(const std::string& path) const = 0;
  // Runs the purge policy's domain purge (with its interval check) when the
  // engine has a policy. The caller holds the engine mutex.
  virtual void check_domain_purge() const = 0;
  // The engine's own cached, case-sensitive expression of the pattern. No
  // lock of the engine mutex.
  virtual Regex get_regex(const std::string& pattern) const = 0;

  virtual ~EngineInterface();

  // The mutex that guards every cache of the engine.
  virtual std::mutex* get_mutex() const = 0;
  // Removes a language from the language cache by its configuration path;
  // false when it is not cached. Holders of the language keep it. The
  // caller holds the engine mutex.
  virtual bool release_language_no_lock(const std::string& key) const = 0;
  // Removes a domain from the domain cache; false when it is not cached.
  // The caller holds the engine mutex.
  virtual bool release_domain_no_lock(const std::string& name) = 0;

  // The language module of a language that a document names (in its
  // analysed JSON or its options). Document data is not trusted: `language`
  // is a language name, looked up among the engine's resource folders and
  // `project_path` (the folder of the analyzer's own options), never taken
  // as a path. Takes the engine mutex. Raises zel::Exception for a text that
  // is no language name and for a language that cannot be loaded.
  virtual std::shared_ptr<LanguageModule> get_document_language_module(
      const std::string& language, const std::string& project_path) const = 0;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ENGINE_ENGINE_INTERFACE_H_
