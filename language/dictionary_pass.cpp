#include "language/dictionary_pass.h"

#include <unicode/uchar.h>
#include <utf8.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "analysis/blackboard.h"
#include "base/normalize.h"
#include "language/apostrophe_repair.h"
#include "language/header_detection.h"
#include "language/hmm_tagger.h"
#include "language/language_module.h"
#include "language/lexicon_readings.h"
#include "language/lookup_condition.h"
#include "language/measurement.h"
#include "language/reading.h"
#include "language/token_flags.h"
#include "language/token_properties.h"

namespace zel {
namespace kavero {

namespace {

using Outputs = std::vector<std::string>;

constexpr uint32_t kNumRoot = 0x400000;

const core::MorphData* dictionary(const Blackboard& blackboard) {
  const core::MorphData* data = blackboard.morph_data.get();
  return data != nullptr && !data->lookups.empty() ? data : nullptr;
}

// The code points of the text's first characters, as many as there are up
// to `count`; decoding stops at the first invalid sequence.
std::vector<UChar32> first_characters(const std::string& text, size_t count) {
  std::vector<UChar32> characters;
  auto it = text.begin();
  while (it != text.end() && characters.size() < count) {
    try {
      characters.push_back(static_cast<UChar32>(utf8::next(it, text.end())));
    } catch (const utf8::exception&) {
      break;
    }
  }
  return characters;
}

bool starts_upper(const std::string& text) {
  const std::vector<UChar32> first = first_characters(text, 1);
  return !first.empty() && u_isupper(first[0]);
}

// L(w): the word with its first character lower-cased, when that character
// is upper case.
bool lower_initial(const std::string& word, std::string& out) {
  return !word.empty() && string::lower_initial_cap_word(word, out);
}

// The word with its first character upper-cased (a whole character, not a
// byte, so that a word beginning with a multi-byte character stays valid
// UTF-8). A word that does not begin with a valid character is returned as
// it is.
std::string upper_initial(const std::string& word) {
  auto it = word.begin();
  UChar32 first;
  try {
    first = static_cast<UChar32>(utf8::next(it, word.end()));
  } catch (const utf8::exception&) {
    return word;
  }
  std::string out;
  utf8::append(static_cast<char32_t>(u_toupper(first)),
               std::back_inserter(out));
  out.append(it, word.end());
  return out;
}

bool is_one_character(const std::string& text) {
  return !text.empty() && first_characters(text, 2).size() == 1 &&
         utf8::is_valid(text.begin(), text.end());
}

// The outputs for an all-capital word: its capitalised and its lower-case
// form, merged.
Outputs all_cap_variants(const core::MorphData& data,
                         const std::string& lower) {
  Outputs outputs = data.first(upper_initial(lower));
  Outputs lower_outputs = data.first(lower);
  merge_lookup_results(outputs, lower_outputs);
  return outputs;
}

// A default reading for a token the lexicons do not know.
void add_default_reading(Token* token, const std::string& pos) {
  token->readings.emplace_back(pos, token->literal, 1.0);
}

const char* name_or_noun(Token* token) {
  return all_caps(token) || init_cap(token) ? "Prop-Std" : "Nn-Std";
}

// The single-character fallback: punctuation, a capital or a noun.
void add_single_character_reading(Token* token) {
  const std::vector<UChar32> first = first_characters(token->literal, 1);
  add_default_reading(token,
                      u_ispunct(first[0]) ? "Punct" : name_or_noun(token));
}

// Runs `process` on every token of the list, in order, entering nested
// sentences. `process` may insert annotations after the token; they are
// walked too.
template <class Process>
void for_each_token(AnnotationCollection& list, const Process& process) {
  Annotation* item = list.begin().get();
  while (item != nullptr) {
    if (auto* nested = annotation_cast<Sentence>(item)) {
      for_each_token(nested->annotations, process);
    } else if (auto* token = annotation_cast<Token>(item)) {
      process(token);
    }
    item = item->next;
  }
}

void first_pass_token(Blackboard& blackboard, const core::MorphData& data,
                      AnnotationCollection& list, AddMorphdataMemento& memento,
                      bool guesser, Token* token) {
  if (token->flags & token_flags::markup) {
    add_markup_info(token);
    return;
  }
  if (memento.start_armed && (token->flags & token_flags::header_range)) {
    token->properties.insert("hdr-prefix");
  }
  if (token->flags & token_flags::abbreviation_range) {
    if (auto* next = annotation_cast<Token>(token->next)) {
      if (check_sentence_begin_candidate(blackboard, list, token, next)) return;
    }
  }
  if (check_property_lookup(token, blackboard.named_lookups)) {
    first_token_check_and_set_memento_flag(memento, token);
    fix_sentence_with_invalid_start_token(memento, token);
    first_token_check_and_set_property(memento, token);
    return;
  }
  first_token_check_and_set_memento_flag(memento, token);
  if (token->flags & token_flags::readings_final) {
    first_token_check_and_set_property(memento, token);
    return;
  }

  const std::string word = token->literal;
  Outputs outputs = data.first(word);
  assign_afst_results_token_obj(token, outputs);
  if (outputs.empty()) {
    std::string lower;
    bool found = false;
    if (memento.header && word.size() > 1 && lower_initial(word, lower)) {
      outputs = data.first(lower);
      assign_afst_results_token_obj(token, outputs);
      found = !outputs.empty();
    }
    if (!found && token->properties.count("all-cap") && word.size() > 1) {
      const std::string lower_word = string::lowercase_word(word);
      outputs = all_cap_variants(data, lower_word);
      assign_afst_results_token_obj(token, outputs);
      if (outputs.empty()) {
        outputs = data.others(lower_word);
        assign_afst_results_token_obj(token, outputs);
      }
    }
    if (outputs.empty()) {
      outputs = data.others(word);
      assign_afst_results_token_obj(token, outputs);
    }
  }

  first_token_check_and_set_property(memento, token);
  if (!outputs.empty()) token->properties.erase("nf");

  if (has_pos(token, kNumRoot)) {
    // A number-like word mixing letters and digits is a name when it reads
    // like one (Xyz123), otherwise a noun (X123).
    if (!token->readings.empty() && token->properties.count("alphanum") &&
        !token->properties.count("_not_a_noun_")) {
      const std::vector<UChar32> first = first_characters(word, 2);
      if (word.size() > 2 && first.size() == 2 && u_isupper(first[0]) &&
          u_islower(first[1])) {
        token->readings.front().set_pos("Prop-Std");
      } else {
        token->properties.erase("init-cap");
        token->readings.front().set_pos("Nn-Std");
      }
    }
    return;
  }
  if (!token->readings.empty()) {
    fix_sentence_with_invalid_start_token(memento, token);
    return;
  }

  token->properties.insert("nf");
  if (is_one_character(word)) {
    add_single_character_reading(token);
  } else if (guesser) {
    outputs = data.guess(word);
    if (!outputs.empty()) {
      assign_afst_results_token_obj(token, outputs);
      if (has_property(*token, "cleanup")) token->properties.erase("nf");
    } else {
      add_default_reading(token, name_or_noun(token));
    }
  } else {
    add_default_reading(token, "Nn-Std");
  }
  fix_sentence_with_invalid_start_token(memento, token);
}

void second_pass_token(Blackboard& blackboard, const core::MorphData& data,
                       bool header, bool& changed, Token* token) {
  const LookupConditions& conditions =
      blackboard.language_module->module_data->conditions;
  const LookupConditionInterface* condition = get_condition(conditions, token);
  if (condition == nullptr) return;

  const std::string text = condition->text(token);
  std::string lower;
  const bool has_lower = lower_initial(text, lower);
  Outputs outputs = data.first(text);
  if (has_lower && is_open_quote(token->prev)) {
    Outputs more = data.first(lower);
    if (more.empty()) more = data.others(text);
    if (more.empty()) more = data.others(lower);
    merge_lookup_results(outputs, more);
  }
  append_afst_results_token_obj(token, outputs, condition);
  if (outputs.size() > 1) changed = true;

  if (outputs.empty()) {
    bool found = false;
    if (header && text.size() > 1 && has_lower) {
      outputs = data.first(lower);
      assign_afst_results_token_obj(token, outputs);
      found = !outputs.empty();
    }
    if (!found && token->properties.count("all-cap") &&
        token->literal.size() > 1) {
      const std::string lower_text = string::lowercase_word(text);
      outputs = all_cap_variants(data, lower_text);
      append_afst_results_token_obj(token, outputs, condition);
      if (outputs.empty()) {
        outputs = data.others(lower_text);
        append_afst_results_token_obj(token, outputs, condition);
      }
    }
    if (outputs.empty()) {
      outputs = data.others(text);
      append_afst_results_token_obj(token, outputs, condition);
    }
  }

  if (!outputs.empty()) {
    token->properties.erase("nf");
    if (blackboard.language_module != nullptr) {
      token->properties.insert(blackboard.language_module->language_name);
    }
  }
  if (!token->readings.empty()) return;

  if (is_one_character(token->literal)) {
    add_single_character_reading(token);
  } else {
    add_default_reading(token, "Nn-Std");
  }
  token->properties.insert("nf");
}

}  // namespace

void first_token_check_and_set_memento_flag(AddMorphdataMemento& memento,
                                            Token* token) {
  if (memento.start_armed && !memento.first_word && !is_punctuation(token)) {
    memento.first_word = true;
  }
}

void first_token_check_and_set_property(AddMorphdataMemento& memento,
                                        Token* token) {
  if (!memento.first_word) return;
  token->properties.insert("init-token");
  memento.start_armed = false;
  memento.first_word = false;
}

void fix_sentence_with_invalid_start_token(AddMorphdataMemento& memento,
                                           Token* token) {
  if (token->literal == ":") memento.start_armed = true;
}

void add_dictionary_lookup_information(Blackboard& blackboard) {
  if (dictionary(blackboard) == nullptr || blackboard.annotations == nullptr) {
    return;
  }
  for (Annotation* item : *blackboard.annotations) {
    if (auto* sentence = annotation_cast<Sentence>(item)) {
      add_morphdata(blackboard, *sentence);
    }
  }
}

void add_morphdata(Blackboard& blackboard, Sentence& sentence) {
  const core::MorphData* data = dictionary(blackboard);
  if (data == nullptr) return;
  AnnotationCollection& list = sentence.annotations;

  AddMorphdataMemento memento;
  memento.header = is_header(blackboard, list);
  if (memento.header) {
    if (auto* concept_annotation =
            annotation_cast<Concept>(list.begin().get())) {
      concept_annotation->add("header", "true", ConceptAttributeStoreType(0));
    }
  }
  fix_apostrophes(blackboard, sentence);
  const bool guesser = blackboard.option_view->get_bool("guesser", true);
  for_each_token(list, [&](Token* token) {
    first_pass_token(blackboard, *data, list, memento, guesser, token);
  });
  fix_measurements(blackboard, sentence);
}

void additional_dictionary_lookup_information(Blackboard& blackboard) {
  if (dictionary(blackboard) == nullptr || blackboard.annotations == nullptr) {
    return;
  }
  blackboard.lookup_cache->clear();
  for (Annotation* item : *blackboard.annotations) {
    if (auto* sentence = annotation_cast<Sentence>(item)) {
      additional_morphdata(blackboard, *sentence);
    }
  }
}

void additional_morphdata(Blackboard& blackboard, Sentence& sentence) {
  const core::MorphData* data = dictionary(blackboard);
  if (data == nullptr || blackboard.language_module == nullptr ||
      blackboard.language_module->module_data == nullptr) {
    return;
  }
  const bool header = is_header(blackboard, sentence.annotations);
  bool changed = false;
  for_each_token(sentence.annotations, [&](Token* token) {
    second_pass_token(blackboard, *data, header, changed, token);
  });
  if (changed) core::hmm::sentence(blackboard, sentence);
}

void add_lowercase_morphdata(Blackboard& blackboard, Token* token) {
  const core::MorphData* data = dictionary(blackboard);
  if (data == nullptr || token == nullptr) return;
  if (token->flags & token_flags::readings_final) return;
  if (is_punctuation(token)) {
    if (token->next == nullptr) return;
    if (auto* next = annotation_cast<Token>(token->next)) {
      if (is_punctuation(next)) return;
      token = next;
    }
  }
  if (has_pos(token, kNumRoot)) return;

  const std::string word = token->literal;
  Outputs outputs = data->first(word);
  std::string lower;
  if (lower_initial(word, lower)) {
    Outputs more = data->first(lower);
    if (more.empty()) more = data->others(word);
    if (more.empty()) more = data->others(lower);
    merge_lookup_results(outputs, more);
  }
  if (outputs.empty()) {
    token->properties.insert("nf");
    return;
  }
  token->readings.clear();
  assign_afst_results_token_obj(token, outputs);
}

bool check_property_lookup(Token* token, const NamedLookupChains& named) {
  const std::string& word = token->literal;
  if (token->flags & token_flags::abbreviation_range) {
    if (set_abbrev_properties(token, named)) return true;
  } else if (token->flags & token_flags::apostrophe) {
    auto chain = named.find("apostrophe");
    if (chain != named.end()) {
      const Outputs outputs = core::lookup_chain_no_cache(chain->second, word);
      if (!outputs.empty()) {
        token->readings.clear();
        token->properties.erase("nf");
        assign_afst_results_token_obj(token, outputs);
        return true;
      }
    }
  }
  if ((token->flags & token_flags::property_lookup) == 0) {
    return (token->flags & token_flags::skip_lookup) != 0;
  }
  // The property set may change while the readings are loaded; walk a copy.
  const std::set<std::string> properties = token->properties;
  for (const std::string& property : properties) {
    auto chain = named.find(property);
    if (chain == named.end()) continue;
    const Outputs outputs = core::lookup_chain(chain->second, word);
    if (!outputs.empty()) {
      assign_afst_results_token_obj(token, outputs);
      return true;
    }
  }
  return false;
}

bool set_abbrev_properties(Token* token, const NamedLookupChains& named) {
  const std::string word = token->literal;
  token->properties.insert("abbrev");
  auto chain = named.find("abbrev");
  if (chain != named.end()) {
    const Outputs outputs = core::lookup_chain(chain->second, word);
    if (!outputs.empty()) {
      token->readings.clear();
      token->properties.erase("nf");
      assign_afst_results_token_obj(token, outputs);
      return true;
    }
  }
  if (word.empty() || word.back() != '.') return false;
  const std::vector<UChar32> first = first_characters(word, 1);
  if (first.empty()) return false;
  const char* pos = u_isupper(first[0])   ? "Prop-Std"
                    : u_islower(first[0]) ? "Nn-Std"
                    : u_isdigit(first[0]) ? "Num-Std"
                                          : nullptr;
  if (pos == nullptr) return false;
  // The reading is made directly, not read as a lexicon output, so that a
  // "+" inside the word cannot cut it.
  token->readings.clear();
  token->readings.emplace_back(pos, word, 0.1);
  token->properties.insert("nf");
  return true;
}

bool check_sentence_begin_candidate(Blackboard& blackboard,
                                    AnnotationCollection& list, Token* token,
                                    Token* next) {
  const std::string& word = token->literal;
  if (!starts_upper(next->literal) || word.empty() || word.back() != '.') {
    return false;
  }
  const core::MorphData* data = dictionary(blackboard);
  if (data == nullptr) return false;
  const NamedLookupChains& named = blackboard.named_lookups;

  Outputs outputs = data->lookup(next->literal);
  if (!outputs.empty()) {
    Token scratch(next->begin, next->end, next->literal);
    assign_afst_results_token_obj(&scratch, outputs);
    if (has_property(scratch, "fam") || has_property(scratch, "giv")) {
      set_abbrev_properties(token, named);
      return false;
    }
  }

  std::string lower;
  if (!lower_initial(next->literal, lower)) return false;
  outputs = data->first(lower);
  if (outputs.empty()) return false;
  Token scratch(next->begin, next->end, lower);
  assign_afst_results_token_obj(&scratch, outputs);
  if (!is_sentence_begin_candidate(&scratch)) {
    set_abbrev_properties(token, named);
    return false;
  }

  // The next word is a function word that starts a sentence.
  const std::string written = word;
  token->properties.clear();
  add_properties(token);
  set_abbrev_properties(token, named);
  if (!token->readings.empty() && token->properties.count("nf") == 0) {
    token->flags |= token_flags::sentence_end | token_flags::readings_final;
    return true;
  }

  // Not a known abbreviation: the full stop is split off and ends the
  // sentence.
  token->literal = written.substr(0, written.size() - 1);
  token->end -= 1;
  token->properties.clear();
  token->readings.clear();
  token->flags &= ~(token_flags::abbreviation_range | token_flags::skip_lookup);
  auto* stop = new Token(token->end, token->end + 1, ".");
  stop->readings.emplace_back("Punct-Std", ".", 1.0);
  stop->flags |= token_flags::sentence_end | token_flags::readings_final;
  list.insert_before(next, stop);
  return false;
}

void append_afst_results_token_obj(Token* token, const Outputs& outputs,
                                   const LookupConditionInterface* condition) {
  if (outputs.empty()) return;
  if (condition != nullptr) condition->action(token);
  add_properties(token);
  append_afst_results_token_obj(token, outputs);
}

}  // namespace kavero
}  // namespace zel
