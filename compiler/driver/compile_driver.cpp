#include "compiler/driver/compile_driver.h"

#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/fatal_exception.h"
#include "base/logging.h"
#include "base/options.h"
#include "compiler/backend/result_store.h"
#include "compiler/driver/domain_database.h"
#include "compiler/driver/file_guard.h"
#include "compiler/driver/file_time.h"
#include "compiler/driver/kav_cache_files.h"
#include "compiler/driver/lexicon_change_detector.h"
#include "compiler/driver/source_visitor.h"
#include "compiler/driver/statement_decorators.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"

namespace zel {
namespace compiler {

namespace fs = std::filesystem;

namespace {

template <typename Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kCompilerId, level, std::forward<Compose>(compose));
}

void remove_if_exists(const fs::path& path) {
  if (fs::exists(path)) fs::remove(path);
}

// Releases the build pass's database when the pass ends, however it ends:
// its connections close and the busy marker goes before the pair is saved,
// tested or deleted.
class DatabaseRelease {
 public:
  explicit DatabaseRelease(Blackboard& blackboard) : blackboard_(blackboard) {}
  ~DatabaseRelease() { blackboard_.domain_database.reset(); }
  DatabaseRelease(const DatabaseRelease&) = delete;
  DatabaseRelease& operator=(const DatabaseRelease&) = delete;

 private:
  Blackboard& blackboard_;
};

std::string join(const std::vector<std::string>& names, const char* separator) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += separator;
    joined += name;
  }
  return joined;
}

// The lexicon change detection of an incremental build (and of a full
// build that is not forced). Sources that an earlier build compiled and
// that are gone are forgotten first; their streams are rebuilt like
// changed ones. When anything changed, every source is parsed again, so
// that the changed streams are rebuilt from all of them. Returns the
// detector, whose records are stored after the build pass.
std::shared_ptr<LexiconChangeDetector> detect_lexicon_changes(
    Blackboard& blackboard, const InputPool& pool, std::shared_ptr<SourceVisitor>& sources,
    const std::shared_ptr<DomainBuilderInterface>& syntax) {
  const GoneSources gone = forget_gone_sources(blackboard, pool);
  for (const std::string& path : gone.paths) {
    log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Source is gone: " << path; });
  }

  std::shared_ptr<LexiconChangeDetector> detector = get_visitor_detect_incremental_changes(blackboard);
  sources->visit_ast(detector, "Detect lexicon changes", false, false);

  std::vector<std::string> changed;
  std::set<std::string> seen;
  for (const std::string& name : detector->changed_lexicons()) {
    if (seen.insert(name).second) changed.push_back(name);
  }
  for (const std::string& name : gone.streams) {
    if (seen.insert(name).second) changed.push_back(name);
  }

  if (changed.empty() && gone.paths.empty()) {
    blackboard.options->add("update_lexicons", "none");
    log(wlog::kLevelDebug,
        [](std::ostream& os) { os << "No need to rebuild lexicon no changes detected !"; });
    return detector;
  }
  if (!changed.empty()) {
    log(wlog::kLevelDebug, [](std::ostream& os) { os << "Full rebuild lexicon changes detected !"; });
    for (const std::string& name : changed) {
      log(wlog::kLevelTrace, [&](std::ostream& os) { os << "detected changes in !" << name; });
    }
  }
  blackboard.options->add("update_lexicons", changed.empty() ? "none" : join(changed, ";"));
  sources = std::make_shared<SourceVisitor>(blackboard, kNoFileTime);
  parse_sources(*sources, pool, syntax, "Parse", wlog::kLevelDebug);
  return detector;
}

// A full build on the output itself. Unless "unit_test" keeps it for the
// tests, an existing output goes first; an output that is not a completely
// built domain never stays.
void full_build(Blackboard& blackboard, const InputPool& pool, const fs::path& output,
                bool unit_test) {
  if (!unit_test) remove_if_exists(output);
  OriginalFileGuard guard(output);
  bool completely_built = false;
  const bool built = build_domain_file(blackboard, guard, pool, kNoFileTime, true, &completely_built);
  if (built) {
    log(wlog::kLevelInfo, [&](std::ostream& os) { os << "Output file:" << output; });
  } else if (!unit_test || !completely_built) {
    remove_if_exists(output);
  }
}

// The value of "kav_base64", which must be a JSON string.
std::string base64_source(const IOptions& options) {
  if (const auto* set = dynamic_cast<const Options*>(&options)) {
    const nlohmann::json* value = set->get_json("kav_base64");
    return value == nullptr ? std::string() : value->get<std::string>();
  }
  return options.get("kav_base64");
}

}  // namespace

const char* build_domain(const std::string& options) {
  try {
    return build_domain_(convert_string_to_api_options(options.c_str()));
  } catch (const std::runtime_error& e) {
    std::ostringstream message;
    message << e.what();
    throw FatalException(message);
  }
}

const char* build_domain_(const std::shared_ptr<IOptions>& options) {
  Blackboard blackboard(options);
  BlackboardBinding binding(&blackboard);
  KavCachFiles temporary_sources;

  set_options(blackboard);
  bool full = options->get_bool("force", false);
  const bool unit_test = can_execute_unit_test(blackboard);
  blackboard.disable_plugin_calls = options->get_bool("disable_plugin_calls", false);

  if (!options->has("domains") && !options->has("input_files") && !options->has("kav_base64")) {
    application_error("No domain/input directory or input-files given.");
    return results::to_string(blackboard);
  }

  fs::path output;
  if (options->has("domains")) {
    const std::string folder = options->get("domains");
    if (!fs::exists(folder)) {
      application_error("Domain directory or config file [" + folder + "] does not exists");
      return results::to_string(blackboard);
    }
    if (fs::is_directory(folder)) {
      output = fs::absolute(fs::path(folder) / "domain.dom");
      add_sources_from_directory(folder, ".kav", blackboard, false);
    }
  }

  if (options->has("input_files")) {
    std::istringstream list(options->get("input_files"));
    std::string part;
    while (std::getline(list, part, ',')) {
      if (part.empty()) continue;
      if (!fs::is_regular_file(part)) {
        application_error("Could not find input kav file:[" + part + "]");
        return results::to_string(blackboard);
      }
      blackboard.input_pool.add_file(part);
    }
  }

  if (!options->has("output_file")) {
    options->add("output_file", output.string());
  } else {
    output = fs::absolute(options->get("output_file"));
  }

  if (options->has("kav_base64")) {
    const std::string text = base64_source(*options);
    blackboard.input_pool.add_file(temporary_sources.add_base64(text));
    remove_if_exists(output);
    full = true;
  }

  if (blackboard.input_pool.empty()) application_error("No kav files to compile or data to compile.");

  if (!fs::exists(output)) {
    log(wlog::kLevelDebug, [&](std::ostream& os) { os << "output file does not exists :" << output; });
    full = true;
  }
  blackboard.output_file = output.string();
  const InputPool& pool = blackboard.input_pool;

  if (!full) {
    try {
      log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Incremental build:" << output; });
      TempFileGuard guard(output);
      const std::int64_t timestamp = last_write_time_ns(output);
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << "timestamp:" << output.string() << " " << to_seconds(timestamp);
      });
      if (build_domain_file(blackboard, guard, pool, timestamp, false)) {
        log(wlog::kLevelInfo, [&](std::ostream& os) { os << "Output file:" << output; });
      }
      return results::to_string(blackboard);
    } catch (const FatalException& e) {
      log(wlog::kLevelError, [&](std::ostream& os) { os << e.what(); });
      throw FatalException(std::ostringstream(e.what()));
    } catch (const std::exception& e) {
      // Also the JSON errors of a stored table that does not read.
      if (options->get("retry") != "true") throw;
      log(wlog::kLevelWarning, [&](std::ostream& os) { os << e.what(); });
      log(wlog::kLevelWarning, [](std::ostream& os) { os << "Switching off incremental build :"; });
    }
    try {
      full_build(blackboard, pool, output, false);
      return results::to_string(blackboard);
    } catch (const std::runtime_error& e) {
      remove_if_exists(output);
      log(wlog::kLevelError, [&](std::ostream& os) { os << "(level 2)" << e.what(); });
      throw Exception(std::ostringstream(e.what()));
    }
  }

  try {
    log(wlog::kLevelDebug, [&](std::ostream& os) { os << "Full build:" << output; });
    full_build(blackboard, pool, output, unit_test);
  } catch (const std::runtime_error& e) {
    remove_if_exists(output);
    application_error(e.what());
  }
  return results::to_string(blackboard);
}

bool build_domain_file(Blackboard& blackboard, FileGuard& guard, const InputPool& pool,
                       std::int64_t timestamp, bool full, bool* completely_built) {
  if (completely_built != nullptr) *completely_built = false;
  const fs::path work = guard.copy_to_work_on();

  check_sources(blackboard, pool);
  if (results::has_errors()) return false;
  collect_variables(blackboard, pool, blackboard.variables);
  if (results::has_errors()) return false;

  blackboard.domain_file = fs::absolute(work).string();
  blackboard.diagnostics->reset();

  const IOptions& options = *blackboard.options;
  const bool parse_only = options.get_bool("parse_only", false);
  const bool force = options.get_bool("force", false);

  auto sources = std::make_shared<SourceVisitor>(blackboard, timestamp);
  const std::shared_ptr<DomainBuilderInterface> syntax = get_visitor_syntax(blackboard);
  log(wlog::kLevelDebug, [](std::ostream& os) { os << "Checking syntax ..."; });
  parse_sources(*sources, pool, syntax, "Compiling");
  if (results::has_errors()) {
    log(wlog::kLevelDebug, [](std::ostream& os) { os << "Error's in syntax ..."; });
    return false;
  }

  {
    DatabaseRelease release(blackboard);
    blackboard.domain_database = std::make_shared<DomainDatabase>(
        blackboard, blackboard.domain_file, to_seconds(timestamp), full);

    std::shared_ptr<LexiconChangeDetector> detector;
    if (!force) detector = detect_lexicon_changes(blackboard, pool, sources, syntax);
    if (results::has_errors()) return false;

    if (!parse_only) {
      BlackboardBinding binding(&blackboard);
      std::shared_ptr<DomainBuilderInterface> builder = get_visitor_builder(blackboard);
      const std::size_t count = sources->visit_ast(builder, "Build", false, true);
      if (results::has_errors()) return false;
      if (count == 0) {
        log(wlog::kLevelDebug, [](std::ostream& os) { os << "Nothing to update"; });
      } else {
        builder->finalize();
        if (detector) detector->finalize();
        if (results::has_errors()) return false;
        builder.reset();
        detector.reset();
        blackboard.domain_database.reset();
        if (fs::exists(work)) guard.save();
      }
    }
  }
  if (completely_built != nullptr) *completely_built = true;

  if (!fs::exists(guard.dom())) return false;
  return run_unit_test_if_requested(blackboard, guard, pool);
}

bool run_unit_test_if_requested(Blackboard& blackboard, FileGuard& /*guard*/,
                                const InputPool& pool) {
  if (!can_execute_unit_test(blackboard)) return true;
  blackboard.domain_file = blackboard.output_file;
  const std::int64_t timestamp = blackboard.options->get_bool("force", false)
                                     ? kNoFileTime
                                     : last_write_time_ns(blackboard.output_file);
  auto sources = std::make_shared<SourceVisitor>(blackboard, timestamp);
  parse_sources(*sources, pool, get_visitor_syntax(blackboard), "Syntax");
  if (results::has_errors()) {
    log(wlog::kLevelDebug, [](std::ostream& os) { os << "Error's in syntax ..."; });
    return false;
  }
  unitest_module(blackboard, pool, sources);
  return !results::has_errors();
}

void unitest_module(Blackboard& blackboard, const InputPool& pool) {
  if (!can_execute_unit_test(blackboard)) return;
  blackboard.domain_file = blackboard.options->get("output_file");
  std::shared_ptr<SourceVisitor> sources;
  unitest_module(blackboard, pool, sources);
}

void unitest_module(Blackboard& blackboard, const InputPool& pool,
                    std::shared_ptr<SourceVisitor>& /*sources*/) {
  if (!can_execute_unit_test(blackboard)) return;
  SourceVisitor all(blackboard, kNoFileTime);
  const std::shared_ptr<DomainBuilderInterface> tests = get_visitor_statement_decorator(blackboard);
  parse_sources(all, pool, tests, "test");
  tests->finalize();
}

bool can_execute_unit_test(const Blackboard& blackboard) {
  return blackboard.options->get_bool("unit_test", false);
}

void set_options(Blackboard& blackboard) { set_error_code(blackboard); }

void set_error_code(Blackboard& blackboard) {
  const IOptions& options = *blackboard.options;
  blackboard.error_code_mask = ~std::uint64_t{0};
  if (!options.has("ignore_codes")) return;
  const std::string text = options.get("ignore_codes", "0");
  try {
    const bool hexadecimal = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
    const long value = hexadecimal ? std::stol(text.substr(2), nullptr, 16) : std::stol(text);
    blackboard.error_code_mask = ~static_cast<std::uint64_t>(value);
  } catch (const std::invalid_argument& e) {
    std::cerr << e.what() << " cannot convert error-code " << text << std::endl;
  }
}

}  // namespace compiler
}  // namespace zel
