#include "api/profiler.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/annotation.h"
#include "analysis/text_stream.h"
#include "base/logging.h"
#include "base/regex.h"
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

// A rule id: namespaces, "$DAZ:", the source file id, "__l", the line, "_"
// and the rule's own text. Source file ids carry the file's name, so the
// line must be digits: a file named "my__lx.kav" must not end its id.
const Regex kRuleId("rule_.*?\\$DAZ:(.*?)__l([0-9]+)_(.*)", false);
// A rule location: the last ':' splits file id and line.
const Regex kLocation("(.*):(.*)", false);

const char kMatchesDescription[] = "results of rules that matches the same data.";
const char kRulesDescription[] =
    "timing/counts of the different rules,lexicons,api calls,anaphora and conjecture.";

// The entry of a unit, made (count 0, no time) when there is none.
Info& entry(std::map<std::string, Info>& timings, const std::string& name) {
  Info& info = timings[name];
  if (info.name.empty()) info.name = name;
  return info;
}

// The text as a decimal integer, when it is one as a whole and fits.
bool to_line(const std::string& text, int64_t& line) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, line);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

}  // namespace

void Profiler::init(DomainInterface* domain, const RuleCollectionBase& collection) {
  if (domain != nullptr) {
    std::filesystem::path twin(domain->get_sqlite_filename());
    twin.replace_extension(".dom_inc");
    std::error_code error;
    if (std::filesystem::exists(twin, error)) {
      std::shared_ptr<sqlite3> db = afst::serialization::open_file_read(twin);
      const compiler::StringStringMap names =
          afst::serialization::get_object<compiler::StringStringMap>(db.get(),
                                                                     "uniq_id_2_filename_map");
      files.insert(names.begin(), names.end());
    } else if (missing_twins_.insert(twin.string()).second) {
      wlog::log(wlog::kRuntimeId, wlog::kLevelWarning, [&](std::ostream& os) {
        os << "[Profiler] no source file names for the rules of '"
           << domain->get_sqlite_filename() << "': '" << twin.string()
           << "' does not exist; its rules are reported under their file ids.";
      });
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

ParseRuleIDType Profiler::parse_rule_id(const std::string& id) const {
  SMatch match;
  ParseRuleIDType parsed;
  if (kRuleId.regex_search(id, match) && to_line(match[2].text, parsed.line)) {
    auto file = files.find(match[1].text);
    parsed.file = file != files.end() ? file->second : match[1].text;
    parsed.rest = match[3].text;
    return parsed;
  }
  parsed.file = id;
  parsed.line = 0;
  return parsed;
}

ParseRuleIDType Profiler::resolve_filename(const std::string& location) const {
  SMatch match;
  ParseRuleIDType parsed;
  if (kLocation.regex_search(location, match)) {
    auto file = files.find(match[1].text);
    if (file != files.end() && to_line(match[2].text, parsed.line)) {
      parsed.file = file->second;
      return parsed;
    }
  }
  parsed.file = location;
  parsed.line = 0;
  return parsed;
}

const std::string& Profiler::report() const {
  using json = nlohmann::json;
  try {
    std::vector<const Info*> units;
    units.reserve(timings.size());
    for (const auto& unit : timings) units.push_back(&unit.second);
    std::stable_sort(units.begin(), units.end(),
                     [](const Info* a, const Info* b) { return a->total < b->total; });

    json out;
    json& rules = out["profile"]["rules"];
    rules["files"] = json::object();
    rules["description"] = kRulesDescription;
    json& by_file = rules["files"];
    for (const Info* unit : units) {
      const ParseRuleIDType parsed = parse_rule_id(unit->name);
      if (!by_file.contains(parsed.file)) by_file[parsed.file] = {{"locations", json::array()}};
      json hits = json::object();
      for (const auto& hit : unit->hits) hits[hit.first] = {{"cnt", hit.second}};
      by_file[parsed.file]["locations"].push_back(
          {{"line", parsed.line}, {"triggered", unit->count}, {"nanosec", unit->total},
           {"hits", std::move(hits)}});
    }

    json& found = out["profile"]["matches"];
    found["concept"] = json::object();
    found["description"] = kMatchesDescription;
    json& concepts = found["concept"];
    for (const auto& by_uri : matches) {
      for (const auto& by_text : by_uri.second) {
        if (by_text.second.size() < 2) continue;
        json producers = json::array();
        for (const HitRuleInfo& rule : by_text.second) {
          const ParseRuleIDType location = resolve_filename(rule.rule);
          producers.push_back({{"file", location.file}, {"line", location.line}});
        }
        concepts[by_uri.first][by_text.first]["rules"] = std::move(producers);
      }
    }
    report_text = out.dump();
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("Exception: profiler: report ") + e.what());
  }
  return report_text;
}

void Profiler::clear() { timings.clear(); }

}  // namespace profiler
}  // namespace kavero
}  // namespace zel
