#pragma once

#include "capture/frame_header.h"

#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace lumivex {

class FrameBuffer;
class FrameComposer;
class FrameSink;
class StillRequest;

// Runs on the streaming thread once per frame: fills the header, honours a pending still request
// (posts 0x8001 and does not buffer this frame), else copies the frame into the frame buffer, feeds an
// active recording, composes the picture and tells the listener. Never touches a widget.
class FrameHandler {
 public:
  FrameHandler(FrameBuffer& buffer, StillRequest& request, FrameComposer& composer);

  // GUI thread.
  void setReceiver(QObject* receiver);
  void setListener(std::function<void()> listener);
  void setRecorder(std::shared_ptr<FrameSink> recorder);

  // Streaming thread. Rows top-down, 24-bit BGR, srcStride apart.
  void onFrame(const std::uint8_t* topDown, int width, int height, int srcStride, std::int64_t sampleTime);

  FrameHeader header() const;
  std::uint64_t framesSeen() const { return frames_.load(); }

 private:
  FrameBuffer& buffer_;
  StillRequest& request_;
  FrameComposer& composer_;

  mutable std::mutex mutex_;  // guards the three handles below; held only to copy them
  QPointer<QObject> receiver_;
  std::shared_ptr<const std::function<void()>> listener_;
  std::shared_ptr<FrameSink> recorder_;
  FrameHeader header_;

  std::atomic<std::uint64_t> frames_{0};
};

}  // namespace lumivex
