#include "core-afst/guesser_lookup.h"

#include <unicode/uchar.h>
#include <utf8.h>

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace zel {
namespace afst {

namespace {

const char kReadingMarks[] = "+guess+nf";

std::vector<std::string> marked_readings(WordLookup& lexicon, const std::string& form) {
  std::vector<std::string> readings = lexicon.up(form);
  for (auto& reading : readings) reading += kReadingMarks;
  return readings;
}

}  // namespace

GuesserLookup::GuesserLookup(std::shared_ptr<AFst> guesser, std::shared_ptr<AFst> lexicon,
                             std::shared_ptr<ILookupConverter> converter)
    : guesser_(std::move(guesser)) {
  if (!guesser_) throw std::invalid_argument("guesser lookup without a guesser network");
  if (lexicon) lexicon_ = std::make_unique<WordLookup>(std::move(lexicon), std::move(converter));
}

GuesserLookup::~GuesserLookup() = default;

int32_t GuesserLookup::type() const { return 7; }

void GuesserLookup::set_guesser(std::shared_ptr<nlohmann::json> config) {
  config_ = std::move(config);
}

std::vector<std::string> GuesserLookup::up(const std::string& word) {
  if (word.size() > kMaxWordBytes || !all_lowecase(word)) return {};
  GuesserLookupSession session(guesser_, config_);
  // The text as the search makes it; every repair is undone by the end.
  const std::string text = GuesserFactory(word.data(), word.data() + word.size()).str();
  // filter() takes results with fewer repairs first, and among those with
  // none (all of which score 1.0) the first collected. So once a result
  // without repairs is found, it is the first that filter() takes, and
  // when filter() answers with it, nothing found later can change the
  // answer: the walk stops there.
  // filter() answers with the first result, in its ranking, that begins
  // with the text or has lexicon readings (any result, without a lexicon).
  auto answers = [&](const ResultEntry& result) {
    if (!lexicon_) return true;
    if (result.form.compare(0, text.size(), text) == 0) return true;
    return !lexicon_->up(result.form).empty();
  };
  session.stop_when(
      [&](const ResultEntry& result) { return result.repairs == 0 && answers(result); });
  // For the same reason, repairs whose results would all rank after the
  // best such result found so far are not walked.
  session.rank_with(answers);
  session.lookup(word);
  return filter(this, session.text(), session.results());
}

void GuesserLookup::print_results(const std::string& word) {
  for (const auto& answer : up(word)) std::cout << "  -g- " << answer << std::endl;
}

bool all_lowecase(const std::string& text) {
  for (auto it = text.begin(); it != text.end();) {
    if (!u_islower(static_cast<UChar32>(utf8::next(it, text.end())))) return false;
  }
  return true;
}

std::vector<std::string> filter(GuesserLookup* lookup, const std::string& text,
                                std::vector<ResultEntry>& results) {
  std::stable_sort(results.begin(), results.end(), [](const ResultEntry& a, const ResultEntry& b) {
    if (a.repairs != b.repairs) return a.repairs < b.repairs;
    return a.score > b.score;
  });
  WordLookup* lexicon = lookup->lexicon();
  std::vector<std::string> answers;
  for (const ResultEntry& result : results) {
    if (result.form.compare(0, text.size(), text) == 0) {
      if (lexicon != nullptr) return marked_readings(*lexicon, result.form);
      answers.push_back(result.form);
    }
    if (lexicon != nullptr) {
      for (auto& reading : marked_readings(*lexicon, result.form)) {
        answers.push_back(std::move(reading));
      }
    } else {
      answers.push_back(result.form + result.tag);
    }
    if (!answers.empty()) return answers;
  }
  return answers;
}

void indent(int count) {
  for (int i = 0; i < count; ++i) std::cout << "  ";
}

}  // namespace afst
}  // namespace zel
