#include "api/client_exception.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace omr {
namespace common {
namespace {

zel_exception record(int32_t code, const std::string& message) {
  zel_exception error;
  error.code = code;
  std::memset(error.message, 0, sizeof(error.message));
  std::memcpy(error.message, message.data(), std::min(message.size(), sizeof(error.message)));
  return error;
}

// The kind of what handle_exception raised, most derived first, and its
// message; "none" when nothing was raised.
std::pair<std::string, std::string> raised(const zel_exception& error) {
  try {
    handle_exception(error);
  } catch (const JsonException& e) {
    return {"JsonException", e.what()};
  } catch (const Exception& e) {
    return {"Exception", e.what()};
  } catch (const std::logic_error& e) {
    return {"logic_error", e.what()};
  } catch (const std::runtime_error& e) {
    return {"runtime_error", e.what()};
  }
  return {"none", ""};
}

TEST(HandleException, RaisesWhatTheCodeStandsFor) {
  struct Case {
    int32_t code;
    std::string kind;
  } const cases[] = {{0, "none"},          {1, "Exception"},   {2, "runtime_error"},
                     {3, "runtime_error"}, {4, "logic_error"}, {5, "JsonException"},
                     {6, "none"},          {-1, "none"}};
  for (const Case& c : cases) {
    auto [kind, message] = raised(record(c.code, "it failed"));
    EXPECT_EQ(kind, c.kind) << c.code;
    EXPECT_EQ(message, c.kind == "none" ? "" : "it failed") << c.code;
  }
}

TEST(HandleException, AMessageWithoutEndStopsAtTheField) {
  const std::string full(sizeof(zel_exception::message), 'x');
  EXPECT_EQ(raised(record(1, full)).second, full);
  EXPECT_EQ(raised(record(1, std::string("ab\0cd", 5))).second, "ab");
}

}  // namespace
}  // namespace common
}  // namespace omr
