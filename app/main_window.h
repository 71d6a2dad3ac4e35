#pragma once

#include "app/command_registry.h"

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <memory>

namespace lumivex {

class AppContext;
class CameraController;
class CaptureService;
class ExportController;
class FilesController;
class LiveToolsController;
class LiveView;
class MainControls;
class MenuController;
class Recorder;
class RecordingController;
class ScreenController;
class SoundPlayer;
class TipDelayStyle;

struct StartOptions {
  bool demoCamera = false;
  // What records videos; the FFmpeg recorder on the process's recording lock when null (tests pass a fake).
  std::shared_ptr<Recorder> recorder;
};

// The program's only top-level window while it runs: the skinned, borderless main window. It keeps the
// widgets and their layout (MainControls), routes every button, menu command and key through the command
// table to the controller that carries it out, and hands each application event to its controller:
// camera connection, live tools, recording and timed capture, full screen and tool-tips, menus, files,
// exports.
class MainWindow : public QWidget {
 public:
  MainWindow(AppContext& context, StartOptions options, std::unique_ptr<CaptureService> capture,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Runs the command of a button, menu item or key by its control id; false when the id is no command
  // of this window or the window has closed.
  bool dispatchCommand(int id);
  const CommandRegistry& commands() const { return commands_; }

  MainControls& controls() { return *controls_; }
  CaptureService& capture() { return *capture_; }
  CameraController& camera() { return *camera_; }
  LiveToolsController& liveTools() { return *liveTools_; }
  LiveView& liveView() { return *liveView_; }
  RecordingController& recording() { return *recording_; }
  ScreenController& screen() { return *screen_; }
  MenuController& menus() { return *menus_; }
  FilesController& files() { return *files_; }
  ExportController& exports() { return *exports_; }
  SoundPlayer& sounds() { return *sounds_; }

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
  void bindCommands();
  bool handleKey(QKeyEvent* key);
  void onVideoMouse(QMouseEvent* event);
  void shutdown();

  AppContext& context_;
  std::unique_ptr<CaptureService> capture_;
  std::unique_ptr<SoundPlayer> sounds_;
  std::unique_ptr<TipDelayStyle> tipStyle_;
  CommandRegistry commands_;
  std::unique_ptr<MainControls> controls_;
  std::unique_ptr<ScreenController> screen_;
  std::unique_ptr<RecordingController> recording_;
  std::unique_ptr<CameraController> camera_;
  std::unique_ptr<LiveToolsController> liveTools_;
  std::unique_ptr<FilesController> files_;
  std::unique_ptr<MenuController> menus_;
  std::unique_ptr<ExportController> exports_;
  // Last: it leaves the capture side and the stills before they go.
  std::unique_ptr<LiveView> liveView_;

  QPixmap skin_;
  QPoint dragOffset_;
  bool dragging_ = false;
  bool closed_ = false;
};

}  // namespace lumivex
