// lumivex-image calibrate micrometer / synthetic: the scale of a picture from the graduations of a stage
// micrometer in it, and pictures of a micrometer of known geometry to check that with.
#include "image/cx_image.h"
#include "measure/detection/cx_image_view.h"
#include "measure/detection/graduation_pitch.h"
#include "measure/detection/micrometer_picture.h"
#include "tools/lumivex_image/command_registry.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <optional>

namespace lumivex::tool {
namespace {

using namespace lumivex::detection;

int usageError(const char* text) {
  std::fprintf(stderr, "lumivex-image: %s\n", text);
  return 2;
}

void printLine(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
}

// A length with its unit, "10um", "10 µm", "0.01mm": the number and the unit as it will be printed.
struct Length {
  double value = 0.0;
  QString unit;
};

std::optional<Length> parseLength(const QString& text) {
  static const QRegularExpression pattern(
      QStringLiteral("^\\s*([0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)\\s*([^\\s0-9]*)\\s*$"));
  const QRegularExpressionMatch m = pattern.match(text);
  if (!m.hasMatch()) return std::nullopt;
  bool ok = false;
  const double value = m.captured(1).toDouble(&ok);
  if (!ok || !(value > 0) || !std::isfinite(value)) return std::nullopt;
  const QString unit = m.captured(2).toLower();
  if (unit.isEmpty() || unit == u"um" || unit == u"µm" || unit == u"μm" || unit == u"micron" || unit == u"microns")
    return Length{value, QStringLiteral("µm")};
  for (const char* known : {"nm", "mm", "cm", "mil", "inch"})
    if (unit == QLatin1String(known)) return Length{value, QString::fromLatin1(known)};
  if (unit == u"in") return Length{value, QStringLiteral("inch")};
  return std::nullopt;
}

// Fixed notation with six significant digits, never an exponent.
QString significant(double value, int digits) {
  if (value == 0.0) return QStringLiteral("0");
  const int magnitude = static_cast<int>(std::floor(std::log10(std::abs(value))));
  return QString::number(value, 'f', std::max(0, digits - 1 - magnitude));
}

bool loadPicture(CxImage& image, const QString& name) {
  const QString suffix = QFileInfo(name).suffix().toLower();
  const uint32_t type = suffix == u"bmp"                          ? CxImage::kTypeBmp
                        : (suffix == u"jpg" || suffix == u"jpeg") ? CxImage::kTypeJpg
                                                                  : CxImage::kTypeUnknown;
  if (!image.Load(name, type)) {
    const QImage fallback(name);
    if (fallback.isNull() || !image.CreateFromQImage(fallback.convertToFormat(QImage::Format_RGB888))) return false;
  }
  if (image.GetBpp() != 24) return image.CreateFromQImage(image.ToQImage().convertToFormat(QImage::Format_RGB888));
  return true;
}

// The picture with the marks found drawn over it: green where used, red where dropped as outliers.
bool drawMarks(const CxImage& image, const GraduationPitch& result, const QRect& region, const QString& out) {
  QImage picture = image.ToQImage().convertToFormat(QImage::Format_RGB32);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(255, 200, 0), 1, Qt::DashLine));
  painter.drawRect(region.adjusted(0, 0, -1, -1));
  for (const GraduationMark& mark : result.marks) {
    painter.setPen(QPen(mark.used ? QColor(0, 200, 0) : QColor(230, 0, 0), 1));
    painter.drawLine(mark.from + QPointF(0.5, 0.5), mark.to + QPointF(0.5, 0.5));
  }
  painter.end();
  return picture.save(out);
}

int micrometer(const QStringList& args) {
  QString pictureName, drawName;
  std::optional<Length> pitch;
  std::optional<QRect> region;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--pitch") {
      if (i + 1 >= args.size() || !(pitch = parseLength(args[++i])))
        return usageError("calibrate micrometer: --pitch takes a length such as 10um or 0.01mm");
    } else if (a == u"--region") {
      int v[4];
      bool ok = i + 4 < args.size();
      for (int k = 0; ok && k < 4; ++k) v[k] = args[i + 1 + k].toInt(&ok);
      if (!ok || v[2] <= 0 || v[3] <= 0)
        return usageError("calibrate micrometer: --region takes X Y W H in pixels, W and H positive");
      region = QRect(v[0], v[1], v[2], v[3]);
      i += 4;
    } else if (a == u"--draw") {
      if (i + 1 >= args.size()) return usageError("calibrate micrometer: --draw takes a file name");
      drawName = args[++i];
    } else if (a.startsWith(u"--") || !pictureName.isEmpty()) {
      return usageError("usage: calibrate micrometer PICTURE --pitch 10um [--region X Y W H] [--draw OUT]");
    } else {
      pictureName = a;
    }
  }
  if (pictureName.isEmpty() || !pitch)
    return usageError("usage: calibrate micrometer PICTURE --pitch 10um [--region X Y W H] [--draw OUT]");
  CxImage image;
  if (!loadPicture(image, pictureName)) {
    std::fprintf(stderr, "lumivex-image: cannot read %s\n", qPrintable(pictureName));
    return 2;
  }
  const BgrView view = bgrViewOf(image);
  const QRect area = region.value_or(view.rect());
  const GraduationPitch r = measureGraduationPitch(view, area);
  if (!drawName.isEmpty() && !drawMarks(image, r, area & view.rect(), drawName))
    std::fprintf(stderr, "lumivex-image: cannot write %s\n", qPrintable(drawName));
  if (!r.ok()) {
    const QString reason = graduationQualityText(r);
    printLine(QStringLiteral("quality failed: ") + reason);
    std::fprintf(stderr, "lumivex-image: calibrate micrometer: %s\n", reason.toUtf8().constData());
    return 1;
  }
  // Enough decimals for two significant digits of the uncertainty, at least four.
  const double expanded = r.expandedUncertainty();
  const int decimals = std::max(4, 1 - static_cast<int>(std::floor(std::log10(std::max(expanded, 1e-12)))));
  const double scale = pitch->value / r.pitch;
  printLine(QStringLiteral("pitch %1 px ± %2 px").arg(r.pitch, 0, 'f', decimals).arg(expanded, 0, 'f', decimals));
  printLine(QStringLiteral("scale %1 %2/px ± %3 %")
                .arg(significant(scale, 6), pitch->unit, significant(100.0 * r.relativeUncertainty(), 2)));
  printLine(QStringLiteral("marks %1").arg(r.marksUsed));
  printLine(QStringLiteral("angle %1°").arg(r.angleDegrees, 0, 'f', 2));
  printLine(
      QStringLiteral("direction %1")
          .arg(r.direction == MarkDirection::kVertical ? QStringLiteral("vertical") : QStringLiteral("horizontal")));
  printLine(QStringLiteral("quality good"));
  return 0;
}

int synthetic(const QStringList& args) {
  QString out;
  double period = 8.0, angle = 0.0;
  uint32_t seed = 1;
  bool horizontal = false, light = false, clean = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    bool ok = true;
    if (a == u"--period" && i + 1 < args.size()) {
      period = args[++i].toDouble(&ok);
      ok = ok && period >= 1.0 && period <= 200.0;
    } else if (a == u"--angle" && i + 1 < args.size()) {
      angle = args[++i].toDouble(&ok);
      ok = ok && std::abs(angle) <= 45.0;
    } else if (a == u"--seed" && i + 1 < args.size()) {
      seed = args[++i].toUInt(&ok);
    } else if (a == u"--horizontal") {
      horizontal = true;
    } else if (a == u"--light") {
      light = true;
    } else if (a == u"--clean") {
      clean = true;
    } else if (!a.startsWith(u"--") && out.isEmpty()) {
      out = a;
    } else {
      ok = false;
    }
    if (!ok) {
      out.clear();
      break;
    }
  }
  if (out.isEmpty())
    return usageError(
        "usage: calibrate synthetic OUT [--period PX] [--angle DEG] [--seed N] [--horizontal] [--light] [--clean]");
  MicrometerScene scene = accuracyScene(period, angle, seed, horizontal, light);
  if (clean) {
    scene.blurSigma = 0.0;
    scene.noiseSigma = 0.0;
    scene.illumination = 0.0;
  }
  const MicrometerPicture picture(scene);
  if (!picture.toImage().save(out)) {
    std::fprintf(stderr, "lumivex-image: cannot write %s\n", qPrintable(out));
    return 2;
  }
  const QRect box = picture.marksBox();
  printLine(QStringLiteral("pitch %1 px").arg(period, 0, 'f', 4));
  printLine(QStringLiteral("angle %1°").arg(angle, 0, 'f', 2));
  printLine(QStringLiteral("region %1 %2 %3 %4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height()));
  return 0;
}

const bool kRegistered =
    registerCommand("calibrate micrometer",
                    "PICTURE --pitch 10um [--region X Y W H] [--draw OUT]  (the graduation pitch of a stage "
                    "micrometer and the scale it gives; status 1 and the reason when none is found)",
                    micrometer) &&
    registerCommand("calibrate synthetic",
                    "OUT [--period PX] [--angle DEG] [--seed N] [--horizontal] [--light] [--clean]  (a micrometer "
                    "picture of known pitch: blur 1.5 px, noise 10, lighting +-30 %, two marks missing)",
                    synthetic);

}  // namespace
}  // namespace lumivex::tool
