#pragma once

#include "app/button_table.h"
#include "app/live_measure_hooks.h"
#include "core/capture_service.h"
#include "measure/drawing_style.h"

#include <QDialog>
#include <QMenu>
#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

class QGroupBox;
class QLabel;
class QLineEdit;

namespace lumivex {

class AppContext;
class AppMessageEvent;
class LatchButton;
class MagnifierBox;
class MediaCommands;
class SkinButton;
class SoundPlayer;
class StillCapture;
class ThumbnailStrip;
class TipDelayStyle;
class VideoArea;

struct StartOptions {
  bool demoCamera = false;
};

// The program's only top-level window while it runs: the skinned, borderless main window. It routes
// every button, menu command, key and application message by its id, keeps the buttons enabled only while
// a camera is connected, and switches between the normal window and the full-screen live view.
class MainWindow : public QWidget {
 public:
  // Still kind asked for by the Camera command (F2); kind 1 is the camera's own snapshot key.
  static constexpr int kStillForCamera = 0;

  MainWindow(AppContext& context, StartOptions options, std::unique_ptr<CaptureService> capture,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Runs the command of a button or menu item; false when the id is not a command of this window.
  bool dispatchCommand(int id);
  // Every id dispatchCommand knows, and the name of the handler it reaches ("onExportWord").
  std::vector<int> commandIds() const;
  QString handlerName(int id) const;
  // The handler the last dispatched command or key reached (for tracing and tests).
  const QString& lastHandler() const { return lastHandler_; }

  bool isConnected() const { return connected_; }
  bool isPreviewing() const;
  bool isRecording() const { return recording_; }
  // The recorder reports here when a recording starts or ends.
  void setRecording(bool recording);
  bool isFullScreenMode() const { return fullScreen_; }
  int activeTool() const { return activeTool_; }
  bool lineCalibrationMode() const { return lineCalibrationMode_; }
  // 0 default, 1 busy, 2 measuring cursor over the video area.
  int cursorMode() const { return cursorMode_; }
  void setBusy(bool busy);
  // Factors mapping video coordinates onto the full-screen area; 1.0 in the normal window.
  double scaleX() const { return scaleX_; }
  double scaleY() const { return scaleY_; }
  static QPointF fullScreenFactors(QSize screen, QSize capture);

  void enterFullScreen(QRect screenRect);
  void leaveFullScreen();

  LiveMeasureHooks& measureHooks() { return measureHooks_; }
  CaptureService& capture() { return *capture_; }
  void setUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
  // The open video settings dialog, told (0x8005) whenever the device is re-initialised.
  void setVideoSettingsDialog(QWidget* dialog) { videoSettingsDialog_ = dialog; }
  void setCalibrationFields(const QString& magnification, double value);
  void playSound(int soundId);

  SkinButton* button(int id) const;
  LatchButton* latchButton(int id) const;
  VideoArea* videoArea() const { return videoArea_; }
  MagnifierBox* magnifier() const { return magnifier_; }
  ThumbnailStrip* thumbnailStrip() const { return strip_; }
  // Still capture: the live view sets its burn-in hook and grab sink here; reports take the scratch still.
  StillCapture& stills() { return *stills_; }
  const ButtonTable& buttonTable() const { return buttons_; }
  QMenu* openMenu() const { return openMenu_; }

  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Command {
    QString name;
    std::function<void()> run;
  };

  // Construction (main_window.cpp).
  void initialise();
  void buildLayout();
  void buildCommands();
  void addCommand(int id, const char* name, std::function<void()> run);
  void connectCamera();
  void setTexts();
  void refreshToolTips();
  void enterConnected();
  void enterNotConnected();
  void setButtonsEnabled(bool connected);
  void reconnect();
  void onReconnectTimer();
  void onStartupPromptTimer();
  void showCalibratePrompt();
  void handleAppMessage(const AppMessageEvent& message);
  bool handleKey(QKeyEvent* key);
  void onVideoMouse(QMouseEvent* event);
  void showPopup(QMenu* menu, QPoint globalPos);
  void shutdown();
  void runHandler(const char* name, const std::function<void()>& run);

  // Commands carried out here (main_window_commands.cpp).
  void onPreview();
  void onCamera();
  void onRecordButton();
  void onRecordNow();
  void onStopRecordingByKey();
  void onCaptureSize(CaptureService::SizePreset preset);
  void onTimedCapture();
  void onLanguageMenu();
  void onLanguage(int command);
  void onChooseTool(int id);
  void onChooseAutoTool(int id);
  void onRuler();
  void onAngleGauge();
  void onToleranceCircle();
  void onLineCalibration();
  void onCancelTool();
  void onDeleteAll();
  void onMinimise();
  void onFullScreen();
  void onClose();
  void onHelpMenu();
  void onHelp();
  void onUpdate();
  void onAbout();
  void onPictureFolder();
  void onVideoFolder();
  void onSnapshotSwitch();
  void onCrossLine();
  void onTimeStamp();
  void onStillFormat(int command);
  void onVideoAreaMenu(QPoint globalPos);
  void onSystemMenu(QPoint globalPos);
  void onStillReady(int kind);
  void onDeviceChange(int change);
  void releaseToolButtons();

  // Commands carried out by later parts of the program: routed here, empty until they land.
  void onVideoSettings();
  void onExportWord();
  void onExportExcel();
  void onExportDxf();
  void onUndo();
  void onRedo();
  void onMeasureSettings();
  void onStartRecordingWithDialog();
  void onStartRecordingAtOnce();
  void onStopRecording();
  void onRecordLimitTick();
  void onRecordSecondTick();
  void onOpenTimedCapture();
  void onSaveStill(int kind);
  void onShowFolder(bool video);
  void onOpenFile();
  void onSaveFileAs();
  void onSaveAllFiles();
  void onDeleteFile();
  void onDeleteAllFiles();
  void onEmail();
  void onScaleOverlay();
  void onCircleOverlay();
  void onOpenPicture(const QString& path);
  void onOpenVideo(const QString& path);
  void onWorkspaceCalibration(const QString& payload);
  void onLiveCalibrationDone();
  void onMagnificationChanged(const QString& magnification);
  void onRefreshStrip();
  void onAngleGaugeDialog();
  void onToleranceCircleDialog();

  AppContext& context_;
  StartOptions options_;
  std::unique_ptr<CaptureService> capture_;
  std::unique_ptr<SoundPlayer> sounds_;
  std::unique_ptr<TipDelayStyle> tipStyle_;
  LiveMeasureHooks measureHooks_;
  std::function<bool(const QUrl&)> openUrl_;
  std::map<int, Command> commands_;
  QString lastHandler_;

  ButtonTable buttons_;
  VideoArea* videoArea_ = nullptr;
  ThumbnailStrip* strip_ = nullptr;  // 1002, a child widget
  std::unique_ptr<MediaCommands> mediaCommands_;
  std::unique_ptr<StillCapture> stills_;
  MagnifierBox* magnifier_ = nullptr;
  QLineEdit* magnificationEdit_ = nullptr;  // 1147
  QLineEdit* calibrationEdit_ = nullptr;    // 1200
  QLabel* scaleLabel_ = nullptr;            // 1350
  std::map<int, QGroupBox*> groups_;
  QPointer<QMenu> openMenu_;
  QPointer<QWidget> videoSettingsDialog_;
  std::shared_ptr<QDialog> openVideoSettings_;  // kept alive while shown
  DrawingStyle style_;                          // the process's pen, colours and fonts for live shapes
  QPixmap skin_;

  QTimer reconnectTimer_;      // 1001
  QTimer recordLimitTimer_;    // 1002
  QTimer recordSecondsTimer_;  // 1005
  QTimer startupPromptTimer_;  // 1006
  std::mutex reconnectLock_;

  QString connectMessage_;
  QString hintText_;
  bool connected_ = false;
  bool recording_ = false;
  bool fullScreen_ = false;
  bool videoFolderShown_ = false;
  bool lineCalibrationMode_ = false;
  bool closed_ = false;
  int activeTool_ = 0;
  int cursorMode_ = 0;
  double scaleX_ = 1.0;
  double scaleY_ = 1.0;
  QRect normalGeometry_;
  QPoint lastCursorInVideo_;
  QPoint dragOffset_;
  bool dragging_ = false;
};

}  // namespace lumivex
