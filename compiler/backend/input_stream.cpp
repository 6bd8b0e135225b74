#include "compiler/backend/input_stream.h"

#include "base/attribute_string.h"
#include "base/normalize.h"
#include "compiler/parser/diagnostics.h"
#include "compiler/parser/lexicon_entry_text.h"
#include "compiler/parser/syntax_tree_visitor.h"

namespace zel {
namespace compiler {
namespace input_stream {

namespace {

constexpr std::int64_t kNormalizedCode = 0x80;

text_stream_type lexicon_stream(const ast::node::Lexicon& lexicon) {
  return get_stream_type(get_attribute(lexicon.attributes, "input"));
}

int entry_line(const ast::node::LexiconEntry& entry) {
  return static_cast<int>(static_cast<std::int32_t>(entry.position.line()));
}

// Works out the new form of every entry of a lexicon that reads a
// normalised, component or head stream.
class InputStreamVistor : public ast::Visitor<InputStreamVistor> {
 public:
  using ast::Visitor<InputStreamVistor>::operator();

  void operator()(ast::node::Lexicon& lexicon) {
    type_ = lexicon_stream(lexicon);
    rewrite_ = to_normalize_casing(type_) || to_lower_casing(type_);
    if (!rewrite_) return;
    for (ast::node::LexiconEntry& entry : lexicon.entries) {
      if (is_raw_lexicon_entry(entry.text)) continue;
      std::string normalized;
      if (to_normalize_casing(type_)) {
        int code = 0;
        normalized = string::cleanup_normalized_entry(entry.text, code);
        if (code == 1) {
          compiler_warning_different_normalization(entry.text, normalized, entry_line(entry));
        }
      } else {
        normalized = string::lowercase_word(entry.text);
      }
      entry.normalized = std::move(normalized);
    }
  }
  // Rules are not looked into.
  void operator()(ast::node::Rule&) {}

 private:
  bool rewrite_ = false;
  text_stream_type type_ = no_stream;
};

// Copies the stored forms over the entry texts.
class ApplyNormalization : public ast::Visitor<ApplyNormalization> {
 public:
  using ast::Visitor<ApplyNormalization>::operator();

  void operator()(ast::node::Lexicon& lexicon) {
    const text_stream_type type = lexicon_stream(lexicon);
    if (!to_normalize_casing(type) && !to_lower_casing(type)) return;
    for (ast::node::LexiconEntry& entry : lexicon.entries) {
      if (entry.normalized) entry.text = *entry.normalized;
    }
  }
  void operator()(ast::node::Rule&) {}
};

// The builder contract hands the tree over as const; the entries are the
// driver's own mutable tree (see DomainBuilderInterface::collect).
ast::node::Root& writable(const ast::node::Root& root) { return const_cast<ast::node::Root&>(root); }

}  // namespace

bool to_normalize_casing(const text_stream_type& type) {
  return type == normalized_literal_stream || type == normalized_stem_stream;
}

bool to_lower_casing(const text_stream_type& type) {
  return type == component_stream || type == head_stream;
}

void compiler_warning_different_normalization(const std::string& entry,
                                              const std::string& normalized, int line) {
  compiler_warning("lexicon entry '" + entry + "' has been normalized to '" + normalized + "'",
                   line, 0, kNormalizedCode);
}

void visit(Blackboard& /*blackboard*/, const ast::node::Root& root) {
  InputStreamVistor visitor;
  visitor(writable(root));
}

void apply(Blackboard& /*blackboard*/, const ast::node::Root& root) {
  ApplyNormalization visitor;
  visitor(writable(root));
}

}  // namespace input_stream
}  // namespace compiler
}  // namespace zel
