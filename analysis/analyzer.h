// One language with its options: the object behind an analyzer handle of the
// C interface.
//
// An analyzer carries the analyzer options, the engine, the language
// module, the long-term instance store, the debug flags and the plugin
// settings; it holds nothing per document and never changes after it is
// made. The blackboards of its documents read its options, debug flags and
// plugin setting. It must be owned by a shared pointer: documents take their
// share of it through its weak self-reference (kavero::get_analyzer).
//
// Analyzer options read here:
//   "dbg"            comma-separated debug flags (below); none by default
//   "allow_plugins"  plugin document hooks and triggers run only when true
//                    (default true)
//   "resolve_formated_attribute_function", "set_document_date_function",
//   "resolve_date_function"
//                    the plugin functions of formatted attributes and of the
//                    two date rule functions (defaults under the "::python::
//                    kavero.plugin" module, see analyzer.cpp)
//   "instance_module" the plugin module of the long-term instance store
//   "guesser"        read by the blackboards when they bind the language
//
// Debug flags: "print_annotations", "insertion", "overlap", "rule_info",
// "rule_info_short" (which implies "rule_info" in the blackboard's flags),
// "streams", "stream_lookup".

#ifndef KAVERO_ANALYSIS_ANALYZER_H_
#define KAVERO_ANALYSIS_ANALYZER_H_

#include <memory>
#include <set>
#include <string>

#include "api/handle_interfaces.h"
#include "base/options.h"

namespace zel {
namespace kavero {

class Blackboard;
class EngineInterface;
class LanguageModule;

namespace instances {
class IStore;
}  // namespace instances

class Analyzer : public std::enable_shared_from_this<Analyzer>,
                 public api::AnalyzerInterface {
 public:
  // Reads the options as listed above and logs them at debug level
  // ("[Language] Options: [" + their JSON text + "]"). A null option set
  // counts as an empty one; the engine and the language module may be null
  // (an analyzer without a language analyses no text). Raises what making
  // the long-term instance store raises.
  Analyzer(std::shared_ptr<EngineInterface> engine,
           std::shared_ptr<LanguageModule> language_module,
           std::shared_ptr<IOptions> options);
  ~Analyzer() override;

  Analyzer(const Analyzer&) = delete;
  Analyzer& operator=(const Analyzer&) = delete;

  // The analyzer option's text; empty when absent. Errors of the option set
  // (a value that is not a text) propagate.
  std::string option(const char* name) const;
  std::string option(const std::string& name) const;
  // The same with a default for an absent option.
  std::string option(const char* name, const std::string& default_value) const;
  std::string option(const std::string& name,
                     const std::string& default_value) const;

  // The path of the language's configuration file; empty without a
  // language.
  const std::string& filename() const;

  // Analyses one document into the blackboard, in this order: the
  // blackboard works for this analyzer (Blackboard::set_analyzer); the
  // document-open hook (analysis/document_hooks.h), whose refusal ends the
  // call with false before anything else runs; the reading of the input;
  // the rule-based disambiguation, when the language has a postagger
  // transducer and the option view's "disambiguate" is on (default true);
  // the part-of-speech tagger, when the language has tagger tables and
  // "hmm" is on (default true); the document-close hook; and, with the
  // debug flag "print_annotations", the debug print of the document list on
  // standard output. True unless the open hook refused the document.
  //
  // The input is read as the document option "input_type" says (the
  // analyzer options are not asked):
  //   "" or "text"  the text is copied into the blackboard, which gets its
  //                 offset table, and split into sentences and tokens with
  //                 their readings, repaired (text_to_annotations); the
  //                 engine is told the text's size. Without a language
  //                 module zel::Exception "No language module to analyse
  //                 the text with." is raised after the open hook.
  //                 In the copy a UTF-8 byte-order mark at the start and
  //                 every NUL byte are white space: they make no token,
  //                 and offsets still count their bytes.
  //   "document"    the dictionary pass runs over the annotations the
  //                 blackboard holds already; no text is read.
  //   "json"        the text is a document analysed earlier, in the result
  //                 JSON form: exactly `length` bytes are read back into
  //                 annotations (analysis/json_input.h; its format errors
  //                 are std::runtime_error "Invalid kav/json format,..."),
  //                 with the JSON's language and id, and then analysed as
  //                 the other generate does: second dictionary pass,
  //                 disambiguation, tagging. The plugins see the document
  //                 open and close once, as for every input type. No text
  //                 is kept.
  // Any other type raises zel::Exception "Input type not supported:
  // [text,json]" after the open hook.
  //
  // A text of 2 GiB or more is refused up front, before the open hook,
  // with zel::Exception "Text too long: " + its length + " bytes (the limit
  // is 2147483647 bytes)." since annotation offsets are 32-bit. Every UTF-8
  // error met in the analysis (bad bytes, cut sequences, invalid code
  // points) is raised as zel::Exception "Invalid utf8 character."; other
  // errors propagate and leave the blackboard as far as it was built. The
  // close hook runs only after a successful analysis. The analyzer must be
  // owned by a shared pointer (std::bad_weak_ptr otherwise).
  bool generate(Blackboard& blackboard, const char* text,
                unsigned long length);
  // The same over the annotations the blackboard already holds: the second
  // dictionary pass (language/dictionary_pass.h) takes the place of the
  // reading of the input.
  bool generate(Blackboard& blackboard);

  const std::shared_ptr<IOptions>& options() const { return analyzer_options_; }
  const std::shared_ptr<EngineInterface>& engine() const { return engine_; }
  const std::shared_ptr<LanguageModule>& language_module() const {
    return language_module_;
  }
  // May be empty.
  const std::shared_ptr<instances::IStore>& long_term_store() const {
    return long_term_store_;
  }
  const std::set<std::string>& dbg_flags() const { return dbg_flags_; }
  bool allow_plugins() const { return allow_plugins_; }
  const std::string& resolve_formated_attribute_function() const {
    return resolve_formated_attribute_function_;
  }
  const std::string& set_document_date_function() const {
    return set_document_date_function_;
  }
  const std::string& resolve_date_function() const {
    return resolve_date_function_;
  }

  // Turns the text of one document (UTF-8, `length` bytes) into sentences,
  // tokens and dictionary readings on the blackboard, defined with the
  // sentence repair (language/text_to_annotations.cpp): "sentyziser" "icu"
  // splits with text_to_annotations_icu, any other value with
  // text_to_annotations_v2; then the dictionary pass runs over the whole
  // document and the sentences are repaired (fix_sentences). Errors of the
  // splitter, the tokenizer, the dictionary pass and the repair propagate.
  void text_to_annotations(Blackboard& blackboard, const char* text,
                           unsigned long length) const;
  // The ICU splitter: a sentence at every boundary of ICU's sentence-break
  // iterator for "tokenizer_locale" (ICU's default locale when empty),
  // except where the analyzer option "multiline" joins a line that ends in
  // one of its connector characters to the next (at most five ICU sentences
  // into one; a blank line always ends a sentence). Boundaries become byte
  // offsets through the blackboard's offset table (made here when the
  // blackboard has none). Every sentence is appended to the document list
  // and tokenized; one that gets no annotation is dropped, every other one,
  // however short, is indexed. Raises zel::Exception when ICU cannot make
  // the iterator for the locale, or for a text of 2 GiB or more; a boundary
  // beyond the offset table raises std::out_of_range.
  void text_to_annotations_icu(Blackboard& blackboard, const char* text,
                               unsigned long length) const;

  // Text splitting, defined with the character-level sentence splitter
  // (language/sentence_splitter.h).
  //
  // Cuts the text, which must be the blackboard's own copy (another buffer
  // is copied into the blackboard first; the hyphen join rewrites the copy),
  // into sentences appended to the document list, tokenizes each, drops a
  // sentence that gets no annotation and indexes every other one; queues the
  // abbreviation and header-prefix spans for the tokenizer. Raises
  // zel::Exception "Could not process document: " + the cause.
  void text_to_annotations_v2(Blackboard& blackboard, const char* text,
                              unsigned long length) const;
  // "sentyziser" from the blackboard's option view, else from the language
  // configuration (empty when it has none), else "3" without language data.
  // A configuration value that is not a text raises the JSON library's
  // type error.
  std::string get_sentyziser_option(Blackboard& blackboard) const;
  // "tokenizer_locale", looked up the same way; empty when neither gives
  // one.
  std::string get_tokenizer_locale(Blackboard& blackboard) const;

 private:
  std::shared_ptr<IOptions> analyzer_options_;
  std::shared_ptr<EngineInterface> engine_;
  std::shared_ptr<LanguageModule> language_module_;
  std::shared_ptr<instances::IStore> long_term_store_;
  std::set<std::string> dbg_flags_;
  std::string resolve_formated_attribute_function_;
  std::string set_document_date_function_;
  std::string resolve_date_function_;
  bool allow_plugins_;
};

// Answers whether a debug flag of an analyzer is on: whether the name is
// one of its "dbg" flags, as written (the implication of "rule_info" by
// "rule_info_short" is the blackboard's). False without an analyzer.
class dbg_options_wrapper {
 public:
  explicit dbg_options_wrapper(const Analyzer* analyzer);
  bool operator[](const std::string& flag) const;

 private:
  const Analyzer* analyzer_;
};

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_ANALYSIS_ANALYZER_H_
