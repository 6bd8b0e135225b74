// The state of one document under analysis.
//
// The C interface makes a blackboard for every analysed text; the analyzer
// fills it with sentences, tokens and readings; the domains and rule
// matchers add concepts and keep their per-document state on it; the result
// printers read it. Everything that lives for exactly one document hangs
// off it, so its members are also the map of that state. Shared members
// (engine, analyzer, language module, domains, plugins) are shared with
// other documents and only read here.
//
// Options: the option view (option_view, and the cached `flags`) reads the
// document's own options first, then those of the analyzer the blackboard
// was made for; "detect_headers" falls back to the language configuration.
//
// A blackboard belongs to one analysis call at a time and takes no lock.
// Members are declared in the order they must be destroyed in reverse:
// the lookup chains before the lookup cache they answer through, the
// concept inserter before the annotation list, the analyzer and the engine
// last.

#ifndef KAVERO_ANALYSIS_BLACKBOARD_H_
#define KAVERO_ANALYSIS_BLACKBOARD_H_

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <boost/function.hpp>
#include <nlohmann/json.hpp>

#include "analysis/analyzer.h"
#include "analysis/annotation.h"
#include "analysis/lookup_cache.h"
#include "analysis/option_view.h"
#include "analysis/sentence_info.h"
#include "api/handle_interfaces.h"
#include "base/options.h"
#include "base/regex.h"
#include "engine/engine_interface.h"
#include "language/morph_data.h"

namespace zel {

namespace api {
class Analyzer;
}  // namespace api

namespace kavero {

class IAddConcept;
class LanguageModule;
class MementoStore;
class TokenizerFacade;
struct OffsetTable;

namespace anaphora {
class Store;
}  // namespace anaphora
namespace conjecture {
class Conjector;
}  // namespace conjecture
namespace core {
namespace hmm {
class EngineInterface;
}  // namespace hmm
}  // namespace core
namespace instances {
class Instance;
class IStore;
}  // namespace instances
namespace plugins {
class PluginCollection;
}  // namespace plugins
namespace profiler {
class Profiler;
}  // namespace profiler
namespace runtime {
class Context;
}  // namespace runtime

// Keeps the analyzer a blackboard was made for alive; the option view, the
// debug flags and the plugin setting are read through it.
struct AnalyzerGuard {
  explicit AnalyzerGuard(std::shared_ptr<Analyzer> analyzer)
      : analyzer(std::move(analyzer)) {}
  std::shared_ptr<Analyzer> analyzer;
};

// A span of the text that the sentence splitter marks for the tokenizer.
struct SpanMark {
  // Kind bits.
  static constexpr uint64_t kAbbreviation = 1;
  static constexpr uint64_t kHeaderPrefix = 2;

  uint32_t begin;
  uint32_t end;
  uint64_t kind;
};

// A rule function queued for the end of a domain run, with its match.
using DelayedFunction =
    std::pair<boost::function<std::string(const runtime::Context&)>,
              runtime::Context>;

class Blackboard : public api::BlackboardInterface {
 public:
  // A document of the handle's analyzer (taken through get_analyzer) with
  // its own options; null options count as an empty set. The text and its
  // length are not used here: the analyzer stores the text it analyses.
  // Raises what get_analyzer raises, and what making the per-document
  // instance store and asking the engine for its plugins raise.
  Blackboard(api::Analyzer* analyzer_handle, std::shared_ptr<IOptions> options,
             const char* text, uint64_t length);
  // Ends every plugin match context that names the document, then tells the
  // loaded plugins to drop what they keep for the document first
  // (plugins::release_document); a failure they report is logged, never
  // raised.
  ~Blackboard() override;

  Blackboard(const Blackboard&) = delete;
  Blackboard& operator=(const Blackboard&) = delete;

  // The engine of the analyzer last set (set_analyzer); null before.
  EngineInterface* engine() const { return engine_.get(); }

  // The "allow_plugins" setting of the analyzer the blackboard was made for.
  bool allow_plugins() const;

  // The document id: the option "id" when it is not empty, otherwise the
  // decimal djb2 hash (h = 5381, h = h * 33 + byte, 64-bit wrap-around) of
  // the text up to its first NUL byte. A document without text hashes the
  // empty text: "5381".
  std::string id() const;

  // The byte offset of a code-point offset of the text, through the offset
  // table (an offset past the table comes back unchanged). Raises
  // zel::Exception "unkown unicode offset mapping" without a table (a
  // document that was not analysed from text).
  uint32_t get_byte_offset(const uint32_t& offset) const;

  // Sets the document's language by name: nothing when the name is empty or
  // the current one. Otherwise the engine resolves the name as a language
  // name (never a path: the name comes with the document) among its
  // resource folders and the "project_path" of the analyzer's own options;
  // then the module is bound, the document options get "language" (when
  // their add() takes it), and the name and its genitive form are kept. The
  // engine is that of set_analyzer, else that of the analyzer of
  // construction. When there is none, or the engine or the binding fails,
  // the error propagates and the blackboard keeps its language and module.
  void set_language(const std::string& name);

  // Binds a language module: the lookup chains (the guesser chain only when
  // the analyzer option "guesser" is on, default true; document options are
  // not asked), the named chains, the disambiguation transducer, a new
  // tokenizer and the word-list expressions. The language name, when still
  // empty, becomes the module's, and its genitive form is kept with it. An
  // empty module unbinds: tokenizer and expressions are emptied, the chains
  // stay as they were. Errors of the chain builders and the module
  // propagate.
  void set_languge_module(std::shared_ptr<LanguageModule> module);

  // Works for the analyzer: takes its engine and binds its language module.
  // The analyzer guard, the debug flags and the cached flags stay those of
  // construction.
  void set_analyzer(std::shared_ptr<Analyzer> analyzer);

  // Empties `analyzer`; nothing else.
  void release_analyzer();

  // The domain whose rules run now. With the debug flag "rule_info", the
  // source file names of its rules are merged into file_names from the
  // domain's incremental twin (its database path with the extension
  // ".dom_inc"), when that file exists; names already known are kept.
  // Errors of opening or reading the twin propagate.
  void set_current_domain(std::shared_ptr<DomainFacade> domain);

  // The printable name of a rule id "F:rest": "file:/" + the source file
  // of F + ":rest" when file_names knows F. The id unchanged with the debug
  // flag "rule_info_short" or when F is unknown.
  std::string full_rule_name(const std::string& rule_id) const;

  // True the first time a lexicon name is asked in this document (the name
  // is recorded), false afterwards.
  bool can_run_lexicon(const std::string& name) const;

  // Appends the value to the metadata array under the key (object and array
  // made on first use). The JSON library's type errors propagate (a member
  // that is no array, metadata that is no object).
  void set_metadata(const std::string& key, const nlohmann::json& value);

  std::shared_ptr<EngineInterface> engine_;
  // The analyzer the blackboard works for now; see set_analyzer.
  std::shared_ptr<Analyzer> analyzer;
  // The analyzer of construction; never emptied.
  std::shared_ptr<AnalyzerGuard> analyzer_guard;
  // The document's own options.
  std::shared_ptr<IOptions> options;
  std::shared_ptr<OptionAnywhere> option_view;
  // The debug flags of the analyzer of construction.
  dbg_options_wrapper dbg;
  BlackboardOptions flags;
  // The document list: one Sentence per sentence.
  std::shared_ptr<AnnotationCollection> annotations;
  // The document's language name ("english"); empty until bound or set.
  std::string language;
  std::shared_ptr<LanguageModule> language_module;
  // The domains that process the document, in running order.
  DomainCollection domains;
  std::shared_ptr<DomainFacade> current_domain;
  // The document's word-break iterator; made anew at every binding.
  std::shared_ptr<TokenizerFacade> tokenizer;
  // The concept inserter of the document (create_collector): the profiling
  // one when the document has a profiler.
  std::shared_ptr<IAddConcept> collector;
  // Made on first use by the domain runs.
  std::shared_ptr<conjecture::Conjector> conjector;
  // The sentence index: (begin offset, record) in offset order.
  std::vector<std::pair<uint32_t, SentenceInfo>> sentences;
  // Texts printed for the C interface.
  std::string result_json;
  std::string metadata_json;
  std::vector<DelayedFunction> delayed_functions;
  // The language's word-list expressions; empty without a language.
  Regex abbreviations;
  Regex apostrophes;
  Regex measures;
  // Present only when the option "profiler" is on.
  std::shared_ptr<profiler::Profiler> profiler;
  // May be empty (no concept name tracked).
  std::shared_ptr<instances::IStore> short_term_store;
  // Long-term instance key -> the instance the long-term store gave.
  std::map<std::string, std::shared_ptr<instances::Instance>> long_term_cache;
  std::shared_ptr<anaphora::Store> anaphora_store;
  // The tagger's engine of this document, made on first use.
  std::shared_ptr<core::hmm::EngineInterface> hmm_store;
  std::shared_ptr<LookupCache> lookup_cache;
  // Spans the sentence splitter queues at the back and the tokenizer takes
  // from the front.
  std::deque<SpanMark> spans;
  // The genitive suffix of `language` ("s" for German), or empty.
  std::string genitive;
  // Byte offsets the sentence splitter marks for the tokenizer.
  std::set<uint32_t> punct_offsets;
  // Made for text input; absent otherwise.
  std::shared_ptr<OffsetTable> offset_table;
  // Properties handed to plugins.
  std::map<std::string, std::string> document_properties;
  // Names of the domains that finished on this document.
  std::set<std::string> domains_done;
  // Lexicon names already run (can_run_lexicon).
  mutable std::set<std::string> lexicons_run;
  // The blackboard's own copy of the analysed text; the sentence splitter
  // may rewrite it in place without changing its length.
  std::string text;
  bool python_document_open = false;
  // Names of document properties already handed to plugins.
  std::set<std::string> properties_sent;
  // The length of `text` in bytes.
  uint64_t text_length = 0;
  std::shared_ptr<MementoStore> memento_store;
  // Source file id -> source file name of compiled rules.
  std::map<std::string, std::string> file_names;
  // The document metadata of set_metadata; absent until the first call.
  std::shared_ptr<nlohmann::json> metadata;
  // The plugins of the analyzer's engine, kept so that they outlive the
  // document; empty when the analyzer has no engine.
  std::shared_ptr<plugins::PluginCollection> plugins;
  // The lookup chains and the disambiguation transducer of the bound
  // language.
  std::shared_ptr<core::MorphData> morph_data;
  NamedLookupChains named_lookups;
  // Named per-document objects of any type.
  std::map<std::string, std::shared_ptr<void>> named_objects;

  // Expires when the blackboard's destruction begins: whatever keeps plain
  // pointers into the document beyond a call (the plugins' per-thread match
  // context) watches it.
  std::weak_ptr<const void> lifetime() const { return lifetime_; }

 private:
  std::shared_ptr<const void> lifetime_ = std::make_shared<char>();
};

// A shared pointer to the runtime analyzer of a C-interface analyzer
// handle, made from the analyzer's weak self-reference (std::bad_weak_ptr
// when no shared pointer owns it). A null handle, or one without an
// analyzer, raises zel::Exception "Analyzer has not been initialized.".
std::shared_ptr<Analyzer> get_analyzer(api::Analyzer* analyzer_handle);

// Makes a blackboard work for an analyzer (Blackboard::set_analyzer) when
// it is made; restores nothing when it goes.
class SetAnalyzerGuard {
 public:
  SetAnalyzerGuard(std::shared_ptr<Analyzer> analyzer, Blackboard* blackboard);

  std::shared_ptr<Analyzer> analyzer;
  Blackboard* blackboard;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_BLACKBOARD_H_
