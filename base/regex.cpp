#include "base/regex.h"

#include <mutex>
#include <stdexcept>

#include <boost/regex.hpp>

namespace zel {

struct Regex::Compiled {
  boost::regex expression;
};

namespace {

// Appends the groups of a Boost match to ours.
template <class BoostMatch>
void append(const BoostMatch& what, std::vector<SubMatch>& out) {
  for (std::size_t i = 0; i < what.size(); ++i) {
    SubMatch sub;
    sub.matched = what[i].matched;
    if (sub.matched) sub.text = what[i].str();
    sub.first = what[i].first;
    sub.second = what[i].second;
    out.push_back(std::move(sub));
  }
}

// The end of the UTF-8 character that starts at `p`, at most `end`. A byte
// that does not start a character (a stray continuation byte) counts alone.
std::string::const_iterator next_character(std::string::const_iterator p,
                                           std::string::const_iterator end) {
  if (p == end) return p;
  ++p;
  while (p != end && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) ++p;
  return p;
}

}  // namespace

Regex::Regex() = default;

Regex::Regex(const std::string& pattern, bool case_insensitive) {
  auto compiled = std::make_shared<Compiled>();
  boost::regex::flag_type flags = boost::regex::perl;
  if (case_insensitive) flags |= boost::regex::icase;
  compiled->expression.assign(pattern, flags);
  compiled_ = std::move(compiled);
}

const Regex::Compiled& Regex::compiled() const {
  if (compiled_ == nullptr) {
    throw std::logic_error("an empty regular expression cannot be matched");
  }
  return *compiled_;
}

bool Regex::regex_match(const std::string& text, SMatch& match) const {
  boost::smatch what;
  if (!boost::regex_match(text, what, compiled().expression)) return false;
  append(what, match.entries_);
  match.text_begin_ = text.begin();
  match.text_end_ = text.end();
  return true;
}

bool Regex::regex_match(const std::string& text) const {
  return boost::regex_match(text, compiled().expression);
}

bool Regex::regex_match(const char* begin, const char* end) const {
  return boost::regex_match(begin, end, compiled().expression);
}

bool Regex::regex_search(const std::string& text, SMatch& match) const {
  return regex_search(text.begin(), text.end(), match);
}

bool Regex::regex_search(std::string::const_iterator begin,
                         std::string::const_iterator end, SMatch& match) const {
  boost::smatch what;
  if (!boost::regex_search(begin, end, what, compiled().expression)) return false;
  append(what, match.entries_);
  match.text_begin_ = begin;
  match.text_end_ = end;
  return true;
}

RegexIterator::RegexIterator() = default;

RegexIterator::RegexIterator(const std::string& text, const Regex& regex)
    : RegexIterator(text.begin(), text.end(), regex) {}

RegexIterator::RegexIterator(std::string::const_iterator begin,
                             std::string::const_iterator end, const Regex& regex)
    : regex_(regex), begin_(begin), end_(end), position_(begin), done_(false) {
  regex_.compiled();  // an empty expression fails here, not in the walk
  search(false);
}

void RegexIterator::search(bool not_empty_here) {
  const boost::regex& expression = regex_.compiled_->expression;
  // The whole text is the subject: a search that starts inside it may look
  // back at the byte before its start (for "^", "\b" and the like).
  boost::match_flag_type base = boost::match_default;
  if (position_ != begin_) base |= boost::match_prev_avail;

  boost::smatch what;
  bool found = false;
  if (not_empty_here) {
    // After an empty match: a non-empty match starting at the same place is
    // the next one; otherwise go on one character further.
    found = boost::regex_search(position_, end_, what, expression,
                                base | boost::match_not_null | boost::match_continuous);
    if (!found) {
      position_ = next_character(position_, end_);
      base = boost::match_default | boost::match_prev_avail;
      found = boost::regex_search(position_, end_, what, expression, base);
    }
  } else {
    found = boost::regex_search(position_, end_, what, expression, base);
  }
  match_.clear();
  if (!found) {
    done_ = true;
    return;
  }
  append(what, match_.entries_);
  match_.text_begin_ = begin_;
  match_.text_end_ = end_;
  position_ = what[0].second;
}

RegexIterator& RegexIterator::operator++() {
  if (done_) return *this;
  if (position_ == end_) {
    done_ = true;
    match_.clear();
    return *this;
  }
  const bool was_empty = match_[0].first == match_[0].second;
  search(was_empty);
  return *this;
}

bool RegexIterator::operator==(const RegexIterator& other) const {
  if (done_ || other.done_) return done_ == other.done_;
  return regex_.shares_expression_with(other.regex_) && begin_ == other.begin_ &&
         end_ == other.end_ && match_[0].first == other.match_[0].first &&
         match_[0].second == other.match_[0].second;
}

std::string RegexReplace(const std::string& text, const Regex& regex,
                         const std::string& format) {
  return boost::regex_replace(text, regex.compiled().expression, format);
}

RegexFactory::RegexFactory() = default;

Regex RegexFactory::make_regex(const std::string& pattern, bool case_insensitive) {
  auto& cache = cache_[case_insensitive ? 1 : 0];
  auto found = cache.find(pattern);
  if (found != cache.end()) return found->second;
  Regex compiled(pattern, case_insensitive);  // raises before anything is added
  return cache.emplace(pattern, std::move(compiled)).first->second;
}

Regex RegexFactory::get_regex(const std::string& pattern, bool case_insensitive) {
  // Function-local so that static initialisers of other files (the version
  // pattern) may compile through the cache.
  static std::mutex regex_factory_mutex;
  static std::unique_ptr<RegexFactory> gfactory;
  std::lock_guard<std::mutex> lock(regex_factory_mutex);
  if (gfactory == nullptr) gfactory = std::make_unique<RegexFactory>();
  return gfactory->make_regex(pattern, case_insensitive);
}

Regex kav_regex(const std::string& pattern) {
  return RegexFactory::get_regex(pattern, false);
}

Regex kav_regex_case_insenitive(const std::string& pattern) {
  return RegexFactory::get_regex(pattern, false);
}

}  // namespace zel
