#include "workspace/image_workspace.h"

#include "core/app_events.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "image/picture_file.h"
#include "measure/calibration_file.h"
#include "measure/measure_canvas.h"
#include "widgets/latch_button.h"
#include "widgets/skin_renderer.h"
#include "workspace/micrometer_drag.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace lumivex {
namespace {

constexpr int kToolbarY = 30;
constexpr QSize kToolButton(30, 28);
constexpr QSize kCaptionButton(28, 24);
constexpr int kCanvasTop = 60;
// The band that drags the window, and its corner that also restores it.
constexpr QSize kDragBand(540, 25);
constexpr QSize kRestoreCorner(30, 25);

struct ButtonDef {
  int id;
  int x;
  int y;
  bool latches;
  const char* tipKey;
  const char16_t* tipDefault;
};

constexpr ButtonDef kToolbar[] = {
    {1113, 6, kToolbarY, false, "TipSave", u"Save As"},
    {1333, 38, kToolbarY, false, "TipOperate", u"Image Process"},
    {1114, 70, kToolbarY, false, "TipRevert", u"Cancel"},
    {384, 6, 1, true, "TipMagnifier", u"Magnifier"},
    {1257, 102, kToolbarY, true, "TipPaint", u"Paint"},
    {1329, 134, kToolbarY, true, "TipEdge", u"Check Edge"},
    {1138, 166, kToolbarY, true, "TipMeasure", u"Measurement"},
    {1328, 198, kToolbarY, true, "TipAutoMeasure", u"Auto-Measurement"},
    {1140, 230, kToolbarY, false, "TipSetPen", u"Pen Setting"},
    {1142, 262, kToolbarY, false, "TipText", u"Input Text"},
    {1137, 294, kToolbarY, true, "TipSelect", u"Select"},
    {1127, 326, kToolbarY, false, "TipDelete", u"Delete"},
    {1128, 358, kToolbarY, false, "TipMove", u"Move"},
    {1289, 390, kToolbarY, false, "TipCalibration", u"Calibration"},
};
constexpr int kCaptionIds[] = {1292, 1178, 1294};

}  // namespace

std::optional<CxImage> ImageWorkspace::loadPicture(const QString& path) { return readPictureToMeasure(path); }

ImageWorkspace* ImageWorkspace::open(const QString& path, QObject* receiver, QWidget* centreOn) {
  std::optional<CxImage> picture = loadPicture(path);
  if (!picture) return nullptr;
  auto* workspace = new ImageWorkspace(path, std::move(*picture), receiver, centreOn);
  workspace->setAttribute(Qt::WA_DeleteOnClose);
  const QRect around = centreOn
                           ? centreOn->frameGeometry()
                           : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                               : QRect(0, 0, 1024, 768));
  workspace->move(around.center() - QPoint(workspace->width() / 2, workspace->height() / 2));
  workspace->show();
  workspace->raise();
  workspace->activateWindow();
  return workspace;
}

ImageWorkspace::ImageWorkspace(QString path, CxImage picture, QObject* receiver, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      path_(std::move(path)),
      opened_(std::move(picture)),
      receiver_(receiver),
      pictureWidth_(static_cast<int>(opened_.GetWidth())),
      pictureHeight_(static_cast<int>(opened_.GetHeight())),
      style_(loadDrawingStyle()) {
  setObjectName(QStringLiteral("185"));
  setWindowTitle(LookupText("VazodUrirido", 60, QStringLiteral("Image Process")));
  setWindowIcon(SkinRenderer::icon(QStringLiteral("app-icon.svg")));
  resize(normalSize());
  buildToolbar();
  buildEdits();
  createCanvas();
  placeControls();
  // The magnification comes from the file name; a change of it looks the calibration up.
  edits_.at(1130)->setText(magnificationFromFileName(path_));
  onMagnificationChanged(edits_.at(1130)->text());
}

ImageWorkspace::~ImageWorkspace() = default;

QSize ImageWorkspace::normalSize() const {
  return pictureWidth_ == 1280 && pictureHeight_ == 1024 ? QSize(647, 578) : QSize(646, 546);
}

QSize ImageWorkspace::pictureAreaSize() const {
  if (maximised_) return QSize(width(), std::max(1, height() - kCanvasTop));
  return pictureWidth_ == 1280 && pictureHeight_ == 1024 ? QSize(640, 512) : QSize(640, 480);
}

void ImageWorkspace::buildToolbar() {
  for (const ButtonDef& desc : kToolbar) {
    const QString icon = QStringLiteral("button-%1.svg").arg(desc.id);
    SkinButton* button = desc.latches ? new LatchButton(desc.id, icon, kToolButton, this)
                                      : new SkinButton(desc.id, icon, kToolButton, this);
    // Tool-tips hold at most 63 characters.
    button->setToolTip(LookupText(desc.tipKey, 64, QString::fromUtf16(desc.tipDefault)).left(63));
    button->move(desc.x, desc.y);
    const int id = desc.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { dispatchCommand(id); });
    buttons_[id] = button;
  }
  for (int id : kCaptionIds) {
    auto* button = new SkinButton(id, QStringLiteral("button-%1.svg").arg(id), kCaptionButton, this);
    connect(button, &QAbstractButton::clicked, this, [this, id] { dispatchCommand(id); });
    buttons_[id] = button;
  }
}

void ImageWorkspace::buildEdits() {
  const auto make = [this](int id, int width) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setFixedSize(width, 23);
    edits_[id] = edit;
    return edit;
  };
  // The current tool's name. It takes no focus: focused, it would show its end selected after a dialog.
  QLineEdit* status = make(1167, 70);
  status->setReadOnly(true);
  status->setFocusPolicy(Qt::NoFocus);
  QLineEdit* calibration = make(1132, 50);
  calibration->setReadOnly(true);
  calibration->setEnabled(false);
  // The magnification: shown and editable, so a picture whose name carries none can still be measured.
  QLineEdit* magnification = make(1130, 40);
  magnification->setMaxLength(31);
  magnification->setToolTip(LookupText("Rate", 64, QStringLiteral("Scale:")));
  connect(magnification, &QLineEdit::textChanged, this, [this](const QString& text) { onMagnificationChanged(text); });
}

void ImageWorkspace::placeControls() {
  const int right = width();
  if (maximised_) {
    edits_.at(1167)->setFixedWidth(80);
    edits_.at(1167)->move(right - 246, kToolbarY);
    edits_.at(1132)->move(right - 155, kToolbarY);
    edits_.at(1130)->move(right - 51, kToolbarY);
    buttons_.at(1292)->move(right - 96, 2);
    buttons_.at(1178)->move(right - 66, 2);
    buttons_.at(1294)->move(right - 36, 2);
  } else {
    // The opening positions, also after a restore.
    edits_.at(1167)->setFixedWidth(70);
    edits_.at(1167)->move(422, kToolbarY);
    edits_.at(1132)->move(495, kToolbarY);
    edits_.at(1130)->move(595, kToolbarY);
    buttons_.at(1292)->move(544, 2);
    buttons_.at(1178)->move(574, 2);
    buttons_.at(1294)->move(606, 2);
  }
  if (canvas_) canvas_->setGeometry(QRect(QPoint(0, kCanvasTop), pictureAreaSize()));
}

void ImageWorkspace::createCanvas() {
  // A new canvas starts from the file with no shapes; a file gone meanwhile leaves the picture as opened.
  std::optional<CxImage> picture = loadPicture(path_);
  if (!picture) picture = opened_;
  micrometer_.reset();
  delete canvas_;
  canvas_ = new MeasureCanvas(std::move(*picture), maximised_, this);
  canvas_->setGeometry(QRect(QPoint(0, kCanvasTop), pictureAreaSize()));
  canvas_->setStyle(style_);
  canvas_->controller().setRate(rate_, rateSizeScale(pictureWidth_, pictureHeight_, false));
  if (askDistance_) canvas_->setCalibrationAsker(askDistance_);
  QPointer<ImageWorkspace> self(this);
  canvas_->setCalibrationListener([self](double value) {
    if (self) postAppEvent<StillCalibratedEvent>(self.data(), value);
  });
  canvas_->show();
  imageChanges_ = savedImageChanges_ = savedShapeChanges_ = 0;
}

void ImageWorkspace::setCalibrationAsker(std::function<std::optional<double>(QWidget*)> ask) {
  askDistance_ = std::move(ask);
  if (canvas_ && askDistance_) canvas_->setCalibrationAsker(askDistance_);
}

SkinButton* ImageWorkspace::button(int id) const {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

LatchButton* ImageWorkspace::latchButton(int id) const { return dynamic_cast<LatchButton*>(button(id)); }

QMenu* ImageWorkspace::openMenu() const { return openMenu_.data(); }

QLineEdit* ImageWorkspace::edit(int id) const {
  const auto it = edits_.find(id);
  return it == edits_.end() ? nullptr : it->second;
}

bool ImageWorkspace::event(QEvent* event) {
  if (const auto* calibrated = appEventCast<StillCalibratedEvent>(event)) {
    onCalibrated(calibrated->calibration);
    return true;
  }
  return QWidget::event(event);
}

void ImageWorkspace::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(200, 200, 200));
  QFont title(QStringLiteral("Arial Unicode MS"));
  title.setPixelSize(20);
  title.setWeight(QFont::Bold);
  painter.setFont(title);
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 2, width(), 26), Qt::AlignHCenter | Qt::AlignTop, windowTitle());
  QFont small = font();
  small.setPixelSize(12);
  painter.setFont(small);
  painter.setPen(QColor(0, 125, 255));
  const int x = maximised_ ? width() - 102 : 545;
  painter.drawText(QRect(x + 1, 32 + 3, 50, 20), Qt::AlignLeft | Qt::AlignTop,
                   LookupText("Rate", 64, QStringLiteral("Scale:")));
}

void ImageWorkspace::keyPressEvent(QKeyEvent* event) {
  // Esc and Enter never close the window.
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void ImageWorkspace::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    const MessageAnswer answer =
        prompter().message(this, windowTitle(), LookupText("SureClose", 128, QStringLiteral("Are you sure to close?")),
                           MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
      event->ignore();
      return;
    }
  }
  if (openMenu_) openMenu_->close();
  event->accept();
}

void ImageWorkspace::closeWithoutAsking() {
  closing_ = true;
  close();
}

void ImageWorkspace::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() != Qt::LeftButton || !QRect(QPoint(0, 0), kDragBand).contains(p)) {
    QWidget::mousePressEvent(event);
    return;
  }
  // The corner also restores a maximised window; a normal one has nothing to restore, so nothing is made anew.
  if (QRect(QPoint(0, 0), kRestoreCorner).contains(p) && maximised_) {
    restore();
    return;
  }
  if (maximised_) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void ImageWorkspace::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
  QWidget::mouseMoveEvent(event);
}

void ImageWorkspace::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

// A double click on the caption band does nothing.
void ImageWorkspace::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

}  // namespace lumivex
