#include "core/control_ids.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/workbook_file.h"
#include "measure/calibration_file.h"
#include "tests/workspace/workspace_test_support.h"
#include "widgets/latch_button.h"
#include "workspace/magnifier_dialog.h"
#include "workspace/workspace_exports.h"

#include <QFile>
#include <QLineEdit>
#include <QTimer>

namespace lumivex {
namespace {

using test::WorkspaceTest;

const char kStill100[] = "Still_2014-05-06_101112_100X_N0008.jpg";

TEST_F(WorkspaceTest, OpeningSizesTheWindowAndReadsTheMagnification) {
  ASSERT_TRUE(storeCalibration(QStringLiteral("100"), QStringLiteral("47.5")));
  struct Case {
    QString name;
    QSize picture;
    QSize window;
    QSize canvas;
    double zoom;
    QString magnification;
    QString calibration;
  };
  const Case cases[] = {
      {kStill100, {1600, 1200}, {646, 546}, {640, 480}, 2.5, "100", "47.5"},
      {"Still_2014-05-06_101112_150X_N0001.bmp", {1280, 1024}, {647, 578}, {640, 512}, 2.0, "150", ""},
      {"plain.jpg", {640, 480}, {646, 546}, {640, 480}, 1.0, "", ""},
      {"odd.bmp", {320, 240}, {646, 546}, {640, 480}, 0.5, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    ImageWorkspace& w = open(picture(c.name, c.picture));
    EXPECT_EQ(w.size(), c.window);
    EXPECT_EQ(w.canvas()->geometry(), QRect(QPoint(0, 60), c.canvas));
    EXPECT_EQ(w.canvas()->zoom(), c.zoom);  // by the picture, whatever camera is connected
    EXPECT_EQ(w.edit(1130)->text(), c.magnification);
    EXPECT_EQ(w.edit(1132)->text(), c.calibration);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Image Process"));
    EXPECT_TRUE(w.button(1289)->isVisible());  // calibration is reachable
    EXPECT_EQ(w.button(1113)->pos(), QPoint(6, 30));
    EXPECT_EQ(w.button(1289)->pos(), QPoint(390, 30));
    EXPECT_EQ(w.button(384)->pos(), QPoint(6, 1));
    EXPECT_EQ(w.edit(1167)->pos(), QPoint(422, 30));
  }
  // Typing a magnification looks its calibration up.
  ImageWorkspace& w = open(picture("plain2.jpg", {640, 480}));
  w.edit(1130)->setText(QStringLiteral("100"));
  EXPECT_EQ(w.edit(1132)->text(), QStringLiteral("47.5"));
}

TEST_F(WorkspaceTest, APictureThatCannotBeReadOpensNoWindow) {
  const QString broken = home_.path() + QStringLiteral("/broken.jpg");
  ASSERT_TRUE(test::writeBytes(broken, QByteArray("not a picture at all")));
  const QString png = picture("picture.png", {64, 64});
  for (const QString& path : {broken, png, home_.path() + QStringLiteral("/missing.bmp")}) {
    const int before = static_cast<int>(QApplication::topLevelWidgets().size());
    EXPECT_EQ(ImageWorkspace::open(path, nullptr, nullptr), nullptr) << path.toStdString();
    EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), before);
  }
}

TEST_F(WorkspaceTest, MenusChooseToolsDerivingTheRateWhereTheyMust) {
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  // No magnification: a measuring item warns and chooses nothing; an angle needs no rate.
  menu(w, 1138, 1249);
  EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Please input the zoomIn scale!")});
  EXPECT_EQ(w.canvas()->controller().tool().mode, ToolMode::NoTool);
  EXPECT_FALSE(w.latchButton(1138)->isLatched());
  menu(w, 1138, 1256);
  EXPECT_EQ(w.canvas()->controller().tool(), (CanvasTool{ToolMode::Angle, 1}));
  EXPECT_EQ(w.edit(1167)->text(), QStringLiteral("Angle"));
  EXPECT_TRUE(w.latchButton(1138)->isLatched());

  // With a magnification of 20 on a 640 x 480 picture: rate 10, and a 100-pixel line reads 2.96 mm.
  w.edit(1130)->setText(QStringLiteral("20"));
  menu(w, 1138, 1249);
  EXPECT_EQ(w.canvas()->controller().tool(), (CanvasTool{ToolMode::Line, 1}));
  EXPECT_EQ(w.rate().rate, 10);
  EXPECT_EQ(w.edit(1167)->text(), QStringLiteral("Straight Line"));
  clickAt(w, {100, 100});
  clickAt(w, {200, 100});
  clickAt(w, {150, 130});
  ASSERT_EQ(w.canvas()->controller().shapes().count(), 1);
  EXPECT_EQ(w.canvas()->controller().shapes().at(0).labels, QStringList{"L:2.96mm"});

  // Every menu holds its items, with the word export next to the spreadsheet one.
  const std::pair<int, int> sizes[] = {{1333, 10}, {1257, 6}, {1138, 12}, {1328, 5}, {1329, 2}, {1289, 3}};
  for (const auto& [button, count] : sizes) {
    QTest::mouseClick(w.button(button), Qt::LeftButton);
    ASSERT_NE(w.openMenu(), nullptr);
    EXPECT_EQ(w.openMenu()->actions().size(), count) << button;
    // The canvas is idle while a menu is open.
    EXPECT_EQ(w.canvas()->controller().tool().mode, ToolMode::NoTool);
    w.openMenu()->close();
  }
  QTest::mouseClick(w.button(1333), Qt::LeftButton);
  EXPECT_EQ(w.openMenu()->actions().at(8)->objectName(), QStringLiteral("1278"));
  w.openMenu()->close();
}

TEST_F(WorkspaceTest, AutomaticCircleFindsTheDiscOnGreyAndColourPictures) {
  // A disc of radius 200 picture pixels (80 content pixels at zoom 2.5) in the middle of 1600 x 1200. Grey
  // JPEGs and 8-bit BMPs are common outside the camera; the detection must see them as it sees colour ones.
  struct Case {
    const char* name;
    QImage::Format format;
  };
  const Case cases[] = {{"grey.jpg", QImage::Format_Grayscale8},
                        {"grey.bmp", QImage::Format_Grayscale8},
                        {"colour.jpg", QImage::Format_RGB888}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QImage image(1600, 1200, c.format);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(800, 600), 200, 200);
    painter.end();
    const QString path = home_.path() + u'/' + QLatin1String(c.name);
    ASSERT_TRUE(image.save(path));
    ImageWorkspace& w = open(path);
    w.edit(1130)->setText(QStringLiteral("100"));
    menu(w, 1328, 1317);
    // Clicks 5 content pixels (12.5 picture pixels) inside the edge: each snaps out to it.
    for (QPoint p : {QPoint(320, 165), QPoint(395, 240), QPoint(245, 240)}) clickAt(w, p);
    clickAt(w, {320, 250}, Qt::RightButton);
    clickAt(w, {400, 400});
    const ShapeList& shapes = w.canvas()->controller().shapes();
    ASSERT_EQ(shapes.count(), 1);
    EXPECT_EQ(shapes.at(0).kind, ShapeKind::AutoCircle);
    EXPECT_NEAR(shapes.at(0).radius, 80.0, 1.0);
    EXPECT_NEAR(shapes.at(0).points.at(0).x(), 320, 1);
    EXPECT_NEAR(shapes.at(0).points.at(0).y(), 240, 1);
    w.closeWithoutAsking();
  }
}

TEST_F(WorkspaceTest, LabelNumbersStartOverOnTheButtonsThatResetThem) {
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  menu(w, 1257, 1310);
  clickAt(w, {50, 50});
  clickAt(w, {80, 50});
  const ShapeList& shapes = w.canvas()->controller().shapes();
  EXPECT_EQ(shapes.at(1).labels, QStringList{"2"});
  w.dispatchCommand(1311);  // square labels count on their own
  clickAt(w, {110, 50});
  EXPECT_EQ(shapes.at(2).labels, QStringList{"1"});
  w.dispatchCommand(1310);
  clickAt(w, {140, 50});
  EXPECT_EQ(shapes.at(3).labels, QStringList{"3"});
  QTest::mouseClick(w.button(1137), Qt::LeftButton);  // select starts over
  EXPECT_TRUE(w.latchButton(1137)->isLatched());
  menu(w, 1257, 1310);
  clickAt(w, {170, 50});
  EXPECT_EQ(shapes.at(4).labels, QStringList{"1"});
}

TEST_F(WorkspaceTest, SaveRendersEveryShapeAtFullSizeByTheChosenName) {
  AppContext::current().settings().lineColor = 0xFF0000;  // blue, so the selection's red would show
  ImageWorkspace& w = open(picture("big.bmp", {1600, 1200}));
  menu(w, 1257, 1258);  // a paint line: no labels
  clickAt(w, {100, 100});
  clickAt(w, {200, 100});
  // Selected when saved: the file must not show the selection colour.
  QTest::mouseClick(w.button(1137), Qt::LeftButton);
  clickAt(w, {150, 100});
  ASSERT_TRUE(w.canvas()->controller().shapes().at(0).selected);
  EXPECT_TRUE(w.hasUnsavedChanges());

  const QString bmp = home_.path() + QStringLiteral("/out.bmp");
  prompts_->push(std::optional<FileAnswer>(FileAnswer{bmp, QStringLiteral("bmp Files(*.bmp)")}));
  w.dispatchCommand(1113);
  EXPECT_EQ(messages().back(), QStringLiteral("Save successfully!"));
  EXPECT_FALSE(w.hasUnsavedChanges());
  const QImage saved(bmp);
  ASSERT_EQ(saved.size(), QSize(1600, 1200));
  // Zoom 2.5: content (100, 100) is picture (250, 250); the line runs to (500, 250) in the line colour.
  for (int x : {250, 300, 400, 500}) EXPECT_EQ(saved.pixelColor(x, 250), QColor(0, 0, 255)) << x;
  EXPECT_EQ(saved.pixelColor(300, 245), QColor(Qt::white));
  EXPECT_EQ(saved.pixelColor(250, 240), QColor(0, 0, 255));  // the end tick, 10 content pixels long
  EXPECT_EQ(saved.pixelColor(520, 250), QColor(Qt::white));

  // JPEG by its name; a name without an ending takes the chosen filter's.
  const QString jpg = home_.path() + QStringLiteral("/out");
  prompts_->push(std::optional<FileAnswer>(FileAnswer{jpg, QStringLiteral("jpg Files(*.jpg)")}));
  w.dispatchCommand(1113);
  const QImage savedJpeg(jpg + QStringLiteral(".jpg"), "JPEG");
  ASSERT_EQ(savedJpeg.size(), QSize(1600, 1200));
  EXPECT_LT(savedJpeg.pixelColor(400, 250).red(), 80);
  EXPECT_GT(savedJpeg.pixelColor(400, 250).blue(), savedJpeg.pixelColor(400, 250).red() + 20);

  // Any other ending saves nothing and says so; an existing file stays.
  const QString png = home_.path() + QStringLiteral("/out.png");
  prompts_->push(std::optional<FileAnswer>(FileAnswer{png, QStringLiteral("bmp Files(*.bmp)")}));
  w.dispatchCommand(1113);
  EXPECT_EQ(messages().back(), QStringLiteral("Save fail"));
  EXPECT_FALSE(QFile::exists(png));
}

TEST_F(WorkspaceTest, RevertShowsThePictureAsStored) {
  const QString path = picture("plain.bmp", {640, 480});
  ImageWorkspace& w = open(path);
  menu(w, 1333, 1267);
  menu(w, 1333, 1268);
  EXPECT_TRUE(w.hasUnsavedChanges());
  const CxImage stored(path, CxImage::kTypeBmp);
  EXPECT_NE(w.canvas()->picture().GetBits(0)[0], stored.GetBits(0)[0]);
  menu(w, 1257, 1258);
  clickAt(w, {10, 10});
  clickAt(w, {90, 10});
  QTest::mouseClick(w.button(1114), Qt::LeftButton);
  const CxImage& shown = w.canvas()->picture();
  ASSERT_EQ(shown.GetSize(), stored.GetSize());
  EXPECT_EQ(std::memcmp(shown.GetDIB(), stored.GetDIB(), shown.GetSize()), 0);
  EXPECT_EQ(w.canvas()->controller().shapes().count(), 0);
  EXPECT_FALSE(w.hasUnsavedChanges());
}

TEST_F(WorkspaceTest, MaximiseAsksBeforeDroppingChangesAndShowsActualSize) {
  ImageWorkspace& w = open(picture("big.jpg", {1600, 1200}));
  const QRect normal = w.geometry();
  menu(w, 1257, 1258);
  clickAt(w, {10, 10});
  clickAt(w, {90, 10});

  // Yes: the picture is saved and the window keeps its size.
  const QString out = home_.path() + QStringLiteral("/kept.jpg");
  prompts_->push(MessageAnswer::Yes);
  prompts_->push(std::optional<FileAnswer>(FileAnswer{out, QStringLiteral("jpg Files(*.jpg)")}));
  QTest::mouseClick(w.button(1178), Qt::LeftButton);
  EXPECT_EQ(messages().front(), QStringLiteral("Save changes to..."));
  EXPECT_TRUE(QFile::exists(out));
  EXPECT_FALSE(w.isMaximisedLayout());
  EXPECT_EQ(w.geometry(), normal);
  EXPECT_EQ(w.canvas()->controller().shapes().count(), 1);

  // Saved since: no question. An image operation after the save asks again; No maximises.
  menu(w, 1333, 1264);
  prompts_->clearRecords();
  prompts_->push(MessageAnswer::No);
  QTest::mouseClick(w.button(1178), Qt::LeftButton);
  EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Save changes to...")});
  EXPECT_TRUE(w.isMaximisedLayout());
  EXPECT_EQ(w.canvas()->zoom(), 1.0);
  EXPECT_EQ(w.canvas()->contentSize(), QSize(1600, 1200));
  EXPECT_EQ(w.canvas()->controller().shapes().count(), 0);
  EXPECT_EQ(w.canvas()->geometry().topLeft(), QPoint(0, 60));
  EXPECT_EQ(w.canvas()->geometry().size(), QSize(w.width(), w.height() - 60));
  EXPECT_GT(w.canvas()->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(w.edit(1167)->pos(), QPoint(w.width() - 246, 30));

  // Scrolled: a line drawn across a scroll still measures in content coordinates.
  w.canvas()->horizontalScrollBar()->setValue(100);
  w.canvas()->verticalScrollBar()->setValue(50);
  menu(w, 1257, 1258);
  clickAt(w, {300, 200});
  w.canvas()->horizontalScrollBar()->setValue(0);
  clickAt(w, {400, 200});
  ASSERT_EQ(w.canvas()->controller().shapes().count(), 1);
  EXPECT_EQ(w.canvas()->controller().shapes().at(0).points.mid(0, 2), (QList<QPoint>{{300, 200}, {400, 200}}));

  // Restore: nothing saved, so asked again; the edits return to their opening places.
  prompts_->push(MessageAnswer::No);
  QTest::mouseClick(w.button(1178), Qt::LeftButton);
  EXPECT_FALSE(w.isMaximisedLayout());
  EXPECT_EQ(w.size(), QSize(646, 546));
  EXPECT_EQ(w.edit(1167)->pos(), QPoint(422, 30));
  EXPECT_EQ(w.edit(1132)->pos(), QPoint(495, 30));
  EXPECT_EQ(w.edit(1130)->pos(), QPoint(595, 30));
  EXPECT_EQ(w.canvas()->zoom(), 2.5);
}

TEST_F(WorkspaceTest, ThePressThatRestoresDoesNotRemakeANormalWindow) {
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  menu(w, 1257, 1258);
  clickAt(w, {10, 10});
  clickAt(w, {90, 10});
  MeasureCanvas* canvas = w.canvas();
  QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  w.showMinimized();
  w.showNormal();
  EXPECT_EQ(w.canvas(), canvas);
  EXPECT_EQ(w.canvas()->controller().shapes().count(), 1);
  EXPECT_TRUE(prompts_->records().empty());
}

TEST_F(WorkspaceTest, CalibrationStoresTheValueAndTellsTheMainWindow) {
  ImageWorkspace& w = open(picture("Still_2014-05-06_101112_20X_N0001.jpg", {640, 480}));
  EXPECT_EQ(w.edit(1130)->text(), QStringLiteral("20"));
  distance_ = 2.0;
  menu(w, 1289, 396);
  EXPECT_EQ(w.edit(1167)->text(), QStringLiteral("Line Calibration"));
  EXPECT_TRUE(w.canvas()->controller().calibrationMode());
  clickAt(w, {100, 100});
  clickAt(w, {200, 100});
  const MeasureShape& line = *w.canvas()->controller().shapes().last();
  EXPECT_EQ(line.kind, ShapeKind::ParallelLine);
  EXPECT_EQ(line.labels, QStringList{"L:2.00mm"});
  QApplication::sendPostedEvents();  // 0x8006 to the workspace
  QApplication::sendPostedEvents();  // 0x800c to the main window
  // v = 100 x 0.02963 x 10 / (2 x 0.5) = 29.63.
  EXPECT_EQ(w.edit(1132)->text(), QStringLiteral("29.6"));
  EXPECT_EQ(lookupCalibration(QStringLiteral("20")), QStringLiteral("29.6"));
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0], (std::pair<int, QString>{msg::kWorkspaceCalibration, QStringLiteral("20\t29.6")}));
  EXPECT_DOUBLE_EQ(w.rate().rate, 29.6 * 0.5);
  // The next line measures with the stored value.
  clickAt(w, {5, 5});
  menu(w, 1138, 1249);
  clickAt(w, {100, 200});
  clickAt(w, {200, 200});
  EXPECT_EQ(w.canvas()->controller().shapes().last()->labels, QStringList{"L:2.00mm"});
}

TEST_F(WorkspaceTest, TwoWorkspacesKeepTheirOwnShapes) {
  ImageWorkspace& a = open(picture("a.jpg", {640, 480}));
  ImageWorkspace& b = open(picture("b.bmp", {640, 480}));
  menu(a, 1257, 1258);
  clickAt(a, {10, 10});
  clickAt(a, {200, 10});
  menu(b, 1257, 1261);
  clickAt(b, {50, 50});
  clickAt(b, {100, 100});
  EXPECT_EQ(a.canvas()->controller().shapes().count(), 1);
  EXPECT_EQ(b.canvas()->controller().shapes().count(), 1);
  EXPECT_EQ(b.canvas()->controller().shapes().at(0).kind, ShapeKind::Rectangle);
  // Closing one leaves the other's shapes, and a save of it draws only its own.
  a.closeWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(b.canvas()->controller().shapes().count(), 1);
  const QString out = home_.path() + QStringLiteral("/b-out.bmp");
  prompts_->push(std::optional<FileAnswer>(FileAnswer{out, QStringLiteral("bmp Files(*.bmp)")}));
  b.dispatchCommand(1113);
  const QImage saved(out);
  EXPECT_EQ(saved.pixelColor(150, 10), QColor(Qt::white));  // a's line is not there
  EXPECT_EQ(saved.pixelColor(50, 75), QColor(255, 0, 0));   // b's rectangle is
}

// Four Points Angle, then Select: two lines already drawn give their angle, placed by the next click.
TEST_F(WorkspaceTest, SelectAfterTheFourPointAngleMeasuresTwoLines) {
  ImageWorkspace& w = open(picture("lines.bmp", {640, 480}));
  menu(w, 1257, 1258);
  clickAt(w, {100, 100});
  clickAt(w, {300, 100});
  clickAt(w, {400, 50});
  clickAt(w, {400, 250});
  menu(w, 1138, 1334);
  QTest::mouseClick(w.button(1137), Qt::LeftButton);
  clickAt(w, {200, 100});
  clickAt(w, {400, 150});
  ShapeList& shapes = w.canvas()->controller().shapes();
  ASSERT_EQ(shapes.count(), 3);
  EXPECT_EQ(shapes.at(2).kind, ShapeKind::FourPointAngle);
  EXPECT_EQ(shapes.at(2).labels, QStringList{QStringLiteral("90.00°")});
  clickAt(w, {500, 300});
  EXPECT_EQ(shapes.at(2).points[4], QPoint(500, 300));
  EXPECT_FALSE(w.canvas()->controller().inCycle());
}

TEST_F(WorkspaceTest, MagnifierDialogAndLens) {
  EXPECT_EQ((MeasureCanvas::Lens{30, 200}.sourceSide()), 60);
  EXPECT_EQ((MeasureCanvas::Lens{20, 100}.sourceSide()), 50);
  EXPECT_EQ((MeasureCanvas::Lens{20, 150}.sourceSide()), 70);
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  QTest::mouseClick(w.button(384), Qt::LeftButton);
  auto* dialog = w.findChild<MagnifierDialog*>(QStringLiteral("360"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->choice().zoomValue, 20);
  EXPECT_EQ(dialog->choice().size, 100);
  dialog->findChild<QAbstractButton*>(QStringLiteral("392-30"))->click();
  dialog->findChild<QAbstractButton*>(QStringLiteral("393-200"))->click();
  dialog->reject();  // the choice counts however the dialog closes
  EXPECT_EQ(w.canvas()->lens().sourceSide(), 60);
  EXPECT_EQ(w.canvas()->controller().tool(), (CanvasTool{ToolMode::Magnifier, 0}));
  EXPECT_EQ(w.edit(1167)->text(), QStringLiteral("Magnifier"));
  EXPECT_TRUE(w.latchButton(384)->isLatched());
  clickAt(w, {300, 200});
  EXPECT_EQ(w.canvas()->controller().lensCentre(), QPoint(300, 200));
  clickAt(w, {300, 200}, Qt::RightButton);
  EXPECT_FALSE(w.canvas()->controller().lensCentre());
}

TEST_F(WorkspaceTest, CloseAsksAndKeysDoNotClose) {
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  QTest::keyClick(&w, Qt::Key_Escape);
  QTest::keyClick(&w, Qt::Key_Return);
  EXPECT_TRUE(w.isVisible());
  prompts_->push(MessageAnswer::No);
  QTest::mouseClick(w.button(1294), Qt::LeftButton);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Are you sure to close?")});
  prompts_->push(MessageAnswer::Yes);
  QTest::mouseClick(w.button(1294), Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
}

// Records what the export entries were given.
class RecordingExports : public WorkspaceExports {
 public:
  void toSpreadsheet(const WorkspaceExportSource& s) override { calls.push_back({1279, s.shapes.count()}); }
  void toWord(const WorkspaceExportSource& s) override { calls.push_back({1278, s.shapes.count()}); }
  void toCad(const WorkspaceExportSource& s) override { calls.push_back({1318, s.shapes.count()}); }
  std::vector<std::pair<int, int>> calls;
};

TEST_F(WorkspaceTest, ExportItemsHandOverTheWorkspacesOwnShapes) {
  auto exports = std::make_unique<RecordingExports>();
  RecordingExports* recording = exports.get();
  auto previous = installWorkspaceExports(std::move(exports));
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  menu(w, 1257, 1261);
  clickAt(w, {50, 50});
  clickAt(w, {100, 100});
  for (int id : {1279, 1278, 1318}) menu(w, 1333, id);
  EXPECT_EQ(recording->calls, (std::vector<std::pair<int, int>>{{1279, 1}, {1278, 1}, {1318, 1}}));
  installWorkspaceExports(std::move(previous));
}

// The operation menu's "Export to excel" writes the workspace's shapes: .xls only, one row per shape.
TEST_F(WorkspaceTest, ExportToExcelWritesTheWorkspacesShapes) {
  ImageWorkspace& w = open(picture("plain.jpg", {640, 480}));
  menu(w, 1257, 1261);  // paint: rectangle, outline only
  clickAt(w, {50, 50});
  clickAt(w, {150, 100});
  const QString target = home_.path() + QStringLiteral("/still-report");
  prompts_->push(std::optional<FileAnswer>{FileAnswer{target, QStringLiteral("xls Files(*.xls)")}});
  menu(w, 1333, 1279);
  ASSERT_FALSE(prompts_->fileRequests().empty());
  EXPECT_EQ(prompts_->fileRequests().back().filters, QStringList{QStringLiteral("xls Files(*.xls)")});
  Workbook book;
  ASSERT_EQ(loadWorkbook(target + QStringLiteral(".xls"), &book, nullptr), WorkbookLoad::Loaded);
  const WorkbookSheet* sheet = book.find(QStringLiteral("ExportData"));
  ASSERT_TRUE(sheet);
  ASSERT_EQ(sheet->rows.size(), 2u);
  EXPECT_EQ(sheet->rows[0].back().text, QStringLiteral("Arc"));
  EXPECT_EQ(sheet->rows[1][0].text, QStringLiteral("Rectangle"));
  EXPECT_TRUE(messages().empty());  // success is silent
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace lumivex
