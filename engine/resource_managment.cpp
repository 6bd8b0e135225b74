#include "engine/resource_managment.h"

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "base/logging.h"
#include "domain/domain_facade.h"
#include "engine/domain_store.h"
#include "engine/engine.h"
#include "language/language_module.h"

namespace zel {
namespace kavero {

using json = nlohmann::json;

namespace {

constexpr char kTag[] = "[ResourceManagment] ";
constexpr char kLanguages[] = "languages";
constexpr char kDomains[] = "domains";
constexpr char kTop[] = "top";
constexpr char kLifeTime[] = "life_time";

// The top-level names accepted besides the two sections.
const std::set<std::string>& further_names() {
  static const std::set<std::string> names = {"interval"};
  return names;
}

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, [&](std::ostream& os) {
    os << kTag;
    compose(os);
  });
}

[[noreturn]] void fail(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

void check_section(const std::string& section, const json& value) {
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    if (key != kTop && key != kLifeTime) {
      fail("Unkown section in [" + section + "][" + key + "]  in purge info option:");
    }
    if (!item.value().is_number()) {
      fail("Purge [" + section + "][" + key + "] should be a integer.");
    }
  }
}

// The section's value of the key as an unsigned 32-bit number, when the
// section has it.
bool section_value(const json* section, const char* key, uint32_t& value) {
  if (section == nullptr || !section->is_object()) return false;
  auto found = section->find(key);
  if (found == section->end()) return false;
  value = found->get<uint32_t>();
  return true;
}

// Keys of the entries to drop so that the `top` most recently used stay.
template <class Entry>
std::vector<std::string> beyond_top(std::vector<Entry> entries, uint32_t top) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.last > b.last; });
  std::vector<std::string> keys;
  for (std::size_t i = top; i < entries.size(); ++i) keys.push_back(entries[i].key);
  return keys;
}

struct Entry {
  std::string key;
  int64_t last;
};

}  // namespace

ResourceManagment::ResourceManagment(Engine* engine, const std::string& config)
    : engine_(engine), configuration_(json::parse(config)) {
  log(wlog::kLevelInfo, [&](std::ostream& os) { os << "Options= " << config; });
  for (const auto& item : configuration_.items()) {
    const std::string& key = item.key();
    if (key == kLanguages || key == kDomains) {
      check_section(key, item.value());
    } else if (further_names().count(key) == 0) {
      fail("Unkown section [" + key + "] in purge info option:");
    }
  }
  if (configuration_.is_object()) {
    if (configuration_.contains(kLanguages)) languages_ = &configuration_[kLanguages];
    if (configuration_.contains(kDomains)) domains_ = &configuration_[kDomains];
    if (configuration_.contains("interval")) interval_ = configuration_["interval"].get<int32_t>();
  }
  last_check_ = engine_->now();
}

bool ResourceManagment::requires_purging(int64_t now) {
  if (now < last_check_ + interval_) return false;
  last_check_ = now;
  return true;
}

bool ResourceManagment::perform_interval_checks(bool check_interval, int64_t now) {
  log(wlog::kLevelTrace, [&](std::ostream& os) {
    os << "perform_interval_checks check_interval=" << (check_interval ? 1 : 0) << " now=" << now;
  });
  if (!check_interval) return true;
  if (!has_interval()) return false;
  return requires_purging(now);
}

void ResourceManagment::purge_languages(bool check_interval) {
  const int64_t now = engine_->now();
  if (!perform_interval_checks(check_interval, now)) return;
  log(wlog::kLevelDebug, [](std::ostream& os) { os << "Purge languages"; });
  if (engine_->language_cache_.empty()) return;
  purge_language_on_size();
  purge_language_on_life_time(now);
}

void ResourceManagment::purge_language_on_size() {
  uint32_t top = 0;
  if (!section_value(languages_, kTop, top)) return;
  log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Purge languages on top " << top; });
  const auto& cache = engine_->language_cache_;
  if (top >= cache.size()) return;
  std::vector<Entry> entries;
  // The copies keep the languages alive until the purge ends.
  std::vector<std::shared_ptr<LanguageModuleData>> held;
  for (const auto& [key, data] : cache) {
    entries.push_back({key, data->last_access.load(std::memory_order_acquire)});
    held.push_back(data);
  }
  for (const std::string& key : beyond_top(entries, top)) engine_->release_language_no_lock(key);
}

void ResourceManagment::purge_language_on_life_time(int64_t now) {
  uint32_t life_time = 0;
  if (!section_value(languages_, kLifeTime, life_time)) return;
  log(wlog::kLevelDebug,
      [&](std::ostream& os) { os << "Purge languages life_time = " << life_time << "s"; });
  std::vector<std::string> expired;
  for (const auto& [key, data] : engine_->language_cache_) {
    const int64_t last = data->last_access.load(std::memory_order_acquire);
    const int64_t delta = now - last;
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "Purge check timestamp " << key << " last_access = " << last << " now= " << now
         << " delta=" << delta;
    });
    if (delta >= static_cast<int64_t>(life_time)) expired.push_back(key);
  }
  for (const std::string& key : expired) engine_->release_language_no_lock(key);
}

void ResourceManagment::purge_domains(bool check_interval) {
  const int64_t now = engine_->now();
  if (!perform_interval_checks(check_interval, now)) return;
  const auto& domains = engine_->domain_store_->domains;
  log(wlog::kLevelDebug,
      [&](std::ostream& os) { os << "Purge domains (" << domains.size() << ")"; });
  if (domains.empty()) return;
  purge_domains_on_size();
  purge_domain_on_life_time(now);
}

void ResourceManagment::purge_domains_on_size() {
  uint32_t top = 0;
  if (!section_value(domains_, kTop, top)) return;
  log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Purge domains on top " << top; });
  const auto& domains = engine_->domain_store_->domains;
  if (top >= domains.size()) return;
  std::vector<Entry> entries;
  std::vector<std::shared_ptr<DomainFacade>> held;
  for (const auto& [key, domain] : domains) {
    entries.push_back({key, domain->last_access_time.load(std::memory_order_acquire)});
    held.push_back(domain);
  }
  for (const std::string& key : beyond_top(entries, top)) engine_->release_domain_no_lock(key);
}

void ResourceManagment::purge_domain_on_life_time(int64_t now) {
  uint32_t life_time = 0;
  if (!section_value(domains_, kLifeTime, life_time)) return;
  const auto& domains = engine_->domain_store_->domains;
  log(wlog::kLevelDebug, [&](std::ostream& os) {
    os << "Purge domains life_time = " << life_time << "s" << " size=" << domains.size();
  });
  std::vector<std::string> expired;
  for (const auto& [key, domain] : domains) {
    const int64_t last = domain->last_access_time.load(std::memory_order_acquire);
    const int64_t delta = now - last;
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "Purge check timestamp " << key << " last_access = " << last << " now= " << now
         << " delta=" << delta;
    });
    if (delta >= static_cast<int64_t>(life_time)) expired.push_back(key);
  }
  for (const std::string& key : expired) engine_->release_domain_no_lock(key);
}

}  // namespace kavero
}  // namespace zel
