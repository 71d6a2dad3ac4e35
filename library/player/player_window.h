#pragma once

#include "library/player/playback_graph.h"

#include <QDialog>
#include <QPoint>
#include <QTimer>

#include <map>
#include <memory>

class QSlider;

namespace lumivex {

class PlayerVideoArea;
class SkinButton;
class TipDelayStyle;

// The video player (template 187): one AVI file in a borderless window with first, back 2 s, play,
// stop, forward 2 s, last, a position slider and a close button. The file is loaded when the window is
// made and shown paused on its first frame; the graph is released when the window ends, however it
// ends. A file that cannot be played leaves an empty window whose buttons do nothing.
class PlayerWindow : public QDialog {
 public:
  static constexpr int kWidth = 607;
  static constexpr int kHeight = 538;
  static constexpr QRgb kBackground = 0xFFC8C8C8;  // RGB(200,200,200)
  static constexpr int kSliderRange = 1000;
  static constexpr int kPositionTimerMs = 100;
  static constexpr double kJumpSeconds = 2.0;
  // The top band that drags the window, from the client origin.
  static constexpr int kDragBandWidth = 518;
  static constexpr int kDragBandHeight = 28;

  PlayerWindow(QString path, PlaybackGraphFactory factory, QWidget* owner = nullptr);
  ~PlayerWindow() override;

  // Loads the file again (the hidden reopen control).
  void reload();

  const QString& path() const { return path_; }
  // The graph of the loaded file; null when nothing could be loaded.
  PlaybackGraph* graph() const { return graph_.get(); }
  PlayerVideoArea* videoArea() const { return videoArea_; }
  QSlider* slider() const { return slider_; }
  SkinButton* button(int id) const;
  bool positionTimerActive() const { return positionTimer_.isActive(); }

  void done(int result) override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void buildLayout();
  void load();
  void releaseGraph();
  void command(int id);
  void onPlay();
  void onPause();
  void onStop();
  void seek(double seconds);
  void onBack();
  void onForward();
  void onLast();
  void onSliderMoved();
  void onGraphEvents();
  void startPositionTimer();
  // The slider at the graph's position; left alone while the duration is unknown or zero.
  void showPosition();
  // The duration when it is positive, else empty.
  std::optional<double> knownDuration() const;

  QString path_;
  PlaybackGraphFactory factory_;
  std::unique_ptr<PlaybackGraph> graph_;
  std::unique_ptr<TipDelayStyle> tipStyle_;
  PlayerVideoArea* videoArea_ = nullptr;
  QSlider* slider_ = nullptr;
  std::map<int, SkinButton*> buttons_;
  QTimer positionTimer_;  // 100
  QPoint dragOffset_;
  bool dragging_ = false;
};

}  // namespace lumivex
