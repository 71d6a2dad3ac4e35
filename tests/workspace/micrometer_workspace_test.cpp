// The automatic micrometer calibration of the still workspace, driven through its menu and a drag over
// the graduations of a micrometer picture of known pitch.
#include "core/control_ids.h"
#include "measure/calibration_file.h"
#include "measure/calibration_state.h"
#include "measure/detection/micrometer_picture.h"
#include "measure/micrometer_scale.h"
#include "measure/rate_derivation.h"
#include "tests/support/wait_until.h"
#include "tests/workspace/workspace_test_support.h"
#include "workspace/micrometer_drag.h"

#include <QLineEdit>

namespace lumivex {
namespace {

using test::WorkspaceTest;

class MicrometerWorkspaceTest : public WorkspaceTest {
 protected:
  // A micrometer picture, 20 pixels per 10 um, marks leaning 2 degrees, saved as a BMP still of 100 X.
  QString micrometerStill(QRect& marks,
                          const QString& name = QStringLiteral("Still_2014-05-06_101112_100X_N0001.bmp")) {
    detection::MicrometerScene scene;
    scene.width = 1600;
    scene.height = 1200;
    scene.pixelsPerPeriod = 20.0;
    scene.graduations = 61;
    scene.angleDegrees = 2.0;
    scene.blurSigma = 1.0;
    scene.noiseSigma = 3.0;
    const detection::MicrometerPicture picture(scene);
    marks = picture.marksBox();
    CxImage image;
    EXPECT_TRUE(image.CreateFromQImage(picture.toImage().convertToFormat(QImage::Format_RGB888)));
    const QString path = home_.path() + u'/' + name;
    EXPECT_TRUE(image.Save(path, CxImage::kTypeBmp));
    return path;
  }
  // Drags over a picture rectangle on the canvas (view point = picture point / zoom - scroll).
  void drag(ImageWorkspace& w, QRect pictureRect) {
    MeasureCanvas* canvas = w.canvas();
    QWidget* view = canvas->viewport();
    auto at = [&](QPoint p) {
      return QPoint(static_cast<int>(p.x() / canvas->zoom()), static_cast<int>(p.y() / canvas->zoom())) -
             canvas->scrollOffset();
    };
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, at(pictureRect.topLeft()));
    QTest::mouseMove(view, at(pictureRect.center()));
    QTest::mouseMove(view, at(pictureRect.bottomRight()));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, at(pictureRect.bottomRight()));
  }
};

TEST_F(MicrometerWorkspaceTest, DraggedGraduationStoresTheCalibrationWithItsUncertainty) {
  QRect marks;
  ImageWorkspace& w = open(micrometerStill(marks));
  ASSERT_EQ(w.edit(1130)->text(), QStringLiteral("100"));
  std::vector<size_t> marksShown;
  w.setMicrometerPitchAsker([&](QWidget*) -> std::optional<double> {
    // Asked while the marks found are drawn over the picture.
    marksShown.push_back(w.micrometerDrag() ? w.micrometerDrag()->marks().size() : 0);
    return 0.01;  // 10 um in mm
  });
  menu(w, 1289, ids::kMicrometerCalibration);
  EXPECT_EQ(w.edit(1167)->text(), QStringLiteral("Automatic micrometer calibration"));
  ASSERT_NE(w.micrometerDrag(), nullptr);
  drag(w, marks.adjusted(-8, -8, 8, 8));
  ASSERT_TRUE(test::waitUntil([&] { return !messages().empty(); }));
  ASSERT_EQ(marksShown.size(), 1u);
  EXPECT_GE(marksShown[0], 50u);
  EXPECT_EQ(w.micrometerDrag(), nullptr);

  // v = 20 x 0.02963 x 10 / (0.01 x s): the value a line of one pitch calibrated to 10 um would store.
  const double s = rateSizeScale(1600, 1200, false);
  const double exact = 20.0 * 0.02963 * 10.0 / (0.01 * s);
  ASSERT_TRUE(test::waitUntil([&] { return !w.edit(1132)->text().isEmpty(); }));
  const QString stored = w.edit(1132)->text();
  EXPECT_NEAR(stored.toDouble(), exact, exact * 2e-4);
  EXPECT_EQ(lookupCalibration(QStringLiteral("100")), stored);
  const std::optional<double> u = lookupCalibrationUncertainty(QStringLiteral("100"));
  ASSERT_TRUE(u.has_value());
  EXPECT_GT(*u, 0.0);
  EXPECT_LT(*u, 0.001);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("0.0005000 mm/px \u00b1 "))) << messages()[0].toStdString();
  EXPECT_TRUE(messages()[0].endsWith(QStringLiteral(" %")));
  ASSERT_TRUE(test::waitUntil([&] { return !sink_.messages.empty(); }));
  EXPECT_EQ(sink_.messages[0].first, msg::kWorkspaceCalibration);

  // With "Show uncertainty" on, a line measured with it carries " ± u".
  struct ShowUncertainty {
    ShowUncertainty() { calibrationState().showUncertainty = true; }
    ~ShowUncertainty() { calibrationState().showUncertainty = false; }
  } on;
  auto measureLine = [&] {
    menu(w, 1138, 1249);
    clickAt(w, {100, 100});
    clickAt(w, {300, 100});
    clickAt(w, {200, 130});
    const ShapeList& shapes = w.canvas()->controller().shapes();
    return shapes.isEmpty() || shapes.at(shapes.count() - 1).labels.isEmpty() ? QString()
                                                                              : shapes.at(shapes.count() - 1).labels[0];
  };
  const QString withU = measureLine();
  EXPECT_TRUE(withU.startsWith(QStringLiteral("L:"))) << withU.toStdString();
  EXPECT_TRUE(withU.contains(QStringLiteral(" \u00b1 "))) << withU.toStdString();

  // A line calibration afterwards leaves the uncertainty unknown, and lengths without one.
  distance_ = 0.04;
  menu(w, 1289, 396);
  clickAt(w, {100, 100});
  clickAt(w, {140, 100});
  ASSERT_TRUE(test::waitUntil([&] { return w.edit(1132)->text() != stored; }));
  EXPECT_FALSE(lookupCalibrationUncertainty(QStringLiteral("100")).has_value());
  const QString withoutU = measureLine();
  EXPECT_TRUE(withoutU.startsWith(QStringLiteral("L:"))) << withoutU.toStdString();
  EXPECT_FALSE(withoutU.contains(u'\u00b1')) << withoutU.toStdString();
}

TEST_F(MicrometerWorkspaceTest, NoGraduationSaysWhyAndStoresNothing) {
  QRect marks;
  ImageWorkspace& w = open(micrometerStill(marks));
  bool asked = false;
  w.setMicrometerPitchAsker([&](QWidget*) -> std::optional<double> {
    asked = true;
    return 0.01;
  });
  menu(w, 1289, ids::kMicrometerCalibration);
  // Blank paper below the scale.
  drag(w, QRect(marks.left(), marks.bottom() + 100, 400, 100));
  ASSERT_TRUE(test::waitUntil([&] { return !messages().empty(); }));
  EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("No micrometer graduation found: ")))
      << messages()[0].toStdString();
  EXPECT_FALSE(asked);
  EXPECT_FALSE(lookupCalibration(QStringLiteral("100")).has_value());
  EXPECT_EQ(w.micrometerDrag(), nullptr);
}

TEST_F(MicrometerWorkspaceTest, CancelledPitchStoresNothing) {
  QRect marks;
  ImageWorkspace& w = open(micrometerStill(marks));
  bool asked = false;
  w.setMicrometerPitchAsker([&](QWidget*) -> std::optional<double> {
    asked = true;
    return std::nullopt;
  });
  menu(w, 1289, ids::kMicrometerCalibration);
  drag(w, marks);
  ASSERT_TRUE(test::waitUntil([&] { return asked; }));
  QApplication::processEvents();
  EXPECT_FALSE(lookupCalibration(QStringLiteral("100")).has_value());
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(w.micrometerDrag(), nullptr);
}

TEST(MicrometerScale, ValueUncertaintyAndTexts) {
  // 8 pixels per 10 um with 0.01 % from the fit; 1 x 0.02963 mm per pixel, size scale 1.
  const MicrometerCalibration c = micrometerCalibration(8.0, 1e-4, 0.02963, 0.01, 1.0);
  EXPECT_NEAR(c.value, 8.0 * 0.02963 * 10.0 / 0.01, 1e-9);
  EXPECT_NEAR(c.relativeUncertainty, std::hypot(1e-4, 0.0475 / c.value), 1e-12);
  EXPECT_EQ(micrometerCalibration(0.0, 1e-4, 0.02963, 0.01, 1.0).value, 0.0);
  EXPECT_EQ(micrometerConfirmation(MicrometerCalibration{1.0, 0.000346}, 0.0005002, QStringLiteral("mm")),
            QStringLiteral("0.0005002 mm/px \u00b1 0.035 %"));
  struct Unit {
    const char* unit;
    double tenMicrometres;
  };
  for (const Unit& u : {Unit{"mm", 0.01}, Unit{"cm", 0.001}, Unit{"mil", 10.0 / 25.4}, Unit{"inch", 10.0 / 25400.0},
                        Unit{"bogus", 0.01}})
    EXPECT_DOUBLE_EQ(micrometerPitchInUnit(10.0, QString::fromLatin1(u.unit)), u.tenMicrometres) << u.unit;
}

TEST(MicrometerScale, UncertaintyFileReadsUnknownWhereNothingIsKept) {
  test::TempHome home;
  const QString path = home.path() + QStringLiteral("/CalibrationUncertainty.ini");
  EXPECT_FALSE(lookupCalibrationUncertainty(path, QStringLiteral("20")).has_value());
  // Forgetting in a file never written creates none.
  EXPECT_TRUE(storeCalibrationUncertainty(path, QStringLiteral("20"), std::nullopt).ok());
  EXPECT_FALSE(QFile::exists(path));
  ASSERT_TRUE(storeCalibrationUncertainty(path, QStringLiteral("20"), 0.00034).ok());
  ASSERT_TRUE(storeCalibrationUncertainty(path, QStringLiteral("200"), 0.0012).ok());
  EXPECT_DOUBLE_EQ(*lookupCalibrationUncertainty(path, QStringLiteral("20")), 0.00034);
  EXPECT_DOUBLE_EQ(*lookupCalibrationUncertainty(path, QStringLiteral("200")), 0.0012);
  ASSERT_TRUE(storeCalibrationUncertainty(path, QStringLiteral("20"), std::nullopt).ok());
  EXPECT_FALSE(lookupCalibrationUncertainty(path, QStringLiteral("20")).has_value());
  EXPECT_TRUE(lookupCalibrationUncertainty(path, QStringLiteral("200")).has_value());
  EXPECT_EQ(calibrationUncertaintyFile(QStringLiteral("/a/b/CalibrationIni.ini")),
            QStringLiteral("/a/b/CalibrationUncertainty.ini"));
}

}  // namespace
}  // namespace lumivex
