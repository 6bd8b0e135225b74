// The one way the code base uses regular expressions.
//
// Regex is a compiled expression in Perl syntax; its copies share the compiled
// form, which never changes and may be matched from several threads at once.
// Matches are reported as SMatch: copied texts of the whole match and of each
// capture group, with their positions in the subject text.
//
// RegexFactory caches compiled expressions by pattern text and case mode, so
// that code which asks for the same pattern again and again compiles it once.
// kav_regex() reaches the process-wide cache, which has a mutex of its own;
// any other factory (the engine keeps one) is not locked and must be used by
// one thread at a time.
//
// Errors: an invalid pattern raises the regular-expression library's error, a
// std::runtime_error whose message tells the fault.

#ifndef KAVERO_BASE_REGEX_H_
#define KAVERO_BASE_REGEX_H_

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel {

// One capture group's result.
struct SubMatch {
  // A copy of the matched bytes; empty when the group took no part.
  std::string text;
  bool matched = false;
  // The start and the end of the match in the subject text; valid while that
  // text lives.
  std::string::const_iterator first;
  std::string::const_iterator second;
};

// The result of a match or a search: entry 0 is the whole match, then one
// entry per capture group in the order of their opening parentheses. The
// operations that fill it append and never clear it, so pass an empty one.
class SMatch {
 public:
  using const_iterator = std::vector<SubMatch>::const_iterator;

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const SubMatch& operator[](std::size_t i) const { return entries_[i]; }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  void clear() { entries_.clear(); }

  // The start and the end of the text that was searched.
  std::string::const_iterator text_begin() const { return text_begin_; }
  std::string::const_iterator text_end() const { return text_end_; }

 private:
  friend class Regex;
  friend class RegexIterator;

  std::vector<SubMatch> entries_;
  std::string::const_iterator text_begin_;
  std::string::const_iterator text_end_;
};

class Regex {
 public:
  // An empty expression: it holds no pattern and must not be matched. Used
  // where an expression is optional (a language without abbreviations).
  Regex();

  // Compiles the pattern with Perl syntax; case-insensitive when asked.
  Regex(const std::string& pattern, bool case_insensitive);

  bool empty() const { return compiled_ == nullptr; }

  // True when the expression matches the whole text; then appends the
  // sub-matches. The text must outlive the match.
  bool regex_match(const std::string& text, SMatch& match) const;
  bool regex_match(std::string&&, SMatch&) const = delete;
  bool regex_match(const std::string& text) const;
  // True when the expression matches the whole byte range.
  bool regex_match(const char* begin, const char* end) const;

  // True when the expression matches somewhere in the text: the leftmost
  // match, found as Perl finds it. Then appends the sub-matches and records
  // the searched text's start and end.
  bool regex_search(const std::string& text, SMatch& match) const;
  bool regex_search(std::string&&, SMatch&) const = delete;
  // The same over a range of a text; the range is the whole subject, so "^"
  // matches at its start.
  bool regex_search(std::string::const_iterator begin,
                    std::string::const_iterator end, SMatch& match) const;

  // True when both hold the same compiled expression (one is a copy of the
  // other, or both came from one cache entry).
  bool shares_expression_with(const Regex& other) const {
    return compiled_ != nullptr && compiled_ == other.compiled_;
  }

  struct Compiled;

 private:
  friend class RegexIterator;
  friend std::string RegexReplace(const std::string& text, const Regex& regex,
                                  const std::string& format);

  const Compiled& compiled() const;

  std::shared_ptr<const Compiled> compiled_;
};

// Walks the successive matches of an expression over a text, left to right
// and without overlap. A default-made iterator is the end.
//
//   for (zel::RegexIterator it(text, regex), end; it != end; ++it)
//     use((*it)[1].text);
//
// After an empty match the walk first looks for a non-empty match at the same
// place and otherwise moves on by one character, so an expression that can
// match the empty text still ends.
class RegexIterator {
 public:
  RegexIterator();
  RegexIterator(const std::string& text, const Regex& regex);
  RegexIterator(std::string&&, const Regex&) = delete;
  RegexIterator(std::string::const_iterator begin,
                std::string::const_iterator end, const Regex& regex);

  const SMatch& operator*() const { return match_; }
  const SMatch* operator->() const { return &match_; }
  RegexIterator& operator++();

  // Two iterators are equal when both have ended, or both stand on the same
  // match of the same text.
  bool operator==(const RegexIterator& other) const;
  bool operator!=(const RegexIterator& other) const { return !(*this == other); }

 private:
  // Searches from the current position; ends the walk when nothing is found.
  void search(bool not_empty_here);

  Regex regex_;
  std::string::const_iterator begin_;
  std::string::const_iterator end_;
  std::string::const_iterator position_;
  SMatch match_;
  bool done_ = true;
};

// A copy of the text in which every match, left to right and without overlap,
// is replaced by the format expanded with the library's default (Perl-like)
// format syntax: $& is the whole match, $n the n-th group. Text between
// matches is copied unchanged.
std::string RegexReplace(const std::string& text, const Regex& regex,
                         const std::string& format);

// A cache from pattern text and case mode to compiled expression. Entries are
// added on first use and kept for the factory's life. Not locked.
class RegexFactory {
 public:
  RegexFactory();

  // The cached expression of the pattern in that case mode, compiled and
  // added on first use. A pattern that does not compile raises and adds
  // nothing.
  Regex make_regex(const std::string& pattern, bool case_insensitive);

  // make_regex on the process-wide factory, under its mutex.
  static Regex get_regex(const std::string& pattern, bool case_insensitive);

 private:
  // One map per case mode: a case-insensitive request never gets the
  // case-sensitive expression of the same text, nor the other way round.
  std::unordered_map<std::string, Regex> cache_[2];
};

// The process-wide case-sensitive expression of the pattern.
Regex kav_regex(const std::string& pattern);

// Despite its name this is the same case-sensitive expression as kav_regex(),
// from the same cache entry: the rule matcher's "_contains" conditions are
// defined to compare case-sensitively through it.
Regex kav_regex_case_insenitive(const std::string& pattern);

}  // namespace zel

#endif  // KAVERO_BASE_REGEX_H_
