#include "library/thumbnail_loader.h"

#include "library/thumbnail_decoder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>

namespace lumivex {

ThumbnailLoader::ThumbnailLoader(QObject* context, Done done) : context_(context), done_(std::move(done)) {
  pool_.setMaxThreadCount(2);
}

ThumbnailLoader::~ThumbnailLoader() {
  pool_.clear();
  pool_.waitForDone();
}

QImage ThumbnailLoader::decode(const ThumbnailKey& key) {
  return key.video ? ThumbnailDecoder::video(key.path, key.target) : ThumbnailDecoder::picture(key.path, key.target);
}

void ThumbnailLoader::request(const ThumbnailKey& key) {
  if (!inFlight_.insert(key.path).second) return;
  // Newest first: QThreadPool runs higher priorities first.
  pool_.start(
      [this, key] {
        QImage image = decode(key);
        QMetaObject::invokeMethod(
            context_,
            [this, key, image = std::move(image)] {
              inFlight_.erase(key.path);
              if (done_) done_(key, image);
            },
            Qt::QueuedConnection);
      },
      ++priority_);
}

bool ThumbnailLoader::waitForIdle(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (busy()) {
    if (!pool_.waitForDone(static_cast<int>(deadline.remainingTime()))) return false;
    QCoreApplication::sendPostedEvents(context_, QEvent::MetaCall);
    if (deadline.hasExpired() && busy()) return false;
  }
  return true;
}

}  // namespace lumivex
