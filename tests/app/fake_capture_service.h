#pragma once

#include "core/capture_service.h"

#include <QDialog>

#include <deque>

namespace lumivex::test {

// A capture side whose connection results are scripted and whose calls are counted.
class FakeCaptureService : public CaptureService {
 public:
  // Results handed out by connectDevice in order; the last one repeats.
  std::deque<ConnectResult> results{ConnectResult::Failed};
  bool running = false;
  bool reinitialiseAnswer = false;
  int connects = 0, stops = 0, releases = 0, stills = 0, lastStillKind = 0, reinitialises = 0;
  bool fullScreen = false;
  QSize fullScreenArea;
  std::function<void()> listener;
  bool crosshairOn = false, timeStampOn = false;
  int sizePresets[3] = {0, 0, 0};

  void setReceiver(QObject*) override {}
  void setFrameListener(std::function<void()> l) override { listener = std::move(l); }
  ConnectResult connectDevice() override {
    ++connects;
    const ConnectResult result = results.front();
    if (results.size() > 1) results.pop_front();
    running = result == ConnectResult::Connected;
    return result;
  }
  bool isRunning() const override { return running; }
  void run() override { running = true; }
  void stop() override {
    ++stops;
    running = false;
  }
  void release() override { ++releases; }
  bool reinitialiseIfRunning() override {
    ++reinitialises;
    return reinitialiseAnswer && running;
  }
  void handleGraphEvent() override {}
  QImage composedFrame() const override {
    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(QColor(40, 60, 200));
    return frame;
  }
  void requestStill(int kind) override {
    ++stills;
    lastStillKind = kind;
  }
  void setCaptureSize(SizePreset preset) override { ++sizePresets[static_cast<int>(preset)]; }
  void setFullScreen(bool on, QSize area) override {
    fullScreen = on;
    fullScreenArea = area;
  }
  void setSnapshotKeyEnabled(bool) override {}
  void setCrosshair(bool on) override { crosshairOn = on; }
  bool crosshair() const override { return crosshairOn; }
  void setTimeStamp(bool on) override { timeStampOn = on; }
  bool timeStamp() const override { return timeStampOn; }
  QString deviceName() const override { return QStringLiteral("Fake"); }
};

}  // namespace lumivex::test
