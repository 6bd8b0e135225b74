#include "language/tokenizer_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <unicode/parseerr.h>
#include <unicode/rbbi.h>
#include <unicode/unistr.h>

#include "base/exception.h"
#include "base/file.h"
#include "base/logging.h"
#include "language/language_module.h"

namespace zel {
namespace kavero {

namespace {

template <class Compose>
void log(std::uint16_t level, Compose&& compose) {
  wlog::log(wlog::kRuntimeId, level, [&](std::ostream& os) {
    os << "[Tokenizer] ";
    compose(os);
  });
}

// The modification time of a file, or nothing when it does not exist.
bool modification_time(const std::string& path, struct timespec& time) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  time = status.st_mtim;
  return true;
}

// Whole seconds since the Unix epoch, -1 when the file does not exist.
int64_t modification_seconds(const std::string& path) {
  struct timespec time;
  if (!modification_time(path, time)) return -1;
  return static_cast<int64_t>(time.tv_sec);
}

// Frees rule bytes the data owns and forgets any rule bytes.
void drop_rules(LanguageModuleData& data) {
  if (data.rules_owned && data.rules != nullptr) delete[] data.rules;
  data.rules = nullptr;
  data.rules_size = 0;
  data.rules_owned = false;
}

[[noreturn]] void missing_rule_file(const std::filesystem::path& rule_file,
                                    const std::string& name) {
  std::ostringstream message;
  message << "Missing tokenizer file: [" << name << "] "
          << rule_file.string();
  throw Exception(message);
}

// The cache file: a header, then the compiled rules as ICU gives them.
//   8 bytes  kMagic
//   8 bytes  checksum of the rule file the rules were compiled from
//   4 bytes  length of the compiled rules
//   8 bytes  checksum of the compiled rules
// Numbers are little-endian. ICU checks little more than the header of
// compiled rules, and damaged rules make it read out of bounds; so the
// rules reach ICU only when both checksums match.
constexpr char kMagic[8] = {'K', 'V', 'T', 'O', 'K', 'C', '0', '1'};
constexpr std::size_t kHeaderSize = 8 + 8 + 4 + 8;

// FNV-1a, 64 bits: any change of a single byte changes it.
uint64_t checksum(const uint8_t* bytes, std::size_t size) {
  uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211ull;
  }
  return hash;
}

uint64_t checksum(const std::string& text) {
  return checksum(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t get(const std::string& in, std::size_t at, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

std::string header(uint64_t rules_checksum, const uint8_t* bytes, uint32_t size) {
  std::string out(kMagic, sizeof kMagic);
  put(out, rules_checksum, 8);
  put(out, size, 4);
  put(out, checksum(bytes, size), 8);
  return out;
}

// Why the cache file's content cannot be used, or nothing when it can. The
// rule file's checksum is compared when the rule file could be read.
std::string mismatch(const std::string& cache, bool rules_known, uint64_t rules_checksum) {
  if (cache.size() < kHeaderSize || cache.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
    return "not a tokenizer cache file";
  }
  if (get(cache, 16, 4) != cache.size() - kHeaderSize) return "its length does not match";
  if (get(cache, 20, 8) !=
      checksum(reinterpret_cast<const uint8_t*>(cache.data()) + kHeaderSize,
               cache.size() - kHeaderSize)) {
    return "its checksum does not match";
  }
  if (rules_known && get(cache, 8, 8) != rules_checksum) {
    return "it was made from another rule file";
  }
  return "";
}

// Reads a whole cache file. Any failure becomes the one runtime error of an
// unreadable cache file.
std::string read_cache(const std::string& cache_file) {
  try {
    // A folder opens, but is no file to read.
    if (!std::filesystem::is_regular_file(cache_file)) {
      throw std::invalid_argument("not a regular file");
    }
    std::ifstream in;
    in.exceptions(std::ios::failbit | std::ios::badbit);
    in.open(cache_file, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 0 || static_cast<uint64_t>(length) >
                          std::numeric_limits<uint32_t>::max()) {
      throw std::length_error("cache file too large");
    }
    in.seekg(0, std::ios::beg);
    std::string bytes(static_cast<size_t>(length), '\0');
    in.read(&bytes[0], length);
    return bytes;
  } catch (const std::exception&) {
    throw std::runtime_error("can not read tokenizer cache file." +
                             cache_file);
  }
}

// Whether ICU accepts the bytes as compiled break rules.
bool valid_rules(const uint8_t* bytes, uint32_t size) {
  UErrorCode status = U_ZERO_ERROR;
  icu::RuleBasedBreakIterator test(bytes, size, status);
  return U_SUCCESS(status);
}

// A name for the new cache file beside the old one, unique among the
// processes and threads that may write it at once.
std::string temporary_name(const std::string& cache_file) {
  static std::atomic<uint64_t> counter{0};
  std::ostringstream name;
  name << cache_file << ".tmp." << ::getpid() << "." << counter++;
  return name.str();
}

// Writes the cache file through a temporary file and a rename, so that the
// cache path holds either the old or the new file, never a part of one.
void write_cache(const std::string& cache_file, uint64_t rules_checksum,
                 const uint8_t* bytes, uint32_t size) {
  const std::string temporary = temporary_name(cache_file);
  try {
    std::ofstream out;
    out.exceptions(std::ios::failbit | std::ios::badbit);
    out.open(temporary, std::ios::binary | std::ios::trunc);
    log(wlog::kLevelInfo,
        [&](std::ostream& os) { os << "Write cached : " << cache_file; });
    const std::string head = header(rules_checksum, bytes, size);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    out.write(reinterpret_cast<const char*>(bytes), size);
    out.close();
    std::filesystem::rename(temporary, cache_file);
  } catch (const std::exception&) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    log(wlog::kLevelWarning, [&](std::ostream& os) {
      os << "Can not write cache file : " << cache_file;
    });
  }
}

// Reads the rule file; false when it cannot be read.
bool read_rules(const std::filesystem::path& rule_file, std::string& text) {
  try {
    text = file::load(rule_file.c_str());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Compiles the rule text, stores the iterator and its bytes in the data and
// writes the cache file.
void compile_rules(const std::filesystem::path& rule_file, const std::string& name,
                   const std::string& text, LanguageModuleData& data) {
  if (text.empty()) return;

  // Standard error: a host may print its analysis on standard output.
  std::cerr << "Optimizing the " << name
            << " tokenizer file, this will take a while ..." << std::endl;

  UParseError parse_error{};
  UErrorCode status = U_ZERO_ERROR;
  auto iterator = std::make_shared<icu::RuleBasedBreakIterator>(
      icu::UnicodeString::fromUTF8(text), parse_error, status);
  if (U_FAILURE(status)) {
    std::ostringstream message;
    message << "Loading regex parser :\n - file:" << rule_file.string()
            << "\n - line:" << parse_error.line << ":" << parse_error.offset;
    throw Exception(message);
  }

  drop_rules(data);
  data.rule_iterator = iterator;
  uint32_t size = 0;
  data.rules = iterator->getBinaryRules(size);
  data.rules_size = size;

  write_cache(rule_file.string() + "_cache", checksum(text), data.rules,
              data.rules_size);
}

}  // namespace

void check_tokenizer_cache_file(const std::filesystem::path& rule_file,
                                const std::string& name,
                                LanguageModuleData& data) {
  // An empty path would make the cache path "_cache" in the working folder,
  // a file that belongs to no rule file.
  if (rule_file.empty()) missing_rule_file(rule_file, name);

  const std::string rules_path = rule_file.string();
  const std::string cache_file = rules_path + "_cache";
  std::string text;
  const bool rules_known = read_rules(rule_file, text);
  std::error_code error;
  if (std::filesystem::exists(cache_file, error)) {
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "Check : " << std::quoted(rules_path) << ":"
         << modification_seconds(rules_path) << " <= " << cache_file << ":"
         << modification_seconds(cache_file);
    });
    log(wlog::kLevelTrace,
        [&](std::ostream& os) { os << "Read cached : " << cache_file; });
    const std::string cache = read_cache(cache_file);
    const std::string why = mismatch(cache, rules_known, checksum(text));
    const auto* rules = reinterpret_cast<const uint8_t*>(cache.data()) + kHeaderSize;
    const auto size = static_cast<uint32_t>(cache.size() - (why.empty() ? kHeaderSize : 0));
    if (why.empty() && valid_rules(rules, size)) {
      auto bytes = std::make_unique<uint8_t[]>(size == 0 ? 1 : size);
      std::memcpy(bytes.get(), rules, size);
      drop_rules(data);
      data.rules = bytes.release();
      data.rules_size = size;
      data.rules_owned = true;
      return;
    }
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "Rebuilding the cache file " << cache_file << ": "
         << (why.empty() ? "ICU refuses its rules" : why);
    });
  }
  if (!rules_known) missing_rule_file(rule_file, name);
  compile_rules(rule_file, name, text, data);
}

void create_tokenizer_cache_file(const std::filesystem::path& rule_file,
                                 const std::string& name,
                                 LanguageModuleData& data) {
  std::string text;
  if (!read_rules(rule_file, text)) missing_rule_file(rule_file, name);
  compile_rules(rule_file, name, text, data);
}

void create_tokenizer_cache_file(const std::string& rule_file) {
  LanguageModuleData data;
  const std::filesystem::path path(rule_file);
  check_tokenizer_cache_file(path, path.filename().string(), data);
}

}  // namespace kavero
}  // namespace zel
