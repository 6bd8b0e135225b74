// The engine: one per host engine handle. It knows the root and resource
// folders and owns the runtime's shared resources: the loaded languages, the
// morphology transducers, and (as their subsystems arrive) the compiled
// domains, the plugins, the language-identification data and the purge
// policy.
//
// Languages are cached by the path of their ".language" configuration file
// and transducers by the path of their file; both are shared by every
// analyzer and blackboard that uses them and reloaded when their file on disk
// becomes newer. One mutex guards all caches (see engine_interface.h).
//
// Compiled domains are cached in the engine's domain store with the
// domains they depend on (domain_store.h); a cached domain whose database
// or rule sources became newer is loaded again. The purge policy
// (resource_managment.h) trims the language cache and the domain store by
// count and age.
//
// The plugin collection is made empty with the engine. get_plugin answers a
// plugin from it, or finds the plugin's shared object in the plugin folder
// and loads it (plugin_loader.h); the collection is guarded by
// global_plugin_mutex, never by the engine mutex, so a plugin lookup may
// run while the engine mutex is held (a domain compiled on load looks up
// plugins through its own engine).

#ifndef KAVERO_ENGINE_ENGINE_H_
#define KAVERO_ENGINE_ENGINE_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/options.h"
#include "base/regex.h"
#include "engine/engine_interface.h"

namespace zel {
namespace afst {
class AFst;
}  // namespace afst

namespace kavero {

class DomainStore;
class LanguageModuleData;
class ResourceManagment;

// The time in whole seconds since the Unix epoch, as the engine stamps and
// purges its caches.
using Clock = std::function<int64_t()>;

class Engine : public EngineInterface,
               public std::enable_shared_from_this<Engine> {
 public:
  // Builds the engine from its options, which it shares and completes with
  // the root folder ("root_path") and the resource folders ("morvik",
  // separated by ":"), as fill_in_sdk_paths finds them (sdk_paths.h). Every
  // resource folder is made canonical (a folder that does not exist raises
  // the file-system error); a folder whose name ends with "morvik" is
  // followed, after all the given folders, by its subfolder "kavero" when
  // that exists. The option "morvik" is rewritten to the final list. The
  // purge policy comes from "resource_manager_config" (default "{}"); a
  // policy it rejects fails the construction. The plugin folder is the
  // root's "lib" (or "KAVERO_PLUGIN_DIR", see check_plugin_folder).
  //
  // The clock gives the times the engine stamps its caches with and purges
  // by; without one it is the system's wall clock.
  explicit Engine(std::shared_ptr<IOptions> options, Clock clock = Clock());
  ~Engine() override;

  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  std::shared_ptr<LanguageModule> get_language_module(
      const std::shared_ptr<IOptions>& options) const override;
  std::shared_ptr<LanguageModule> get_language_module(
      const std::string& language) const override;
  DomainCollection get_domains(const std::string& name,
                               bool cache) const override;
  std::string get_domain_filename(const std::string& name) const override;
  plugins::PluginCollection* get_plugins() const override;
  std::shared_ptr<plugins::PluginCollection> get_plugins_ptr() const override;
  const boost::shared_ptr<plugins::API>& get_plugin(
      const std::string& name) const override;
  void release_domains() override;
  bool release_language(const std::string& key) override;
  bool release_domain(const std::string& name) override;
  bool purge_domains(const std::string& config) override;
  void init_plugins() override;
  void collect_volume_size(uint64_t size) const override;
  std::string property(const std::string& name) const override;
  std::string info() const override;
  std::string languages() const override;
  // Reads "lid.fst" from the root folder's "morvik" folder, else from the
  // first resource folder that has one that reads; raises zel::Exception
  // "Could not load language identification data. [lid.fst]" when none does.
  // Implemented with the language identifier.
  std::shared_ptr<afst::AFst> get_language_identifier_data() const override;
  void check_language_purge() const override;
  void check_language_file(const std::string& path) const override;
  void check_domain_purge() const override;
  Regex get_regex(const std::string& pattern) const override;
  std::mutex* get_mutex() const override;
  bool release_language_no_lock(const std::string& key) const override;
  bool release_domain_no_lock(const std::string& name) override;
  std::shared_ptr<LanguageModule> get_document_language_module(
      const std::string& language, const std::string& project_path) const override;

  // The language loader: resolves the options' "language" to its
  // configuration file and returns a new handle over the cached data of that
  // file, loading it first when it is not cached (or was released because
  // the file changed). The caller holds the engine mutex. Raises
  // zel::Exception (and the errors of the resource readers) when the
  // language cannot be loaded; nothing is cached then.
  // Only a ".language" file that is a regular file is read (a folder, a FIFO
  // or a device is refused before it is opened).
  std::shared_ptr<LanguageModule> get_language_module_nolock(
      const std::shared_ptr<IOptions>& options) const;
  // The same for a language that a document names: `language` is resolved
  // as a name among the resource folders and `project_path`, never as a
  // path (see get_document_language_module). The caller holds the engine
  // mutex.
  std::shared_ptr<LanguageModule> get_document_language_module_nolock(
      const std::string& language, const std::string& project_path) const;

  // The transducer of a file from the transducer cache, read on first use
  // and read again when the file's modification time has moved past the
  // cached copy's. The caller holds the engine mutex.
  std::shared_ptr<afst::AFst> get_afst(const std::string& file) const;

  // The domain collection of a name, added to `collection`: the domain and
  // the domains it depends on, in running order. Takes the engine mutex.
  // Raises zel::Exception "Cannot find domain file " + name when no domain
  // file is found, and lets the errors of loading through.
  void get_domain_collection(DomainCollection& collection, const std::string& name,
                             bool cache) const;
  // The dependency walks; the caller holds the engine mutex. The first
  // adds the domain's dependencies (depth first, each after its own) to the
  // collection and the store; the second gathers the database files of a
  // domain's dependencies, transitively, storing and touching them.
  void load_domain_dependencies(const std::shared_ptr<DomainFacade>& domain,
                                DomainCollection& collection,
                                const std::shared_ptr<DomainStore>& store) const;
  void collect_dependencies(const std::shared_ptr<DomainFacade>& domain,
                            std::set<std::string>& files,
                            const std::shared_ptr<DomainStore>& store) const;

  // Sets the plugin folder: "KAVERO_PLUGIN_DIR" when it is set, but the
  // candidate when that exists.
  void check_plugin_folder(const std::string& candidate) const;
  // Opens, initialises and registers one plugin file under its
  // registration name (and "_kavero_plugin" under "python" as well);
  // nothing is registered when the plugin's initialize answers false. The
  // errors of open_plugin (plugin_loader.h) pass through. The caller holds
  // global_plugin_mutex.
  void load_plugin(const std::string& file, const std::string& basename) const;
  const std::string& plugin_folder() const { return plugin_folder_; }

  // The engine clock's time.
  int64_t now() const { return clock_(); }

  const std::string& root_folder() const { return root_folder_; }
  // The resource folders in search order.
  const std::vector<std::string>& resource_folders() const {
    return resource_folders_;
  }
  const std::shared_ptr<IOptions>& options() const { return options_; }

 private:
  // The loader behind both requests. `request` is the host's option set; a
  // null one keeps the request to names (no paths, no working folder).
  std::shared_ptr<LanguageModule> load_language_nolock(
      std::string language, const std::string& project_path,
      const std::shared_ptr<IOptions>& request) const;
  // Reads the configuration file `cfg` (cache key `key`) and every resource
  // it names, on the search folders `folders`.
  std::shared_ptr<LanguageModuleData> load_configuration(
      const std::filesystem::path& cfg, const std::string& key,
      const std::string& language, std::vector<std::filesystem::path> folders) const;


  friend class ResourceManagment;

  // Loads a new domain object for `name` from the folders; raises
  // "Cannot find domain file " + shown when no domain file is found.
  std::shared_ptr<DomainFacade> load_new_domain(const std::string& name,
                                                const std::vector<std::string>& folders,
                                                const std::string& shown) const;
  // Stamps the domain's last access with the engine clock.
  void touch(DomainFacade& domain) const;

  Clock clock_;
  mutable std::string plugin_folder_;
  std::string root_folder_;
  std::vector<std::string> resource_folders_;
  std::shared_ptr<IOptions> options_;
  std::shared_ptr<DomainStore> domain_store_;
  // The loaded plugins; empty until the plugin loader fills it.
  std::shared_ptr<plugins::PluginCollection> plugins_;
  // Configuration path -> the language loaded from it.
  mutable std::map<std::string, std::shared_ptr<LanguageModuleData>>
      language_cache_;
  mutable std::mutex mutex_;
  // Transducer file path -> its network, shared by every language.
  mutable std::map<std::string, std::shared_ptr<afst::AFst>> afst_cache;
  // The language-identification network, read from "lid.fst" on the first
  // request and kept for the engine's life.
  mutable std::shared_ptr<afst::AFst> language_identifier_data_;
  mutable std::mutex regex_mutex_;
  mutable RegexFactory regex_factory_;
  std::shared_ptr<ResourceManagment> purge_policy_;
};

// Replaces every path, in place, by its canonical absolute form (symbolic
// links resolved). A path that does not exist raises
// std::filesystem::filesystem_error.
void normalize_paths(std::vector<std::string>& paths);

// The language name of a configuration path: for the first non-empty folder
// that holds the path (the folder's text, then a separator, begins the
// path), the rest of the path without its ending ".language" ("english",
// "sub/english"). The path itself when no folder holds it or it does not
// end with ".language" after a non-empty file name.
std::string relative_to_paths(const std::string& path,
                              const std::vector<std::filesystem::path>& folders);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ENGINE_ENGINE_H_
