#pragma once

#include "image/cx_image.h"
#include "measure/drawing_style.h"
#include "measure/rate_derivation.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QLineEdit;
class QMenu;

namespace lumivex {

class LatchButton;
class MeasureCanvas;
class MicrometerDrag;
class SkinButton;
struct ToolCommand;

// The still-image workspace (template 185): a borderless skinned window in which one picture is
// measured, annotated, processed and saved. It owns its canvas, and the canvas owns the picture and its
// own shape list, so several workspaces open at once never see each other's shapes. Modeless; any
// number may be open. GUI thread only.
class ImageWorkspace : public QWidget {
 public:
  // Opens the picture (BMP or JPEG, chosen by the name's ending) in a new workspace shown over
  // `centreOn`. Nothing is shown and null returned when the picture cannot be read; the caller says so.
  // `receiver` (the main window) is told 0x800c when this workspace's calibration changes.
  static ImageWorkspace* open(const QString& path, QObject* receiver, QWidget* centreOn);
  // The picture a workspace would open, or nothing when it cannot be read.
  static std::optional<CxImage> loadPicture(const QString& path);

  ImageWorkspace(QString path, CxImage picture, QObject* receiver, QWidget* parent = nullptr);
  ~ImageWorkspace() override;

  // Runs a toolbar button's or menu item's command; false for an id this window does not know.
  bool dispatchCommand(int id);

  MeasureCanvas* canvas() const { return canvas_; }
  const QString& path() const { return path_; }
  SkinButton* button(int id) const;
  LatchButton* latchButton(int id) const;
  QLineEdit* edit(int id) const;
  // The popup menu shown by the last menu button, while it is open.
  QMenu* openMenu() const;
  bool isMaximisedLayout() const { return maximised_; }
  const ViewRate& rate() const { return rate_; }

  // Shapes, labels, moves, image operations or edges since the last successful save.
  bool hasUnsavedChanges() const;
  // Closes without asking (the main window asked once for all of them).
  void closeWithoutAsking();

  // The calibration dialog of every canvas this window makes (tests answer it).
  void setCalibrationAsker(std::function<std::optional<double>(QWidget*)> ask);
  // The graduation pitch question of the micrometer calibration (tests answer it); by default the
  // calibration dialog holding 10 um in the current unit.
  void setMicrometerPitchAsker(std::function<std::optional<double>(QWidget*)> ask) {
    askMicrometerPitch_ = std::move(ask);
  }
  // The micrometer calibration's drag and the marks it shows, while one is in progress.
  MicrometerDrag* micrometerDrag() const { return micrometer_.get(); }

  bool event(QEvent* event) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // Construction and layout (image_workspace.cpp).
  void buildToolbar();
  void buildEdits();
  void placeControls();
  void createCanvas();
  QSize normalSize() const;
  QSize pictureAreaSize() const;

  // Commands (workspace_commands.cpp).
  void beforeCommand();
  void releaseLatches();
  void showMenu(int buttonId);
  void chooseTool(const ToolCommand& command);
  void setStatus(const char* key, const QString& defaultText);
  bool deriveRateFor(RateForm form);
  void save();
  void revert();
  void magnifier();
  void penSetting();
  void text();
  void select();
  void imageOperation(int id);
  void edgeGlobal();
  void startCalibration(int id);
  void onCalibrated(double value);
  // Micrometer calibration (workspace_micrometer.cpp).
  void startMicrometerCalibration();
  void onMicrometerRegion(QRect region);
  void onMagnificationChanged(const QString& magnification);
  void toggleMaximise();
  void maximise();
  void restore();
  // The question before a layout change drops unsaved work: true to go on.
  bool mayDropChanges();
  void exportShapes(int id);
  void markSaved();

  QString path_;
  CxImage opened_;  // the picture as opened, for a revert when the file is gone
  QObject* receiver_;
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  MeasureCanvas* canvas_ = nullptr;
  DrawingStyle style_;
  ViewRate rate_;
  std::map<int, SkinButton*> buttons_;
  std::map<int, QLineEdit*> edits_;
  QPointer<QMenu> openMenu_;
  int menuButton_ = 0;  // the menu button whose tool is active
  std::function<std::optional<double>(QWidget*)> askDistance_;
  std::function<std::optional<double>(QWidget*)> askMicrometerPitch_;
  std::unique_ptr<MicrometerDrag> micrometer_;

  bool maximised_ = false;
  bool closing_ = false;
  bool calibrationPending_ = false;
  QRect normalGeometry_;
  QPoint dragOffset_;
  bool dragging_ = false;
  std::uint64_t imageChanges_ = 0;  // image operations and painted edges
  std::uint64_t savedShapeChanges_ = 0;
  std::uint64_t savedImageChanges_ = 0;
};

}  // namespace lumivex
