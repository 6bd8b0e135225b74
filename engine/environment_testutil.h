// A scoped change of environment variables for tests.

#ifndef KAVERO_ENGINE_ENVIRONMENT_TESTUTIL_H_
#define KAVERO_ENGINE_ENVIRONMENT_TESTUTIL_H_

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace zel {
namespace testing {

// Sets or unsets variables; every variable it touched gets its former
// value (or absence) back when the object goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  void set(const std::string& name, const std::string& value) {
    save(name);
    setenv(name.c_str(), value.c_str(), 1);
  }
  void unset(const std::string& name) {
    save(name);
    unsetenv(name.c_str());
  }

 private:
  void save(const std::string& name) {
    if (saved_.count(name) != 0) return;
    const char* value = std::getenv(name.c_str());
    saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace testing
}  // namespace zel

#endif  // KAVERO_ENGINE_ENVIRONMENT_TESTUTIL_H_
