#include "library/thumbnail_cache.h"

namespace lumivex {

const QImage* ThumbnailCache::find(const ThumbnailKey& key) {
  const auto it = items_.find(key.path);
  if (it == items_.end()) return nullptr;
  if (!it->second.key.sameFile(key)) {
    ages_.erase(it->second.age);
    items_.erase(it);
    return nullptr;
  }
  ages_.splice(ages_.begin(), ages_, it->second.age);
  return &it->second.image;
}

void ThumbnailCache::insert(const ThumbnailKey& key, QImage image) {
  const auto it = items_.find(key.path);
  if (it != items_.end()) {
    it->second.key = key;
    it->second.image = std::move(image);
    ages_.splice(ages_.begin(), ages_, it->second.age);
    return;
  }
  ages_.push_front(key.path);
  items_.emplace(key.path, Item{key, std::move(image), ages_.begin()});
  while (static_cast<int>(items_.size()) > capacity_ && !ages_.empty()) {
    items_.erase(ages_.back());
    ages_.pop_back();
  }
}

void ThumbnailCache::remove(const QString& path) {
  const auto it = items_.find(path);
  if (it == items_.end()) return;
  ages_.erase(it->second.age);
  items_.erase(it);
}

void ThumbnailCache::clear() {
  items_.clear();
  ages_.clear();
}

}  // namespace lumivex
