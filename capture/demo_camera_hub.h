#pragma once

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace lumivex {

class DemoCamera;

// The process-wide set of simulated cameras. Empty until enabled (--demo-camera); tests add, unplug and
// replug cameras here. Plug changes are announced to listeners on the calling (GUI) thread, as the
// device monitor announces real cameras.
class DemoCameraHub {
 public:
  static DemoCameraHub& instance();

  // Adds "Lumivex Demo Camera" (and more from LUMIVEX_DEMO_CAMERAS=n) once.
  void enable();
  // Removes every camera (tests start from a clean hub).
  void reset();
  std::shared_ptr<DemoCamera> addCamera(const QString& name, bool highResolution = true);

  std::vector<std::shared_ptr<DemoCamera>> cameras() const { return cameras_; }
  std::vector<std::shared_ptr<DemoCamera>> pluggedCameras() const;
  std::shared_ptr<DemoCamera> find(const QString& id) const;

  bool unplug(int index);
  bool replug(int index);

  using Listener = std::function<void(const DemoCamera& camera, bool plugged)>;
  int addListener(Listener listener);
  void removeListener(int token);

 private:
  void announce(const DemoCamera& camera, bool plugged);

  std::vector<std::shared_ptr<DemoCamera>> cameras_;
  std::map<int, Listener> listeners_;
  int nextToken_ = 1;
  int nextId_ = 1;
};

}  // namespace lumivex
