#include "image/picture_file.h"

#include "image/cx_image.h"

#include <QFileInfo>

namespace lumivex {

std::optional<CxImage> readPictureToMeasure(const QString& path) {
  const QString ending = QFileInfo(path).suffix().toLower();
  std::uint32_t type = 0;
  if (ending == u"bmp") type = CxImage::kTypeBmp;
  if (ending == u"jpg" || ending == u"jpeg") type = CxImage::kTypeJpg;
  if (type == 0) return std::nullopt;
  CxImage picture(path, type);
  if (!picture.IsValid() || !picture.IncreaseBpp24()) return std::nullopt;
  return picture;
}

bool saveRenderedPicture(const QImage& image, const QString& path, const std::vector<std::uint8_t>& exif) {
  const QString ending = QFileInfo(path).suffix().toLower();
  std::uint32_t type = 0;
  if (ending == u"bmp") type = CxImage::kTypeBmp;
  if (ending == u"jpg" || ending == u"jpeg") type = CxImage::kTypeJpg;
  if (type == 0 || image.isNull()) return false;
  CxImage picture;
  if (!picture.CreateFromQImage(image)) return false;
  picture.SetJpegQuality(90);
  if (type == CxImage::kTypeJpg) picture.SetExif(exif);
  return picture.Save(path, type);
}

}  // namespace lumivex
