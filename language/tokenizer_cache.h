// The compiled form of a language's own tokenizer rules, and its cache file.
//
// A language may tokenize with its own ICU break rules (a rule file in the
// syntax of ICU's rule-based break iterator). Compiling large rule files is
// slow, so the compiled rules are kept beside the rule file in a cache file
// named after it: the rule file's path as written, followed by "_cache". The
// cache file holds a short header and then the bytes ICU gives for the
// compiled rules; the header carries a checksum of those bytes and one of the
// rule file they were compiled from.
//
// A cache file is used when both checksums match (the rule file's only when
// the rule file can be read) and ICU accepts the rules; on any mismatch, as
// for a damaged or foreign file, the rule file is compiled again and the
// cache file replaced. ICU itself checks little of compiled rules, so the
// checksums stand between a damaged cache file and a crash. The new cache
// file is written under a temporary name beside it and renamed into place,
// so that a reader never sees half a file.

#ifndef KAVERO_LANGUAGE_TOKENIZER_CACHE_H_
#define KAVERO_LANGUAGE_TOKENIZER_CACHE_H_

#include <filesystem>
#include <string>

namespace zel {
namespace kavero {

class LanguageModuleData;

// Gives the data the compiled rules of the rule file: read from the cache
// file (the data then owns the bytes) when it exists, matches its checksums
// and ICU accepts it; otherwise compiled as create_tokenizer_cache_file does.
// `name` is only used in messages.
//
// Raises zel::Exception "Missing tokenizer file: [name] path" for an empty
// path (no cache file is consulted then) and for a rule file that cannot be
// read when it has to be compiled; std::runtime_error "can not read tokenizer
// cache file." + cache path when an existing cache file cannot be read; and
// the errors of create_tokenizer_cache_file.
void check_tokenizer_cache_file(const std::filesystem::path& rule_file,
                                const std::string& name,
                                LanguageModuleData& data);

// Compiles the rule file, stores the compiled iterator and its rule bytes in
// the data and writes the cache file. Prints "Optimizing the <name>
// tokenizer file, this will take a while ..." on standard error before it
// compiles (standard output may carry a host's analysis). An empty rule file compiles nothing and leaves the data as it
// was. Raises zel::Exception "Missing tokenizer file: [name] path" when the
// rule file cannot be read, and "Loading regex parser :\n - file:path\n
// - line:L:O" when the rules do not compile. A cache file that cannot be
// written is only logged as a warning: the compiled rules stay usable.
void create_tokenizer_cache_file(const std::filesystem::path& rule_file,
                                 const std::string& name,
                                 LanguageModuleData& data);

// Makes sure the cache file of the rule file exists and is current (for a
// host that prepares it ahead of time): check_tokenizer_cache_file with the
// path's file name as name and a data record of its own, then discarded.
void create_tokenizer_cache_file(const std::string& rule_file);

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_LANGUAGE_TOKENIZER_CACHE_H_
