// Test helpers for damaged resource files: byte mutations made from a seed,
// a copy of the test language to damage, and a bounded run of a piece of
// work in a child process, so that a crash or a hang of the work is a
// finding of the test rather than the end of the test binary.

#ifndef KAVERO_ANALYSIS_RESOURCE_MUTATION_TESTUTIL_H_
#define KAVERO_ANALYSIS_RESOURCE_MUTATION_TESTUTIL_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace zel {
namespace testing {

// The bytes with 1 to 4 changes chosen by the seed: a random byte, a flipped
// bit, or a 32-bit word set to a value that counts and indexes are tested
// against (0, -1, the largest and smallest 32-bit numbers, large counts).
// The same seed always gives the same bytes.
std::string mutate_bytes(const std::string& bytes, uint32_t seed);

// What became of one bounded run.
struct BoundedRun {
  enum class Outcome {
    kFinished,  // the work returned; `text` is its answer
    kError,     // the work raised; `text` is the message, `zel_exception`
                // tells whether it was a zel::Exception
    kCrash,     // the child died or exited without an answer; `text` says how
    kTimeout,   // the child ran past its time
  };
  Outcome outcome = Outcome::kCrash;
  std::string text;
  bool zel_exception = false;
  double seconds = 0;
};

// Runs `work` in a forked child that is killed after `seconds` seconds. The
// child sends its answer, or the message of what it raised, back through a
// pipe and leaves without running exit handlers.
BoundedRun run_bounded(const std::function<std::string()>& work, unsigned seconds);

// A copy of the test language's folder under a new temporary root
// (root/morvik), removed with the object. One file at a time can be
// replaced by other bytes and put back.
class LanguageCopy {
 public:
  // Copies the resource folder `morvik` (test_language_folder() for the
  // test language).
  explicit LanguageCopy(const std::filesystem::path& morvik);
  ~LanguageCopy();
  LanguageCopy(const LanguageCopy&) = delete;
  LanguageCopy& operator=(const LanguageCopy&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path morvik() const { return root_ / "morvik"; }

  // The file's original bytes.
  const std::string& original(const std::string& name);
  // Writes the bytes in place of the file.
  void replace(const std::string& name, const std::string& bytes);
  // Puts the original bytes back.
  void restore(const std::string& name);

 private:
  std::filesystem::path root_;
  std::map<std::string, std::string> originals_;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ANALYSIS_RESOURCE_MUTATION_TESTUTIL_H_
