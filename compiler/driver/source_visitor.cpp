#include "compiler/driver/source_visitor.h"

#include <filesystem>
#include <utility>

#include <utf8.h>

#include "base/file.h"
#include "base/logging.h"
#include "base/unicode.h"
#include "compiler/backend/input_stream.h"
#include "compiler/driver/file_time.h"
#include "compiler/driver/lexicon_stem_checks.h"
#include "compiler/parser/compile_result.h"
#include "compiler/parser/compiler_blackboard.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/grammar_context.h"
#include "compiler/parser/source_parser.h"
#include "compiler/parser/variables.h"

namespace zel {
namespace compiler {

namespace fs = std::filesystem;

namespace {

template <typename Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kCompilerId, level, std::forward<Compose>(compose));
}

std::string canonical_name(const std::string& id) { return fs::canonical(id).string(); }

}  // namespace

std::size_t SourceVisitor::visit_ast(const std::shared_ptr<DomainBuilderInterface>& builder,
                                     const std::string& label, bool verbose, bool stem_checks) {
  for (ASTRootDescrption& entry : roots) {
    const std::string name = canonical_name(entry.provider->get_id());
    blackboard->set_source_filename(name);
    log(verbose ? wlog::kLevelInfo : wlog::kLevelTrace,
        [&](std::ostream& os) { os << label << " [" << name << "]"; });
    builder->open(name);
    input_stream::visit(*blackboard, entry.root);
    if (stem_checks) analytics::visit(*blackboard, entry.root);
    input_stream::apply(*blackboard, entry.root);
    builder->collect(entry.root);
    builder->close(name);
  }
  return roots.size();
}

void parse_sources(SourceVisitor& sources, const InputPool& pool,
                   const std::shared_ptr<DomainBuilderInterface>& builder, const std::string& label) {
  parse_sources(sources, pool, builder, label, wlog::kLevelInfo);
}

void parse_sources(SourceVisitor& sources, const InputPool& pool,
                   const std::shared_ptr<DomainBuilderInterface>& builder, const std::string& label,
                   std::uint16_t name_level) {
  Blackboard& blackboard = *sources.blackboard;
  for (const InputPool::Input& provider : pool) {
    const std::string name = canonical_name(provider->get_id());
    blackboard.set_source_filename(name);
    BlackboardBinding binding(&blackboard);
    const std::int64_t file_time = last_write_time_ns(name);
    log(name_level, [&](std::ostream& os) { os << label << ": " << name; });
    if (sources.timestamp >= file_time) {
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << "  -- Skipping time stemps [" << name << "] file ts:" << to_seconds(file_time)
           << " < domain ts: " << to_seconds(sources.timestamp);
      });
      continue;
    }
    auto text = std::make_shared<std::string>(provider->get_data());
    const ast::node::ResolveLocationResult resolved = resolve_variables(*text, blackboard.variables);
    if (!resolved.ok) return;
    if (resolved.count > 0) {
      *text = resolved.text;
      log(wlog::kLevelTrace, [&](std::ostream& os) { os << "Resolved Data [" << *text << "]"; });
    }
    ParseResult parsed;
    try {
      parsed = parse_kavero_source(blackboard, *text, name, blackboard.options);
    } catch (const utf8::not_enough_room& e) {
      compiler_error(std::string("Invalid utf8 kav file, (parser) ") + e.what(), -1, 0,
                     std::string(), 0);
      return;
    }
    if (!parsed.ok) return;
    log(wlog::kLevelTrace, [&](std::ostream& os) { os << label << " ok: [" << name << "]"; });
    builder->open(name);
    builder->collect(parsed.root);
    builder->close(name);
    sources.roots.push_back(ASTRootDescrption{provider, std::move(text), std::move(parsed.root)});
  }
}

void check_sources(Blackboard& blackboard, const InputPool& pool) {
  BlackboardBinding binding(&blackboard);
  for (const InputPool::Input& provider : pool) {
    blackboard.set_source_filename(provider->get_id());
    const std::string text = file::load(provider->get_id().c_str());
    if (!string::unicode::is_utf8(text)) {
      compiler_error("Invalid utf8 character in kav file, ", -1, 0, std::string(), 0);
      return;
    }
  }
}

void collect_variables(Blackboard& blackboard, const InputPool& pool,
                       ast::node::VariableMap& variables) {
  BlackboardBinding binding(&blackboard);
  for (const InputPool::Input& provider : pool) {
    blackboard.set_source_filename(provider->get_id());
    const std::string text = file::load(provider->get_id().c_str());
    parse_define_data(blackboard, text, variables, provider->get_id());
    if (results::has_errors()) return;
  }
}

void add_sources_from_directory(const std::string& folder, const std::string& extension,
                                Blackboard& blackboard, bool recursive) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const fs::path path = fs::path(folder) / entry.path().filename();
    if (entry.is_regular_file()) {
      if (!extension.empty() && path.extension().string() != extension) continue;
      const std::string text = path.string();
      if (text.rfind("._", 0) == 0) continue;
      blackboard.input_pool.add_file(text);
    } else if (entry.is_directory() && recursive) {
      add_sources_from_directory(path.string(), extension, blackboard, recursive);
    }
  }
}

void DomainParserChecker::open(const std::string&) {}
void DomainParserChecker::collect(const ast::node::Root&) {}
void DomainParserChecker::close(const std::string&) {}
void DomainParserChecker::finalize() {}

std::shared_ptr<DomainBuilderInterface> get_visitor_syntax(const Blackboard&) {
  return std::make_shared<DomainParserChecker>();
}

}  // namespace compiler
}  // namespace zel
