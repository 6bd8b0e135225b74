#include "compiler/parser/action_testutil.h"

#include <limits>

#include "compiler/parser/compile_result.h"

namespace zel {
namespace compiler {

const char ActionTest::kSourceName[] = "test.kav";

ActionTest::ActionTest() : binding_(&blackboard_) {
  blackboard_.error_code_mask = std::numeric_limits<std::uint64_t>::max();
  blackboard_.set_source_filename(kSourceName);
  source("");
}

SourceRange ActionTest::source(const std::string& text) {
  text_ = std::make_unique<std::string>(text);
  get_ctx().reset(SourceIterator(text_->data()), &blackboard_, nullptr);
  return range(0, text_->size());
}

SourceRange ActionTest::range_of(const std::string& piece) {
  const std::size_t at = text_->find(piece);
  EXPECT_NE(at, std::string::npos) << piece << " in " << *text_;
  if (at == std::string::npos) return range(0, 0);
  return range(at, at + piece.size());
}

SourceRange ActionTest::range(std::size_t first, std::size_t last) {
  SourceIterator begin(text_->data());
  for (std::size_t i = 0; i < first; ++i) ++begin;
  SourceIterator end = begin;
  for (std::size_t i = first; i < last; ++i) ++end;
  return SourceRange(begin, end);
}

const std::vector<DiagnosticsInfo>& ActionTest::reported() { return results::sink(kSourceName); }

void ActionTest::clear_reported() { blackboard_.diagnostics->reset(); }

std::string describe(const DiagnosticsInfo& info) {
  return diagnostic_type_to_string(info) + ":" + std::to_string(info.line) + ":" +
         std::to_string(info.column) + ":" + std::to_string(info.code) + ":" + info.message;
}

std::vector<std::string> describe(const std::vector<DiagnosticsInfo>& infos) {
  std::vector<std::string> texts;
  for (const DiagnosticsInfo& info : infos) texts.push_back(describe(info));
  return texts;
}

}  // namespace compiler
}  // namespace zel
