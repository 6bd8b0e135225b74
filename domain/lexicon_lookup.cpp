#include "domain/lexicon_lookup.h"

#include <iostream>
#include <set>
#include <string>
#include <utility>

#include "analysis/annotation.h"
#include "analysis/blackboard.h"
#include "analysis/concept_insertion.h"
#include "api/profiler.h"
#include "base/normalize.h"
#include "base/stream_name.h"
#include "domain/domain_facade.h"
#include "domain/lexicon_facade.h"
#include "matcher/rule_functions.h"

namespace zel {
namespace kavero {

const char kStreamCollectionName[] = "asi";

namespace {

using log::inline_logger::print_variable;

// The tokens that some lexicon found in the document, over every pass: a
// token one of them found is no unknown word, whatever a later domain's
// lexicons say about it.
using FoundTokens = std::set<const Token*>;
constexpr char kFoundTokensName[] = "lexicon_found_tokens";

FoundTokens& found_tokens(Blackboard& blackboard) {
  std::shared_ptr<void>& object = blackboard.named_objects[kFoundTokensName];
  if (!object) object = std::make_shared<FoundTokens>();
  return *static_cast<FoundTokens*>(object.get());
}

bool has_lexicon(const DomainCollection& domains) {
  for (const auto& entry : domains) {
    if (entry.second && !entry.second->lexicons.empty()) return true;
  }
  return false;
}

// Closes the domain's profiler unit however its step ends.
class ProfilerUnit {
 public:
  ProfilerUnit(profiler::Profiler* profiler, std::string name)
      : profiler_(profiler), name_(std::move(name)) {
    if (profiler_ != nullptr) profiler_->start(name_);
  }
  ~ProfilerUnit() {
    if (profiler_ != nullptr) profiler_->stop(name_);
  }
  ProfilerUnit(const ProfilerUnit&) = delete;
  ProfilerUnit& operator=(const ProfilerUnit&) = delete;

 private:
  profiler::Profiler* profiler_;
  std::string name_;
};

// The first token from `from` on (itself included) that ends at or after
// `end`; null when the list runs out first.
Token* first_token_ending_at_or_after(Annotation* from, uint64_t end) {
  for (Annotation* a = from; a != nullptr; a = a->next) {
    Token* token = annotation_cast<Token>(a);
    if (token != nullptr && token->end >= end) return token;
  }
  return nullptr;
}

// Looks the domain's lexicons up at every position of the token in their
// streams and inserts what ends at a token's end. Returns whether any
// lexicon answered, and leaves in `begin` the annotation the concepts of
// the token begin at.
template <class Logger>
bool lookup_token(Blackboard& blackboard, const DomainFacade& domain,
                  stream_collection_type& streams, const std::string& lookup_name,
                  Token* token, Annotation*& begin) {
  bool found = false;
  for (const auto& [type, lexicon] : domain.lexicons) {
    if (!lexicon || type >= streams.size()) continue;
    const annotation_stream_info& stream = streams[type];
    const char* const text_end = stream.text.data() + stream.text.size();
    const auto positions = stream.begin_map.equal_range(token->begin);
    for (auto position = positions.first; position != positions.second; ++position) {
      const uint64_t p = position->second;
      if (p > stream.text.size()) continue;
      const char* const word = stream.text.data() + p;
      if constexpr (Logger::enabled) {
        Logger record;
        record["action"] = static_cast<const char*>("lookup");
        record["word"] = std::string(word, text_end);
        record["input"] = get_stream_name(type);
      }
      const std::vector<std::pair<int32_t, std::string>> results =
          lexicon->up(word, text_end);
      if (!results.empty()) found = true;
      for (const auto& [length, output] : results) {
        if constexpr (Logger::enabled) {
          Logger record;
          record["action"] = static_cast<const char*>("result");
          record["end_match_offset"] = static_cast<int>(length);
          record["uri"] = output;
          record["total"] = static_cast<unsigned long>(p + length);
        }
        const auto end_entry = stream.end_map.find(p + length);
        if (end_entry == stream.end_map.end()) continue;
        const Token* last = first_token_ending_at_or_after(begin, end_entry->second);
        if (last == nullptr || last->end != end_entry->second || last->next == nullptr) {
          continue;
        }
        const Annotation* after = last->next;
        const size_t separator = output.find('@');
        const std::string uri = output.substr(0, separator);
        const std::string attributes =
            separator == std::string::npos ? std::string() : output.substr(separator);
        (*blackboard.collector)(begin, after, uri, attributes, nullptr, lookup_name);
        // The queued functions may change the list around the token: the
        // concepts of the token begin after whatever now stands before the
        // place the insertion began at.
        Annotation* before = begin->prev;
        apply_delayed_functions(blackboard);
        if (before == nullptr) break;
        begin = before->next;
      }
    }
  }
  return found;
}

}  // namespace

stream_collection_type* get_stream_collection(Blackboard& blackboard) {
  std::shared_ptr<void>& object = blackboard.named_objects[kStreamCollectionName];
  if (!object) object = std::make_shared<stream_collection_type>();
  return static_cast<stream_collection_type*>(object.get());
}

void create_lookup_stream(Blackboard& blackboard,
                          const std::shared_ptr<DomainFacade>& domain) {
  const bool print = blackboard.dbg["streams"] || blackboard.dbg["stream_lookup"];
  if (print) std::cout << "Display Lexicon Streams" << std::endl;
  stream_collection_type& streams = *get_stream_collection(blackboard);
  for (const auto& entry : domain->lexicons) {
    if (!entry.second) continue;
    const text_stream_type type = entry.second->input();
    if (type >= streams.size()) continue;
    annotation_stream_info& slot = streams[type];
    if (!slot.begin_map.empty()) continue;
    slot = get_annotation_buffer(*blackboard.annotations, type);
    slot.stream_type = type;
    if (print) {
      std::cout << "input= " << get_stream_name(type) << "\n[";
      std::cout.write(slot.text.data(), static_cast<std::streamsize>(slot.text.size()));
      std::cout << "]" << std::endl;
    }
  }
}

LexiconLogger::~LexiconLogger() {
  std::ostream& out = std::cerr;
  if (has("msg")) {
    const boost::any& message = (*this)["msg"];
    if (message.type() == typeid(std::string)) {
      out << boost::any_cast<const std::string&>(message);
      if (has("endl")) out << "\n";
    }
    return;
  }
  if (!has("action")) return;
  const boost::any& value = (*this)["action"];
  std::string action;
  if (const auto* text = boost::any_cast<std::string>(&value)) {
    action = *text;
  } else if (const auto* c_text = boost::any_cast<const char*>(&value)) {
    if (*c_text != nullptr) action = *c_text;
  }
  if (action == "lookup") {
    out << "[";
    print_variable(out, (*this)["input"]) << "]:";
    print_variable(out, (*this)["word"]) << "\n";
  } else if (action == "result") {
    out << "[result]:\n - length    :";
    print_variable(out, (*this)["end_match_offset"]) << "\n - uri       :";
    print_variable(out, (*this)["uri"]) << "\n - total     :";
    print_variable(out, (*this)["total"]) << "\n";
  } else {
    for (const auto& [name, variable] : variables()) {
      out << " " << name << ":";
      print_variable(out, variable) << "\n";
    }
  }
}

template <class Logger>
bool all_lexicon_lookup_logger(Blackboard& blackboard) {
  if constexpr (Logger::enabled) {
    Logger record;
    record["msg"] = std::string("[Stream Lookup]");
    record["endl"] = true;
  }
  if (!has_lexicon(blackboard.domains)) return false;

  stream_collection_type& streams = *get_stream_collection(blackboard);
  for (annotation_stream_info& slot : streams) {
    slot.text.clear();
    slot.begin_map.clear();
    slot.end_map.clear();
  }
  // Every stream from the document as it is before the first lexicon
  // concept goes in.
  for (const auto& entry : blackboard.domains) {
    blackboard.set_current_domain(entry.second);
    create_lookup_stream(blackboard, entry.second);
  }

  FoundTokens& found_before = found_tokens(blackboard);
  for (const auto& [name, domain] : blackboard.domains) {
    blackboard.set_current_domain(domain);
    const std::string lookup_name = "lexicon:" + domain->get_sqlite_filename();
    ProfilerUnit unit(blackboard.profiler.get(), lookup_name);
    if (!blackboard.can_run_lexicon(name)) continue;
    // A domain without lexicons finds nothing, and says nothing about which
    // words are unknown either.
    if (domain->lexicons.empty()) continue;
    for (Annotation* item : *blackboard.annotations) {
      Sentence* sentence = annotation_cast<Sentence>(item);
      if (sentence == nullptr) continue;
      Annotation* a = sentence->annotations.head;
      while (a != nullptr) {
        Token* token = annotation_cast<Token>(a);
        if (token == nullptr) {
          a = a->next;
          continue;
        }
        Annotation* begin = token;
        const bool found =
            lookup_token<Logger>(blackboard, *domain, streams, lookup_name, token, begin);
        if (found) {
          found_before.insert(token);
          token->properties.erase("nf-lex");
        } else if (token->properties.count("nf") != 0 && found_before.count(token) == 0) {
          token->properties.insert("nf-lex");
        }
        a = token->next;
      }
    }
  }
  return true;
}

template bool all_lexicon_lookup_logger<LexiconLogger>(Blackboard&);
template bool all_lexicon_lookup_logger<log::inline_logger::CodeNotThere>(Blackboard&);

bool all_domains_lexicon_lookup(Blackboard& blackboard) {
  if (blackboard.dbg["stream_lookup"]) {
    return all_lexicon_lookup_logger<LexiconLogger>(blackboard);
  }
  return all_lexicon_lookup_logger<log::inline_logger::CodeNotThere>(blackboard);
}

std::vector<std::string> lexicon_lookup(Blackboard& blackboard, const Token* token) {
  for (const auto& entry : blackboard.domains) {
    if (!entry.second) continue;
    for (const auto& lexicon_entry : entry.second->lexicons) {
      const std::shared_ptr<core::LexiconFacade>& lexicon = lexicon_entry.second;
      if (!lexicon) continue;
      std::vector<std::string> results = lexicon->up(token->literal);
      if (!results.empty()) return results;
      results = lexicon->up(string::normalize_word(token->literal));
      if (!results.empty()) return results;
      for (const MorphData& reading : token->readings) {
        results = lexicon->up(reading.stem);
        if (!results.empty()) return results;
      }
    }
  }
  return {};
}

}  // namespace kavero
}  // namespace zel
