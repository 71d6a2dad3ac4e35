// The Word report (.doc as RTF, .docx) and the DXF drawing as file forms of `lumivex-image export`,
// written by the program's own export code.
#include "export/cad_drawing.h"
#include "export/dxf_export.h"
#include "export/word_export.h"
#include "image/picture_file.h"
#include "tools/lumivex_image/export_formats.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace lumivex::tool {
namespace {

const QString kPicture = QStringLiteral("--picture");
const QString kHeight = QStringLiteral("--height");

int failed(const QString& why) {
  std::fprintf(stderr, "Save fail: %s\n", qPrintable(why));
  return 1;
}

// Decodes the whole picture, so a damaged file is refused before anything is written; the size on success.
// BMP and JPEG go through the program's own reader, which refuses a truncated JPEG that Qt's reader would
// return grey-filled.
std::optional<QSize> readPicture(const QString& path, QString* error) {
  const QFileInfo info(path);
  if (!info.exists() || !info.isFile()) {
    *error =
        info.exists() ? QStringLiteral("%1 is not a file").arg(path) : QStringLiteral("%1: no such file").arg(path);
    return std::nullopt;
  }
  const QString ending = QFileInfo(path).suffix().toLower();
  if (ending == u"bmp" || ending == u"jpg" || ending == u"jpeg") {
    if (const std::optional<CxImage> picture = readPictureToMeasure(path))
      return QSize(static_cast<int>(picture->GetWidth()), static_cast<int>(picture->GetHeight()));
    *error = QStringLiteral("%1 is not a picture that can be read (damaged or not a %2 file)").arg(path, ending);
    return std::nullopt;
  }
  QImageReader reader(path);
  reader.setAutoTransform(false);
  const QImage image = reader.read();
  if (image.isNull()) {
    *error = QStringLiteral("%1 is not a picture that can be read (%2)").arg(path, reader.errorString());
    return std::nullopt;
  }
  return image.size();
}

int writeReport(const ExportJob& job) {
  const QString picture = job.options.value(kPicture);
  // The program's report always carries its picture; so does this one.
  if (picture.isEmpty()) {
    std::fprintf(stderr, "export: the Word report needs --picture FILE\n");
    return 2;
  }
  QString error;
  if (!readPicture(picture, &error)) return failed(error);
  const WriteResult saved = writeWordReport(job.path, job.source, job.shapePointers(), job.total, picture);
  return saved ? 0 : failed(saved.reason);
}

int writeDrawing(const ExportJob& job) {
  // The shapes were measured one picture pixel a point, so at scale 1 every LINE is as long as its label
  // (the live view's 640 x 480 video has the same factor, its bottom row at y = 0).
  DxfPlacement placement{job.units.unitFactor, job.units.rate, 1.0, 1.0, 480.0};
  std::optional<double> height;
  if (job.options.contains(kHeight)) {
    bool ok = false;
    height = job.options.value(kHeight).toDouble(&ok);
    if (!ok || !std::isfinite(*height) || *height < 0) {
      std::fprintf(stderr, "export: bad value for %s\n", qPrintable(kHeight));
      return 2;
    }
  }
  const QString picture = job.options.value(kPicture);
  if (!picture.isEmpty()) {
    QString error;
    const std::optional<QSize> size = readPicture(picture, &error);
    if (!size) return failed(error);
    if (!height) height = size->height();
  }
  if (job.source == ReportSource::Still) {
    // Without a height the lowest point of the shapes is the bottom row, so every coordinate is >= 0.
    if (!height) {
      int lowest = 0;
      for (const MeasureShape& shape : job.shapes) {
        for (const QPoint& p : shape.points) lowest = std::max(lowest, p.y());
      }
      height = lowest;
    }
    placement.height = *height;
  }
  CadDrawing cad;
  if (!cad.usable()) return failed(QStringLiteral("Fatal error on creating CDrawing! (%1)").arg(cad.loadError()));
  const std::vector<DxfEntity> entities = dxfEntities(job.shapePointers(), job.source, placement);
  QString reason;
  switch (writeDxf(cad, entities, job.source, dxfUnitCode(job.units.unitName), job.path, &reason)) {
    case DxfResult::Written:
      return 0;
    case DxfResult::CreateFailed:
      return failed(QStringLiteral("Fatal error on creating CDrawing!"));
    case DxfResult::SaveFailed:
      break;
  }
  return failed(QStringLiteral("Error while saving dxf file! %1").arg(reason).trimmed());
}

const bool kRegistered =
    registerExportFormat({QStringLiteral("doc"), QStringLiteral("docx")}, {kPicture}, writeReport) &&
    registerExportFormat({QStringLiteral("dxf")}, {kPicture, kHeight}, writeDrawing);

}  // namespace
}  // namespace lumivex::tool
