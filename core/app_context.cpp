#include "core/app_context.h"

#include "core/capture_state.h"
#include "core/write_failure_notice.h"

#include <cassert>

namespace lumivex {
namespace {
std::unique_ptr<AppContext>& slot() {
  static std::unique_ptr<AppContext> instance;
  return instance;
}
}  // namespace

AppContext::AppContext(ProgramPaths paths) : paths_(std::move(paths)), store_(paths_.registryFile, settings_) {
  // Every window saves settings through this store: a setting that did not reach the disk is said once,
  // here, whichever window changed it.
  store_.setFailureHandler(
      [](const QString& path, const WriteResult& result) { showWriteFailure(nullptr, path, result); });
}

AppContext& AppContext::initialise() { return initialise(ProgramPaths::fromEnvironment()); }

AppContext& AppContext::initialise(ProgramPaths paths) {
  slot() = std::make_unique<AppContext>(std::move(paths));
  return *slot();
}

AppContext& AppContext::current() {
  if (!slot()) initialise();
  return *slot();
}

bool AppContext::exists() { return slot() != nullptr; }

void AppContext::shutdown() { slot().reset(); }

CaptureState& captureState() {
  static CaptureState state;
  return state;
}

}  // namespace lumivex
