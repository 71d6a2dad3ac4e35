#include "measure/live_marks.h"

#include "core/video_geometry.h"
#include "measure/units.h"

#include <cmath>

namespace lumivex {
namespace {

enum class Unit { Mm, Cm, Mil, Inch };

Unit unitOf(const QString& unit) {
  const QString u = knownUnit(unit);
  if (u == QLatin1String("cm")) return Unit::Cm;
  if (u == QLatin1String("mil")) return Unit::Mil;
  if (u == QLatin1String("inch")) return Unit::Inch;
  return Unit::Mm;
}

// A rate far below any real magnification would put thousands of values on each pixel.
constexpr std::size_t kMaxMarks = 4096;

// Walks outwards placing value after value; `isLong` and `label` decide each mark's look by its number.
template <typename Look>
std::vector<AxisMark> walk(double pixelSize, int extent, double step, double tolerance, Look look) {
  std::vector<AxisMark> marks;
  if (!(pixelSize > 0) || !(step > 0) || extent <= 0) return marks;
  double value = step;
  int number = 1;
  for (int k = 1; k <= extent; ++k) {
    const double distance = k * pixelSize;
    // Every value the pixel reaches (within tolerance, or already past) gets its mark here.
    while (distance >= value - tolerance && marks.size() < kMaxMarks) {
      AxisMark mark{k, false, {}};
      look(mark, number, value);
      marks.push_back(std::move(mark));
      ++number;
      value = step * number;  // no running sum: its rounding would drift over hundreds of steps
    }
  }
  return marks;
}

}  // namespace

CaptureClass captureClassOf(int width) {
  if (width == 1600) return CaptureClass::Wide1600;
  if (width == 1280) return CaptureClass::Wide1280;
  return CaptureClass::Other;
}

double liveSizeFactor(int width, int height) {
  if (width == 1600 && height == 1200) return 2.5;
  if (width == 1280 && (height == 960 || height == 1024)) return 2.0;
  if (width == 640 && height == 480) return 1.0;
  return 0.5;
}

double frameRowsPerVideoRow(int width, int height) {
  return height / double(isTallPicture(QSize(width, height)) ? kTallPictureAreaHeight : kVideoAreaSize.height());
}

double overlayVideoPixelSize(const QString& unit, double rate, int width, int height) {
  if (!(rate > 0)) return 0.0;
  return unitFactorFor(unit) * 10.0 * liveSizeFactor(width, height) / rate;
}

double overlayStillPixelSize(const QString& unit, double rate) {
  if (!(rate > 0)) return 0.0;
  return unitFactorFor(unit) * 10.0 / rate;
}

std::vector<AxisMark> scaleMarks(const QString& unit, double rate, double pixelSize, int extent) {
  if (!(rate >= 10 && rate <= 200)) return {};
  const int band = rate > 100 ? 0 : (rate > 25 ? 1 : 2);
  static constexpr double kSteps[4][3] = {{0.05, 0.1, 0.5}, {0.005, 0.01, 0.05}, {10, 10, 20}, {0.01, 0.01, 0.02}};
  static constexpr double kTolerance[4] = {0.014815, 0.002963, 1.1665354330708662, 0.002333070866141732};
  static constexpr int kLongEvery[3] = {10, 5, 2};
  const int u = static_cast<int>(unitOf(unit));
  double tolerance = kTolerance[u];
  if (rate < 24) tolerance *= 2;
  const int longEvery = kLongEvery[band];
  return walk(pixelSize, extent, kSteps[u][band], tolerance, [longEvery](AxisMark& mark, int number, double value) {
    mark.longMark = number % longEvery == 0;
    if (mark.longMark) mark.label = QString::asprintf("%.2f", value);
  });
}

std::vector<AxisMark> circleMarks(const QString& unit, double rate, double pixelSize, int extent, CaptureClass cls) {
  static constexpr double kSteps[4] = {0.5, 0.5, 10, 0.1};
  // The cm rings use the cm tolerance (the mm number would put each ring about five pixels inside).
  static constexpr double kTolerance[4] = {0.014815, 0.002963, 0.583268, 0.001167};
  const int u = static_cast<int>(unitOf(unit));
  double tolerance = kTolerance[u];
  double doubleBelow = 9.8, tripleBelow = 5, labelBelow = 45;
  if (cls == CaptureClass::Wide1600) {
    doubleBelow = 25;
    tripleBelow = 13;
    labelBelow = 117;
  } else if (cls == CaptureClass::Wide1280) {
    doubleBelow = 20;
    tripleBelow = 10;
    labelBelow = 77;
  }
  if (rate < tripleBelow) {
    tolerance *= 3;
  } else if (rate < doubleBelow) {
    tolerance *= 2;
  }
  const bool labelled = rate < labelBelow;
  return walk(pixelSize, extent, kSteps[u], tolerance, [labelled](AxisMark& mark, int, double value) {
    mark.longMark = labelled;
    if (labelled) mark.label = QString::asprintf("%.1f", value);
  });
}

}  // namespace lumivex
