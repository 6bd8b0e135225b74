#include "analysis/analyzer.h"

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

#include <utf8.h>

#include "analysis/annotation_printer.h"
#include "analysis/blackboard.h"
#include "analysis/document_hooks.h"
#include "analysis/json_input.h"
#include "analysis/option_collection.h"
#include "base/exception.h"
#include "base/logging.h"
#include "engine/engine_interface.h"
#include "language/dictionary_pass.h"
#include "language/disambiguation.h"
#include "language/hmm_tagger.h"
#include "language/language_module.h"
#include "language/offset_table.h"
#include "matcher/instance_store.h"

namespace zel {
namespace kavero {

namespace {

constexpr char kResolveFormatedAttribute[] =
    "::python::kavero.plugin::resolve_formated_attribute";
constexpr char kSetDocumentDate[] = "::python::kavero.plugin::set_document_date";
constexpr char kResolveDate[] = "::python::kavero.plugin::resolve_date";

// Annotation offsets are 32-bit and signed in places (ICU positions), so a
// text must stay below 2 GiB.
constexpr uint64_t kLongestText = INT32_MAX;

[[noreturn]] void throw_message(const std::string& text) {
  std::ostringstream message;
  message << text;
  throw Exception(message);
}

// Blanks what a text holds but no reader sees: a UTF-8 byte-order mark at
// its start and NUL bytes become blanks of the same length, so that they
// make no token (the mark would otherwise be a word of its own before the
// first one) while every offset stays that of the text as it was given.
void blank_invisible_bytes(std::string& text) {
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.replace(0, 3, 3, ' ');
  for (std::size_t at = text.find('\0'); at != std::string::npos;
       at = text.find('\0', at + 1)) {
    text[at] = ' ';
  }
}

// Runs an analysis step and reports every UTF-8 error of the UTF-8 library
// (bad bytes, cut sequences, invalid code points) in one way, with the byte
// offset of the first invalid sequence of the text when the text has one.
template <typename Step>
auto with_utf8_errors_reported(const char* text, unsigned long length, Step&& step)
    -> decltype(step()) {
  try {
    return step();
  } catch (const utf8::exception&) {
    std::ostringstream message;
    message << "Invalid utf8 character.";
    if (text != nullptr) {
      const char* invalid = utf8::find_invalid(text, text + length);
      if (invalid != text + length) {
        message << " (at byte offset " << (invalid - text) << ")";
      }
    }
    throw Exception(message);
  }
}

// The rule-based disambiguation and the tagger, as the language and the
// option view allow.
void disambiguate_and_tag(Blackboard& blackboard) {
  if (blackboard.morph_data != nullptr && blackboard.morph_data->postagger &&
      blackboard.option_view->get_bool("disambiguate", true)) {
    auto_disambiguate(blackboard);
    disambiguate(blackboard);
  }
  if (blackboard.option_view->get_bool("hmm", true) &&
      core::hmm::can_execute(blackboard)) {
    core::hmm::execute(blackboard);
  }
}

void print_annotations(const Blackboard& blackboard) {
  if (!blackboard.dbg["print_annotations"] || !blackboard.annotations) return;
  RawAnnotationPrinter printer(std::cout);
  for (Annotation* annotation : *blackboard.annotations) {
    printer.visit(annotation);
  }
}

}  // namespace

Analyzer::Analyzer(std::shared_ptr<EngineInterface> engine,
                   std::shared_ptr<LanguageModule> language_module,
                   std::shared_ptr<IOptions> options)
    : analyzer_options_(options ? std::move(options)
                                : std::make_shared<Options>()),
      engine_(std::move(engine)),
      language_module_(std::move(language_module)) {
  long_term_store_ = instances::long_term::create_store(engine_, analyzer_options_);
  args::parse_option_collection(dbg_flags_, analyzer_options_, "dbg", "");
  allow_plugins_ = analyzer_options_->get_bool("allow_plugins", true);
  resolve_formated_attribute_function_ =
      option("resolve_formated_attribute_function", kResolveFormatedAttribute);
  set_document_date_function_ =
      option("set_document_date_function", kSetDocumentDate);
  resolve_date_function_ = option("resolve_date_function", kResolveDate);
  wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, [&](std::ostream& os) {
    os << "[Language] Options: [" << analyzer_options_->str() << "]";
  });
}

Analyzer::~Analyzer() = default;

std::string Analyzer::option(const char* name) const {
  return analyzer_options_->get(name);
}

std::string Analyzer::option(const std::string& name) const {
  return option(name.c_str());
}

std::string Analyzer::option(const char* name,
                             const std::string& default_value) const {
  return analyzer_options_->get(name, default_value);
}

std::string Analyzer::option(const std::string& name,
                             const std::string& default_value) const {
  return option(name.c_str(), default_value);
}

const std::string& Analyzer::filename() const {
  static const std::string kNoFile;
  if (!language_module_ || !language_module_->module_data) return kNoFile;
  return language_module_->module_data->config_file;
}

bool Analyzer::generate(Blackboard& blackboard) {
  return with_utf8_errors_reported(nullptr, 0, [&] {
    blackboard.set_analyzer(shared_from_this());
    if (!open_document(blackboard)) return false;
    wlog::log(wlog::kRuntimeId, wlog::kLevelTrace,
              [](std::ostream& os) { os << "BEGIN process document"; });
    additional_dictionary_lookup_information(blackboard);
    disambiguate_and_tag(blackboard);
    close_document(blackboard);
    print_annotations(blackboard);
    return true;
  });
}

bool Analyzer::generate(Blackboard& blackboard, const char* text,
                        unsigned long length) {
  if (length > kLongestText) {
    std::ostringstream message;
    message << "Text too long: " << length << " bytes (the limit is "
            << kLongestText << " bytes).";
    throw Exception(message);
  }
  const bool text_input = blackboard.options->get("input_type").empty() ||
                          blackboard.options->get("input_type") == "text";
  return with_utf8_errors_reported(text_input ? text : nullptr, length, [&] {
    blackboard.set_analyzer(shared_from_this());
    if (!open_document(blackboard)) return false;
    const std::string input_type = blackboard.options->get("input_type");
    if (input_type.empty() || input_type == "text") {
      if (!blackboard.language_module) {
        throw_message("No language module to analyse the text with.");
      }
      blackboard.text.assign(text, length);
      blank_invisible_bytes(blackboard.text);
      blackboard.text_length = length;
      blackboard.offset_table = generate_offset_mappings(
          blackboard.text.data(), static_cast<int>(length));
      text_to_annotations(blackboard, blackboard.text.data(), length);
      disambiguate_and_tag(blackboard);
      if (engine_) engine_->collect_volume_size(length);
    } else if (input_type == "document") {
      add_dictionary_lookup_information(blackboard);
    } else if (input_type == "json") {
      json_to_annotations_v2(blackboard, text, length);
      // What the blackboard-only generate runs, inside this call's hooks:
      // opening and closing the document again would tell the plugins of a
      // second document, and binding the analyzer again would undo the
      // language the JSON names.
      wlog::log(wlog::kRuntimeId, wlog::kLevelTrace,
                [](std::ostream& os) { os << "BEGIN process document"; });
      additional_dictionary_lookup_information(blackboard);
      disambiguate_and_tag(blackboard);
    } else {
      throw_message("Input type not supported: [text,json]");
    }
    close_document(blackboard);
    print_annotations(blackboard);
    return true;
  });
}

dbg_options_wrapper::dbg_options_wrapper(const Analyzer* analyzer)
    : analyzer_(analyzer) {}

bool dbg_options_wrapper::operator[](const std::string& flag) const {
  return analyzer_ != nullptr && analyzer_->dbg_flags().count(flag) > 0;
}

}  // namespace kavero
}  // namespace zel
