#include "core-afst/guesser_text.h"

#include <utf8.h>

#include <cstring>
#include <stdexcept>

namespace zel {
namespace afst {

GuesserFactory::GuesserFactory(const char* begin, const char* end)
    : end_(nullptr), buffer_(new char[kBufferSize]()), length_(0) {
  char* out = buffer_.get();
  char* const limit = buffer_.get() + kBufferSize - 1;
  uint32_t previous = 0;
  int run = 0;
  for (const char* it = begin; it != end;) {
    const char* start = it;
    const uint32_t c = utf8::next(it, end);
    run = (run > 0 && c == previous) ? run + 1 : 1;
    previous = c;
    if (run > 2) continue;
    const std::size_t bytes = static_cast<std::size_t>(it - start);
    if (bytes > static_cast<std::size_t>(limit - out)) {
      throw std::length_error("guesser text longer than its buffer");
    }
    std::memcpy(out, start, bytes);
    out += bytes;
  }
  end_ = out;
  length_ = static_cast<int32_t>(out - buffer_.get());
}

void GuesserFactory::replace(const char* from, const char* to, const char* begin, const char* end) {
  char* const base = buffer_.get();
  if (from < base || from > to || to > end_ || begin > end) {
    throw std::out_of_range("guesser text change outside the text");
  }
  const std::size_t removed = static_cast<std::size_t>(to - from);
  const std::size_t added = static_cast<std::size_t>(end - begin);
  const std::size_t length = size() - removed + added;
  if (length > kBufferSize - 1) throw std::length_error("guesser text longer than its buffer");

  // The replacement may come from the text itself: copy it before moving.
  const std::string replacement(begin, end);
  log_.emplace(from, ReplaceInfo{std::string(from, static_cast<const char*>(end_)), end_});

  char* at = base + (from - base);
  const std::size_t tail = static_cast<std::size_t>(end_ - to);
  std::memmove(at + added, at + removed, tail);
  std::memcpy(at, replacement.data(), added);
  end_ = base + length;
  std::memset(end_, 0, kBufferSize - length);
}

void GuesserFactory::restore(const char* position) {
  auto entry = log_.find(position);
  if (entry == log_.end()) return;
  char* const base = buffer_.get();
  char* at = base + (position - base);
  std::memcpy(at, entry->second.text.data(), entry->second.text.size());
  end_ = base + (entry->second.end - base);
  std::memset(end_, 0, kBufferSize - size());
  log_.erase(entry);
}

}  // namespace afst
}  // namespace zel
