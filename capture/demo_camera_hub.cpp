#include "capture/demo_camera_hub.h"

#include "capture/demo_camera.h"

namespace lumivex {

DemoCameraHub& DemoCameraHub::instance() {
  static DemoCameraHub hub;
  return hub;
}

void DemoCameraHub::enable() {
  if (!cameras_.empty()) return;
  addCamera(QStringLiteral("Lumivex Demo Camera"));
  const int extra = qEnvironmentVariableIntValue("LUMIVEX_DEMO_CAMERAS");
  for (int i = 2; i <= extra && i <= 25; ++i) addCamera(QStringLiteral("Lumivex Demo Camera %1").arg(i));
}

void DemoCameraHub::reset() {
  cameras_.clear();
  nextId_ = 1;
}

std::shared_ptr<DemoCamera> DemoCameraHub::addCamera(const QString& name, bool highResolution) {
  auto camera = std::make_shared<DemoCamera>(name, QStringLiteral("demo:%1").arg(nextId_++), highResolution);
  cameras_.push_back(camera);
  announce(*camera, true);
  return camera;
}

std::vector<std::shared_ptr<DemoCamera>> DemoCameraHub::pluggedCameras() const {
  std::vector<std::shared_ptr<DemoCamera>> out;
  for (const auto& c : cameras_)
    if (c->plugged()) out.push_back(c);
  return out;
}

std::shared_ptr<DemoCamera> DemoCameraHub::find(const QString& id) const {
  for (const auto& c : cameras_)
    if (c->id() == id) return c;
  return nullptr;
}

bool DemoCameraHub::unplug(int index) {
  if (index < 0 || index >= static_cast<int>(cameras_.size())) return false;
  DemoCamera& camera = *cameras_[static_cast<std::size_t>(index)];
  if (!camera.plugged()) return false;
  camera.setPlugged(false);
  announce(camera, false);
  return true;
}

bool DemoCameraHub::replug(int index) {
  if (index < 0 || index >= static_cast<int>(cameras_.size())) return false;
  DemoCamera& camera = *cameras_[static_cast<std::size_t>(index)];
  if (camera.plugged()) return false;
  camera.setPlugged(true);
  announce(camera, true);
  return true;
}

int DemoCameraHub::addListener(Listener listener) {
  const int token = nextToken_++;
  listeners_[token] = std::move(listener);
  return token;
}

void DemoCameraHub::removeListener(int token) { listeners_.erase(token); }

void DemoCameraHub::announce(const DemoCamera& camera, bool plugged) {
  const auto copy = listeners_;  // a listener may remove itself
  for (const auto& [token, listener] : copy) listener(camera, plugged);
}

}  // namespace lumivex
