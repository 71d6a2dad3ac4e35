#pragma once

#include "capture/still/still_frame.h"
#include "core/atomic_file.h"
#include "core/still_kind.h"

#include <QByteArray>
#include <QPoint>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QPainter;

namespace lumivex {

class CxImage;

// Draws the live measurements and comparison overlays into a still. The painter is on the picture at
// capture size; scale maps video-area coordinates onto it (see StillCapture::toPicture). Pen widths and
// font sizes are not scaled.
using BurnInHook = std::function<void(QPainter& painter, double scale)>;

// Still pictures of the live stream: the Camera command and F2, the grab into memory, the scratch still
// for reports, and the saving of a requested frame with its overlays burnt in. GUI thread only; the
// capture side is reached through the request callback, so this knows nothing of the graph.
class StillCapture {
 public:
  using RequestStill = std::function<void(StillKind kind)>;
  using GrabSink = std::function<void(CxImage&& picture)>;

  // A still that was asked for and not written: where it was to go and why not.
  struct Failure {
    QString path;
    WriteResult result;
  };

  struct Arrival {
    std::optional<QString> path;     // the new file, when one was written
    bool restart = false;            // the graph should be restarted (camera key or recording)
    bool playShutter = false;        // play sound 181: only once the file is written
    std::optional<Failure> failure;  // to be shown: the first failure of a burst only
  };

  explicit StillCapture(RequestStill request = {});

  void setRequestStill(RequestStill request) { request_ = std::move(request); }
  void setBurnIn(BurnInHook hook) { burnIn_ = std::move(hook); }
  void setGrabSink(GrabSink sink) { grabSink_ = std::move(sink); }

  // Camera (1005) and F2: a command request with the shutter sound.
  void takePicture();
  // The next frame becomes an in-memory picture handed to the grab sink; no file, no sound.
  void grabToMemory();

  bool shutterSound() const { return shutterSound_; }
  bool grabPending() const { return grab_; }

  // Message 0x8001 on the GUI thread: saves the frame and says what the main window does next.
  Arrival stillArrived(StillKind kind, const StillFrame& frame, const QString& magnification, bool recording);

  // Saves the frame with its overlays. scratch: always "10000.bmp" in the program folder, never numbered.
  // Otherwise a numbered "Still_" file in the picture folder as BMP or JPEG by "ImageFormat". Returns the
  // path written; nothing in grab mode or on any failure, whose reason lastFailure() then holds.
  std::optional<QString> saveStill(const StillFrame& frame, const QString& magnification, bool scratch);
  const std::optional<Failure>& lastFailure() const { return lastFailure_; }

  // The picture of a frame: top row first, the overlays burnt in.
  QImage buildPicture(const StillFrame& frame) const;

  // A view of a buffered frame given as a DIB (40-byte header, bottom-up 24-bit rows); an invalid view for
  // anything else. The bytes must outlive the view.
  static StillFrame frameFromDib(const QByteArray& dib);

  // The one scale factor for both axes by capture size.
  static double burnInScale(int width, int height);
  // An overlay point of the video area in picture coordinates (truncated, as the overlays are drawn).
  static QPoint toPicture(QPointF videoPoint, double scale);
  // The magnification text as it goes into a file name: at most 23 characters, no path separators.
  static QString nameSafeMagnification(const QString& text);

  static constexpr char kScratchName[] = "10000.bmp";
  static constexpr int kJpegQuality = 90;

 private:
  bool grabFrame(const StillFrame& frame);

  RequestStill request_;
  BurnInHook burnIn_;
  GrabSink grabSink_;
  bool shutterSound_ = false;
  bool grab_ = false;
  std::optional<Failure> lastFailure_;
  // A burst of failed stills (a held key, requests already on their way) is reported once; a written
  // still or a new Camera command ends it.
  bool failureReported_ = false;
};

}  // namespace lumivex
