#include "api/client_engine.h"

#include <cstring>
#include <string>

#include "api/client_exception.h"

namespace omr {
namespace engine {

namespace {

zel_object* make_engine(const common::OptionMap& options) {
  zel_exception record;
  std::memset(&record, 0, sizeof record);
  const std::string text = common::options_to_string(options);
  zel_object* handle = zel_api_get_engine(text.c_str(), text.size(), &record);
  common::handle_exception(record);
  return handle;
}

}  // namespace

Engine::Engine(const common::OptionMap& options) : Engine(make_engine(options), options) {}

Engine::Engine(zel_object* handle, const common::OptionMap& options)
    : common::Object(handle), options(options) {}

Engine::~Engine() = default;

}  // namespace engine
}  // namespace omr
