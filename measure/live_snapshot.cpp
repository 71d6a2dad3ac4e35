#include "measure/live_snapshot.h"

#include "measure/font_store.h"
#include "measure/shape_renderer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lumivex {
namespace {

Qt::PenStyle penStyleOf(int style) {
  if (style == kPenDash) return Qt::DashLine;
  if (style == kPenDot) return Qt::DotLine;
  return Qt::SolidLine;
}

QFont markFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  return font;
}

QFont comparisonFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(14);
  return font;
}

// Draws text with its top-left corner at p.
void textAt(QPainter& painter, QPointF p, const QString& text) {
  painter.drawText(p + QPointF(0, painter.fontMetrics().ascent()), text);
}

void drawFeedback(QPainter& painter, const LiveSnapshot& s) {
  const CanvasFeedback& f = s.feedback;
  if (f.isEmpty()) return;
  const QColor color = colorFromRef(s.style.lineColor);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(color, std::max(1, s.style.lineWidth), penStyleOf(s.style.lineType), Qt::RoundCap, Qt::RoundJoin));
  for (const Segment& seg : f.lines) painter.drawLine(seg.a, seg.b);
  for (const FeedbackCircle& c : f.circles) painter.drawEllipse(c.centre, c.radius, c.radius);
  if (f.rectangle) painter.drawRect(*f.rectangle);
  painter.setPen(QPen(color, 1, Qt::DotLine));
  for (const Segment& seg : f.guides) painter.drawLine(seg.a, seg.b);
  painter.setPen(QPen(color, 1, penStyleOf(s.style.lineType)));
  for (const QPoint& p : f.crosses) {
    painter.drawLine(p - QPoint(kCrossArm, 0), p + QPoint(kCrossArm, 0));
    painter.drawLine(p - QPoint(0, kCrossArm), p + QPoint(0, kCrossArm));
  }
  if (!f.texts.isEmpty()) {
    painter.setFont(toQFont(s.style.measureFont));
    painter.setPen(colorFromRef(s.style.measureTextColor));
    for (const FeedbackText& t : f.texts) textAt(painter, t.at, t.text);
  }
}

// Marks along both axes from centre c; `tick` draws one mark at a target offset on one axis.
struct Axes {
  QPointF centre;
  double sx;
  double sy;
};

void drawScale(QPainter& painter, const std::vector<AxisMark>& xs, const std::vector<AxisMark>& ys, QSize area,
               const Axes& axes) {
  const QColor red(255, 0, 0);
  painter.setPen(QPen(red, 1));
  painter.setBrush(Qt::NoBrush);
  const double cx = axes.centre.x(), cy = axes.centre.y();
  painter.drawLine(QPointF(0, cy), QPointF(area.width() - 1, cy));
  painter.drawLine(QPointF(cx, 0), QPointF(cx, area.height() - 1));
  painter.setFont(markFont());
  bool below = true;
  for (const AxisMark& m : xs) {
    const double before = m.longMark ? 14 : 7, after = m.longMark ? 16 : 9;
    for (const int side : {1, -1}) {
      const double x = cx + side * std::round(m.offset * axes.sx);
      painter.drawLine(QPointF(x, cy - before), QPointF(x, cy + after));
    }
    if (m.label.isEmpty()) continue;
    const double y = below ? cy + 18 : cy - 33;
    textAt(painter, QPointF(cx + std::round(m.offset * axes.sx) - 6, y), m.label);
    textAt(painter, QPointF(cx - std::round(m.offset * axes.sx) - 6, y), QLatin1Char('-') + m.label);
    below = !below;
  }
  bool right = true;
  for (const AxisMark& m : ys) {
    const double before = m.longMark ? 14 : 7, after = m.longMark ? 16 : 9;
    for (const int side : {1, -1}) {
      const double y = cy + side * std::round(m.offset * axes.sy);
      painter.drawLine(QPointF(cx - before, y), QPointF(cx + after, y));
    }
    if (m.label.isEmpty()) continue;
    const double x = right ? cx + 18 : cx - 33;
    textAt(painter, QPointF(x, cy + std::round(m.offset * axes.sy) - 6), m.label);
    textAt(painter, QPointF(x, cy - std::round(m.offset * axes.sy) - 6), QLatin1Char('-') + m.label);
    right = !right;
  }
}

void drawCircles(QPainter& painter, const std::vector<AxisMark>& xs, const std::vector<AxisMark>& ys, QSize area,
                 const Axes& axes) {
  const QColor red(255, 0, 0);
  painter.setPen(QPen(red, 1));
  painter.setBrush(Qt::NoBrush);
  const double cx = axes.centre.x(), cy = axes.centre.y();
  painter.drawLine(QPointF(0, cy), QPointF(area.width() - 1, cy));
  painter.drawLine(QPointF(cx, 0), QPointF(cx, area.height() - 1));
  painter.setFont(markFont());
  bool below = true;
  for (const AxisMark& m : xs) {
    const double dx = std::round(m.offset * axes.sx);
    for (const int side : {1, -1}) painter.drawLine(QPointF(cx + side * dx, cy - 7), QPointF(cx + side * dx, cy + 9));
    if (!m.longMark) continue;
    const double y = below ? cy + 18 : cy - 33;
    textAt(painter, QPointF(cx + dx - 6, y), m.label);
    textAt(painter, QPointF(cx - dx - 6, y), QLatin1Char('-') + m.label);
    below = !below;
  }
  bool right = true;
  for (const AxisMark& m : ys) {
    const double dy = std::round(m.offset * axes.sy);
    for (const int side : {1, -1}) painter.drawLine(QPointF(cx - 7, cy + side * dy), QPointF(cx + 9, cy + side * dy));
    painter.drawEllipse(axes.centre, std::round(m.offset * axes.sx), dy);
    if (!m.longMark) continue;
    const double x = right ? cx + 18 : cx - 33;
    textAt(painter, QPointF(x, cy + dy - 6), m.label);
    textAt(painter, QPointF(x, cy - dy - 6), QLatin1Char('-') + m.label);
    right = !right;
  }
}

void drawComparisonObject(QPainter& painter, const ComparisonObject& o, double sx, double sy) {
  const auto at = [sx, sy](QPoint p) { return QPointF(p.x() * sx, p.y() * sy); };
  const QColor pen = colorFromRef(o.penColor);
  const QColor text = colorFromRef(o.textColor);
  painter.setBrush(Qt::NoBrush);
  painter.setFont(comparisonFont());
  switch (o.kind) {
    case ComparisonKind::Ruler: {
      if (o.points.size() < 2) return;
      const QPointF a = at(o.points[0]), b = at(o.points[1]);
      painter.setPen(QPen(pen, std::max(1, o.penWidth), penStyleOf(o.penStyle)));
      painter.drawLine(a, b);
      // End marks 8 pixels to each side, across the ruler.
      const QPointF across = o.orientation == 0 ? QPointF(0, 8) : QPointF(8, 0);
      painter.setPen(QPen(pen, std::max(1, o.penWidth)));
      painter.drawLine(a - across, a + across);
      painter.drawLine(b - across, b + across);
      painter.setPen(text);
      if (!o.labels.isEmpty()) {
        const QPointF mid = (a + b) / 2;
        textAt(painter, o.orientation == 0 ? mid + QPointF(-20, -26) : mid + QPointF(12, -8), o.labels[0]);
      }
      return;
    }
    case ComparisonKind::AngleGauge: {
      if (o.points.size() < 3) return;
      const QPointF v = at(o.points[0]), a = at(o.points[1]), b = at(o.points[2]);
      painter.setPen(QPen(pen, std::max(1, o.penWidth), penStyleOf(o.penStyle)));
      painter.drawLine(v, a);
      painter.drawLine(v, b);
      // The arc between the arms, 30 pixels around the vertex, the short way round.
      constexpr double kArc = 30;
      const double angleA = std::atan2(-(a.y() - v.y()), a.x() - v.x()) * 180 / M_PI;
      const double angleB = std::atan2(-(b.y() - v.y()), b.x() - v.x()) * 180 / M_PI;
      double span = angleB - angleA;
      while (span > 180) span -= 360;
      while (span < -180) span += 360;
      painter.drawArc(QRectF(v.x() - kArc, v.y() - kArc, 2 * kArc, 2 * kArc), static_cast<int>(angleA * 16),
                      static_cast<int>(span * 16));
      painter.setPen(text);
      if (!o.labels.isEmpty()) textAt(painter, v + QPointF(kArc + 4, -kArc - 4), o.labels[0]);
      return;
    }
    case ComparisonKind::ToleranceCircle: {
      if (o.points.isEmpty()) return;
      const QPointF c = at(o.points[0]);
      const int r = o.radii[0], outer = o.radii[0] + o.radii[1], inner = o.radii[0] - o.radii[2];
      painter.setPen(QPen(pen, std::max(1, o.penWidth), penStyleOf(o.penStyle)));
      painter.drawEllipse(c, r * sx, r * sy);
      painter.setPen(QPen(pen, 1, Qt::DashDotLine));
      painter.drawEllipse(c, outer * sx, outer * sy);
      // A minus tolerance as large as the radius leaves no inner ring.
      if (inner > 0) painter.drawEllipse(c, inner * sx, inner * sy);
      painter.setPen(text);
      if (o.labels.size() >= 3) {
        textAt(painter, c + QPointF(r * sx + 4, -8), o.labels[0]);
        textAt(painter, c + QPointF(-20, -outer * sy - 20), o.labels[1]);
        if (inner > 0) textAt(painter, c + QPointF(-20, -inner * sy + 4), o.labels[2]);
      }
      return;
    }
  }
}

}  // namespace

namespace {

// What the shapes layer caches: the finished shapes.
auto settledShapes(const LiveSnapshot& s, double sx, double sy) {
  return [&s, sx, sy](QPainter& layer) {
    LiveSnapshot settled;
    settled.shapes = s.shapes;
    settled.decimals = s.decimals;
    settled.unitName = s.unitName;
    drawLiveShapes(layer, settled, sx, sy);
  };
}

// The record being placed and the rubber bands change with every move: drawn directly.
void drawMovingShapes(QPainter& painter, const LiveSnapshot& s, double sx, double sy) {
  if (!s.active && s.feedback.isEmpty()) return;
  LiveSnapshot moving;
  moving.active = s.active;
  moving.feedback = s.feedback;
  moving.style = s.style;
  moving.decimals = s.decimals;
  moving.unitName = s.unitName;
  drawLiveShapes(painter, moving, sx, sy);
}

}  // namespace

void drawLiveShapes(QPainter& painter, const LiveSnapshot& snapshot, double sx, double sy) {
  const ShapeTransform transform = ShapeTransform::zoomed(sx, sy);
  const TotalFormat total{snapshot.decimals, snapshot.unitName};
  if (snapshot.shapes) {
    for (const MeasureShape& shape : *snapshot.shapes) drawShape(painter, shape, transform, total);
  }
  if (snapshot.active) drawShape(painter, *snapshot.active, transform, total);
  if (snapshot.feedback.isEmpty()) return;
  painter.save();
  painter.scale(sx, sy);
  drawFeedback(painter, snapshot);
  painter.restore();
}

void drawLiveComparison(QPainter& painter, const LiveSnapshot& snapshot, QSize area, double sx, double sy) {
  const Axes axes{QPointF(area.width() / 2 + 1, area.height() / 2 + 1), sx, sy};
  if (const LiveOverlayScale* o = snapshot.overlay.get()) {
    if (o->scale) drawScale(painter, o->scaleX, o->scaleY, area, axes);
    if (o->circles) drawCircles(painter, o->circleX, o->circleY, area, axes);
  }
  for (const ComparisonObject& o : snapshot.comparisons) drawComparisonObject(painter, o, sx, sy);
}

void drawStillScaleAndCircles(QPainter& painter, const LiveOverlayScale& overlay, QSize picture) {
  if (!overlay.scale && !overlay.circles) return;
  const Axes axes{QPointF(picture.width() / 2 + 1, picture.height() / 2 + 1), 1.0, 1.0};
  const int halfW = picture.width() / 2, halfH = picture.height() / 2;
  if (overlay.scale) {
    drawScale(painter, scaleMarks(overlay.unit, overlay.rate, overlay.stillPixelSize, halfW),
              scaleMarks(overlay.unit, overlay.rate, overlay.stillPixelSize, halfH), picture, axes);
  }
  if (overlay.circles) {
    drawCircles(painter, circleMarks(overlay.unit, overlay.rate, overlay.stillPixelSize, halfW, overlay.captureClass),
                circleMarks(overlay.unit, overlay.rate, overlay.stillPixelSize, halfH, overlay.captureClass), picture,
                axes);
  }
}

void drawCrossLine(QPainter& painter, QSize area) {
  painter.setPen(QPen(QColor(255, 255, 255), 1));
  const int cx = area.width() / 2, cy = area.height() / 2;
  painter.drawLine(0, cy, area.width() - 1, cy);
  painter.drawLine(cx, 0, cx, area.height() - 1);
}

void LiveSnapshotSlot::publish(std::shared_ptr<const LiveSnapshot> snapshot) {
  std::lock_guard lock(mutex_);
  snapshot_.swap(snapshot);
  // The old snapshot (now in `snapshot`) is released after the lock, outside the reader's way.
}

std::shared_ptr<const LiveSnapshot> LiveSnapshotSlot::current() const {
  std::lock_guard lock(mutex_);
  return snapshot_;
}

// Qt's premultiplied scaling of the four channels of x by a/255.
inline std::uint32_t byteMul(std::uint32_t x, std::uint32_t a) {
  std::uint32_t t = (x & 0xff00ffu) * a;
  t = ((t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
  x = ((x >> 8) & 0xff00ffu) * a;
  x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
  return x | t;
}

// Source-over of n premultiplied pixels onto opaque ones, four at a time where SSE2 is there.
void blendRun(const std::uint32_t* src, std::uint32_t* dst, int n) {
  int i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi32(255);
  const __m128i half = _mm_set1_epi16(0x80);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
  // The 16-bit form of byteMul: (x + (x >> 8) + 0x80) >> 8 per channel.
  const auto mul = [half](__m128i x, __m128i a) {
    x = _mm_mullo_epi16(x, a);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), half), 8);
  };
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    // Four clear pixels leave the frame as it is; four opaque ones replace it.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(s, zero)) == 0xffff) continue;
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, opaque), opaque)) == 0xffff) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
      continue;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i inv = _mm_sub_epi32(full, _mm_srli_epi32(s, 24));
    inv = _mm_or_si128(inv, _mm_slli_epi32(inv, 16));  // each pixel's factor in both 16-bit halves
    const __m128i lo = mul(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi32(inv, inv));
    const __m128i hi = mul(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi32(inv, inv));
    const __m128i out = _mm_or_si128(_mm_add_epi8(s, _mm_packus_epi16(lo, hi)), opaque);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
#endif
  for (; i < n; ++i) {
    const std::uint32_t s = src[i];
    dst[i] = 0xff000000u | (s + byteMul(dst[i], 255 - (s >> 24)));
  }
}

template <typename Render>
void OverlayLayer::refresh(std::uint64_t revision, QSize area, double sx, double sy, Render render) {
  if (valid_ && revision == revision_ && area == area_ && sx == sx_ && sy == sy_) return;
  if (image_.size() != area) image_ = QImage(area, QImage::Format_ARGB32_Premultiplied);
  image_.fill(Qt::transparent);
  {
    QPainter layer(&image_);
    render(layer);
  }
  // Only what holds anything is blended on each frame: its bounds for a painter, its runs for blendOnto.
  int top = area.height(), bottom = -1, left = area.width(), right = -1;
  runs_.clear();
  // Gaps shorter than this are blended through (a transparent pixel blends to itself): fewer, longer
  // runs blend faster than many short ones.
  constexpr int kGap = 8;
  for (int y = 0; y < image_.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y));
    const int width = image_.width();
    for (int x = 0; x < width;) {
      if (row[x] == 0) {
        ++x;
        continue;
      }
      const int first = x;
      int last = x;
      for (int gap = 0; x < width && gap < kGap; ++x) {
        if (row[x] == 0) {
          ++gap;
        } else {
          gap = 0;
          last = x;
        }
      }
      runs_.push_back(Run{y, first, last});
      x = last + 1;
      top = std::min(top, y);
      bottom = y;
      left = std::min(left, first);
      right = std::max(right, last);
    }
  }
  used_ = bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
  valid_ = true;
  revision_ = revision;
  area_ = area;
  sx_ = sx;
  sy_ = sy;
}

template <typename Render>
void OverlayLayer::blend(QPainter& painter, std::uint64_t revision, QSize area, double sx, double sy, Render render) {
  refresh(revision, area, sx, sy, render);
  if (!used_.isEmpty()) painter.drawImage(used_.topLeft(), image_, used_);
}

template <typename Render>
void OverlayLayer::blendOnto(QImage& frame, std::uint64_t revision, double sx, double sy, Render render) {
  refresh(revision, frame.size(), sx, sy, render);
  if (used_.isEmpty()) return;
  // Source-over of the premultiplied layer onto the opaque frame, as the raster painter blends it.
  const uchar* srcBits = image_.constBits();
  uchar* dstBits = frame.bits();  // detaches once, not per run
  const qsizetype srcStride = image_.bytesPerLine(), dstStride = frame.bytesPerLine();
  for (const Run& run : runs_) {
    blendRun(reinterpret_cast<const std::uint32_t*>(srcBits + run.y * srcStride) + run.first,
             reinterpret_cast<std::uint32_t*>(dstBits + run.y * dstStride) + run.first, run.last - run.first + 1);
  }
}

void LiveShapesOverlay::draw(QPainter& painter, const QSize& area, double scaleX, double scaleY) {
  const std::shared_ptr<const LiveSnapshot> s = slot_->current();
  if (!s) return;
  layer_.blend(painter, s->shapesRevision, area, scaleX, scaleY, settledShapes(*s, scaleX, scaleY));
  drawMovingShapes(painter, *s, scaleX, scaleY);
}

void LiveShapesOverlay::drawOnFrame(QImage& frame, double scaleX, double scaleY) {
  const std::shared_ptr<const LiveSnapshot> s = slot_->current();
  if (!s) return;
  layer_.blendOnto(frame, s->shapesRevision, scaleX, scaleY, settledShapes(*s, scaleX, scaleY));
  if (!s->active && s->feedback.isEmpty()) return;
  QPainter painter(&frame);
  drawMovingShapes(painter, *s, scaleX, scaleY);
}

void LiveComparisonOverlay::draw(QPainter& painter, const QSize& area, double scaleX, double scaleY) {
  const std::shared_ptr<const LiveSnapshot> s = slot_->current();
  if (!s) return;
  layer_.blend(painter, s->comparisonRevision, area, scaleX, scaleY,
               [&](QPainter& layer) { drawLiveComparison(layer, *s, area, scaleX, scaleY); });
}

void LiveComparisonOverlay::drawOnFrame(QImage& frame, double scaleX, double scaleY) {
  const std::shared_ptr<const LiveSnapshot> s = slot_->current();
  if (!s) return;
  const QSize area = frame.size();
  layer_.blendOnto(frame, s->comparisonRevision, scaleX, scaleY,
                   [&](QPainter& layer) { drawLiveComparison(layer, *s, area, scaleX, scaleY); });
}

}  // namespace lumivex
