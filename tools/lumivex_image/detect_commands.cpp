// lumivex-image detect / process edge-*: the automatic detection on picture files, one result line each.
#include "core/atomic_file.h"
#include "image/cx_image.h"
#include "measure/detection/cx_image_view.h"
#include "measure/detection/edge_overlay.h"
#include "measure/detection/edge_snap.h"
#include "measure/detection/grey_picture.h"
#include "measure/detection/otsu_threshold.h"
#include "measure/detection/region_line_detect.h"
#include "measure/geometry.h"
#include "tools/lumivex_image/command_registry.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <cstdio>
#include <optional>
#include <vector>

namespace lumivex::tool {
namespace {

using namespace lumivex::detection;

int failWith(const QString& text) {
  std::fprintf(stderr, "lumivex-image: %s\n", qPrintable(text));
  return 2;
}

// Exit status 1 with "none" when the detection finds nothing: a result, not an error.
int none() {
  std::puts("none");
  return 1;
}

uint32_t typeOfName(const QString& name) {
  const QString suffix = QFileInfo(name).suffix().toLower();
  if (suffix == QLatin1String("bmp")) return CxImage::kTypeBmp;
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) return CxImage::kTypeJpg;
  return CxImage::kTypeUnknown;
}

// BMP and JPEG through the program's own container, anything else Qt reads through QImage. Pictures of
// other depths are made 24-bit, since the detections accept only that.
bool load(CxImage& image, const QString& name) {
  if (!image.Load(name, typeOfName(name))) {
    // Only a regular file goes to Qt: a FIFO would block it, a directory is no picture.
    if (!QFileInfo(name).isFile()) return false;
    const QImage fallback(name);
    if (fallback.isNull() || !image.CreateFromQImage(fallback.convertToFormat(QImage::Format_RGB888))) return false;
  }
  if (image.GetBpp() != 24) return image.CreateFromQImage(image.ToQImage().convertToFormat(QImage::Format_RGB888));
  return true;
}

// Empty on success, else the reason.
QString save(CxImage& image, const QString& name) {
  const uint32_t type = typeOfName(name);
  if (type != CxImage::kTypeUnknown)
    return image.Save(name, type) ? QString() : QString::fromLocal8Bit(image.GetLastError());
  // Other formats are encoded by Qt in memory and written like every other file of the program.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, QFileInfo(name).suffix().toLower().toLatin1());
  if (!writer.write(image.ToQImage())) return writer.errorString();
  const WriteResult written = AtomicFile::write(name, bytes);
  return written ? QString() : written.reason;
}

int saveOrFail(CxImage& image, const QString& name) {
  const QString error = save(image, name);
  return error.isEmpty() ? 0 : failWith(QStringLiteral("cannot write ") + name + QStringLiteral(": ") + error);
}

std::optional<std::vector<int>> integers(const QStringList& args, qsizetype first, qsizetype count) {
  std::vector<int> values;
  for (qsizetype i = first; i < first + count; ++i) {
    bool ok = false;
    const int v = args[i].toInt(&ok);
    if (!ok) return std::nullopt;
    values.push_back(v);
  }
  return values;
}

void printSegment(const LineSegment& s) { std::printf("%d %d %d %d\n", s.p1.x(), s.p1.y(), s.p2.x(), s.p2.y()); }

int threshold(const QStringList& args) {
  if (args.size() != 1) return failWith(QStringLiteral("usage: detect threshold IN"));
  CxImage image;
  if (!load(image, args[0])) return failWith(QStringLiteral("cannot read ") + args[0]);
  const BgrView view = bgrViewOf(image);
  std::printf("%d\n", otsuThreshold(GreyPicture(view, view.rect()).histogram()));
  return 0;
}

int snap(const QStringList& args) {
  const auto v = args.size() == 4 ? integers(args, 0, 3) : std::nullopt;
  if (!v) return failWith(QStringLiteral("usage: detect snap X Y R IN"));
  CxImage image;
  if (!load(image, args[3])) return failWith(QStringLiteral("cannot read ") + args[3]);
  const std::optional<QPoint> p = EdgeSnap(bgrViewOf(image), (*v)[0], (*v)[1], (*v)[2]);
  if (!p) return none();
  std::printf("%d %d\n", p->x(), p->y());
  return 0;
}

int line(const QStringList& args) {
  const auto v = args.size() == 6 ? integers(args, 0, 5) : std::nullopt;
  if (!v || (*v)[4] < 1 || (*v)[4] > 4)
    return failWith(QStringLiteral("usage: detect line LEFT TOP RIGHT BOTTOM CLASS(1-4) IN"));
  CxImage image;
  if (!load(image, args[5])) return failWith(QStringLiteral("cannot read ") + args[5]);
  const QRect region(QPoint((*v)[0], (*v)[1]), QPoint((*v)[2], (*v)[3]));
  const auto s = RegionLineDetect(bgrViewOf(image), region, static_cast<OrientationClass>((*v)[4]));
  if (!s) return none();
  printSegment(*s);
  return 0;
}

int lineDilated(const QStringList& args) {
  const auto v = args.size() == 5 ? integers(args, 0, 4) : std::nullopt;
  if (!v) return failWith(QStringLiteral("usage: detect line-dilated LEFT TOP RIGHT BOTTOM IN"));
  CxImage image;
  if (!load(image, args[4])) return failWith(QStringLiteral("cannot read ") + args[4]);
  const QRect region(QPoint((*v)[0], (*v)[1]), QPoint((*v)[2], (*v)[3]));
  const auto s = RegionLineDetectDilated(bgrViewOf(image), region);
  if (!s) return none();
  printSegment(*s);
  return 0;
}

int circle(const QStringList& args) {
  const qsizetype coordinates = args.size() - 1;
  const auto v = coordinates >= 6 && coordinates % 2 == 0 ? integers(args, 1, coordinates) : std::nullopt;
  if (!v) return failWith(QStringLiteral("usage: detect circle IN X1 Y1 X2 Y2 X3 Y3 [X Y ...]"));
  CxImage image;
  if (!load(image, args[0])) return failWith(QStringLiteral("cannot read ") + args[0]);
  const BgrView view = bgrViewOf(image);
  QList<QPoint> points;
  for (size_t i = 0; i + 1 < v->size(); i += 2) {
    const int x = (*v)[i];
    const int y = (*v)[i + 1];
    // A click that finds no edge counts as it is, as the automatic circle tool does.
    const QPoint p = EdgeSnap(view, x, y, kDefaultDetectionRange).value_or(QPoint(x, y));
    points.append(p);
  }
  const std::optional<lumivex::FittedCircle> c = lumivex::fitCircle(points);
  if (!c) return none();
  std::printf("%.4f %.4f %.4f\n", c->centre.x(), c->centre.y(), c->radius);
  return 0;
}

int detect(const QStringList& args) {
  if (args.isEmpty()) return failWith(QStringLiteral("usage: detect threshold|snap|line|line-dilated|circle ..."));
  const QString what = args.front();
  const QStringList rest = args.mid(1);
  if (what == QLatin1String("threshold")) return threshold(rest);
  if (what == QLatin1String("snap")) return snap(rest);
  if (what == QLatin1String("line")) return line(rest);
  if (what == QLatin1String("line-dilated")) return lineDilated(rest);
  if (what == QLatin1String("circle")) return circle(rest);
  return failWith(QStringLiteral("unknown detect command ") + what);
}

int edgeGlobal(const QStringList& args) {
  if (args.size() != 2) return failWith(QStringLiteral("usage: process edge-global IN OUT"));
  CxImage image;
  if (!load(image, args[0])) return failWith(QStringLiteral("cannot read ") + args[0]);
  if (!EdgeOverlay(bgrSurfaceOf(image))) return failWith(QStringLiteral("not a 24-bit picture"));
  return saveOrFail(image, args[1]);
}

int edgePortion(const QStringList& args) {
  const auto v = args.size() == 6 ? integers(args, 0, 4) : std::nullopt;
  if (!v) return failWith(QStringLiteral("usage: process edge-portion L T R B IN OUT"));
  CxImage image;
  if (!load(image, args[4])) return failWith(QStringLiteral("cannot read ") + args[4]);
  // An empty rectangle changes nothing; the picture is still written, as the workspace keeps it.
  EdgeOverlay(bgrSurfaceOf(image), QRect(QPoint((*v)[0], (*v)[1]), QPoint((*v)[2], (*v)[3])));
  return saveOrFail(image, args[5]);
}

const bool kRegistered =
    registerCommand("detect",
                    "threshold IN | snap X Y R IN | line L T R B CLASS IN | line-dilated L T R B IN | "
                    "circle IN X1 Y1 X2 Y2 X3 Y3 ...  (prints one line; \"none\" and status 1 when nothing is found)",
                    detect) &&
    registerCommand("process edge-global", "IN OUT  (red outlines over the whole picture)", edgeGlobal) &&
    registerCommand("process edge-portion", "L T R B IN OUT  (red outlines inside the rectangle)", edgePortion);

}  // namespace
}  // namespace lumivex::tool
