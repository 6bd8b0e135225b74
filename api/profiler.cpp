#include "api/profiler.h"

#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>

#include "analysis/annotation.h"
#include "analysis/text_stream.h"
#include "base/exception.h"
#include "compiler/backend/string_string_map.h"
#include "core-afst/serialization.h"
#include "domain/domain_facade.h"
#include "matcher/rule_collection.h"

namespace zel {
namespace kavero {
namespace profiler {

ProfilerInterface::~ProfilerInterface() = default;

Profiler::Profiler() = default;
Profiler::~Profiler() = default;

namespace {

// The entry of a unit, made (count 0, no time) when there is none.
Info& entry(std::map<std::string, Info>& timings, const std::string& name) {
  Info& info = timings[name];
  if (info.name.empty()) info.name = name;
  return info;
}

}  // namespace

void Profiler::init(DomainInterface* domain, const RuleCollectionBase& collection) {
  if (domain != nullptr) {
    std::filesystem::path twin(domain->get_sqlite_filename());
    twin.replace_extension(".dom_inc");
    std::error_code error;
    if (!twin.empty() && std::filesystem::exists(twin, error)) {
      std::shared_ptr<sqlite3> db = afst::serialization::open_file_read(twin);
      const compiler::StringStringMap names =
          afst::serialization::get_object<compiler::StringStringMap>(db.get(),
                                                                     "uniq_id_2_filename_map");
      files.insert(names.begin(), names.end());
    }
  }
  for (const auto& rule : collection.rules) entry(timings, rule->id());
}

void Profiler::start(const std::string& name) {
  Info& info = entry(timings, name);
  ++info.count;
  info.start = std::chrono::system_clock::now();
}

void Profiler::stop(const std::string& name) {
  auto found = timings.find(name);
  if (found == timings.end()) return;
  const auto elapsed = std::chrono::system_clock::now() - found->second.start;
  found->second.total += static_cast<double>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
}

void Profiler::hit(const std::string& rule, const Concept* concept_annotation) {
  const std::string& uri = concept_annotation->uri;
  if (!uri.empty() && uri[0] == '$') return;
  ++entry(timings, rule).hits[uri];
  std::set<HitRuleInfo>& rules =
      matches[uri][get_annotation_string(
          RawPtrIterator(const_cast<Concept*>(concept_annotation)),
          RawPtrIterator(concept_annotation->end_annotation))];
  for (const Attribute& pair : concept_annotation->attributes.own) {
    if (pair.first == "_rule") rules.insert(HitRuleInfo{"", to_string(pair.second)});
  }
}

const std::string& Profiler::report() const {
  std::ostringstream message;
  message << "The profiler report is not available yet.";
  throw zel::Exception(message);
}

void Profiler::clear() { timings.clear(); }

}  // namespace profiler
}  // namespace kavero
}  // namespace zel
