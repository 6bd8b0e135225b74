#include "language/tokenizer_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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

// Whether the rule file was changed after the cache file was written. A
// rule file that is gone does not outdate its cache.
bool rule_file_is_newer(const std::string& rule_file,
                        const std::string& cache_file) {
  struct timespec rules;
  struct timespec cache;
  if (!modification_time(rule_file, rules)) return false;
  if (!modification_time(cache_file, cache)) return true;
  if (rules.tv_sec != cache.tv_sec) return rules.tv_sec > cache.tv_sec;
  return rules.tv_nsec > cache.tv_nsec;
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

// Reads a whole cache file. Any failure becomes the one runtime error of an
// unreadable cache file.
std::unique_ptr<uint8_t[]> read_cache(const std::string& cache_file,
                                      uint32_t& size) {
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
    auto bytes = std::make_unique<uint8_t[]>(static_cast<size_t>(length));
    in.read(reinterpret_cast<char*>(bytes.get()), length);
    size = static_cast<uint32_t>(length);
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
void write_cache(const std::string& cache_file, const uint8_t* bytes,
                 uint32_t size) {
  const std::string temporary = temporary_name(cache_file);
  try {
    std::ofstream out;
    out.exceptions(std::ios::failbit | std::ios::badbit);
    out.open(temporary, std::ios::binary | std::ios::trunc);
    log(wlog::kLevelInfo,
        [&](std::ostream& os) { os << "Write cached : " << cache_file; });
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

}  // namespace

void check_tokenizer_cache_file(const std::filesystem::path& rule_file,
                                const std::string& name,
                                LanguageModuleData& data) {
  // An empty path would make the cache path "_cache" in the working folder,
  // a file that belongs to no rule file.
  if (rule_file.empty()) missing_rule_file(rule_file, name);

  const std::string rules_path = rule_file.string();
  const std::string cache_file = rules_path + "_cache";
  std::error_code error;
  if (std::filesystem::exists(cache_file, error)) {
    log(wlog::kLevelTrace, [&](std::ostream& os) {
      os << "Check : " << std::quoted(rules_path) << ":"
         << modification_seconds(rules_path) << " <= " << cache_file << ":"
         << modification_seconds(cache_file);
    });
    if (rule_file_is_newer(rules_path, cache_file)) {
      log(wlog::kLevelTrace, [&](std::ostream& os) {
        os << "Rule file is newer than its cache : " << cache_file;
      });
    } else {
      log(wlog::kLevelTrace,
          [&](std::ostream& os) { os << "Read cached : " << cache_file; });
      uint32_t size = 0;
      std::unique_ptr<uint8_t[]> bytes = read_cache(cache_file, size);
      if (valid_rules(bytes.get(), size)) {
        drop_rules(data);
        data.rules = bytes.release();
        data.rules_size = size;
        data.rules_owned = true;
        return;
      }
    }
  }
  create_tokenizer_cache_file(rule_file, name, data);
}

void create_tokenizer_cache_file(const std::filesystem::path& rule_file,
                                 const std::string& name,
                                 LanguageModuleData& data) {
  std::string text;
  try {
    text = file::load(rule_file.c_str());
  } catch (const std::exception&) {
    missing_rule_file(rule_file, name);
  }
  if (text.empty()) return;

  std::cout << "Optimizing the " << name
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

  write_cache(rule_file.string() + "_cache", data.rules, data.rules_size);
}

void create_tokenizer_cache_file(const std::string& rule_file) {
  LanguageModuleData data;
  const std::filesystem::path path(rule_file);
  check_tokenizer_cache_file(path, path.filename().string(), data);
}

}  // namespace kavero
}  // namespace zel
