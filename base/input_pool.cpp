#include "base/input_pool.h"

#include <fstream>
#include <mutex>
#include <utility>

#include "base/file.h"

namespace zel {
namespace {

// One lock for every pool of the program.
std::mutex& pool_mutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

IInputProvider::~IInputProvider() = default;

const std::string StringProvider::object_type = "si";
const std::string FileProvider::object_type = "fi";

std::uint64_t string_hash(const std::string& data) {
  constexpr std::uint64_t m = 0xc6a4a7935bd1e995ULL;
  constexpr int r = 47;
  const std::uint64_t len = data.size();
  std::uint64_t h = 0xc70f6907ULL ^ (len * m);

  const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
  const unsigned char* const end = p + (len & ~std::uint64_t{7});
  for (; p != end; p += 8) {
    std::uint64_t k = 0;
    for (int i = 7; i >= 0; --i) k = (k << 8) | p[i];  // little-endian load
    k *= m;
    k ^= k >> r;
    k *= m;
    h ^= k;
    h *= m;
  }
  const std::size_t rest = len & 7;
  if (rest != 0) {
    std::uint64_t k = 0;
    for (std::size_t i = rest; i-- > 0;) k = (k << 8) | p[i];
    h ^= k;
    h *= m;
  }
  h ^= h >> r;
  h *= m;
  h ^= h >> r;
  return h;
}

StringProvider::StringProvider(std::string id, std::string data)
    : id_(std::move(id)), data_(std::move(data)) {}

StringProvider::StringProvider(std::string data)
    : id_("stream_" + std::to_string(string_hash(data))), data_(std::move(data)) {}

FileProvider::FileProvider(std::string path) : path_(std::move(path)) {}

std::string FileProvider::get_data() const { return file::load(path_.c_str()); }

std::int64_t FileProvider::size() const {
  std::ifstream in(path_, std::ios::binary | std::ios::ate);
  if (!in) return -1;
  return static_cast<std::int64_t>(in.tellg());
}

void InputPool::add(Input input) {
  std::lock_guard<std::mutex> lock(pool_mutex());
  queue_.push_back(std::move(input));
}

void InputPool::add_data(std::string id, std::string data) {
  add(std::make_shared<StringProvider>(std::move(id), std::move(data)));
}

void InputPool::add_data(std::string data) {
  add(std::make_shared<StringProvider>(std::move(data)));
}

void InputPool::add_file(std::string path) {
  add(std::make_shared<FileProvider>(std::move(path)));
}

std::shared_ptr<InputPool::Entry> InputPool::get() {
  std::lock_guard<std::mutex> lock(pool_mutex());
  if (queue_.empty()) return nullptr;
  auto entry = std::make_shared<Entry>(std::string(), std::move(queue_.front()), false);
  queue_.pop_front();
  handed_out_.push_back(entry);
  return entry;
}

}  // namespace zel
