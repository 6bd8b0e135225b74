#include "api/guarded.h"

#include <cstring>
#include <exception>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "base/exception.h"
#include "base/json_exception.h"
#include "base/options.h"

namespace zel {
namespace api {

const char kUnknownFailure[] = "Unknown failure: an object of no exception class was thrown.";

void (*guarded_entry_hook)() = nullptr;

void fill_error(zel_exception* error, int32_t code, const char* text, std::size_t length) {
  if (error == nullptr) return;
  constexpr std::size_t kField = sizeof(error->message);
  std::size_t n = length;
  if (n > kField - 1) {
    n = kField - 1;
    // Step back over continuation bytes so that no character is cut.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  error->code = code;
  std::memcpy(error->message, text, n);
  std::memset(error->message + n, 0, kField - n);
}

namespace {
void fill(zel_exception* error, int32_t code, const std::exception& e) {
  const char* what = e.what();
  fill_error(error, code, what, std::strlen(what));
}
}  // namespace

void record_current_exception(zel_exception* error) {
  try {
    throw;
  } catch (const JSONThrowException& e) {
    fill(error, 5, e);
  } catch (const Exception& e) {
    fill(error, 1, e);
  } catch (const std::runtime_error& e) {
    fill(error, 3, e);
  } catch (const std::logic_error& e) {
    fill(error, 4, e);
  } catch (const std::exception& e) {
    fill(error, 2, e);
  } catch (...) {
    fill_error(error, 2, kUnknownFailure, sizeof(kUnknownFailure) - 1);
  }
}

std::shared_ptr<IOptions> options_of(const char* text) {
  // Checked first, so that a bad text is reported to the host through its
  // record only, not also printed on its standard output by the converter.
  bool valid = text == nullptr || *text == '\0' || nlohmann::json::accept(text);
  std::shared_ptr<IOptions> options;
  if (valid) options = convert_string_to_api_options(text, &valid);
  if (!valid) {
    std::ostringstream message;
    message << "Invalid option text (not JSON): \"" << text << "\"";
    throw Exception(message);
  }
  return options;
}

std::string text_of(const char* text, std::size_t length, const char* what) {
  if (text == nullptr) {
    if (length == 0) return std::string();
    throw std::logic_error(std::string(what) + ": a null text with a non-zero length");
  }
  return std::string(text, length);
}

}  // namespace api
}  // namespace zel
