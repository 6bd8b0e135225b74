#include "api/object.h"

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zel {
namespace api {
namespace {

// Counts its deletions.
class Probe : public Object {
 public:
  explicit Probe(int* deleted) : deleted_(deleted) {}
  ~Probe() override { ++*deleted_; }

 private:
  int* deleted_;
};

TEST(Object, StartsWithOneReferenceAndDiesAtZero) {
  int deleted = 0;
  Probe* probe = new Probe(&deleted);
  zel_object* handle = probe->handle();
  EXPECT_EQ(handle->ref_count, 1u);
  EXPECT_EQ(Object::from_handle(handle), probe);
  EXPECT_EQ(Object::from_handle(handle)->dec_ref(), 0u);
  EXPECT_EQ(deleted, 1);
}

TEST(Object, AnAddedReferenceKeepsItAlive) {
  int deleted = 0;
  Probe* probe = new Probe(&deleted);
  EXPECT_EQ(probe->add_ref(), 1u);
  EXPECT_EQ(probe->dec_ref(), 1u);
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(probe->dec_ref(), 0u);
  EXPECT_EQ(deleted, 1);
}

TEST(Object, HandleFollowsTheVirtualTablePointer) {
  int deleted = 0;
  Probe* probe = new Probe(&deleted);
  const char* object = reinterpret_cast<const char*>(probe);
  const char* handle = reinterpret_cast<const char*>(probe->handle());
  EXPECT_EQ(handle - object, static_cast<std::ptrdiff_t>(sizeof(void*)));
  EXPECT_EQ(sizeof(zel_object), 8u);
  EXPECT_EQ(Object::from_handle(nullptr), nullptr);
  probe->dec_ref();
}

TEST(Object, ConcurrentReferencesDeleteExactlyOnce) {
  int deleted = 0;
  Probe* probe = new Probe(&deleted);
  constexpr int kThreads = 4;
  constexpr int kRounds = 10000;
  for (int i = 0; i < kThreads; ++i) probe->add_ref();
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([probe] {
      for (int r = 0; r < kRounds; ++r) {
        probe->add_ref();
        probe->dec_ref();
      }
      probe->dec_ref();
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(probe->dec_ref(), 0u);
  EXPECT_EQ(deleted, 1);
}

}  // namespace
}  // namespace api
}  // namespace zel
