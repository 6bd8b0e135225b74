#include "api/client_results.h"

#include <cstring>
#include <utility>

#include "api/client_exception.h"
#include "api/client_result_reader.h"

namespace omr {
namespace analyzer {

namespace {

common::Object retained(zel_object* handle) {
  common::retain_handle(handle);
  return common::Object(handle);
}

}  // namespace

Results::Results() : parsed_(std::make_shared<Parsed>()) {}

Results::Results(zel_object* result, zel_object* analyzer, zel_object* engine)
    : common::Object(result),
      analyzer(retained(analyzer)),
      engine(retained(engine)),
      parsed_(std::make_shared<Parsed>()) {}

Results::Results(const Results& other) = default;

Results::Results(Results&& other) noexcept
    : common::Object(std::move(other)),
      analyzer(std::move(other.analyzer)),
      engine(std::move(other.engine)),
      parsed_(std::make_shared<Parsed>()) {
  std::swap(parsed_, other.parsed_);
}

Results& Results::operator=(Results other) noexcept {
  swap(other);
  std::swap(analyzer, other.analyzer);
  std::swap(engine, other.engine);
  std::swap(parsed_, other.parsed_);
  return *this;
}

Results::~Results() = default;

std::shared_ptr<common::AnnotationList> Results::parse_results(bool cached) const {
  if (cached && parsed_->list) return parsed_->list;
  auto list = std::make_shared<common::AnnotationList>();
  parsed_->list = list;
  if (handle() == nullptr) return list;
  zel_exception record;
  std::memset(&record, 0, sizeof record);
  size_t length = 0;
  const char* printed = zel_api_get_result_json_buffer(handle(), &length, &record);
  common::handle_exception(record);
  const std::string text = printed == nullptr ? std::string() : std::string(printed, length);
  common::JsonToResult target(*list);
  common::json_to_zel_results_v2(target, text.c_str());
  parsed_->language = target.language;
  return list;
}

void Results::drop_parsed() const {
  if (parsed_->list) parsed_->list->clear();
  parsed_->list.reset();
}

}  // namespace analyzer

namespace common {

CallableInterface::~CallableInterface() = default;

analyzer::Results CallableInterface::operator()(const std::string& /*text*/,
                                                const OptionMap& /*options*/) {
  return analyzer::Results();
}

}  // namespace common
}  // namespace omr
