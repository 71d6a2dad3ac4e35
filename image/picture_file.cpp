#include "image/picture_file.h"

#include "core/atomic_file.h"
#include "image/cx_image.h"
#include "image/cx_image_jpg.h"
#include "image/cx_mem_file.h"

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
  if (type == CxImage::kTypeJpg && image.format() == QImage::Format_RGB32) {
    // A rendered picture is encoded from its own rows: no 24-bit copy of 1600 x 1200 pixels to make.
    CxMemFile encoded;
    encoded.Reserve(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    if (!CxImageJPG::EncodeRgb32(image, 90, exif, encoded, nullptr)) return false;
    const std::vector<uint8_t> bytes = encoded.TakeBuffer();
    return AtomicFile::write(path, QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                           static_cast<qsizetype>(bytes.size())))
        .ok();
  }
  CxImage picture;
  if (!picture.CreateFromQImage(image)) return false;
  picture.SetJpegQuality(90);
  if (type == CxImage::kTypeJpg) picture.SetExif(exif);
  return picture.Save(path, type);
}

}  // namespace lumivex
