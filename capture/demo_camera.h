#pragma once

#include "capture/demo_scene.h"
#include "capture/proc_amp.h"
#include "capture/size_presets.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace lumivex {

// One simulated camera: its name, whether it is plugged in, its picture properties (the ProcAmp the
// video settings dialog drives), its capabilities and its snapshot key. Frames are produced by a
// DemoFeeder that reads the picture settings from here.
class DemoCamera : public ProcAmp {
 public:
  DemoCamera(QString name, QString id, bool highResolution);

  const QString& name() const { return name_; }
  const QString& id() const { return id_; }  // "demo:N", the display name
  bool highResolution() const { return highResolution_; }
  bool plugged() const { return plugged_.load(); }
  void setPlugged(bool plugged) { plugged_.store(plugged); }

  // YUY2 and MJPEG at the three preset sizes of its model, 30 frames per second.
  std::vector<CameraCapability> capabilities() const;

  DemoPicture picture() const;
  bool getRange(ProcAmpProperty property, ProcAmpRange& range) override;
  bool get(ProcAmpProperty property, int& value, int& flags) override;
  bool set(ProcAmpProperty property, int value, int flags) override;

  // Scene options for tests: drift, noise, frame numbers stamped into every row.
  void setDrift(bool on) { drift_.store(on); }
  void setNoise(bool on) { noise_.store(on); }
  void setStampFrameNumber(bool on) { stamp_.store(on); }
  bool drift() const { return drift_.load(); }
  bool noise() const { return noise_.load(); }
  bool stampFrameNumber() const { return stamp_.load(); }

  // The snapshot key: the handler is installed while the snapshot-key grabber is attached.
  void setSnapKeyHandler(std::function<void()> handler);
  // Returns false when nothing listens (key disabled or camera not in use).
  bool pressSnapshotKey();

 private:
  int* field(ProcAmpProperty property, DemoPicture& picture) const;

  const QString name_;
  const QString id_;
  const bool highResolution_;
  std::atomic<bool> plugged_{true};
  std::atomic<bool> drift_{true};
  std::atomic<bool> noise_{true};
  std::atomic<bool> stamp_{false};

  mutable std::mutex mutex_;  // guards picture_, flags_ and snapHandler_
  DemoPicture picture_;
  int flags_[6] = {kProcAmpManual, kProcAmpManual, kProcAmpManual, kProcAmpManual, kProcAmpManual, kProcAmpManual};
  std::function<void()> snapHandler_;
};

}  // namespace lumivex
