#pragma once

#include "core/capture_service.h"
#include "image/bitmap_info_header.h"

#include <QDialog>
#include <QImage>

#include <cstring>
#include <deque>

namespace lumivex::test {

// A frame as the frame buffer hands it out: the 40-byte header and bottom-up 24-bit rows, mid grey.
inline QByteArray dibOf(int width, int height) {
  BitmapInfoHeader header;
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = kBiRgb;
  const auto rows = static_cast<qsizetype>(dibStride(static_cast<std::uint64_t>(width), 24)) * height;
  header.biSizeImage = static_cast<std::uint32_t>(rows);
  QByteArray dib(static_cast<qsizetype>(sizeof header) + rows, char(0x80));
  std::memcpy(dib.data(), &header, sizeof header);
  return dib;
}

// The same for a picture: its pixels as bottom-up BGR rows.
inline QByteArray dibOf(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  QByteArray dib = dibOf(rgb.width(), rgb.height());
  const auto stride = static_cast<qsizetype>(dibStride(static_cast<std::uint64_t>(rgb.width()), 24));
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* src = rgb.constScanLine(y);
    uchar* dst = reinterpret_cast<uchar*>(dib.data()) + sizeof(BitmapInfoHeader) + (rgb.height() - 1 - y) * stride;
    for (int x = 0; x < rgb.width(); ++x) {
      dst[x * 3] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];
    }
  }
  return dib;
}

// A capture side whose connection results are scripted and whose calls are counted.
class FakeCaptureService : public CaptureService {
 public:
  // Results handed out by connectDevice in order; the last one repeats.
  std::deque<ConnectResult> results{ConnectResult::Failed};
  bool running = false;
  bool reinitialiseAnswer = false;
  int connects = 0, stops = 0, releases = 0, stills = 0, reinitialises = 0, graphEvents = 0, restarts = 0;
  StillKind lastStillKind = StillKind::SnapshotKey;
  // What bufferedFrame hands out: a DIB (40-byte header, bottom-up 24-bit rows) or nothing.
  QByteArray frameDib;
  bool fullScreen = false;
  QSize fullScreenArea;
  std::function<void()> listener;
  std::function<void()> onStop;  // called on every stop, to see what else had happened by then
  bool crosshairOn = false, timeStampOn = false;
  int sizePresets[3] = {0, 0, 0};
  bool sizeAccepted = true;  // what applyCaptureSize answers
  std::shared_ptr<FrameSink> sink;
  int seconds = 0;  // the recorded seconds drawn on the video area
  int rateClassValue = 5;

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
    if (onStop) onStop();
  }
  void release() override { ++releases; }
  bool reinitialiseIfRunning() override {
    ++reinitialises;
    return reinitialiseAnswer && running;
  }
  void handleGraphEvent() override { ++graphEvents; }
  QImage composedFrame() const override {
    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(QColor(40, 60, 200));
    return frame;
  }
  void requestStill(StillKind kind) override {
    ++stills;
    lastStillKind = kind;
  }
  void setCaptureSize(SizePreset preset) override { ++sizePresets[static_cast<int>(preset)]; }
  bool applyCaptureSize(SizePreset preset) override {
    ++sizePresets[static_cast<int>(preset)];
    return sizeAccepted;
  }
  void setFrameSink(std::shared_ptr<FrameSink> s) override { sink = std::move(s); }
  void setRecordingSeconds(int s) override { seconds = s; }
  int rateClass() const override { return rateClassValue; }
  int sizeRequests() const { return sizePresets[0] + sizePresets[1] + sizePresets[2]; }
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
  QByteArray bufferedFrame() const override { return frameDib; }
  void restart() override { ++restarts; }
  // A plain dialog standing in for the video settings, owned by its parent as the real one is.
  QDialog* createVideoSettingsDialog(QWidget& parent) override {
    auto* dialog = new QDialog(&parent);
    dialog->setObjectName(QStringLiteral("video-settings"));
    return dialog;
  }
};

}  // namespace lumivex::test
