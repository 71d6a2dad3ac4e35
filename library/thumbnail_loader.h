#pragma once

#include "library/thumbnail_cache.h"

#include <QThreadPool>

#include <functional>
#include <memory>
#include <unordered_set>

class QObject;

namespace lumivex {

// Decodes thumbnails on worker threads and hands each result to the GUI thread. The newest request is
// served first, so the slots on screen fill before ones scrolled past. Requests and results are handled
// on the thread of the context object; the decoders share nothing.
class ThumbnailLoader {
 public:
  using Done = std::function<void(const ThumbnailKey& key, const QImage& image)>;

  // done runs on context's thread, never after context is destroyed.
  ThumbnailLoader(QObject* context, Done done);
  ~ThumbnailLoader();
  ThumbnailLoader(const ThumbnailLoader&) = delete;
  ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

  // Starts a decode unless one for the same path is already running.
  void request(const ThumbnailKey& key);
  bool busy() const { return !inFlight_.empty(); }
  // Waits for the running decodes and delivers their results (tests and benchmarks).
  bool waitForIdle(int timeoutMs);

  static QImage decode(const ThumbnailKey& key);

 private:
  struct Hash {
    std::size_t operator()(const QString& s) const { return qHash(s); }
  };

  QObject* context_;
  Done done_;
  QThreadPool pool_;
  std::unordered_set<QString, Hash> inFlight_;
  int priority_ = 0;
};

}  // namespace lumivex
