#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <list>
#include <unordered_map>

namespace lumivex {

// What a thumbnail was made from: a changed size or modification time makes it stale.
struct ThumbnailKey {
  QString path;
  std::int64_t size = 0;
  std::int64_t mtimeNs = 0;
  QSize target;
  bool video = false;

  bool sameFile(const ThumbnailKey& other) const {
    return size == other.size && mtimeNs == other.mtimeNs && target == other.target && video == other.video;
  }
};

// Thumbnails at slot size, least recently used dropped first. A null image records a file that could
// not be decoded, so it is not tried again until it changes. GUI thread only.
class ThumbnailCache {
 public:
  explicit ThumbnailCache(int capacity = 600) : capacity_(capacity) {}

  // The cached thumbnail for this key, or nullptr (a stale one is dropped).
  const QImage* find(const ThumbnailKey& key);
  void insert(const ThumbnailKey& key, QImage image);
  void remove(const QString& path);
  void clear();
  int size() const { return static_cast<int>(items_.size()); }

 private:
  struct Item {
    ThumbnailKey key;
    QImage image;
    std::list<QString>::iterator age;
  };
  struct Hash {
    std::size_t operator()(const QString& s) const { return qHash(s); }
  };

  int capacity_;
  std::list<QString> ages_;  // most recently used first
  std::unordered_map<QString, Item, Hash> items_;
};

}  // namespace lumivex
