// lumivex-image annotate: replays the workspace's click sequences on a picture through the same canvas
// controller, detection and render-and-save path, printing every shape's results, for scripts and checks
// of the measuring workspace without a display.
#include "image/cx_image.h"
#include "image/picture_file.h"
#include "measure/calibration_state.h"
#include "measure/canvas_controller.h"
#include "measure/canvas_host.h"
#include "measure/canvas_tool.h"
#include "measure/picture_edge_detector.h"
#include "measure/shape_renderer.h"
#include "measure/units.h"
#include "tools/lumivex_image/canvas_steps.h"
#include "tools/lumivex_image/command_registry.h"

#include <cmath>
#include <cstdio>

namespace lumivex::tool {
namespace {

int fail(const QString& text) {
  std::fprintf(stderr, "annotate: %s\n", qPrintable(text));
  return 2;
}

// Warnings go to stderr; a calibration line is answered with --actual.
class ToolHost : public CanvasHost {
 public:
  std::optional<double> askCalibrationDistance() override { return actual; }
  void calibrationMeasured(double value) override {
    std::printf("calibration\t%s\n", qPrintable(calibrationText(value)));
  }
  void warn(const char* key, const QString&) override { std::fprintf(stderr, "annotate: warning %s\n", key); }
  std::optional<double> actual;
};

struct Options {
  QString picture;
  QString out;
  QString magnification;
  QString calibration;
  bool highResolution = false;
  bool actualSize = false;
  int range = 20;
  std::optional<double> actual;
  QStringList steps;
};

std::optional<QString> parse(const QStringList& args, Options& o) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const auto value = [&]() -> std::optional<QString> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (a == u"--high-resolution") {
      o.highResolution = true;
    } else if (a == u"--actual-size") {
      o.actualSize = true;
    } else if (a.startsWith(QStringLiteral("--"))) {
      const std::optional<QString> v = value();
      if (!v) return QStringLiteral("%1 needs a value").arg(a);
      bool ok = true;
      if (a == u"--out") {
        o.out = *v;
      } else if (a == u"--magnification") {
        o.magnification = *v;
      } else if (a == u"--calibration") {
        o.calibration = *v;
      } else if (a == u"--unit") {
        calibrationState().unitName.assign(knownUnit(*v));
      } else if (a == u"--decimals") {
        calibrationState().decimals = usableDecimals(v->toInt(&ok));
      } else if (a == u"--range") {
        o.range = v->toInt(&ok);
      } else if (a == u"--actual") {
        o.actual = v->toDouble(&ok);
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

int annotate(const QStringList& args) {
  Options o;
  if (const std::optional<QString> error = parse(args, o)) return fail(*error);
  std::optional<CxImage> read = readPictureToMeasure(o.picture);
  if (!read) return fail(QStringLiteral("cannot open %1").arg(o.picture));
  CxImage& picture = *read;
  const int w = static_cast<int>(picture.GetWidth());
  const int h = static_cast<int>(picture.GetHeight());
  const double zoom = canvasZoom(w, h, o.actualSize);

  ToolHost host;
  host.actual = o.actual;
  PictureEdgeDetector detector(picture, zoom, zoom, o.range);
  LabelCounters counters;
  CanvasController c;
  c.setHost(&host);
  c.setDetector(&detector);
  c.setLabelCounters(&counters);
  c.setUnitScale(zoom);
  c.setPictureArea(QRect(0, 0, static_cast<int>(std::lround(w / zoom)), static_cast<int>(std::lround(h / zoom))));
  c.setStyle(loadDrawingStyle());
  const RateInput input{o.magnification, o.calibration, w, h, o.highResolution};
  const std::optional<RateResult> normal = computeRate(input);
  const double sizeScale = rateSizeScale(w, h, o.highResolution);
  if (normal) c.setRate(*normal, sizeScale);

  for (const QString& step : o.steps) {
    bool isNumber = false;
    const int command = step.toInt(&isNumber);
    if (isNumber) {
      if (command == 396 || command == 382) {
        const std::optional<RateResult> start = computeRate(input, RateForm::CalibrationStart);
        if (!start) return fail(QStringLiteral("calibration needs --magnification"));
        c.setTool({command == 396 ? ToolMode::ParallelLine : ToolMode::AutoLineSpacing, kMeasureFlagMeasure});
        c.setRate(*start, sizeScale);
        c.setCalibrationMode(true);
        continue;
      }
      const ToolCommand* tool = findToolCommand(command);
      if (!tool) return fail(QStringLiteral("unknown command %1").arg(step));
      if (tool->derivesRate && !normal)
        return fail(QStringLiteral("command %1 needs --magnification or --calibration").arg(step));
      if (normal) c.setRate(*normal, sizeScale);
      c.setTool(tool->tool);
      continue;
    }
    const std::optional<ClickStep> click = parseClickStep(step);
    if (!click) return fail(QStringLiteral("bad step %1 (COMMAND, X,Y, r:X,Y, d:X,Y or m:X,Y)").arg(step));
    replayClick(c, *click);
  }
  c.settleCycle();

  const ShapeList& shapes = c.shapes();
  for (int i = 0; i < shapes.count(); ++i) {
    const MeasureShape& s = shapes.at(i);
    std::printf("%d\t%s\t%s\n", static_cast<int>(s.kind), qPrintable(s.labels.join(u'|')),
                qPrintable(pointsText(s.points)));
  }
  if (!o.out.isEmpty()) {
    const QImage rendered = renderShapesOnPicture(picture.ToQImage(), shapes, zoom);
    if (!saveRenderedPicture(rendered, o.out, picture.GetExif()))
      return fail(QStringLiteral("cannot write %1").arg(o.out));
  }
  return 0;
}

const bool kRegistered = registerCommand(
    "annotate",
    "PICTURE [--out FILE] [--magnification M] [--calibration C] [--high-resolution] [--actual-size] [--unit U] "
    "[--decimals D] [--range R] [--actual DISTANCE] STEP...  (STEP: a workspace command such as 1249, or a click "
    "X,Y in view pixels, r:X,Y right, d:X,Y double, m:X,Y move; prints kind, labels and points of every shape)",
    annotate);

}  // namespace
}  // namespace lumivex::tool
