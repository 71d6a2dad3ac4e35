#include "capture/demo_scene.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

namespace lumivex {

namespace {

constexpr double kDriftXUm = 4.0;
constexpr double kDriftYUm = 3.0;
constexpr double kDriftXPeriod = 20.0;
constexpr double kDriftYPeriod = 31.0;

int marginFor(int width) { return static_cast<int>(std::ceil(5.0 * width / DemoScene::kFieldWidthUm)) + 1; }

// One pass of a horizontal and vertical box blur of the given radius.
void boxBlur(QImage& image, int radius) {
  if (radius <= 0) return;
  const int w = image.width();
  const int h = image.height();
  QImage tmp(image.size(), image.format());
  const int n = 2 * radius + 1;
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    auto* dst = reinterpret_cast<std::uint32_t*>(tmp.scanLine(y));
    for (int x = 0; x < w; ++x) {
      int r = 0, g = 0, b = 0;
      for (int k = -radius; k <= radius; ++k) {
        const std::uint32_t p = src[std::clamp(x + k, 0, w - 1)];
        r += (p >> 16) & 0xff;
        g += (p >> 8) & 0xff;
        b += p & 0xff;
      }
      dst[x] = 0xff000000u | (std::uint32_t(r / n) << 16) | (std::uint32_t(g / n) << 8) | std::uint32_t(b / n);
    }
  }
  for (int y = 0; y < h; ++y) {
    auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      int r = 0, g = 0, b = 0;
      for (int k = -radius; k <= radius; ++k) {
        const std::uint32_t p =
            reinterpret_cast<const std::uint32_t*>(tmp.constScanLine(std::clamp(y + k, 0, h - 1)))[x];
        r += (p >> 16) & 0xff;
        g += (p >> 8) & 0xff;
        b += p & 0xff;
      }
      dst[x] = 0xff000000u | (std::uint32_t(r / n) << 16) | (std::uint32_t(g / n) << 8) | std::uint32_t(b / n);
    }
  }
}

// Unsharp mask: original + amount x (original - blurred).
void sharpen(QImage& image, double amount) {
  QImage blurred = image.copy();
  boxBlur(blurred, 1);
  for (int y = 0; y < image.height(); ++y) {
    auto* p = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    const auto* q = reinterpret_cast<const std::uint32_t*>(blurred.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      std::uint32_t out = 0xff000000u;
      for (int shift = 0; shift <= 16; shift += 8) {
        const int o = static_cast<int>((p[x] >> shift) & 0xff);
        const int b = static_cast<int>((q[x] >> shift) & 0xff);
        const int v = std::clamp(static_cast<int>(std::lround(o + amount * (o - b))), 0, 255);
        out |= static_cast<std::uint32_t>(v) << shift;
      }
      p[x] = out;
    }
  }
}

}  // namespace

QPoint DemoScene::driftPixels(double t, int width) {
  const double pxPerUm = width / kFieldWidthUm;
  const double dx = kDriftXUm * std::sin(2.0 * std::numbers::pi * t / kDriftXPeriod);
  const double dy = kDriftYUm * std::sin(2.0 * std::numbers::pi * t / kDriftYPeriod);
  return QPoint(static_cast<int>(std::lround(dx * pxPerUm)), static_cast<int>(std::lround(dy * pxPerUm)));
}

QImage DemoScene::specimen(QSize size, int margin, int sharpness) {
  QImage image(size + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
  image.fill(QColor(214, 210, 198));
  const double s = size.width() / kFieldWidthUm;  // pixels per micrometre
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(margin, margin);
    p.scale(s, s);
    p.setPen(Qt::NoPen);

    // Stage micrometer: baseline y = 80 um from x = 100 to 700 um, ticks every 10 um.
    const QColor ink(25, 25, 35);
    p.setBrush(ink);
    p.drawRect(QRectF(100.0 - 1.0, 80.0 - 1.0, 600.0 + 2.0, 2.0));
    for (int k = 0; k <= 60; ++k) {
      const double x = 100.0 + 10.0 * k;
      const double len = k % 10 == 0 ? 40.0 : (k % 5 == 0 ? 25.0 : 15.0);
      p.drawRect(QRectF(x - 1.0, 80.0 - len, 2.0, len));
    }
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(ink);
    for (int k = 0; k <= 6; ++k) {
      const double x = 100.0 + 100.0 * k;
      p.drawText(QRectF(x - 30.0, 16.0, 60.0, 20.0), Qt::AlignHCenter | Qt::AlignBottom, QString::number(100 * k));
    }
    p.setPen(Qt::NoPen);

    p.setBrush(QColor(120, 50, 40));
    p.drawEllipse(QPointF(200.0, 260.0), 60.0, 60.0);
    p.setBrush(QColor(40, 60, 140));
    p.drawEllipse(QPointF(400.0, 260.0), 40.0, 40.0);
    QPainterPath ring;
    ring.addEllipse(QPointF(600.0, 260.0), 70.0, 70.0);
    ring.addEllipse(QPointF(600.0, 260.0), 50.0, 50.0);
    ring.setFillRule(Qt::OddEvenFill);
    p.setBrush(QColor(40, 110, 60));
    p.drawPath(ring);

    // Parallel edges: a dark band whose edges are 40 um apart.
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(80.0, 380.0, 640.0, 40.0));

    // Angles: wedges of 30 and 60 degrees opening upwards from a horizontal edge.
    auto wedge = [&p](QPointF apex, double degrees, double length) {
      const double a = degrees * std::numbers::pi / 180.0;
      const QPointF pts[3] = {apex, apex + QPointF(length, 0.0),
                              apex + QPointF(length * std::cos(a), -length * std::sin(a))};
      p.drawPolygon(pts, 3);
    };
    p.setBrush(QColor(35, 35, 45));
    wedge(QPointF(100.0, 570.0), 30.0, 240.0);
    wedge(QPointF(460.0, 570.0), 60.0, 130.0);
  }
  if (sharpness < 3) {
    boxBlur(image, 3 - sharpness);
  } else if (sharpness > 3) {
    sharpen(image, 0.35 * (sharpness - 3));
  }
  return image;
}

void DemoScene::prepare(QSize size, const DemoPicture& picture) {
  if (size != baseSize_ || picture.sharpness != baseSharpness_) {
    margin_ = marginFor(size.width());
    const QImage image = specimen(size, margin_, picture.sharpness);
    baseStride_ = image.width() * 3;
    base_.resize(static_cast<std::size_t>(baseStride_) * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
      const auto* src = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
      std::uint8_t* dst = base_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(baseStride_);
      for (int x = 0; x < image.width(); ++x) {
        dst[3 * x + 0] = static_cast<std::uint8_t>(src[x] & 0xff);
        dst[3 * x + 1] = static_cast<std::uint8_t>((src[x] >> 8) & 0xff);
        dst[3 * x + 2] = static_cast<std::uint8_t>((src[x] >> 16) & 0xff);
      }
    }
    baseSize_ = size;
    baseSharpness_ = picture.sharpness;
  }
  const bool same = lutValid_ && picture.brightness == lutPicture_.brightness &&
                    picture.contrast == lutPicture_.contrast && picture.gamma == lutPicture_.gamma &&
                    picture.saturation == lutPicture_.saturation && picture.hue == lutPicture_.hue;
  if (!same) {
    const double gain = picture.contrast / 32.0;
    const double exponent = 100.0 / std::max(1, picture.gamma);
    for (int i = 0; i < static_cast<int>(lut_.size()); ++i) {
      const double x = std::clamp(i - 32, 0, 255);
      double y = std::clamp((x - 128.0) * gain + 128.0 + 2.0 * picture.brightness, 0.0, 255.0);
      y = 255.0 * std::pow(y / 255.0, exponent);
      lut_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(std::lround(y), 0L, 255L));
    }
    // Hue rotation, then saturation around the luma, on RGB.
    const double a = picture.hue * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double sn = std::sin(a);
    const double h[9] = {.213 + c * .787 - sn * .213, .715 - .715 * c - .715 * sn, .072 - .072 * c + .928 * sn,
                         .213 - .213 * c + .143 * sn, .715 + .285 * c + .140 * sn, .072 - .072 * c - .283 * sn,
                         .213 - .213 * c - .787 * sn, .715 - .715 * c + .715 * sn, .072 + .928 * c + .072 * sn};
    const double sat = picture.saturation / 64.0;
    const double w[3] = {.213, .715, .072};
    double m[9];
    for (int r = 0; r < 3; ++r)
      for (int col = 0; col < 3; ++col) {
        double v = 0.0;
        for (int k = 0; k < 3; ++k) v += ((1.0 - sat) * w[k] + (r == k ? sat : 0.0)) * h[k * 3 + col];
        m[r * 3 + col] = v;
      }
    colourIdentity_ = true;
    for (int i = 0; i < 9; ++i) {
      colour_[static_cast<std::size_t>(i)] = static_cast<int>(std::lround(m[i] * 1024.0));
      const int expected = (i % 4 == 0) ? 1024 : 0;
      if (colour_[static_cast<std::size_t>(i)] != expected) colourIdentity_ = false;
    }
    lutPicture_ = picture;
    lutValid_ = true;
  }
  if (noiseTable_.empty()) {
    std::mt19937 gen(12345);
    std::uniform_int_distribution<int> d(-2, 2);
    noiseTable_.resize(1u << 16);
    for (auto& v : noiseTable_) v = static_cast<std::int8_t>(d(gen) + d(gen));
  }
}

void DemoScene::render(std::uint8_t* dst, int dstStride, QSize size, const DemoPicture& picture, std::uint64_t index,
                       double timeSeconds) {
  prepare(size, picture);
  const QPoint offset = drift_ ? driftPixels(timeSeconds, size.width()) : QPoint();
  const int w3 = size.width() * 3;
  const std::uint8_t* lut = lut_.data() + 32;
  const std::size_t mask = noiseTable_.size() - 1;
  std::size_t n = static_cast<std::size_t>(index * 2654435761u) & mask;
  for (int y = 0; y < size.height(); ++y) {
    const std::uint8_t* src =
        base_.data() + static_cast<std::size_t>(margin_ + offset.y() + y) * static_cast<std::size_t>(baseStride_) +
        static_cast<std::size_t>((margin_ + offset.x()) * 3);
    std::uint8_t* row = dst + static_cast<std::ptrdiff_t>(y) * dstStride;
    if (noise_) {
      const std::int8_t* noise = noiseTable_.data();
      for (int i = 0; i < w3; ++i) {
        row[i] = lut[src[i] + noise[n]];
        n = (n + 1) & mask;
      }
      n = (n + 7919) & mask;  // rows do not repeat the same pattern
    } else {
      for (int i = 0; i < w3; ++i) row[i] = lut[src[i]];
    }
    if (!colourIdentity_) {
      const int* m = colour_.data();
      for (int i = 0; i < w3; i += 3) {
        const int b = row[i], g = row[i + 1], r = row[i + 2];
        row[i + 2] = static_cast<std::uint8_t>(std::clamp((m[0] * r + m[1] * g + m[2] * b) >> 10, 0, 255));
        row[i + 1] = static_cast<std::uint8_t>(std::clamp((m[3] * r + m[4] * g + m[5] * b) >> 10, 0, 255));
        row[i + 0] = static_cast<std::uint8_t>(std::clamp((m[6] * r + m[7] * g + m[8] * b) >> 10, 0, 255));
      }
    }
    if (stamp_) {
      const auto v = static_cast<std::uint32_t>(index);
      row[0] = static_cast<std::uint8_t>(v);
      row[1] = static_cast<std::uint8_t>(v >> 8);
      row[2] = static_cast<std::uint8_t>(v >> 16);
      row[3] = static_cast<std::uint8_t>(v >> 24);
    }
  }
}

}  // namespace lumivex
