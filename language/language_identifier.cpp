#include "language/language_identifier.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <ostream>
#include <sstream>
#include <vector>

#include <fst/vector-fst.h>
#include <unicode/uchar.h>
#include <utf8.h>

#include "base/exception.h"
#include "base/logging.h"
#include "base/string_util.h"
#include "core-afst/afst.h"
#include "core-afst/transducer_file.h"
#include "core-afst/word_lookup.h"
#include "engine/engine.h"
#include "language/language_blocks.h"
#include "language/language_names.h"

namespace zel {
namespace lid {

namespace {

// Looked-up words between two tries of the early decision.
constexpr int kDecisionInterval = 250;

// The lead over the second language, as a share of the first language's
// probability, that decides.
constexpr double kMargin = 0.3;

// What one block match adds to its language's score.
constexpr int32_t kBlockScore = 5;

// The first code point of any block row: every code point below lies in
// none, which spares Latin text the walk over the table.
constexpr uint32_t kFirstBlockCodePoint = 0x0370;

// U+FEFF, the byte-order mark (also the zero-width no-break space): it lies
// in the block of Arabic presentation forms, but any text may begin with it
// whatever its language, so it suggests none.
constexpr uint32_t kByteOrderMark = 0xFEFF;

const char kInvalidUtf8[] = "invalid utf8";

// Adds without leaving the 32-bit range: a network with absurd weights must
// not wrap the scores around.
int32_t saturated_add(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  if (sum > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (sum < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(sum);
}

// The weight of a network output: a base-10 integer from its third byte on,
// 0 when there are no digits.
int32_t output_weight(const std::string& output) {
  const long value = std::strtol(output.c_str() + 2, nullptr, 10);
  return static_cast<int32_t>(std::clamp<long>(value, std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max()));
}

void add_score(std::map<std::string, LidLanguageData>& scores, const std::string& code,
               int32_t score) {
  LidLanguageData& data = scores[code];
  data.score = saturated_add(data.score, score);
  data.count = saturated_add(data.count, 1);
}

}  // namespace

const std::set<std::string> valid_options = {
    "kestrumbal", "verbose",          "data",          "root_path",
    "long_names", "section_data", "default_language", "language_codes"};

std::ostream& operator<<(std::ostream& os, const ProbabilityResult& result) {
  return os << result.language << "," << result.probability;
}

bool sentence_end(unsigned code_point) {
  return code_point == '!' || code_point == '.' || code_point == '?';
}

ProbabilityResult get_probability(std::map<std::string, LidLanguageData> scores, int total,
                                  const Condition& condition) {
  std::vector<std::pair<std::string, LidLanguageData>> list;
  list.reserve(scores.size());
  for (auto& [code, data] : scores) {
    data.probability =
        static_cast<double>(data.score) * static_cast<double>(data.count) / total;
    list.emplace_back(code, data);
  }
  // The map gave ascending codes; a stable sort keeps them among equals.
  std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
    return a.second.probability > b.second.probability;
  });

  ProbabilityResult result;
  if (list.empty()) return result;
  if (list.size() == 1) {
    result.language = list[0].first;
    result.probability = 1.0;
    return result;
  }
  double value = 0;
  const int index = condition(total, list[0], list[1], value);
  if (index < 0) {
    result.probability = value;
    return result;
  }
  if (value == 0) return result;
  result.language = list[static_cast<std::size_t>(index)].first;
  result.probability = value;
  return result;
}

int default_condition(int, std::pair<std::string, LidLanguageData> first,
                      std::pair<std::string, LidLanguageData> second, double& value) {
  const double p1 = first.second.probability;
  const double p2 = second.second.probability;
  if (p1 == 0) return 0;
  value = (p1 - p2) / p1;
  if (value >= kMargin) return 0;
  value = 0;
  return -1;
}

int small_buffer_condition(int total, std::pair<std::string, LidLanguageData> first,
                           std::pair<std::string, LidLanguageData> second, double& value) {
  const double p1 = first.second.probability;
  const double p2 = second.second.probability;
  const int32_t c1 = first.second.count;
  const int32_t c2 = second.second.count;
  if (p1 == 0) return 0;
  value = (p1 - p2) / p1;
  if (value >= kMargin && c1 > 2) return 0;
  if (value < kMargin && c1 <= 3) return -1;
  // A clear lead from one or two words, or no clear lead from four or more:
  // the word counts decide. The shares are fractions, so they are taken in
  // floating point.
  const double n = total;
  value = (c1 / n - c2 / n) / n;
  if (value < 0) {
    // The second language won; its value is its own lead, which is positive.
    value = -value;
    return 1;
  }
  return 0;
}

SectionDetectionResult character_range_detection(const char* text, unsigned long length) {
  SectionDetectionResult result;
  const char* position = text;
  const char* const end = text + length;
  while (position < end) {
    const uint32_t c = utf8::next(position, end);
    result.words = saturated_add(result.words, 1);
    if (c < kFirstBlockCodePoint || c == kByteOrderMark) continue;
    for (const LanguageBlock& block : language_blocks) {
      if (std::get<0>(block) <= c && c <= std::get<1>(block)) {
        result.hits = saturated_add(result.hits, 1);
        add_score(result.scores, std::get<2>(block), kBlockScore);
      }
    }
  }
  return result;
}

LIDStoreInterface::~LIDStoreInterface() = default;

std::shared_ptr<afst::AFst> load_lid_fst(kavero::EngineInterface* engine) {
  return engine->get_language_identifier_data();
}

LIDStore::LIDStore(kavero::EngineInterface* engine, std::shared_ptr<IOptions> options)
    : options_(std::move(options)),
      lookup_(std::make_unique<afst::WordLookup>(load_lid_fst(engine), nullptr)),
      codes_(language::get_language_codes()) {
  if (options_) {
    section_data_ = options_->get_bool("section_data", false);
    long_names_ = options_->get_bool("long_names", true);
    const std::string codes = options_->get("language_codes");
    if (!codes.empty()) {
      codes_.clear();
      string::split_set(codes_, codes, ',');
    }
    default_language_ = options_->get("default_language", default_language_);
  }
  if (default_language_.empty() || codes_.count(default_language_) == 0) {
    std::ostringstream message;
    message << "Invalid default_language option, or is not in the default set: ["
            << default_language_ << "]";
    throw Exception(message);
  }
}

LIDStore::~LIDStore() = default;

std::string LIDStore::reported(const std::string& code) const {
  return long_names_ ? language::longname(code, false) : code;
}

void LIDStore::add_block_scores(const SectionDetectionResult& blocks,
                                std::map<std::string, LidLanguageData>& scores) const {
  // Only accepted languages are scored, whether a word or a block names
  // them: a caller that restricts the codes must not get another language,
  // nor the empty code of the blocks that suggest none.
  for (const auto& [code, data] : blocks.scores) {
    if (codes_.count(code) == 0) continue;
    LidLanguageData& total = scores[code];
    total.score = saturated_add(total.score, data.score);
    total.count = saturated_add(total.count, 1);
  }
}

void LIDStore::score_word(const std::string& word, SectionDetectionResult& result) {
  const std::vector<std::string> outputs = lookup_->up(word);
  if (outputs.empty()) {
    add_block_scores(character_range_detection(word.data(), word.size()), result.scores);
    return;
  }
  for (const std::string& output : outputs) {
    if (output.size() < 2) continue;
    const std::string code = output.substr(0, 2);
    if (codes_.count(code) == 0) continue;
    add_score(result.scores, code, output_weight(output));
  }
}

SectionDetectionResult LIDStore::identify_language(const char* text, unsigned long length) {
  SectionDetectionResult result;
  try {
    scan(text, length, result);
  } catch (const utf8::exception&) {
    result.language = kInvalidUtf8;
    result.found = false;
    result.probability = 0;
  }
  return result;
}

void LIDStore::scan(const char* text, unsigned long length, SectionDetectionResult& result) {
  const char* const end = text + length;
  const char* position = text;
  const char* word = nullptr;
  bool sentence_start = true;
  int counter = 0;
  std::string candidate;

  // Handles the word [word, word_end) that `c` ended; true when the early
  // decision settled the text.
  auto handle = [&](const char* word_end, uint32_t c, bool last) {
    if (!sentence_start && *word >= 'A' && *word <= 'Z') {
      // A capitalised word in mid-sentence is taken for a name.
      sentence_start = sentence_end(c);
      return false;
    }
    candidate.assign(word, word_end);
    for (std::size_t i = 0; i < candidate.size(); ++i) {
      const char byte = candidate[i];
      if (byte < 'A' || byte > 'Z') continue;
      // Capitals after the first byte: an abbreviation or a mixed-case
      // name, which tells nothing about the language.
      if (i > 0) return false;
      candidate[i] = static_cast<char>(byte - 'A' + 'a');
    }
    result.words = saturated_add(result.words, 1);
    score_word(candidate, result);
    if (++counter == kDecisionInterval) {
      const ProbabilityResult decision =
          get_probability(result.scores, result.words, default_condition);
      if (!decision.language.empty()) {
        result.language = reported(decision.language);
        result.found = true;
        result.probability = decision.probability;
        result.hits = result.scores[decision.language].count;
        return true;
      }
      counter = 0;
    }
    sentence_start = sentence_end(c) && !last;
    return false;
  };

  while (position < end) {
    const char* const at = position;
    const uint32_t c = utf8::next(position, end);
    const bool last = position == end;
    if (word == nullptr) {
      if (!u_isalpha(c)) continue;
      word = at;
      if (!last) continue;
      // A text that ends on a one-letter word.
      if (handle(end, c, last)) return;
      word = nullptr;
      continue;
    }
    const char* word_end;
    if (u_isalpha(c)) {
      if (!last) continue;
      word_end = end;
    } else if (sentence_end(c) && !last && !u_isspace(utf8::peek_next(position, end))) {
      // "e.g.", "3.5": the full stop does not end the word.
      continue;
    } else if (u_isspace(c) || u_iscntrl(c) || u_ispunct(c)) {
      word_end = last ? end : at;
    } else {
      // Digits, symbols and marks belong to the word.
      if (!last) continue;
      word_end = end;
    }
    if (handle(word_end, c, last)) return;
    word = nullptr;
  }

  ProbabilityResult decision = get_probability(result.scores, result.words, small_buffer_condition);
  if (!decision.language.empty()) {
    result.found = true;
    result.probability = decision.probability;
    result.hits = result.scores[decision.language].count;
    result.language = reported(decision.language);
    return;
  }

  // No decision from the words: the blocks of the whole text, else the
  // default language.
  result.scores.clear();
  std::map<std::string, LidLanguageData> blocks;
  const SectionDetectionResult text_blocks = character_range_detection(text, length);
  for (const auto& [code, data] : text_blocks.scores) {
    // Here every matching code point counts, not every word.
    if (codes_.count(code) != 0) blocks.emplace(code, data);
  }
  // The total is the length in bytes; a text past the 32-bit range counts as
  // that long, which changes no decision between languages that scored.
  const int total = static_cast<int>(
      std::min<unsigned long>(length, static_cast<unsigned long>(std::numeric_limits<int>::max())));
  decision = get_probability(blocks, total, small_buffer_condition);
  if (!decision.language.empty()) {
    result.found = true;
    result.probability = decision.probability;
    result.hits = 0;
    result.language = reported(decision.language);
    return;
  }
  result.language = reported(default_language_);
}

std::shared_ptr<LIDStoreInterface> createStore(kavero::EngineInterface* engine,
                                               const std::shared_ptr<IOptions>& options) {
  return std::make_shared<LIDStore>(engine, options);
}

}  // namespace lid

namespace kavero {

std::shared_ptr<afst::AFst> Engine::get_language_identifier_data() const {
  std::lock_guard<std::mutex> lock(*get_mutex());
  if (language_identifier_data_) return language_identifier_data_;

  std::vector<std::string> candidates;
  candidates.push_back((std::filesystem::path(root_folder()) / "morvik" / "lid.fst").string());
  for (const std::string& folder : resource_folders()) {
    candidates.push_back((std::filesystem::path(folder) / "lid.fst").string());
  }
  // A candidate that is there but damaged is passed over like a missing
  // one; what is wrong with it goes into the error when no candidate reads.
  std::string faults;
  for (const std::string& candidate : candidates) {
    wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, [&](std::ostream& os) {
      os << "get_language_identifier_data " << candidate;
    });
    std::error_code error;
    if (!std::filesystem::is_regular_file(candidate, error)) continue;
    // The root's folder is often also a resource folder.
    if (faults.find(" [" + candidate + "]: ") != std::string::npos) continue;
    std::string bytes;
    std::string fault;
    std::shared_ptr<fst::StdVectorFst> transducer;
    if (afst::read_transducer_bytes(candidate, &bytes, &fault)) {
      transducer = afst::read_transducer(bytes, &fault);
    }
    if (!transducer) {
      faults += " [" + candidate + "]: " + fault;
      continue;
    }
    language_identifier_data_ = std::make_shared<afst::AFst>(std::move(transducer));
    return language_identifier_data_;
  }

  wlog::log(wlog::kRuntimeId, wlog::kLevelDebug, [&](std::ostream& os) {
    os << "Could not load language identification data. [lid.fst] in [";
    for (const std::string& folder : resource_folders()) os << folder << ":";
    os << "]";
  });
  std::ostringstream message;
  message << "Could not load language identification data. [lid.fst]" << faults;
  throw Exception(message);
}

}  // namespace kavero
}  // namespace zel
