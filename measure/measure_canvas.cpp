#include "measure/measure_canvas.h"

#include "core/localisation.h"
#include "core/prompter.h"
#include "measure/calibration_dialog.h"
#include "measure/calibration_state.h"
#include "measure/font_store.h"
#include "measure/shape_bounds.h"
#include "measure/shape_renderer.h"
#include "measure/units.h"
#include "widgets/skin_renderer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace lumivex {
namespace {

Qt::PenStyle penStyleOf(int style) {
  return style == kPenDash ? Qt::DashLine : style == kPenDot ? Qt::DotLine : Qt::SolidLine;
}

QSize contentSizeOf(const CxImage& picture, double zoom) {
  return {static_cast<int>(std::lround(picture.GetWidth() / zoom)),
          static_cast<int>(std::lround(picture.GetHeight() / zoom))};
}

}  // namespace

MeasureCanvas::MeasureCanvas(CxImage picture, bool actualSize, QWidget* parent)
    : QAbstractScrollArea(parent),
      picture_(std::move(picture)),
      actualSize_(actualSize),
      zoom_(canvasZoom(static_cast<int>(picture_.GetWidth()), static_cast<int>(picture_.GetHeight()), actualSize)),
      contentSize_(contentSizeOf(picture_, zoom_)),
      detector_(picture_, zoom_, zoom_, 20) {
  setObjectName(QStringLiteral("1129"));
  setFrameShape(QFrame::NoFrame);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(SkinRenderer::cursor(QStringLiteral("cursor-258.svg"), QPoint(16, 16)));
  controller_.setHost(this);
  controller_.setDetector(&detector_);
  controller_.setUnitScale(zoom_);
  askDistance_ = [](QWidget* owner) -> std::optional<double> {
    CalibrationDialog dialog(calibrationState().unitName.text(), owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.actualDistance();
  };
  rebuildDisplay();
  updateScrollBars();
}

MeasureCanvas::~MeasureCanvas() = default;

QPoint MeasureCanvas::scrollOffset() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

void MeasureCanvas::setStyle(const DrawingStyle& style) {
  controller_.setStyle(style);
  detector_.setDetectionRange(style.detectionRange);
}

void MeasureCanvas::setTool(CanvasTool tool) {
  controller_.setTool(tool);
  viewport()->update();
}

void MeasureCanvas::pictureChanged() {
  rebuildDisplay();
  viewport()->update();
}

void MeasureCanvas::rebuildDisplay() {
  full_ = picture_.ToQImage().convertToFormat(QImage::Format_RGB32);
  if (full_.isNull()) {
    display_ = QImage();
  } else if (full_.size() == contentSize_) {
    display_ = full_;
  } else {
    display_ = full_.scaled(contentSize_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  layerValid_ = false;
}

QImage MeasureCanvas::renderPicture() const { return renderShapesOnPicture(full_, controller_.shapes(), zoom_); }

void MeasureCanvas::updateScrollBars() {
  // Decided from the whole area, so a picture that fits exactly shows no scroll bar (and a bar that would
  // only be needed because of the other bar is not shown either).
  const QSize full = contentsRect().size();
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  bool needX = contentSize_.width() > full.width();
  bool needY = contentSize_.height() > full.height();
  if (needX && !needY) needY = contentSize_.height() > full.height() - extent;
  if (needY && !needX) needX = contentSize_.width() > full.width() - extent;
  const QSize view(full.width() - (needY ? extent : 0), full.height() - (needX ? extent : 0));
  horizontalScrollBar()->setRange(0, std::max(0, contentSize_.width() - view.width()));
  horizontalScrollBar()->setPageStep(std::max(1, view.width()));
  horizontalScrollBar()->setSingleStep(extent);
  verticalScrollBar()->setRange(0, std::max(0, contentSize_.height() - view.height()));
  verticalScrollBar()->setPageStep(std::max(1, view.height()));
  verticalScrollBar()->setSingleStep(extent);
  updatePictureArea();
}

void MeasureCanvas::updatePictureArea() {
  // Clicks count only on the part of the picture that is visible.
  const QRect visible(scrollOffset(), viewport()->size());
  controller_.setPictureArea(visible & QRect(QPoint(0, 0), contentSize_));
  layerValid_ = false;
}

void MeasureCanvas::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void MeasureCanvas::scrollContentsBy(int, int) {
  updatePictureArea();
  viewport()->update();
}

void MeasureCanvas::forward(CanvasEvent event, QMouseEvent* mouse) {
  CanvasButton button = CanvasButton::None;
  if (mouse->button() == Qt::LeftButton) button = CanvasButton::Left;
  if (mouse->button() == Qt::RightButton) button = CanvasButton::Right;
  if (event != CanvasEvent::Move && button == CanvasButton::None) return;
  const QPoint content = mouse->position().toPoint() + scrollOffset();
  const std::uint64_t revision = controller_.revision();
  const bool changed = controller_.handle(event, button, content);
  lastRepaint_ = QRect();
  if (controller_.revision() != revision || !layerValid_) {
    layerValid_ = false;
    lastOverlay_ = overlayRect();
    lastRepaint_ = viewport()->rect();
    viewport()->update();
    return;
  }
  if (!changed) return;
  // Only what the overlay covered before and covers now.
  const QRect now = overlayRect();
  lastRepaint_ = lastOverlay_.united(now) & viewport()->rect();
  lastOverlay_ = now;
  if (!lastRepaint_.isEmpty()) viewport()->update(lastRepaint_);
}

void MeasureCanvas::mousePressEvent(QMouseEvent* event) { forward(CanvasEvent::Press, event); }
void MeasureCanvas::mouseReleaseEvent(QMouseEvent* event) { forward(CanvasEvent::Release, event); }
void MeasureCanvas::mouseDoubleClickEvent(QMouseEvent* event) { forward(CanvasEvent::DoubleClick, event); }
void MeasureCanvas::mouseMoveEvent(QMouseEvent* event) { forward(CanvasEvent::Move, event); }

QRect MeasureCanvas::overlayRect() const {
  const QPoint scroll = scrollOffset();
  const CanvasFeedback& feedback = controller_.feedback();
  const DrawingStyle& style = controller_.style();
  QRect rect = feedback.figureBounds(std::max(1, style.lineWidth) + kCrossArm + 2).translated(-scroll);
  if (!feedback.texts.isEmpty()) {
    const QFontMetrics metrics(toQFont(style.measureFont));
    for (const FeedbackText& t : feedback.texts) {
      rect = rect.united(QRect(t.at - scroll, QSize(metrics.horizontalAdvance(t.text) + 4, metrics.height() + 4))
                             .adjusted(-2, -2, 0, 0));
    }
  }
  const ShapeTransform transform = ShapeTransform::scrolled(scroll);
  const int active = controller_.activeShapeIndex();
  if (active >= 0) rect = rect.united(shapeBounds(controller_.shapes().at(active), transform));
  if (const std::optional<MeasureShape> outline = controller_.movingOutline())
    rect = rect.united(shapeBounds(*outline, transform));
  if (const std::optional<QPoint> lens = controller_.lensCentre()) {
    const int half = lens_.size / 2 + 2;
    rect = rect.united(QRect(*lens - scroll - QPoint(half, half), QSize(2 * half + 1, 2 * half + 1)));
  }
  return rect;
}

void MeasureCanvas::rebuildLayer() {
  const QSize size = viewport()->size();
  if (layer_.size() != size) layer_ = QImage(size, QImage::Format_RGB32);
  layer_.fill(QColor(SkinRenderer::kWell));
  QPainter painter(&layer_);
  const QPoint scroll = scrollOffset();
  if (!display_.isNull()) painter.drawImage(-scroll, display_);
  const ShapeTransform transform = ShapeTransform::scrolled(scroll);
  const ShapeList& shapes = controller_.shapes();
  const CalibrationState& state = calibrationState();
  const TotalFormat total{state.decimals, state.unitName.text()};
  const int active = controller_.activeShapeIndex();
  for (int i = 0; i < shapes.count(); ++i) {
    if (i != active) drawShape(painter, shapes.at(i), transform, total);
  }
  layerScroll_ = scroll;
  layerRevision_ = controller_.revision();
  layerValid_ = true;
}

void MeasureCanvas::paintEvent(QPaintEvent* event) {
  if (!layerValid_ || layerScroll_ != scrollOffset() || layerRevision_ != controller_.revision() ||
      layer_.size() != viewport()->size()) {
    rebuildLayer();
  }
  QPainter painter(viewport());
  const QRect area = event->rect();
  painter.drawImage(area, layer_, area);
  painter.setClipRect(area);
  paintOverlay(painter);
}

void MeasureCanvas::paintOverlay(QPainter& painter) const {
  const QPoint scroll = scrollOffset();
  const ShapeTransform transform = ShapeTransform::scrolled(scroll);
  const CalibrationState& state = calibrationState();
  const TotalFormat total{state.decimals, state.unitName.text()};
  const int active = controller_.activeShapeIndex();
  if (active >= 0) drawShape(painter, controller_.shapes().at(active), transform, total);
  if (const std::optional<MeasureShape> outline = controller_.movingOutline())
    drawShape(painter, *outline, transform, total);

  const CanvasFeedback& f = controller_.feedback();
  const DrawingStyle& style = controller_.style();
  const QColor color = colorFromRef(style.lineColor);
  painter.save();
  painter.translate(-scroll);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(color, std::max(1, style.lineWidth), penStyleOf(style.lineType), Qt::RoundCap, Qt::RoundJoin));
  for (const Segment& s : f.lines) painter.drawLine(s.a, s.b);
  for (const FeedbackCircle& c : f.circles) painter.drawEllipse(c.centre, c.radius, c.radius);
  if (f.rectangle) painter.drawRect(*f.rectangle);
  painter.setPen(QPen(color, 1, Qt::DotLine));
  for (const Segment& s : f.guides) painter.drawLine(s.a, s.b);
  painter.setPen(QPen(color, 1, penStyleOf(style.lineType)));
  for (const QPoint& p : f.crosses) {
    painter.drawLine(p - QPoint(kCrossArm, 0), p + QPoint(kCrossArm, 0));
    painter.drawLine(p - QPoint(0, kCrossArm), p + QPoint(0, kCrossArm));
  }
  if (f.edgeSelection) {
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.drawRect(*f.edgeSelection);
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.drawRect(*f.edgeSelection);
  }
  if (!f.texts.isEmpty()) {
    painter.setFont(toQFont(style.measureFont));
    painter.setPen(colorFromRef(style.measureTextColor));
    const QFontMetrics metrics(painter.font());
    for (const FeedbackText& t : f.texts) painter.drawText(t.at + QPoint(0, metrics.ascent()), t.text);
  }
  painter.restore();
  if (const std::optional<QPoint> lens = controller_.lensCentre()) paintLens(painter, *lens - scroll);
}

void MeasureCanvas::paintLens(QPainter& painter, QPoint centre) const {
  // The square of sourceSide() view pixels around the centre, taken from the full picture and stretched
  // over the lens, with the shapes over it.
  const int size = lens_.size;
  const int side = std::max(1, lens_.sourceSide());
  const QRect target(centre - QPoint(size / 2, size / 2), QSize(size, size));
  const QPointF sourceTopLeft = QPointF(centre + scrollOffset()) - QPointF(side / 2.0, side / 2.0);
  painter.save();
  painter.setClipRect(target);
  painter.fillRect(target, QColor(SkinRenderer::kWell));
  const QRectF source(sourceTopLeft * zoom_, QSizeF(side * zoom_, side * zoom_));
  painter.drawImage(QRectF(target), full_, source);
  painter.translate(target.topLeft());
  painter.scale(static_cast<double>(size) / side, static_cast<double>(size) / side);
  const CalibrationState& state = calibrationState();
  const ShapeTransform transform = ShapeTransform::scrolled(sourceTopLeft.toPoint());
  drawShapes(painter, controller_.shapes(), transform, TotalFormat{state.decimals, state.unitName.text()});
  painter.restore();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(target.adjusted(0, 0, -1, -1));
  painter.drawRect(target.adjusted(2, 2, -3, -3));
}

std::optional<double> MeasureCanvas::askCalibrationDistance() {
  // The canvas takes no input while the dialog is open.
  setEnabled(false);
  const std::optional<double> distance = askDistance_ ? askDistance_(this) : std::nullopt;
  setEnabled(true);
  return distance;
}

void MeasureCanvas::calibrationMeasured(double value) {
  if (calibrated_) calibrated_(value);
}

void MeasureCanvas::warn(const char* key, const QString& defaultText) {
  prompter().message(this, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), LookupText(key, 128, defaultText),
                     MessageIcon::Warning, MessageButtons::Ok);
}

}  // namespace lumivex
