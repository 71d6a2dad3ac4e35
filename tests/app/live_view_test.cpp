// Measuring on the live picture through the real main window: command ids and mouse events on the video
// area, with a fake capture service that hands out a chosen frame.
#include "app/live_view.h"
#include "app/camera_controller.h"
#include "app/live_micrometer.h"
#include "app/live_tools_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/video_area.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "capture/demo_scene.h"
#include "capture/gst_capture_service.h"
#include "capture/still/still_capture.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/scripted_prompter.h"
#include "core/settings.h"
#include "library/thumbnail_strip.h"
#include "measure/calibration_file.h"
#include "measure/calibration_state.h"
#include "measure/detection/micrometer_picture.h"
#include "measure/micrometer_scale.h"
#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

namespace lumivex {
namespace {

using Result = CaptureService::ConnectResult;

class LiveViewTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    calibrationState().unitName.assign(QStringLiteral("mm"));
    calibrationState().decimals = 3;
    createWindow({.result = Result::Connected,
                  .fakeRecorder = false,
                  .frameDib = test::dibOf(DemoScene::specimen(QSize(640, 480)))});
    window_->liveTools().hooks().askText = [](QWidget*) -> std::optional<QString> { return QStringLiteral("Hi"); };
    window_->show();
    ASSERT_TRUE(test::waitUntil([this] { return capture_->running; }));
  }

  LiveView& view() { return window_->liveView(); }
  VideoArea* area() { return window_->controls().videoArea(); }
  void command(int id) { ASSERT_TRUE(window_->dispatchCommand(id)); }
  void click(QPoint p) {
    QTest::mouseMove(area(), p);
    QTest::mouseClick(area(), Qt::LeftButton, {}, p);
  }
  void doubleClick(QPoint p) { QTest::mouseDClick(area(), Qt::LeftButton, {}, p); }
  void rightClick(QPoint p) { QTest::mouseClick(area(), Qt::RightButton, {}, p); }
  // Chooses a tool and delivers the measurement frame it asks for.
  void chooseTool(int id) {
    const int before = capture_->stills;
    command(id);
    if (capture_->stills > before) {
      postAppEvent<StillReadyEvent>(window_.get(), StillKind::Command);
      ASSERT_TRUE(test::waitUntil([this] { return view().hasMeasurementFrame(); }));
    }
  }
  int lastKind() const {
    const LiveShapeList& list = window_->liveView().shapes();
    return list.isEmpty() ? -1 : static_cast<int>(list.at(list.count() - 1).kind);
  }
};

TEST_F(LiveViewTest, OnlyTheLiveAreaTakesInput) {
  struct Case {
    QPoint p;
    bool accepted;
  };
  for (const Case& c : std::vector<Case>{{{0, 0}, false},
                                         {{0, 100}, false},
                                         {{100, 0}, false},
                                         {{641, 200}, false},
                                         {{100, 481}, false},
                                         {{1, 1}, true},
                                         {{639, 479}, true},
                                         {{640, 480}, true}}) {
    EXPECT_EQ(view().handleVideoEvent(CanvasEvent::Move, CanvasButton::None, c.p), c.accepted)
        << c.p.x() << "," << c.p.y();
  }
  // A line whose clicks fall outside makes nothing; a drag outside leaves the rubber band where it was.
  chooseTool(1179);
  view().handleVideoEvent(CanvasEvent::Press, CanvasButton::Left, {0, 0});
  EXPECT_FALSE(view().canvas().inCycle());
  click({100, 100});
  const QPoint before = view().canvas().mouse();
  view().handleVideoEvent(CanvasEvent::Move, CanvasButton::None, {700, 100});
  EXPECT_EQ(view().canvas().mouse(), before);
}

// Every live tool's click sequence ends in one record that keeps the tool's live code.
TEST_F(LiveViewTest, EveryToolMakesItsRecord) {
  struct Case {
    int button;
    std::vector<QPoint> clicks;
    std::optional<QPoint> doubleClickAt;
    int code;
  };
  const std::vector<Case> cases = {
      {1179, {{100, 100}, {200, 100}, {150, 80}}, {}, 1},
      {1180, {{100, 100}, {200, 100}, {150, 150}, {150, 80}}, {}, 2},
      {1181, {{100, 100}, {200, 100}, {150, 80}}, {}, 3},
      {1182, {{100, 100}, {200, 100}, {150, 80}}, QPoint(200, 200), 4},
      {1183, {{100, 100}, {200, 200}, {150, 80}}, {}, 5},
      {1184, {{100, 100}, {200, 100}, {200, 200}}, QPoint(100, 200), 6},
      {1186, {{200, 200}, {250, 200}, {150, 80}}, {}, 8},
      {1187, {{100, 200}, {200, 200}, {150, 80}}, {}, 9},
      {1188, {{100, 200}, {200, 100}, {300, 200}, {150, 80}}, {}, 10},
      {1189,
       {{100, 200}, {200, 100}, {300, 200}, {10, 10}, {400, 200}, {450, 150}, {500, 200}, {20, 20}, {30, 30}},
       {},
       11},
      {1190, {{100, 100}, {200, 200}, {300, 100}, {150, 80}}, {}, 12},
      {1191, {{100, 100}, {200, 100}, {100, 200}, {200, 300}, {150, 80}}, {}, 13},
      {1192, {{300, 300}}, {}, 14},
      {1193, {{320, 300}}, {}, 15},
      {1205, {{100, 200}, {200, 100}, {300, 200}, {150, 80}}, {}, 17},
      // Automatic tools on the specimen: disc A (centre 160,208, radius 48) and the band's edges.
      {1206, {{112, 208}, {160, 160}, {208, 208}}, {}, 21},
      {1349, {{64, 304}, {576, 304}}, {}, 22},
      {1207, {{112, 208}, {126, 174}, {160, 160}}, {}, 23},
      {1357, {{200, 290}, {260, 290}, {200, 350}, {260, 350}}, {}, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    const int before = view().shapes().count();
    chooseTool(c.button);
    for (const QPoint& p : c.clicks) click(p);
    if (c.doubleClickAt) doubleClick(*c.doubleClickAt);
    // A record whose label is being placed is fixed by one more click.
    if (view().canvas().inCycle()) click({500, 420});
    EXPECT_FALSE(view().canvas().inCycle());
    ASSERT_EQ(view().shapes().count(), before + 1);
    EXPECT_EQ(lastKind(), c.code);
  }
  // The text tool puts its text at the cursor.
  chooseTool(1194);
  EXPECT_EQ(lastKind(), 16);
  // Snapshots carry the drawable kinds.
  const auto snapshot = view().snapshot();
  ASSERT_TRUE(snapshot && snapshot->shapes);
  EXPECT_EQ(static_cast<int>(snapshot->shapes->size()), view().shapes().count());
  EXPECT_EQ(snapshot->shapes->front().kind, ShapeKind::Line);
}

TEST_F(LiveViewTest, AutomaticCircleFitsTheDisc) {
  chooseTool(1206);
  for (const QPoint& p : {QPoint(112, 208), QPoint(160, 160), QPoint(208, 208)}) click(p);
  if (view().canvas().inCycle()) click({500, 420});
  ASSERT_EQ(lastKind(), 21);
  const MeasureShape& circle = view().shapes().at(0);
  EXPECT_NEAR(circle.radius, 48.0, 1.5);
}

TEST_F(LiveViewTest, RightClickCancelsTheShapeNotTheMenu) {
  chooseTool(1179);
  click({100, 100});
  ASSERT_TRUE(view().canvas().inCycle());
  rightClick({150, 150});
  EXPECT_FALSE(view().canvas().inCycle());
  EXPECT_EQ(view().shapes().count(), 0);
  // The tool stays: the next clicks make a line.
  for (const QPoint& p : {QPoint(100, 100), QPoint(200, 100), QPoint(150, 80)}) click(p);
  EXPECT_EQ(view().shapes().count(), 1);
}

TEST_F(LiveViewTest, UndoRedoAndDeleteAllThroughTheButtons) {
  view().askers().gaugeVertex = [](QWidget*) -> std::optional<QPoint> { return QPoint(100, 100); };
  chooseTool(1192);
  for (int i = 0; i < 3; ++i) click(QPoint(100 + 50 * i, 300));
  ASSERT_EQ(view().shapes().count(), 3);
  command(1141);  // an angle gauge
  ASSERT_EQ(view().comparisons().size(), 1);
  // Undo takes the newest shape and leaves the comparison object.
  command(1195);
  command(1195);
  EXPECT_EQ(view().shapes().count(), 1);
  EXPECT_EQ(view().comparisons().size(), 1);
  command(1196);
  command(1196);
  command(1196);
  EXPECT_EQ(view().shapes().count(), 3);
  // A new shape after an undo survives a redo.
  command(1195);
  chooseTool(1192);
  click({400, 300});
  command(1196);
  EXPECT_EQ(view().shapes().count(), 3);
  EXPECT_EQ(view().shapes().at(2).points[0], QPoint(400, 300));
  // With no shapes left, undo takes the comparison object.
  command(1195);
  command(1195);
  command(1195);
  EXPECT_EQ(view().comparisons().size(), 1);
  command(1195);
  EXPECT_EQ(view().comparisons().size(), 0);
  // Delete all: shapes, redo entries, comparison objects; label numbers start again.
  command(1196);
  command(1141);
  command(409);
  EXPECT_EQ(view().shapes().count(), 0);
  EXPECT_EQ(view().comparisons().size(), 0);
  command(1196);
  EXPECT_EQ(view().shapes().count(), 0);
  chooseTool(1192);
  click({100, 300});
  EXPECT_EQ(view().shapes().at(0).labels.value(0), QStringLiteral("1"));
}

TEST_F(LiveViewTest, ComparisonObjectsAndDragging) {
  view().askers().rulerLength = [](QWidget*, const QString&) -> std::optional<double> { return 1.0; };
  view().askers().toleranceCircle = [](QWidget*, const QString&) -> std::optional<std::array<double, 3>> {
    return std::array<double, 3>{1.0, 0.05, 0.05};
  };
  // At magnification 20 without a calibration the rate is 10 (640 x 480).
  window_->controls().magnificationEdit()->setText(QStringLiteral("20"));
  chooseTool(1212);
  click({100, 100});
  click({200, 110});
  ASSERT_EQ(view().comparisons().size(), 1);
  EXPECT_EQ(view().comparisons()[0].points, (QList<QPoint>{{100, 100}, {134, 100}}));
  EXPECT_EQ(view().comparisons()[0].labels.value(0), QStringLiteral("L:1.000mm"));
  command(1139);
  ASSERT_EQ(view().comparisons().size(), 2);
  EXPECT_EQ(view().comparisons()[1].radii, (std::array<int, 3>{34, 2, 2}));
  // The circle is hit before any tool: dragged 50 pixels right.
  chooseTool(1179);
  QTest::mousePress(area(), Qt::LeftButton, {}, {320, 240});
  QTest::mouseMove(area(), {370, 240});
  QTest::mouseRelease(area(), Qt::LeftButton, {}, {370, 240});
  EXPECT_EQ(view().comparisons()[1].points[0], QPoint(370, 240));
  EXPECT_EQ(view().shapes().count(), 0);
}

TEST_F(LiveViewTest, OverlaysAndBurnIn) {
  window_->controls().magnificationEdit()->setText(QStringLiteral("20"));
  command(1244);
  ASSERT_TRUE(view().overlayScale().scale);
  EXPECT_EQ(view().overlayScale().scaleX.size(), 19u);
  command(1245);
  ASSERT_TRUE(view().overlayScale().circles);
  // A magnification change recomputes the marks.
  window_->controls().magnificationEdit()->setText(QStringLiteral("40"));
  EXPECT_DOUBLE_EQ(view().overlayScale().rate, 17.0);
  command(1244);
  command(1245);
  EXPECT_FALSE(view().overlayScale().scale);

  // A live line at (100,100) lands where the capture factor puts it in the still.
  chooseTool(1179);
  for (const QPoint& p : {QPoint(100, 100), QPoint(200, 100), QPoint(150, 60)}) click(p);
  ASSERT_EQ(view().shapes().count(), 1);
  struct Case {
    QSize size;
    double scale;
    QPoint at;
  };
  for (const Case& c : std::vector<Case>{
           {{1600, 1200}, 2.5, {250, 250}}, {{1280, 1024}, 2.0, {200, 200}}, {{320, 240}, 0.5, {50, 50}}}) {
    QImage still(c.size, QImage::Format_RGB32);
    still.fill(Qt::black);
    {
      QPainter painter(&still);
      view().burnIn(painter, c.scale, false);
    }
    EXPECT_EQ(still.pixelColor(c.at), QColor(255, 0, 0)) << c.size.width();
    EXPECT_EQ(still.pixelColor(c.at - QPoint(3, 0)), QColor(Qt::black)) << c.size.width();
  }
}

TEST_F(LiveViewTest, LiveCalibrationRoundTrip) {
  window_->controls().magnificationEdit()->setText(QStringLiteral("100"));
  view().askers().calibrationDistance = [](QWidget*, const QString&) -> std::optional<double> { return 1.0; };
  command(1197);
  ASSERT_TRUE(window_->liveTools().lineCalibrationMode());
  click({100, 100});
  click({200, 100});
  QLineEdit* scale = window_->controls().calibrationEdit();
  // 100 pixels of 0.02963 mm read as 1 mm, at the size scale 0.5 of 640 x 480: 59.26.
  ASSERT_TRUE(test::waitUntil([scale] { return !scale->text().isEmpty(); }));
  ASSERT_EQ(scale->text(), QStringLiteral("59.3"));
  EXPECT_EQ(lookupCalibration(QStringLiteral("100")), QStringLiteral("59.3"));
  // Another magnification has none; coming back finds it.
  window_->controls().magnificationEdit()->setText(QStringLiteral("200"));
  EXPECT_TRUE(scale->text().isEmpty());
  window_->controls().magnificationEdit()->setText(QStringLiteral("100"));
  EXPECT_EQ(scale->text(), QStringLiteral("59.3"));
  // Without a magnification there is nothing to calibrate.
  window_->controls().magnificationEdit()->setText(QString());
  command(409);
  prompts_->clearRecords();
  command(1197);
  EXPECT_FALSE(window_->liveTools().lineCalibrationMode());
  EXPECT_EQ(prompts_->messageTexts().size(), 1u);
}

// The automatic micrometer calibration on the live picture (video-area menu, 2000): a drag over the
// graduations of the measurement frame, the marks shown while the pitch is asked, the value stored for the
// magnification in 1147 with its uncertainty, which then shows on live results when chosen.
TEST_F(LiveViewTest, MicrometerCalibrationOnTheLivePicture) {
  detection::MicrometerScene scene;
  scene.width = 640;
  scene.height = 480;
  scene.pixelsPerPeriod = 20.0;
  scene.graduations = 25;
  scene.angleDegrees = 1.0;
  scene.blurSigma = 1.0;
  scene.noiseSigma = 3.0;
  const detection::MicrometerPicture picture(scene);
  capture_->frameDib = test::dibOf(picture.toImage());
  window_->controls().magnificationEdit()->setText(QStringLiteral("100"));
  std::vector<std::size_t> marksShown;
  view().askers().micrometerPitch = [&](QWidget*, const QString& unit) -> std::optional<double> {
    EXPECT_EQ(unit, QStringLiteral("mm"));
    marksShown.push_back(view().micrometer() ? view().micrometer()->marks().size() : 0);
    return 0.01;  // 10 um
  };
  auto dragOver = [&](QRect r) {
    QTest::mousePress(area(), Qt::LeftButton, {}, r.topLeft());
    QTest::mouseMove(area(), r.center());
    QTest::mouseMove(area(), r.bottomRight());
    QTest::mouseRelease(area(), Qt::LeftButton, {}, r.bottomRight());
  };

  // Blank picture below the scale: the reason, and nothing stored.
  chooseTool(ids::kMicrometerCalibration);
  ASSERT_NE(view().micrometer(), nullptr);
  const QRect marks = picture.marksBox();
  dragOver(QRect(marks.left(), marks.bottom() + 40, 300, 60));
  ASSERT_TRUE(test::waitUntil([&] { return !prompts_->messageTexts().empty(); }));
  EXPECT_TRUE(prompts_->messageTexts()[0].startsWith(QStringLiteral("No micrometer graduation found: ")));
  EXPECT_EQ(view().micrometer(), nullptr);
  EXPECT_FALSE(lookupCalibration(QStringLiteral("100")).has_value());
  prompts_->clearRecords();

  chooseTool(ids::kMicrometerCalibration);
  dragOver(marks.adjusted(-6, -6, 6, 6));  // video and frame pixels agree at 640 x 480
  QLineEdit* scale = window_->controls().calibrationEdit();
  ASSERT_TRUE(test::waitUntil([&] { return !scale->text().isEmpty() && !prompts_->messageTexts().empty(); }));
  ASSERT_EQ(marksShown.size(), 1u);
  EXPECT_GE(marksShown[0], 20u);
  EXPECT_EQ(view().micrometer(), nullptr);
  // A line of one pitch (20 px of 0.02963 mm) read as 10 um at the size scale 0.5: 1185.2.
  EXPECT_NEAR(scale->text().toDouble(), 1185.2, 1185.2 * 1e-3);
  EXPECT_EQ(lookupCalibration(QStringLiteral("100")), scale->text());
  const std::optional<double> u = lookupCalibrationUncertainty(QStringLiteral("100"));
  ASSERT_TRUE(u.has_value());
  EXPECT_LT(*u, 1e-3);
  EXPECT_TRUE(prompts_->messageTexts()[0].startsWith(QStringLiteral("0.0005000 mm/px \u00b1 ")))
      << prompts_->messageTexts()[0].toStdString();

  // Live results measured with it carry its uncertainty when chosen; a live line calibration forgets it.
  calibrationState().showUncertainty = true;
  EXPECT_EQ(view().canvas().conversion().scaleUncertainty, u);
  view().askers().calibrationDistance = [](QWidget*, const QString&) -> std::optional<double> { return 1.0; };
  command(1197);
  click({100, 100});
  click({200, 100});
  ASSERT_TRUE(test::waitUntil([scale] { return scale->text() == QStringLiteral("59.3"); }));
  EXPECT_FALSE(lookupCalibrationUncertainty(QStringLiteral("100")).has_value());
  EXPECT_FALSE(view().canvas().conversion().scaleUncertainty.has_value());
  calibrationState().showUncertainty = false;
}

// The whole road with the steady simulated camera: an automatic circle on disc A (true radius 60 um, 48
// video pixels at any size), F2, and the circle burnt into the saved BMP at the capture size.
TEST(LiveViewDemoCamera, AutomaticCircleIsBurntIntoTheStill) {
  test::TempHome home;
  // The camera sets the process-wide capture size; later tests of this program expect it as it was.
  struct RestoreCaptureState {
    int width = captureState().width.load();
    int height = captureState().height.load();
    bool highResolution = captureState().highResolutionModel.load();
    ~RestoreCaptureState() {
      captureState().width = width;
      captureState().height = height;
      captureState().highResolutionModel = highResolution;
    }
  } restore;
  AppContext& context = AppContext::initialise();
  context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
  context.settings().imageFormat = ImageFormat::Bmp;
  auto previous = installPrompter(std::make_unique<ScriptedPrompter>());
  auto service = std::make_unique<GstCaptureService>(true);
  GstCaptureService* camera = service.get();
  for (const std::shared_ptr<DemoCamera>& demo : DemoCameraHub::instance().cameras()) {
    demo->setDrift(false);
    demo->setNoise(false);
  }
  {
    MainWindow window(context, StartOptions{}, std::move(service));
    window.show();
    if (!test::waitUntil([&] { return window.camera().isConnected() && !camera->bufferedFrame().isEmpty(); })) {
      installPrompter(std::move(previous));
      AppContext::shutdown();
      GTEST_SKIP() << "the simulated camera did not stream";
    }
    VideoArea* area = window.controls().videoArea();
    ASSERT_TRUE(window.dispatchCommand(1206));
    ASSERT_TRUE(test::waitUntil([&] { return window.liveView().hasMeasurementFrame(); }));
    for (const QPoint& p : {QPoint(112, 208), QPoint(160, 160), QPoint(208, 208)}) {
      QTest::mouseMove(area, p);
      QTest::mouseClick(area, Qt::LeftButton, {}, p);
    }
    if (window.liveView().canvas().inCycle()) QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(500, 420));
    ASSERT_EQ(window.liveView().shapes().count(), 1);
    const MeasureShape& circle = window.liveView().shapes().at(0);
    EXPECT_NEAR(circle.radius, 48.0, 1.5);
    EXPECT_LE((circle.points[0] - QPoint(160, 208)).manhattanLength(), 2);

    ThumbnailStrip* strip = window.controls().strip();
    const int before = strip->pictures().count();
    QTest::keyClick(area, Qt::Key_F2);
    ASSERT_TRUE(test::waitUntil([&] { return strip->pictures().count() == before + 1; }));
    const QImage still(strip->CurrentEntry()->path);
    ASSERT_FALSE(still.isNull());
    const double scale = StillCapture::burnInScale(still.width(), still.height());
    // The circle's left and right ends, in the still.
    for (const QPointF& end : {QPointF(circle.points[0].x() - circle.radius, circle.points[0].y()),
                               QPointF(circle.points[0].x() + circle.radius, circle.points[0].y())}) {
      const QPoint at = (end * scale).toPoint();
      bool red = false;
      for (int dy = -3; dy <= 3 && !red; ++dy) {
        for (int dx = -3; dx <= 3 && !red; ++dx) {
          const QColor c = still.pixelColor(at + QPoint(dx, dy));
          red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
      }
      EXPECT_TRUE(red) << at.x() << "," << at.y();
    }
  }
  installPrompter(std::move(previous));
  AppContext::shutdown();
}

}  // namespace
}  // namespace lumivex
