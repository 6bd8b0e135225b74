#include "base/input_pool.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zel {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> ids(const InputPool& pool) {
  std::vector<std::string> out;
  for (const auto& input : pool) out.push_back(input->get_id());
  return out;
}

// A file in the temporary folder, removed at the end of the test.
class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    char name[] = "/tmp/kavero_input_XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    close(fd);
    path_ = name;
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(InputPool, GetOnAnEmptyPoolGivesNothing) {
  InputPool pool;
  EXPECT_EQ(pool.get(), nullptr);
  EXPECT_TRUE(pool.empty());
  pool.add_data("a", "x");
  ASSERT_NE(pool.get(), nullptr);
  EXPECT_EQ(pool.get(), nullptr);
}

TEST(InputPool, InputsComeOutInTheOrderAddedWhateverTheirKind) {
  InputPool pool;
  pool.add_data("first", "text one");
  pool.add_file("/no/such/second.kav");
  pool.add_data("text three");
  const std::string third_id = "stream_" + std::to_string(string_hash("text three"));
  EXPECT_THAT(ids(pool), ElementsAre("first", "/no/such/second.kav", third_id));

  std::vector<std::string> types;
  std::vector<std::string> got;
  while (auto entry = pool.get()) {
    EXPECT_EQ(std::get<0>(*entry), "");
    EXPECT_FALSE(std::get<2>(*entry));
    types.push_back(std::get<1>(*entry)->type());
    got.push_back(std::get<1>(*entry)->get_id());
    // The walk shows what is still queued.
    EXPECT_EQ(pool.size(), 3 - got.size());
  }
  EXPECT_THAT(got, ElementsAre("first", "/no/such/second.kav", third_id));
  EXPECT_THAT(types, ElementsAre("si", "fi", "si"));
}

TEST(InputPool, HandedOutInputsStayShared) {
  InputPool pool;
  pool.add_data("only", "data");
  const auto queued = *pool.begin();
  const auto entry = pool.get();
  EXPECT_EQ(std::get<1>(*entry), queued);
  EXPECT_EQ(std::get<1>(*entry)->get_data(), "data");
}

TEST(InputPool, ConcurrentFillingAndDrainingLosesNothing) {
  InputPool pool;
  constexpr int kThreads = 4;
  constexpr int kEach = 200;
  std::vector<std::thread> threads;
  std::vector<std::vector<std::string>> drained(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&pool, &drained, t] {
      for (int i = 0; i < kEach; ++i) {
        pool.add_data(std::to_string(t) + ":" + std::to_string(i), "");
        if (auto entry = pool.get()) drained[t].push_back(std::get<1>(*entry)->get_id());
      }
    });
  }
  for (auto& t : threads) t.join();
  std::multiset<std::string> all;
  for (const auto& d : drained) all.insert(d.begin(), d.end());
  while (auto entry = pool.get()) all.insert(std::get<1>(*entry)->get_id());
  ASSERT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
}

TEST(StringProvider, KeepsItsIdentifierAndData) {
  const StringProvider text("name", std::string("a\0b", 3));
  EXPECT_EQ(text.type(), "si");
  EXPECT_EQ(text.get_id(), "name");
  EXPECT_EQ(text.get_data(), std::string("a\0b", 3));
  EXPECT_EQ(text.size(), 3);
}

TEST(StringProvider, DataAloneIsNamedByItsHash) {
  EXPECT_EQ(StringProvider("same").get_id(), StringProvider("same").get_id());
  EXPECT_NE(StringProvider("same").get_id(), StringProvider("other").get_id());
  EXPECT_EQ(StringProvider("").get_id(), "stream_" + std::to_string(string_hash("")));
}

TEST(StringHash, IsTheRuntimeLibrarysStringHash) {
#if defined(__GLIBCXX__) && SIZE_MAX == UINT64_MAX
  std::string text;
  for (int n = 0; n <= 40; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(string_hash(text), std::hash<std::string>()(text));
    text += static_cast<char>((0x41 + n * 7) & 0xFF);  // also bytes above 0x7F
  }
#else
  GTEST_SKIP() << "the reference hash is the GNU C++ library's on 64-bit platforms";
#endif
}

TEST(FileProvider, ReadsAndMeasuresItsFile) {
  const std::string content("line\0with zero\n", 15);
  const TempFile file(content);
  const FileProvider provider(file.path());
  EXPECT_EQ(provider.type(), "fi");
  EXPECT_EQ(provider.get_id(), file.path());
  EXPECT_EQ(provider.size(), 15);
  EXPECT_EQ(provider.get_data(), content);

  const TempFile empty("");
  EXPECT_EQ(FileProvider(empty.path()).size(), 0);
  EXPECT_EQ(FileProvider(empty.path()).get_data(), "");
}

TEST(FileProvider, AMissingFileCanBeQueuedAndFailsWhenRead) {
  const std::string path = "/no/such/folder/rules.kav";
  InputPool pool;
  pool.add_file(path);
  const auto& provider = *pool.begin();
  EXPECT_EQ(provider->size(), -1);
  try {
    provider->get_data();
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "can not open file " + path);
  }
}

}  // namespace
}  // namespace zel
