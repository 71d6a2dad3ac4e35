#pragma once

#include "core/data_folders.h"
#include "core/program_paths.h"
#include "core/settings.h"
#include "core/settings_store.h"

#include <memory>
#include <mutex>

namespace lumivex {

// The process-wide objects every window shares: the settings and their store, the program's paths and
// data folders, and the recording lock that serialises every access to an open AVI stream.
class AppContext {
 public:
  explicit AppContext(ProgramPaths paths);

  // Creates the process-wide context from the environment (or from given paths, for tests) and makes it
  // current; the previous one is replaced.
  static AppContext& initialise();
  static AppContext& initialise(ProgramPaths paths);
  static AppContext& current();
  static bool exists();
  static void shutdown();

  ProgramPaths& paths() { return paths_; }
  Settings& settings() { return settings_; }
  SettingsStore& store() { return store_; }
  DataFolders& folders() { return folders_; }
  std::mutex& recordingLock() { return recordingLock_; }

 private:
  ProgramPaths paths_;
  Settings settings_;
  SettingsStore store_;
  DataFolders folders_;
  std::mutex recordingLock_;
};

}  // namespace lumivex
