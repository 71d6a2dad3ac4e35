// Live measuring through the real main window, beyond the click sequences of live_view_test: the
// automatic angle, the magnifier fed from the measurement frame, and the comparison dialogs refusing
// bad values while staying open.
#include "tests/app/live_window_fixture.h"

#include "measure/live_snapshot.h"
#include "measure/values_dialog.h"
#include "widgets/magnifier_box.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace lumivex {
namespace {

using test::LiveWindowFixture;

class LiveMeasuringTest : public LiveWindowFixture {};

double labelNumber(const QString& label) {
  QString digits;
  for (const QChar c : label) {
    if (c.isDigit() || c == u'.' || c == u'-') digits += c;
  }
  return digits.toDouble();
}

// The specimen's 30 degree wedge: apex (80,456), its base along y 456 and its slanted edge up to
// (246,360). Strokes a few pixels off both edges (24.9 degrees between them) snap to the edges.
TEST_F(LiveMeasuringTest, AutomaticAngleSnapsToTheWedgeEdges) {
  chooseTool(1356);
  ASSERT_EQ(window_->liveTools().activeTool(), LiveTool::AutoAngle);
  for (const QPoint& p : {QPoint(120, 452), QPoint(230, 458), QPoint(130, 424), QPoint(200, 396)}) click(p);
  if (view().canvas().inCycle()) click({500, 420});
  EXPECT_FALSE(view().canvas().inCycle());
  ASSERT_EQ(view().shapes().count(), 1);
  const MeasureShape& angle = view().shapes().at(0);
  EXPECT_EQ(static_cast<int>(angle.kind), 25);
  ASSERT_EQ(angle.labels.size(), 1);
  EXPECT_TRUE(angle.labels[0].endsWith(QChar(0x00B0))) << angle.labels[0].toStdString();
  EXPECT_NEAR(labelNumber(angle.labels[0]), 30.0, 0.5) << angle.labels[0].toStdString();
  // Drawn as the still canvas's automatic angle.
  const auto snapshot = view().snapshot();
  ASSERT_TRUE(snapshot && snapshot->shapes && snapshot->shapes->size() == 1);
  EXPECT_EQ(snapshot->shapes->front().kind, ShapeKind::AutoAngle);
  // Undo takes it like any other live shape.
  command(1195);
  EXPECT_EQ(view().shapes().count(), 0);
}

// The scale overlay drawn by the frame path onto a black frame, compared pixel by pixel with the
// graduations worked out here from the rate, the unit and the capture size: one video pixel is
// factor(unit) x 10 x k / rate long, a graduation sits at the first pixel reaching its value less the
// tolerance, long ones run 14 before to 16 after the axis, short ones 7 before to 9 after.
TEST_F(LiveMeasuringTest, ScaleGraduationsMatchAnIndependentComputation) {
  struct Case {
    QSize capture;
    QString unit;
    QString magnification;
  };
  struct UnitTable {
    const char* name;
    double factor;
    double steps[3];  // rate over 100, over 25, 10 to 25
    double tolerance;
  };
  static const UnitTable units[] = {{"mm", 0.02963, {0.05, 0.1, 0.5}, 0.014815},
                                    {"cm", 0.002963, {0.005, 0.01, 0.05}, 0.002963},
                                    {"mil", 1.1665354330708662, {10, 10, 20}, 1.1665354330708662},
                                    {"inch", 0.0011665354330708663, {0.01, 0.01, 0.02}, 0.002333070866141732}};
  const std::vector<Case> cases = {{{640, 480}, "mm", "20"},  {{1600, 1200}, "mm", "20"},
                                   {{320, 240}, "cm", "120"}, {{1280, 1024}, "inch", "150"},
                                   {{640, 480}, "mil", "60"}, {{1280, 960}, "cm", "45"}};
  const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit.toStdString() + " " + std::to_string(c.capture.width()) + " x" + c.magnification.toStdString());
    captureState().width = c.capture.width();
    captureState().height = c.capture.height();
    calibrationState().unitName.assign(c.unit);
    window_->controls().magnificationEdit()->setText(c.magnification);
    command(1244);
    ASSERT_TRUE(view().overlayScale().scale);
    const double rate = view().overlayScale().rate;
    ASSERT_GE(rate, 10.0);
    ASSERT_LE(rate, 200.0);

    const UnitTable* table = nullptr;
    for (const UnitTable& u : units) {
      if (c.unit == QLatin1String(u.name)) table = &u;
    }
    ASSERT_NE(table, nullptr);
    const double k = c.capture == QSize(1600, 1200) ? 2.5
                     : c.capture.width() == 1280    ? 2.0
                     : c.capture == QSize(640, 480) ? 1.0
                                                    : 0.5;
    const double pixel = table->factor * 10 * k / rate;
    const int band = rate > 100 ? 0 : (rate > 25 ? 1 : 2);
    const double step = table->steps[band];
    const double tolerance = table->tolerance * (rate < 24 ? 2 : 1);
    const int longEvery = band == 0 ? 10 : (band == 1 ? 5 : 2);
    // Reach of the tick at each offset from the centre (0: none, 1: short, 2: long), out to `extent`.
    const auto ticks = [&](int extent) {
      std::vector<int> reach(static_cast<std::size_t>(extent) + 1, 0);
      for (int n = 1;; ++n) {
        const int at = std::max(1, static_cast<int>(std::ceil((n * step - tolerance) / pixel)));
        if (at > extent) break;
        reach[static_cast<std::size_t>(at)] = std::max(reach[static_cast<std::size_t>(at)], n % longEvery == 0 ? 2 : 1);
      }
      return reach;
    };
    const std::vector<int> across = ticks(320), down = ticks(240);
    ASSERT_GE(across.size() - static_cast<std::size_t>(std::count(across.begin(), across.end(), 0)), 2u);

    auto slot = std::make_shared<LiveSnapshotSlot>();
    slot->publish(view().snapshot());
    LiveComparisonOverlay overlay(slot);
    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(Qt::black);
    overlay.drawOnFrame(frame, 1.0, 1.0);

    // The cross through (321, 241); the graduations' reach before and after the axis.
    const int cx = 321, cy = 241;
    const auto before = [](int reach) { return reach == 2 ? 14 : 7; };
    const auto after = [](int reach) { return reach == 2 ? 16 : 9; };
    // The labels' boxes are left out of the comparison: text is not a graduation. Long graduations are
    // labelled with their value, alternating 18 below / 33 above (right / left), 6 before the mark.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    std::vector<QRect> labels;
    const auto label = [&](int x, int y, const QString& text) {
      labels.push_back(metrics.boundingRect(text).translated(x, y + metrics.ascent()).adjusted(-2, -2, 2, 2));
    };
    const auto labelAxis = [&](const std::vector<int>& reach, bool horizontal) {
      bool first = true;
      for (int d = 1; d < static_cast<int>(reach.size()); ++d) {
        if (reach[static_cast<std::size_t>(d)] != 2) continue;
        // The value of the long graduation at d: the last multiple of the long step placed there.
        int number = 0;
        for (int m = longEvery;; m += longEvery) {
          const int at = std::max(1, static_cast<int>(std::ceil((m * step - tolerance) / pixel)));
          if (at > d) break;
          if (at == d) number = m;
        }
        const QString text = QString::asprintf("%.2f", number * step);
        if (horizontal) {
          const int y = first ? cy + 18 : cy - 33;
          label(cx + d - 6, y, text);
          label(cx - d - 6, y, QLatin1Char('-') + text);
        } else {
          const int x = first ? cx + 18 : cx - 33;
          label(x, cy + d - 6, text);
          label(x, cy - d - 6, QLatin1Char('-') + text);
        }
        first = !first;
      }
    };
    labelAxis(across, true);
    labelAxis(down, false);
    const auto reachAt = [](const std::vector<int>& reach, int offset) {
      return offset < static_cast<int>(reach.size()) ? reach[static_cast<std::size_t>(offset)] : 0;
    };
    int checked = 0, wrong = 0;
    for (int y = 0; y < frame.height(); ++y) {
      for (int x = 0; x < frame.width(); ++x) {
        const QPoint p(x, y);
        if (std::any_of(labels.begin(), labels.end(), [p](const QRect& r) { return r.contains(p); })) continue;
        const int rx = reachAt(across, std::abs(x - cx)), ry = reachAt(down, std::abs(y - cy));
        const bool isRed = x == cx || y == cy || (rx > 0 && y >= cy - before(rx) && y <= cy + after(rx)) ||
                           (ry > 0 && x >= cx - before(ry) && x <= cx + after(ry));
        ++checked;
        const QRgb got = frame.pixel(x, y);
        if (got == (isRed ? red : black)) continue;
        if (++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << (isRed ? " should be red" : " should be black");
      }
    }
    EXPECT_EQ(wrong, 0) << "of " << checked << " pixels";
    EXPECT_GT(checked, 640 * 480 / 2);
    command(1244);
    EXPECT_FALSE(view().overlayScale().scale);
  }
}

}  // namespace
}  // namespace lumivex
