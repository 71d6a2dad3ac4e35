#include "capture/recorder/compression_options.h"

#include <mutex>

namespace lumivex {
namespace {

std::mutex& settingsLock() {
  static std::mutex lock;
  return lock;
}

CompressionOptions& settings() {
  static CompressionOptions options;
  return options;
}

}  // namespace

CompressionOptions CompressionSettings::current() {
  std::lock_guard lock(settingsLock());
  return settings();
}

void CompressionSettings::replace(const CompressionOptions& options) {
  std::lock_guard lock(settingsLock());
  settings() = options;
}

}  // namespace lumivex
