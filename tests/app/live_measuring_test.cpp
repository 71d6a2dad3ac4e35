// Live measuring through the real main window, beyond the click sequences of live_view_test: the
// automatic angle, the scale graduations pixel by pixel, the comparison dialogs refusing bad values
// while staying open, the magnifier fed from the measurement frame and the cursor over grips.
#include "tests/app/live_window_fixture.h"

#include "measure/live_snapshot.h"
#include "measure/values_dialog.h"
#include "widgets/magnifier_box.h"
#include "widgets/skin_renderer.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
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

// Runs `act` on the modal dialog of the given id as soon as it is open (the event loop that opens it
// runs the check); gives up with a failure after the wait deadline.
void whenDialogOpens(const QString& dialogId, std::function<void(QDialog*)> act) {
  auto* poll = new QTimer;
  const QDeadlineTimer deadline(test::kWaitDeadlineMs);
  QObject::connect(poll, &QTimer::timeout, [poll, dialogId, act = std::move(act), deadline] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->objectName() == dialogId) {
      poll->stop();
      poll->deleteLater();
      act(dialog);
    } else if (deadline.hasExpired()) {
      poll->stop();
      poll->deleteLater();
      ADD_FAILURE() << "dialog " << dialogId.toStdString() << " did not open";
    }
  });
  poll->start(0);
}

// The comparison dialogs refuse bad values with a warning and stay open; good values close them.
TEST_F(LiveMeasuringTest, ComparisonDialogsWarnAndStayOpen) {
  window_->controls().magnificationEdit()->setText(QStringLiteral("20"));  // rate 10
  struct Entry {
    QList<QStringList> refused;  // each one warned about, the dialog still open
    QStringList accepted;
  };
  // Types the values into the dialog's edits (in the given order of ids) and presses its OK button.
  const auto script = [this](const QString& dialogId, const QStringList& editIds, const Entry& entry,
                             const QString& warning, int* warned) {
    whenDialogOpens(dialogId, [=, this](QDialog* dialog) {
      auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("1"));
      const auto type = [&](const QStringList& values) {
        for (int i = 0; i < editIds.size(); ++i) dialog->findChild<QLineEdit*>(editIds[i])->setText(values.value(i));
        QTest::mouseClick(ok, Qt::LeftButton);
      };
      for (const QStringList& values : entry.refused) {
        const std::size_t before = prompts_->messageTexts().size();
        type(values);
        const std::vector<QString> texts = prompts_->messageTexts();
        if (texts.size() == before + 1 && texts.back() == warning && dialog->isVisible()) {
          ++*warned;
        } else {
          ADD_FAILURE() << values.join(u',').toStdString() << " was not refused";
        }
      }
      type(entry.accepted);
      if (dialog->isVisible()) {
        ADD_FAILURE() << entry.accepted.join(u',').toStdString() << " was refused";
        dialog->reject();
      }
    });
  };
  const QString digital = QStringLiteral("Please enter digital!");

  // Ruler (404): a positive finite length only.
  int warned = 0;
  const Entry ruler{{{"abc"}, {"0"}, {"-1"}, {"1e999"}, {""}}, {"1"}};
  chooseTool(1212);
  click({100, 100});
  script(QStringLiteral("404"), {QStringLiteral("1246")}, ruler, digital, &warned);
  click({200, 110});
  EXPECT_EQ(warned, 5);
  ASSERT_EQ(view().comparisons().size(), 1);
  EXPECT_EQ(view().comparisons()[0].labels.value(0), QStringLiteral("L:1.000mm"));

  // Angle gauge (1319): X 1..639, Y 1..480.
  warned = 0;
  const Entry gauge{{{"640", "100"}, {"0", "100"}, {"100", "481"}, {"100", "0"}, {"x", "100"}}, {"100", "100"}};
  script(QStringLiteral("1319"), {QStringLiteral("1121"), QStringLiteral("1330")}, gauge,
         QStringLiteral("Please enter digital X[1--639],Y[1--480]!"), &warned);
  command(1141);
  EXPECT_EQ(warned, 5);
  ASSERT_EQ(view().comparisons().size(), 2);
  EXPECT_EQ(view().comparisons()[1].points, (QList<QPoint>{{100, 100}, {100, 0}, {300, 100}}));
  EXPECT_EQ(view().comparisons()[1].labels.value(0), QStringLiteral("90.00\u00B0"));

  // Tolerance circle (407): three positive values.
  warned = 0;
  const Entry tolerance{{{"-1", "0.05", "0.05"}, {"1", "0", "0.05"}, {"1", "0.05", "-0.05"}, {"1", "a", "0.05"}},
                        {"1.0", "0.05", "0.05"}};
  script(QStringLiteral("407"), {QStringLiteral("411"), QStringLiteral("1122"), QStringLiteral("1123")}, tolerance,
         digital, &warned);
  command(1139);
  EXPECT_EQ(warned, 4);
  ASSERT_EQ(view().comparisons().size(), 3);
  EXPECT_EQ(view().comparisons()[2].radii, (std::array<int, 3>{34, 2, 2}));
}

// A measurement frame whose pixels tell where they are: red = x / 8, green = y / 8.
QImage codedFrame(QSize size) {
  QImage frame(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < size.width(); ++x) row[x] = qRgb(x / 8, y / 8, 0);
  }
  return frame;
}

class LiveMagnifierTest : public LiveWindowFixture, public ::testing::WithParamInterface<QSize> {
 protected:
  QImage frame() const override { return codedFrame(GetParam()); }
};

// The magnifier shows the measurement frame around the cursor: x * W / 640, and y * H / 480 (H / 512 for
// a 1280 x 1024 frame, which the video area shows 512 rows tall).
TEST_P(LiveMagnifierTest, ShowsTheFrameAroundTheCursor) {
  const QSize size = GetParam();
  MagnifierBox* box = window_->controls().magnifier();
  ASSERT_NE(box, nullptr);
  chooseTool(1206);  // an automatic tool: grabs the measurement frame
  ASSERT_EQ(view().measurementFrame().GetWidth(), static_cast<unsigned>(size.width()));
  const double rowsPerVideoRow = size == QSize(1280, 1024) ? 1024 / 512.0 : size.height() / 480.0;
  for (const QPoint video : {QPoint(100, 100), QPoint(320, 400), QPoint(600, 60)}) {
    QTest::mouseMove(area(), video);
    ASSERT_TRUE(test::waitUntil([&] { return box->grab().size() == box->size(); }));
    const QImage shown = box->grab().toImage();
    const QColor centre = shown.pixelColor(shown.width() / 2, shown.height() / 2);
    const double fx = video.x() * size.width() / 640.0, fy = video.y() * rowsPerVideoRow;
    EXPECT_NEAR(centre.red(), fx / 8, 1.01) << video.x() << "," << video.y();
    EXPECT_NEAR(centre.green(), fy / 8, 1.01) << video.x() << "," << video.y();
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LiveMagnifierTest,
                         ::testing::Values(QSize(640, 480), QSize(1280, 1024), QSize(1600, 1200)));

// Over what a left click would drag the cursor becomes the move cursor (386), elsewhere the measuring
// cursor (258) again.
TEST_F(LiveMeasuringTest, MoveCursorOverComparisonGrips) {
  window_->controls().magnificationEdit()->setText(QStringLiteral("20"));
  view().askers().toleranceCircle = [](QWidget*, const QString&) -> std::optional<std::array<double, 3>> {
    return std::array<double, 3>{1.0, 0.05, 0.05};
  };
  command(1139);
  ASSERT_EQ(view().comparisons().size(), 1);
  const auto looksLike = [this](const char* file) {
    return area()->cursor().pixmap().toImage() ==
           SkinRenderer::cursor(QString::fromLatin1(file), QPoint(16, 16)).pixmap().toImage();
  };
  EXPECT_TRUE(looksLike("cursor-258.svg"));
  QTest::mouseMove(area(), {330, 245});
  EXPECT_TRUE(looksLike("cursor-386.svg"));
  QTest::mouseMove(area(), {50, 50});
  EXPECT_TRUE(looksLike("cursor-258.svg"));
  // Dragging keeps it, wherever the mouse goes.
  QTest::mousePress(area(), Qt::LeftButton, {}, {320, 240});
  QTest::mouseMove(area(), {100, 100});
  EXPECT_TRUE(looksLike("cursor-386.svg"));
  QTest::mouseRelease(area(), Qt::LeftButton, {}, {100, 100});
  QTest::mouseMove(area(), {600, 400});
  EXPECT_TRUE(looksLike("cursor-258.svg"));
}

}  // namespace
}  // namespace lumivex
