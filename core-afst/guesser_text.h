// The working text of one guesser search and its undo log.
//
// The guesser repairs the word it walks in place: it removes a character or
// exchanges two neighbours, walks on, and puts the text back before it tries
// the next repair. The text lives in a fixed buffer; a change records, under
// the position where it starts, the text from there to the end as it was
// before, so that restoring at that position brings the text back. Repairs
// only remove or exchange characters, so the text never grows beyond its
// length at construction.

#ifndef KAVERO_CORE_AFST_GUESSER_TEXT_H_
#define KAVERO_CORE_AFST_GUESSER_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace zel {
namespace afst {

// What a change overwrote: the text from the change's position to the end,
// and the end of the text at that time.
struct ReplaceInfo {
  std::string text;
  const char* end = nullptr;
};

class GuesserFactory {
 public:
  // The size of the buffer. A text always leaves at least one zero byte
  // after its end.
  static constexpr std::size_t kBufferSize = 52;

  // Copies the word code point by code point, shortening every run of three
  // or more equal code points to two. Invalid UTF-8 raises utfcpp's errors;
  // a text that would not fit the buffer raises std::length_error.
  GuesserFactory(const char* begin, const char* end);

  GuesserFactory(const GuesserFactory&) = delete;
  GuesserFactory& operator=(const GuesserFactory&) = delete;

  const char* begin() const { return buffer_.get(); }
  const char* end() const { return end_; }
  std::size_t size() const { return static_cast<std::size_t>(end_ - buffer_.get()); }
  std::string str() const { return std::string(begin(), end()); }
  // The length at construction.
  int32_t initial_length() const { return length_; }
  // The byte offset of a position of the text.
  std::size_t offset(const char* position) const {
    return static_cast<std::size_t>(position - buffer_.get());
  }

  // Puts the bytes [begin, end) in place of the text range [from, to),
  // moving the rest of the text. Logs the text from `from` to the end first,
  // unless a change at `from` is logged already (the older entry stays).
  // A range outside the text, or a result that would not fit the buffer,
  // raises std::out_of_range or std::length_error and changes nothing.
  void replace(const char* from, const char* to, const char* begin, const char* end);

  // Puts back the text logged under `position` and forgets the entry; the
  // buffer after the restored end is zero. Nothing when nothing is logged
  // there.
  void restore(const char* position);

  // Whether a change at `position` is logged.
  bool logged(const char* position) const { return log_.count(position) != 0; }

 private:
  char* end_;
  std::unique_ptr<char[]> buffer_;
  int32_t length_;
  std::map<const char*, ReplaceInfo> log_;
};

}  // namespace afst
}  // namespace zel

#endif  // KAVERO_CORE_AFST_GUESSER_TEXT_H_
