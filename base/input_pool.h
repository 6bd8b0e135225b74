// A queue of inputs for a job that reads many texts.
//
// Each input is a text held in memory ("si") or a file named by its path
// ("fi"). The compiler fills a pool with one file input per rule source and
// hands it, read-only, to its passes, which walk the inputs in the order they
// were added and read each one through get_id() and get_data().
//
// add_data(), add_file() and get() take one mutex shared by all pools, so
// several threads may fill and drain pools at once. Walking a pool takes no
// lock: it must not change while another thread walks it.

#ifndef KAVERO_BASE_INPUT_POOL_H_
#define KAVERO_BASE_INPUT_POOL_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace zel {

class IInputProvider {
 public:
  // The type code: "si" for a text, "fi" for a file.
  virtual const std::string& type() const = 0;
  virtual const std::string& get_id() const = 0;
  // A copy of the data; a file is read whole.
  virtual std::string get_data() const = 0;
  // The size of the data in bytes; -1 for a file that cannot be opened.
  virtual std::int64_t size() const = 0;
  virtual ~IInputProvider();
};

// A text held in memory.
class StringProvider : public IInputProvider {
 public:
  static const std::string object_type;  // "si"

  StringProvider(std::string id, std::string data);
  // The identifier is "stream_" followed by the 64-bit hash of the data
  // (string_hash()) in decimal: equal texts get equal identifiers.
  explicit StringProvider(std::string data);

  const std::string& type() const override { return object_type; }
  const std::string& get_id() const override { return id_; }
  std::string get_data() const override { return data_; }
  std::int64_t size() const override { return static_cast<std::int64_t>(data_.size()); }

 private:
  std::string id_;
  std::string data_;
};

// A file, named by its path, which is also its identifier. The file is only
// opened when it is read or measured.
class FileProvider : public IInputProvider {
 public:
  static const std::string object_type;  // "fi"

  explicit FileProvider(std::string path);

  const std::string& type() const override { return object_type; }
  const std::string& get_id() const override { return path_; }
  // Raises std::runtime_error "can not open file " + path when the file
  // cannot be read.
  std::string get_data() const override;
  std::int64_t size() const override;

 private:
  std::string path_;
};

// MurmurHash64A with the seed 0xc70f6907 (the string hash of the GNU C++
// library on 64-bit platforms), which names texts given without an
// identifier.
std::uint64_t string_hash(const std::string& data);

class InputPool {
 public:
  using Input = std::shared_ptr<IInputProvider>;
  // What get() hands out: a text and a flag that nothing reads yet (empty and
  // false), and the input.
  using Entry = std::tuple<std::string, Input, bool>;
  using const_iterator = std::deque<Input>::const_iterator;

  void add_data(std::string id, std::string data);
  void add_data(std::string data);
  void add_file(std::string path);

  // Removes the first queued input and returns it in a new entry, which the
  // pool also keeps until it goes; an empty pointer when the queue is empty.
  std::shared_ptr<Entry> get();

  // The queued inputs, first to last.
  const_iterator begin() const { return queue_.begin(); }
  const_iterator end() const { return queue_.end(); }
  std::size_t size() const { return queue_.size(); }
  bool empty() const { return queue_.empty(); }

 private:
  void add(Input input);

  std::deque<Input> queue_;
  std::vector<std::shared_ptr<Entry>> handed_out_;
};

}  // namespace zel

#endif  // KAVERO_BASE_INPUT_POOL_H_
