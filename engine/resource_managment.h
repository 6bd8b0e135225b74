// The purge policy of an engine's language cache and domain store.
//
// A policy is made from a JSON object text:
//
//   {"languages": {"top": 2, "life_time": 300},
//    "domains":   {"top": 5},
//    "interval":  60}
//
// "top" keeps the most recently used entries of a cache and drops the rest;
// "life_time" (seconds) drops every entry whose last use lies that long or
// longer in the past. "interval" (seconds) is the least time between two
// automatic purges; without it the automatic purges never run, while an
// explicit purge (check_interval false) runs at once. Every key is optional.
//
// The engine runs its policy after a language was found in its cache, after
// every domain lookup, and on request with a one-off policy. Purges run with
// the engine mutex held and drop entries through the engine's no-lock
// release operations; time is read through the engine's clock.

#ifndef KAVERO_ENGINE_RESOURCE_MANAGMENT_H_
#define KAVERO_ENGINE_RESOURCE_MANAGMENT_H_

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace zel {
namespace kavero {

class Engine;

class ResourceManagment {
 public:
  // Parses and checks the configuration. Raises the JSON library's parse
  // error for a text that is not JSON, its type error for an "interval"
  // that is no number, and zel::Exception for an unknown key ("Unkown
  // section [" + key + "] in purge info option:", "Unkown section in [" +
  // section + "][" + key + "]  in purge info option:") and for a "top" or
  // "life_time" that is no number ("Purge [" + section + "][" + key + "]
  // should be a integer.").
  ResourceManagment(Engine* engine, const std::string& config);

  ResourceManagment(const ResourceManagment&) = delete;
  ResourceManagment& operator=(const ResourceManagment&) = delete;

  // Whether an interval was configured (0 or more).
  bool has_interval() const { return interval_ >= 0; }
  // False while now lies within the interval since the last check; else
  // moves the last check to now.
  bool requires_purging(int64_t now);
  // Whether a purge may run now: always without the interval check; with
  // it, only when an interval is configured and has passed.
  bool perform_interval_checks(bool check_interval, int64_t now);

  void purge_languages(bool check_interval);
  void purge_language_on_size();
  void purge_language_on_life_time(int64_t now);
  void purge_domains(bool check_interval);
  void purge_domains_on_size();
  void purge_domain_on_life_time(int64_t now);

 private:
  Engine* engine_;
  nlohmann::json configuration_;
  const nlohmann::json* languages_ = nullptr;
  const nlohmann::json* domains_ = nullptr;
  int64_t last_check_;
  int32_t interval_ = -1;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ENGINE_RESOURCE_MANAGMENT_H_
