#include "library/player/player_window.h"

#include "core/localisation.h"
#include "library/player/player_ids.h"
#include "library/player/player_video_area.h"
#include "widgets/skin_button.h"
#include "widgets/skin_renderer.h"
#include "widgets/tip_delay_style.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QWindow>

#include <algorithm>

namespace lumivex {

namespace {

struct ButtonDef {
  int id;
  QPoint at;
  const char* tipKey;
  const char* tipDefault;
};

constexpr QSize kTransportSize(30, 30);
constexpr QSize kCloseSize(28, 28);

// The eight buttons, in the order their tool-tips are registered.
constexpr ButtonDef kButtons[] = {
    {ids::kPlayerFirst, {204, 502}, "TipFirst", "First"}, {ids::kPlayerBack, {236, 502}, "TipReward", "Backward"},
    {ids::kPlayerPause, {250, 502}, "TipPause", "Pause"}, {ids::kPlayerPlay, {300, 502}, "TipPlay", "Play"},
    {ids::kPlayerStop, {268, 502}, "TipStop", "Stop"},    {ids::kPlayerForward, {332, 502}, "TipForward", "Forward"},
    {ids::kPlayerLast, {364, 502}, "TipLast", "Last"},    {ids::kPlayerClose, {557, 7}, "TipClose", "Close"},
};

const QRect kVideoArea(4, 38, 597, 449);
// Between the video area and the buttons, as wide as the video.
const QRect kSliderRect(4, 488, 597, 13);

const QString kSliderStyle = QStringLiteral(
    "QSlider::groove:horizontal { height: 4px; background: #8E8E8E; border-radius: 2px; }"
    "QSlider::sub-page:horizontal { background: #2F7FD8; border-radius: 2px; }"
    "QSlider::handle:horizontal { width: 10px; margin: -4px 0; background: #EDEDED;"
    " border: 1px solid #6E6E6E; border-radius: 3px; }");

QFont titleFont() {
  QFont font;
  // Arial Unicode MS where installed, else a face that covers every language of the program.
  font.setFamilies({QStringLiteral("Arial Unicode MS"), QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans"),
                    QStringLiteral("Noto Sans CJK SC")});
  font.setPixelSize(20);
  font.setWeight(QFont::Bold);
  return font;
}

}  // namespace

PlayerWindow::PlayerWindow(QString path, PlaybackGraphFactory factory, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      path_(std::move(path)),
      factory_(std::move(factory)),
      tipStyle_(std::make_unique<TipDelayStyle>()),
      positionTimer_(this) {
  setObjectName(QString::number(ids::kPlayerWindow));
  setWindowTitle(LookupText("VideoPlayer", 128, QStringLiteral("Lumivex Player")));
  setFixedSize(kWidth, kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
  }
  positionTimer_.setObjectName(QString::number(ids::kTimerPlayerPosition));
  positionTimer_.setInterval(kPositionTimerMs);
  connect(&positionTimer_, &QTimer::timeout, this, [this] { showPosition(); });
  buildLayout();
  load();
}

PlayerWindow::~PlayerWindow() { releaseGraph(); }

void PlayerWindow::buildLayout() {
  videoArea_ = new PlayerVideoArea(this);
  videoArea_->setGeometry(kVideoArea);

  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QString::number(ids::kPlayerSlider));
  slider_->setGeometry(kSliderRect);
  slider_->setRange(0, kSliderRange);
  slider_->setValue(0);
  slider_->setPageStep(50);
  slider_->setStyleSheet(kSliderStyle);
  // Every move the user makes (drag, click on the groove, keys, wheel); programmatic moves do not seek.
  connect(slider_, &QSlider::actionTriggered, this, [this] { onSliderMoved(); });

  for (const ButtonDef& desc : kButtons) {
    const bool close = desc.id == ids::kPlayerClose;
    auto* button = new SkinButton(desc.id, QStringLiteral("button-%1.svg").arg(desc.id),
                                  close ? kCloseSize : kTransportSize, this);
    button->move(desc.at);
    button->setIconScale(close ? 0.6 : 0.66);
    button->setStyle(tipStyle_.get());
    button->setToolTip(LookupText(desc.tipKey, 128, QString::fromLatin1(desc.tipDefault)));
    const int id = desc.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { command(id); });
    buttons_[desc.id] = button;
  }
  buttons_[ids::kPlayerPause]->hide();

  auto* reopen = new QPushButton(this);
  reopen->setObjectName(QString::number(ids::kPlayerReopen));
  reopen->hide();
  connect(reopen, &QPushButton::clicked, this, [this] { reload(); });
}

SkinButton* PlayerWindow::button(int id) const {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

// --- Loading ------------------------------------------------------------------------------------------

void PlayerWindow::reload() { load(); }

void PlayerWindow::load() {
  releaseGraph();
  positionTimer_.stop();
  videoArea_->clear();
  slider_->setValue(0);
  std::unique_ptr<PlaybackGraph> graph = factory_ ? factory_() : nullptr;
  if (!graph || !graph->create()) return;
  // The first frame is shown while the file is rendered, so display and notify come first.
  graph->setDisplayWindow(videoArea_);
  graph->setNotifyWindow(this);
  if (!graph->renderFile(path_)) {
    graph->destroy();
    return;
  }
  graph_ = std::move(graph);
  graph_->pause();
  showPosition();
}

void PlayerWindow::releaseGraph() {
  if (!graph_) return;
  graph_->destroy();
  graph_.reset();
}

void PlayerWindow::done(int result) {
  // However the window ends (close button, window manager, Esc never), the file is let go first.
  positionTimer_.stop();
  releaseGraph();
  QDialog::done(result);
}

// --- Commands -----------------------------------------------------------------------------------------

void PlayerWindow::command(int id) {
  if (id == ids::kPlayerClose) {
    close();
    return;
  }
  // Without a graph every button does nothing.
  if (!graph_) return;
  switch (id) {
    case ids::kPlayerPlay:
      onPlay();
      break;
    case ids::kPlayerPause:
      onPause();
      break;
    case ids::kPlayerStop:
      onStop();
      break;
    case ids::kPlayerFirst:
      seek(0.0);
      break;
    case ids::kPlayerBack:
      onBack();
      break;
    case ids::kPlayerForward:
      onForward();
      break;
    case ids::kPlayerLast:
      onLast();
      break;
    default:
      break;
  }
}

void PlayerWindow::onPlay() {
  graph_->run();
  startPositionTimer();
}

void PlayerWindow::onPause() {
  graph_->pause();
  startPositionTimer();
}

void PlayerWindow::onStop() {
  graph_->setPosition(0.0);
  graph_->stop();
  positionTimer_.stop();
  showPosition();
}

void PlayerWindow::seek(double seconds) {
  graph_->setPosition(seconds);
  // The position timer may not run (stopped, or paused since opening): the slider follows at once.
  showPosition();
}

void PlayerWindow::onBack() {
  const std::optional<double> now = graph_->currentPosition();
  if (!now) return;
  seek(std::max(*now - kJumpSeconds, 0.0));
}

void PlayerWindow::onForward() {
  const std::optional<double> now = graph_->currentPosition();
  if (!now) return;
  double target = *now + kJumpSeconds;
  if (const std::optional<double> length = knownDuration()) target = std::min(target, *length);
  seek(target);
}

void PlayerWindow::onLast() {
  if (const std::optional<double> length = knownDuration()) seek(*length);
}

void PlayerWindow::onSliderMoved() {
  if (!graph_) return;
  const std::optional<double> length = knownDuration();
  if (!length) return;
  graph_->setPosition(slider_->sliderPosition() * *length * 0.001);
}

void PlayerWindow::startPositionTimer() {
  if (!positionTimer_.isActive()) positionTimer_.start();
}

std::optional<double> PlayerWindow::knownDuration() const {
  if (!graph_) return std::nullopt;
  const std::optional<double> length = graph_->duration();
  if (!length || !(*length > 0.0)) return std::nullopt;
  return length;
}

void PlayerWindow::showPosition() {
  const std::optional<double> length = knownDuration();
  if (!length) return;
  const std::optional<double> now = graph_->currentPosition();
  if (!now) return;
  const int value = std::clamp(static_cast<int>(*now * kSliderRange / *length), 0, kSliderRange);
  // Not while the user holds the handle: the handle stays under the pointer.
  if (value != slider_->value() && !slider_->isSliderDown()) slider_->setValue(value);
}

// --- Graph events -------------------------------------------------------------------------------------

bool PlayerWindow::event(QEvent* event) {
  if (event->type() == PlaybackGraph::notifyEventType()) {
    onGraphEvents();
    return true;
  }
  return QDialog::event(event);
}

void PlayerWindow::onGraphEvents() {
  if (!graph_) return;
  for (const PlaybackEvent event : graph_->takeEvents()) {
    if (!graph_) return;
    switch (event) {
      case PlaybackEvent::Complete:
        // At the end the movie waits at its start, paused.
        graph_->pause();
        startPositionTimer();
        seek(0.0);
        break;
      case PlaybackEvent::Abort:
        onStop();
        break;
    }
  }
}

// --- Window -------------------------------------------------------------------------------------------

void PlayerWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(kBackground));
  painter.setFont(titleFont());
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 6, width(), kVideoArea.top() - 6), Qt::AlignHCenter | Qt::AlignTop, windowTitle());
  // A borderless window still needs an edge against whatever lies behind it.
  painter.setPen(QColor(0x74, 0x74, 0x74));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Neither closes the player.
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void PlayerWindow::mousePressEvent(QMouseEvent* event) {
  const QRect band(0, 0, kDragBandWidth, kDragBandHeight);
  if (event->button() == Qt::LeftButton && band.contains(event->position().toPoint())) {
    // The window manager moves the window where it can; without one the window follows the pointer.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    return;
  }
  QDialog::mousePressEvent(event);
}

void PlayerWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    move(event->globalPosition().toPoint() - dragOffset_);
    return;
  }
  QDialog::mouseMoveEvent(event);
}

void PlayerWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QDialog::mouseReleaseEvent(event);
}

}  // namespace lumivex
