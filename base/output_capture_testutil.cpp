#include "base/output_capture_testutil.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace zel {
namespace testing {
namespace {

void flush_all() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

// A temporary file that is removed again when the object goes.
class TempFile {
 public:
  TempFile() {
    char name[] = "/tmp/kavero_capture_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    path_ = name;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }
  std::string read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

// Points a file descriptor at a file until the object goes.
class Redirect {
 public:
  Redirect(int fd, const std::string& path) : fd_(fd) {
    flush_all();
    saved_ = dup(fd);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (saved_ < 0 || file == nullptr) throw std::runtime_error("cannot redirect output");
    dup2(fileno(file), fd);
    std::fclose(file);
  }
  ~Redirect() {
    flush_all();
    dup2(saved_, fd_);
    close(saved_);
  }

 private:
  int fd_;
  int saved_;
};

std::string capture(int fd, const std::function<void()>& function) {
  TempFile file;
  {
    Redirect redirect(fd, file.path());
    function();
  }
  return file.read();
}

}  // namespace

std::string capture_stdout(const std::function<void()>& function) {
  return capture(STDOUT_FILENO, function);
}

std::string capture_stderr(const std::function<void()>& function) {
  return capture(STDERR_FILENO, function);
}

ChildResult run_in_child(const std::function<int()>& function) {
  TempFile out;
  TempFile err;
  flush_all();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int code = 99;
    {
      Redirect to_out(STDOUT_FILENO, out.path());
      Redirect to_err(STDERR_FILENO, err.path());
      try {
        code = function();
      } catch (...) {
        code = 99;
      }
      flush_all();
    }
    // Skips the parent's static destructors and test framework clean-up.
    std::_Exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ChildResult result;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  result.out = out.read();
  result.err = err.read();
  return result;
}

}  // namespace testing
}  // namespace zel
