#include "base/file.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exception.h"

namespace zel {
namespace {

class LoadTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::string(KAVERO_BINARY_DIR) + "/test_tmp/file_load";
    std::filesystem::create_directories(dir_);
  }

  std::string write(std::string const& name, std::string const& bytes) {
    std::string const path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string dir_;
};

TEST_F(LoadTest, ReadsEveryByte) {
  std::vector<std::pair<char const*, std::string>> const files = {
      {"empty", ""},
      {"text", "line one\nline two\n"},
      {"zero bytes", std::string("a\0b\0\0c", 6)},
      {"binary", std::string("\xFF\xFE\x00\x80\r\n", 6)},
  };
  for (auto const& [name, bytes] : files) {
    std::string const loaded = file::load(write(name, bytes).c_str());
    EXPECT_EQ(loaded, bytes) << name;
    EXPECT_EQ(loaded.size(), bytes.size()) << name;
  }
}

TEST_F(LoadTest, UnreadableFilesRaiseAPlainRuntimeError) {
  std::string const missing = dir_ + "/no such file";
  for (std::string const& path : {missing, dir_}) {
    try {
      file::load(path.c_str());
      ADD_FAILURE() << path << ": no exception";
    } catch (zel::Exception const&) {
      ADD_FAILURE() << path << ": must not be zel::Exception";
    } catch (std::runtime_error const& e) {
      EXPECT_EQ(std::string(e.what()), "can not open file " + path);
    }
  }
}

TEST_F(LoadTest, ModificationTimeIsTheFilesSecondsSinceTheEpoch) {
  namespace fs = std::filesystem;
  std::string const path = write("stamped", "x");
  // A time with a fraction of a second, set on the file system's clock.
  auto const stamp = fs::file_time_type::clock::now() + std::chrono::hours(5) +
                     std::chrono::milliseconds(700);
  fs::last_write_time(path, stamp);
  int64_t const seconds = file::modification_time(path.c_str());
  int64_t const now = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  EXPECT_GE(seconds, now + 5 * 3600 - 2);
  EXPECT_LE(seconds, now + 5 * 3600 + 2);
  // Repeated reads agree exactly, and a file one second newer reads one more.
  EXPECT_EQ(file::modification_time(path.c_str()), seconds);
  fs::last_write_time(path, stamp + std::chrono::seconds(1));
  EXPECT_EQ(file::modification_time(path.c_str()), seconds + 1);

  EXPECT_EQ(file::modification_time((dir_ + "/no such file").c_str()), -1);
}

TEST(Exception, KeepsTheStreamTextOfItsConstruction) {
  std::ostringstream message;
  message << "Unknown domain '" << "x" << "' (" << 3 << ")";
  zel::Exception const error(message);
  message << " later";
  EXPECT_STREQ(error.what(), "Unknown domain 'x' (3)");
  std::runtime_error const& base = error;
  EXPECT_STREQ(base.what(), "Unknown domain 'x' (3)");
}

}  // namespace
}  // namespace zel
