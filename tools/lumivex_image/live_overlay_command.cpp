// lumivex-image live-overlay: measures on a picture as the live view measures on the camera's frame
// (live tool codes, clicks in video coordinates 1..640 x 1..480, automatic tools snapping on the picture)
// and burns the live shapes, the cross line, the scale and the circles into it as a still capture does,
// printing every shape's results: the live measuring path for scripts and checks without a camera.
#include "image/cx_image.h"
#include "image/picture_file.h"
#include "measure/calibration_state.h"
#include "measure/canvas_controller.h"
#include "measure/canvas_host.h"
#include "measure/comparison_object.h"
#include "measure/live_marks.h"
#include "measure/live_snapshot.h"
#include "measure/live_tool.h"
#include "measure/picture_edge_detector.h"
#include "measure/rate_derivation.h"
#include "measure/shape_renderer.h"
#include "measure/units.h"
#include "tools/lumivex_image/canvas_steps.h"
#include "tools/lumivex_image/command_registry.h"

#include <QPainter>

#include <cstdio>
#include <vector>

namespace lumivex::tool {
namespace {

int fail(const QString& text) {
  std::fprintf(stderr, "live-overlay: %s\n", qPrintable(text));
  return 2;
}

class WarningHost : public CanvasHost {
 public:
  std::optional<double> askCalibrationDistance() override { return std::nullopt; }
  void calibrationMeasured(double) override {}
  void warn(const char* key, const QString&) override { std::fprintf(stderr, "live-overlay: warning %s\n", key); }
};

struct Options {
  QString picture;
  QString out;
  QString magnification;
  QString calibration;
  bool highResolution = false;
  bool cross = false;
  bool scale = false;
  bool circles = false;
  int range = 20;
  QStringList steps;
};

std::optional<QString> parse(const QStringList& args, Options& o) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--high-resolution") {
      o.highResolution = true;
    } else if (a == u"--cross") {
      o.cross = true;
    } else if (a == u"--scale") {
      o.scale = true;
    } else if (a == u"--circles") {
      o.circles = true;
    } else if (a.startsWith(QStringLiteral("--"))) {
      if (i + 1 >= args.size()) return QStringLiteral("%1 needs a value").arg(a);
      const QString v = args[++i];
      bool ok = true;
      if (a == u"--out") {
        o.out = v;
      } else if (a == u"--magnification") {
        o.magnification = v;
      } else if (a == u"--calibration") {
        o.calibration = v;
      } else if (a == u"--unit") {
        calibrationState().unitName.assign(knownUnit(v));
      } else if (a == u"--decimals") {
        calibrationState().decimals = usableDecimals(v.toInt(&ok));
      } else if (a == u"--range") {
        o.range = v.toInt(&ok);
      } else {
        return QStringLiteral("unknown option %1").arg(a);
      }
      if (!ok) return QStringLiteral("bad value for %1").arg(a);
    } else if (o.picture.isEmpty()) {
      o.picture = a;
    } else {
      o.steps.append(a);
    }
  }
  if (o.picture.isEmpty()) return QStringLiteral("PICTURE missing");
  return std::nullopt;
}

struct LiveRecord {
  int code = 0;  // the live tool that made it
  MeasureShape shape;
};

int liveOverlay(const QStringList& args) {
  Options o;
  if (const std::optional<QString> error = parse(args, o)) return fail(*error);
  std::optional<CxImage> read = readPictureToMeasure(o.picture);
  if (!read) return fail(QStringLiteral("cannot open %1").arg(o.picture));
  CxImage& picture = *read;
  const int w = static_cast<int>(picture.GetWidth());
  const int h = static_cast<int>(picture.GetHeight());

  // The picture is the measurement frame: video pixel x is frame column x * W / 640.
  WarningHost host;
  PictureEdgeDetector detector(picture, w / static_cast<double>(kLiveWidth), frameRowsPerVideoRow(w, h), o.range);
  LabelCounters counters;
  CanvasController c;
  c.setHost(&host);
  c.setDetector(&detector);
  c.setLabelCounters(&counters);
  c.setAutoComplete(true);
  c.setPictureArea(QRect(1, 1, kLiveWidth, kLiveHeight));
  c.setUnitScale(liveSizeFactor(w, h));
  c.setStyle(loadDrawingStyle());
  const std::optional<RateResult> rate = computeRate(RateInput{o.magnification, o.calibration, w, h, o.highResolution});
  if (rate) c.setRate(*rate, rateSizeScale(w, h, o.highResolution));
  if ((o.scale || o.circles) && !rate) return fail(QStringLiteral("--scale and --circles need --magnification"));

  std::vector<LiveRecord> records;
  int code = 0;
  // Finished records leave the canvas as the live view takes them, tagged with the tool that made them.
  const auto collect = [&] {
    ShapeList& list = c.shapes();
    const int active = c.activeShapeIndex();
    for (int i = 0; i < list.count(); ++i) {
      if (i != active) records.push_back({code, list.at(i)});
    }
    std::optional<MeasureShape> placing;
    if (active >= 0) placing = list.at(active);
    list.destroyAll();
    if (placing) list.append(std::make_unique<MeasureShape>(std::move(*placing)));
  };
  for (const QString& step : o.steps) {
    bool isNumber = false;
    const int number = step.toInt(&isNumber);
    if (isNumber) {
      const std::optional<LiveTool> tool = liveToolFromCode(number);
      const std::optional<ToolMode> mode = tool ? liveToolCanvasMode(*tool) : std::nullopt;
      if (!mode) return fail(QStringLiteral("%1 is no live measuring tool (1-17, 21-25)").arg(step));
      if (needsRate(*tool) && !rate) return fail(QStringLiteral("tool %1 needs --magnification").arg(step));
      c.settleCycle();
      collect();
      code = number;
      c.setTool({*mode, kMeasureFlagMeasure});
      continue;
    }
    const std::optional<ClickStep> click = parseClickStep(step);
    if (!click) return fail(QStringLiteral("bad step %1 (TOOL, X,Y, r:X,Y, d:X,Y or m:X,Y)").arg(step));
    // As on the live picture: points outside the live area are not taken.
    const QPoint p = click->point;
    if (p.x() < 1 || p.x() > kLiveWidth || p.y() < 1 || p.y() > kLiveHeight) {
      std::fprintf(stderr, "live-overlay: %s is outside the live area, ignored\n", qPrintable(step));
      continue;
    }
    replayClick(c, *click);
    collect();
  }
  c.settleCycle();
  collect();

  for (const LiveRecord& r : records) {
    std::printf("%d\t%s\t%s\n", r.code, qPrintable(r.shape.labels.join(u'|')), qPrintable(pointsText(r.shape.points)));
  }
  if (o.out.isEmpty()) return 0;

  // The still's burn-in: shapes at the capture factor, then the cross line, the scale and the circles
  // with their marks worked out at the picture's own pixel size.
  QImage still = picture.ToQImage().convertToFormat(QImage::Format_RGB32);
  {
    QPainter painter(&still);
    const double k = liveSizeFactor(w, h);
    const CalibrationState& state = calibrationState();
    const TotalFormat total{state.decimals, state.unitName.text()};
    for (const LiveRecord& r : records) drawShape(painter, r.shape, ShapeTransform::zoomed(k, k), total);
    if (o.cross) drawCrossLine(painter, still.size());
    LiveOverlayScale overlay;
    overlay.scale = o.scale;
    overlay.circles = o.circles;
    overlay.rate = c.rate().rate;
    overlay.unit = knownUnit(state.unitName.text());
    overlay.captureClass = captureClassOf(w);
    overlay.stillPixelSize = overlayStillPixelSize(overlay.unit, overlay.rate);
    drawStillScaleAndCircles(painter, overlay, still.size());
  }
  if (!saveRenderedPicture(still, o.out, picture.GetExif())) return fail(QStringLiteral("cannot write %1").arg(o.out));
  return 0;
}

const bool kRegistered = registerCommand(
    "live-overlay",
    "PICTURE [--out FILE] [--magnification M] [--calibration C] [--high-resolution] [--unit U] [--decimals D] "
    "[--range R] [--cross] [--scale] [--circles] STEP...  (STEP: a live tool 1-17 or 21-25, or a click X,Y in "
    "video coordinates 1..640 x 1..480, r:X,Y right, d:X,Y double, m:X,Y move; prints tool, labels and points of "
    "every shape and burns them, the cross line, the scale and the circles into FILE as a still capture does)",
    liveOverlay);

}  // namespace
}  // namespace lumivex::tool
