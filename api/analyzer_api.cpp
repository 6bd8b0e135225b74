// The analyzer and domain functions of the C interface.

#include <memory>
#include <sstream>
#include <string>

#include "analysis/analyzer.h"
#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "api/guarded.h"
#include "api/handle_accessors.h"
#include "api/handles.h"
#include "api/kavero.h"
#include "api/return_conventions.h"
#include "base/exception.h"
#include "domain/domain.h"
#include "domain/domain_facade.h"
#include "engine/engine.h"

using zel::api::guarded;
using zel::api::handle_cast;

namespace {

[[noreturn]] void fail(const char* message) {
  std::ostringstream text;
  text << message;
  throw zel::Exception(text);
}

// Releases a handle made within a call that then fails.
struct ReleaseOnFailure {
  explicit ReleaseOnFailure(zel::api::Object* object) : object(object) {}
  ~ReleaseOnFailure() {
    if (object != nullptr) object->dec_ref();
  }
  zel::api::Object* release() {
    zel::api::Object* kept = object;
    object = nullptr;
    return kept;
  }
  zel::api::Object* object;
};

}  // namespace

extern "C" {

ZEL_API_EXPORT zel_object* zel_api_get_analyzer(zel_object* engine, const char* options,
                                                size_t /*options_length*/,
                                                zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    if (engine == nullptr) fail("Engine has not been initialized.");
    std::shared_ptr<zel::IOptions> set = zel::api::options_of(options);
    zel::kavero::Engine* runtime = get_engine(engine);
    std::shared_ptr<zel::kavero::LanguageModule> module = runtime->get_language_module(set);
    std::shared_ptr<zel::kavero::Engine> shared = runtime->shared_from_this();
    return (new zel::api::Analyzer(std::move(shared), std::move(module), std::move(set)))
        ->handle();
  });
}

ZEL_API_EXPORT int zel_api_analyze_filename(zel_object* analyzer, char* buffer, size_t* size,
                                            zel_exception* error) {
  return guarded(error, 0, [&] {
    return zel::api::copy_after_probe(
        handle_cast<zel::api::Analyzer>(analyzer)->analyzer->filename(), buffer, size);
  });
}

ZEL_API_EXPORT zel_object* zel_api_analyze_document(zel_object* analyzer, const char* text,
                                                    size_t length, const char* options,
                                                    size_t /*options_length*/,
                                                    zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    if (analyzer == nullptr) fail("Analyzer has not been initialized.");
    if (text == nullptr && length != 0) {
      throw std::logic_error("zel_api_analyze_document: a null text with a non-zero length");
    }
    auto* handle = handle_cast<zel::api::Analyzer>(analyzer);
    ReleaseOnFailure result(
        new zel::api::Blackboard(handle, zel::api::options_of(options), text, length));
    handle->analyzer->generate(*static_cast<zel::api::Blackboard*>(result.object)->blackboard,
                               text == nullptr ? "" : text, length);
    return result.release()->handle();
  });
}

ZEL_API_EXPORT zel_object* zel_api_analyze_result(zel_object* analyzer, zel_object* result,
                                                  zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    handle_cast<zel::api::Analyzer>(analyzer)->analyzer->generate(zel::api::blackboard_of(result));
    return result;
  });
}

ZEL_API_EXPORT zel_object* zel_api_load_domain(zel_object* engine, const char* name,
                                               const char* options, size_t /*options_length*/,
                                               zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    zel::kavero::Engine* runtime = &zel::api::engine_of(engine);
    std::shared_ptr<zel::IOptions> set = zel::api::options_of(options);
    if (name == nullptr) throw std::logic_error("zel_api_load_domain: a null domain name");
    return (new zel::api::Domain(runtime->shared_from_this(), name, set))->handle();
  });
}

ZEL_API_EXPORT int zel_api_domain_filename(zel_object* domain, char* buffer, size_t* size,
                                           zel_exception* error) {
  return guarded(error, 0, [&] {
    const zel::kavero::Domain* runtime = &zel::api::domain_of(domain);
    if (runtime->domains.empty() || !runtime->domains.front().second) {
      fail("The domain holds no domain file.");
    }
    return zel::api::copy_after_probe(runtime->domains.front().second->get_sqlite_filename(),
                                      buffer, size);
  });
}

ZEL_API_EXPORT zel_object* zel_api_domain_process(zel_object* domain, zel_object* result,
                                                  zel_exception* error) {
  return guarded(error, static_cast<zel_object*>(nullptr), [&] {
    if (domain == nullptr) fail("Domain has not been initialized.");
    zel::api::domain_of(domain).process(zel::api::blackboard_of(result));
    return result;
  });
}

}  // extern "C"
