#include "api/handles.h"

#include <utility>

#include "analysis/blackboard.h"
#include "api/analyzer_handle.h"
#include "domain/domain.h"
#include "engine/engine.h"

namespace zel {
namespace api {

Engine::Engine(std::shared_ptr<IOptions> options)
    : engine(std::make_shared<kavero::Engine>(std::move(options))) {}

Engine::~Engine() = default;

Blackboard::Blackboard(Analyzer* analyzer, std::shared_ptr<IOptions> options, const char* text,
                       uint64_t length)
    : blackboard(std::make_shared<kavero::Blackboard>(analyzer, std::move(options), text,
                                                      length)) {}

Blackboard::~Blackboard() = default;

Domain::Domain(std::shared_ptr<kavero::Engine> engine, const char* name,
               const std::shared_ptr<IOptions>& options)
    : domain(std::make_shared<kavero::Domain>(std::move(engine), name, options)) {}

Domain::~Domain() = default;

}  // namespace api
}  // namespace zel
