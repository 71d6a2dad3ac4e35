#include "capture/frame_handler.h"

#include "capture/frame_buffer.h"
#include "capture/frame_composer.h"
#include "capture/still_request.h"

#include "core/app_events.h"
#include "core/control_ids.h"
#include "core/frame_sink.h"

namespace lumivex {

FrameHandler::FrameHandler(FrameBuffer& buffer, StillRequest& request, FrameComposer& composer)
    : buffer_(buffer), request_(request), composer_(composer) {}

void FrameHandler::setReceiver(QObject* receiver) {
  std::lock_guard lock(mutex_);
  receiver_ = receiver;
}

void FrameHandler::setListener(std::function<void()> listener) {
  auto shared = listener ? std::make_shared<const std::function<void()>>(std::move(listener)) : nullptr;
  std::lock_guard lock(mutex_);
  listener_ = std::move(shared);
}

void FrameHandler::setRecorder(std::shared_ptr<FrameSink> recorder) {
  std::lock_guard lock(mutex_);
  recorder_ = std::move(recorder);
}

FrameHeader FrameHandler::header() const {
  std::lock_guard lock(mutex_);
  return header_;
}

void FrameHandler::onFrame(const std::uint8_t* topDown, int width, int height, int srcStride, std::int64_t sampleTime) {
  const FrameHeader header = FrameHeader::forSize(width, height);
  QObject* receiver = nullptr;
  std::shared_ptr<const std::function<void()>> listener;
  std::shared_ptr<FrameSink> recorder;
  {
    std::lock_guard lock(mutex_);
    header_ = header;
    receiver = receiver_.data();
    listener = listener_;
    recorder = recorder_;
  }
  frames_.fetch_add(1);

  if (const auto kind = request_.take()) {
    // The still is the frame buffered before this one; this frame leaves the buffer untouched.
    if (receiver) postAppEvent<StillReadyEvent>(receiver, *kind);
  } else {
    buffer_.store(header, topDown, srcStride, sampleTime);
  }
  if (recorder) recorder->writeFrame(topDown, width, height, srcStride, sampleTime);
  composer_.compose(topDown, width, height, srcStride);
  if (listener && *listener) (*listener)();
}

}  // namespace lumivex
