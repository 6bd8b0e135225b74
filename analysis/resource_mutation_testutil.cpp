#include "analysis/resource_mutation_testutil.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "base/exception.h"

namespace zel {
namespace testing {

namespace fs = std::filesystem;

std::string mutate_bytes(const std::string& bytes, uint32_t seed) {
  std::string out = bytes;
  if (out.empty()) return out;
  std::mt19937 rng(seed);
  static const uint32_t kWords[] = {0u,          0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u,
                                    0x00010000u, 0x01000000u, 0x40000000u, 0x0000FFFFu};
  const int changes = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < changes; ++i) {
    const std::size_t at = rng() % out.size();
    switch (rng() % 4) {
      case 0:
      case 1:
        out[at] = static_cast<char>(rng() & 0xFF);
        break;
      case 2:
        out[at] = static_cast<char>(out[at] ^ (1 << (rng() % 8)));
        break;
      default: {
        const uint32_t word = kWords[rng() % (sizeof(kWords) / sizeof(kWords[0]))];
        for (std::size_t k = 0; k < 4 && at + k < out.size(); ++k) {
          out[at + k] = static_cast<char>((word >> (8 * k)) & 0xFF);
        }
        break;
      }
    }
  }
  return out;
}

namespace {

void write_all(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The line of a dying child's output that tells the fault: the sanitizer's
// or the runtime's error line when there is one, else the first line.
std::string fault_line(const std::string& text) {
  std::size_t at = std::string::npos;
  for (const char* mark : {"ERROR: ", "runtime error: ", "terminate called"}) {
    at = text.find(mark);
    if (at != std::string::npos) break;
  }
  if (at == std::string::npos) at = 0;
  const std::size_t begin = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
  std::size_t end = text.find('\n', at);
  if (end == std::string::npos) end = text.size();
  return text.substr(begin, std::min<std::size_t>(end - begin, 200));
}

}  // namespace

BoundedRun run_bounded(const std::function<std::string()>& work, unsigned seconds) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
  char error_path[] = "/tmp/kavero-bounded-XXXXXX";
  const int error_fd = ::mkstemp(error_path);
  if (error_fd < 0) throw std::runtime_error("mkstemp failed");

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::close(channel[0]);
    ::dup2(error_fd, STDERR_FILENO);
    ::alarm(seconds);
    std::string message;
    try {
      message = "F" + work();
    } catch (const Exception& e) {
      message = std::string("Z") + e.what();
    } catch (const std::exception& e) {
      message = std::string("S") + e.what();
    } catch (...) {
      message = "Sunknown exception";
    }
    write_all(channel[1], message);
    ::close(channel[1]);
    ::_exit(0);
  }

  ::close(channel[1]);
  ::close(error_fd);
  std::string answer;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
    if (n > 0) {
      answer.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(channel[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  BoundedRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string errors = read_file(error_path);
  ::unlink(error_path);

  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    run.outcome = BoundedRun::Outcome::kTimeout;
    run.text = "no answer after " + std::to_string(seconds) + " s";
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !answer.empty()) {
    run.text = answer.substr(1);
    if (answer[0] == 'F') {
      run.outcome = BoundedRun::Outcome::kFinished;
    } else {
      run.outcome = BoundedRun::Outcome::kError;
      run.zel_exception = answer[0] == 'Z';
    }
  } else {
    run.outcome = BoundedRun::Outcome::kCrash;
    run.text = WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                   : "exit " + std::to_string(WEXITSTATUS(status));
    if (!errors.empty()) run.text += ": " + fault_line(errors);
  }
  return run;
}

LanguageCopy::LanguageCopy(const fs::path& morvik_folder) {
  char pattern[] = "/tmp/kavero-language-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  fs::copy(morvik_folder, morvik(), fs::copy_options::recursive);
}

LanguageCopy::~LanguageCopy() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

const std::string& LanguageCopy::original(const std::string& name) {
  auto it = originals_.find(name);
  if (it == originals_.end()) {
    it = originals_.emplace(name, read_file(morvik() / name)).first;
  }
  return it->second;
}

void LanguageCopy::replace(const std::string& name, const std::string& bytes) {
  original(name);
  std::ofstream out(morvik() / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (morvik() / name).string());
}

void LanguageCopy::restore(const std::string& name) { replace(name, original(name)); }

}  // namespace testing
}  // namespace zel
