#include "measure/detection/micrometer_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace lumivex::detection {
namespace {

// Area of a convex quadrilateral inside the axis-aligned rectangle [u0, u1] x [v0, v1] (Sutherland-Hodgman
// clipping, then the shoelace formula).
double overlapArea(const std::array<QPointF, 4>& quad, double u0, double u1, double v0, double v1) {
  std::vector<QPointF> polygon(quad.begin(), quad.end());
  auto clip = [&polygon](auto inside, auto cross) {
    std::vector<QPointF> out;
    for (size_t i = 0; i < polygon.size(); ++i) {
      const QPointF& a = polygon[i];
      const QPointF& b = polygon[(i + 1) % polygon.size()];
      const bool ina = inside(a), inb = inside(b);
      if (ina) out.push_back(a);
      if (ina != inb) out.push_back(cross(a, b));
    }
    polygon.swap(out);
  };
  auto onU = [](double edge) {
    return [edge](const QPointF& a, const QPointF& b) {
      const double t = (edge - a.x()) / (b.x() - a.x());
      return QPointF(edge, a.y() + t * (b.y() - a.y()));
    };
  };
  auto onV = [](double edge) {
    return [edge](const QPointF& a, const QPointF& b) {
      const double t = (edge - a.y()) / (b.y() - a.y());
      return QPointF(a.x() + t * (b.x() - a.x()), edge);
    };
  };
  clip([u0](const QPointF& q) { return q.x() >= u0; }, onU(u0));
  clip([u1](const QPointF& q) { return q.x() <= u1; }, onU(u1));
  clip([v0](const QPointF& q) { return q.y() >= v0; }, onV(v0));
  clip([v1](const QPointF& q) { return q.y() <= v1; }, onV(v1));
  double twice = 0.0;
  for (size_t i = 0; i < polygon.size(); ++i) {
    const QPointF& a = polygon[i];
    const QPointF& b = polygon[(i + 1) % polygon.size()];
    twice += a.x() * b.y() - b.x() * a.y();
  }
  return std::abs(twice) / 2.0;
}

// Below this the blur is left out: the exact pixel coverage is then the picture.
constexpr double kSmallestBlur = 0.3;

// Half of erf(z / (sqrt 2 sigma)): the share of a unit step blurred by a Gaussian of that sigma, minus
// one half; tabulated every 1/64 pixel within `reach` and +-1/2 beyond.
class ErfStep {
 public:
  ErfStep(double sigma, double reach) : reach_(reach) {
    const int n = static_cast<int>(std::ceil(2.0 * reach * kSteps)) + 2;
    table_.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
      table_[static_cast<size_t>(i)] = 0.5 * std::erf((i / kSteps - reach) / (std::sqrt(2.0) * sigma));
  }
  double operator()(double z) const {
    if (z <= -reach_) return -0.5;
    if (z >= reach_) return 0.5;
    const double at = (z + reach_) * kSteps;
    const auto i = static_cast<size_t>(at);
    const double f = at - static_cast<double>(i);
    return table_[i] + f * (table_[i + 1] - table_[i]);
  }

 private:
  static constexpr double kSteps = 64.0;
  double reach_;
  std::vector<double> table_;
};

// Separable Gaussian blur of a float picture, edges repeated.
void blurInPlace(std::vector<float>& picture, int width, int height, double sigma) {
  const int radius = static_cast<int>(std::ceil(4.0 * sigma));
  std::vector<double> kernel(static_cast<size_t>(2 * radius + 1));
  double total = 0.0;
  for (int i = -radius; i <= radius; ++i)
    total += kernel[static_cast<size_t>(i + radius)] = std::exp(-0.5 * i * i / (sigma * sigma));
  for (double& k : kernel) k /= total;
  std::vector<float> tmp(picture.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double v = 0.0;
      for (int i = -radius; i <= radius; ++i)
        v += kernel[static_cast<size_t>(i + radius)] *
             picture[static_cast<size_t>(y) * width + std::clamp(x + i, 0, width - 1)];
      tmp[static_cast<size_t>(y) * width + x] = static_cast<float>(v);
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double v = 0.0;
      for (int i = -radius; i <= radius; ++i)
        v += kernel[static_cast<size_t>(i + radius)] *
             tmp[static_cast<size_t>(std::clamp(y + i, 0, height - 1)) * width + x];
      picture[static_cast<size_t>(y) * width + x] = static_cast<float>(v);
    }
}

}  // namespace

MicrometerPicture::MicrometerPicture(const MicrometerScene& scene)
    : width_(std::max(1, scene.width)),
      height_(std::max(1, scene.height)),
      stride_((width_ * 3 + 3) / 4 * 4),
      bytes_(static_cast<size_t>(stride_) * height_, 0) {
  const double p = scene.pixelsPerPeriod;
  const double a = scene.angleDegrees * std::numbers::pi / 180.0;
  // Rotating counter-clockwise on screen (y down) maps (x, y) to (x cos a + y sin a, -x sin a + y cos a).
  auto rotate = [a](double x, double y) {
    return QPointF(x * std::cos(a) + y * std::sin(a), -x * std::sin(a) + y * std::cos(a));
  };
  // u runs along the scale, v along the marks away from the baseline.
  const QPointF u = scene.horizontalMarks ? rotate(0, 1) : rotate(1, 0);
  const QPointF v = scene.horizontalMarks ? rotate(1, 0) : rotate(0, -1);
  const double length = (scene.graduations - 1) * p;
  const QPointF centre((width_ - 1) / 2.0, (height_ - 1) / 2.0);
  const QPointF origin = centre + (scene.shift - length / 2.0) * u - (scene.tenthLength * p / 2.0) * v;
  const double halfWidth = scene.markWidth * p / 2.0;
  std::vector<bool> removed(static_cast<size_t>(std::max(0, scene.graduations)), false);
  for (int k : scene.removed)
    if (k >= 0 && k < scene.graduations) removed[static_cast<size_t>(k)] = true;
  auto markLength = [&](int k) {
    return (k % 10 == 0 ? scene.tenthLength : (k % 5 == 0 ? scene.fifthLength : scene.shortLength)) * p;
  };
  const double paper = scene.lightOnDark ? scene.ink : scene.paper;
  const double ink = scene.lightOnDark ? scene.paper : scene.ink;
  const double baseline = scene.baselineWidth * p;
  const double sigma = scene.blurSigma;
  std::vector<float> picture(static_cast<size_t>(width_) * height_);
  auto rowOf = [&](int y) { return picture.data() + static_cast<size_t>(y) * width_; };
  if (sigma < kSmallestBlur || scene.blurAfterSampling) {
    // Exact coverage of each pixel (a unit square centred on whole coordinates) by the marks and the
    // baseline, rectangles in (u, v): sampled coverage would round each mark's edges to the sampling grid.
    for (int y = 0; y < height_; ++y) {
      float* row = rowOf(y);
      for (int x = 0; x < width_; ++x) {
        std::array<QPointF, 4> square;
        double uLow = 1e300, uHigh = -1e300, vLow = 1e300, vHigh = -1e300;
        const double corners[4][2] = {{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}};
        for (size_t c = 0; c < 4; ++c) {
          const double dx = x + corners[c][0] - origin.x(), dy = y + corners[c][1] - origin.y();
          square[c] = QPointF(dx * u.x() + dy * u.y(), dx * v.x() + dy * v.y());
          uLow = std::min(uLow, square[c].x());
          uHigh = std::max(uHigh, square[c].x());
          vLow = std::min(vLow, square[c].y());
          vHigh = std::max(vHigh, square[c].y());
        }
        double covered = 0.0;
        if (baseline > 0 && vLow < 0 && vHigh > -baseline)
          covered += overlapArea(square, -halfWidth, length + halfWidth, -baseline, 0.0);
        if (vHigh > 0) {
          const int kLow = std::max(0, static_cast<int>(std::ceil((uLow - halfWidth) / p)));
          const int kHigh = std::min(scene.graduations - 1, static_cast<int>(std::floor((uHigh + halfWidth) / p)));
          for (int k = kLow; k <= kHigh; ++k) {
            if (removed[static_cast<size_t>(k)]) continue;
            covered += overlapArea(square, k * p - halfWidth, k * p + halfWidth, 0.0, markLength(k));
          }
        }
        row[x] = static_cast<float>(paper + (ink - paper) * std::min(1.0, covered));
      }
    }
  } else {
    // Optics blur before the sensor samples: each rectangle blurred by a Gaussian is a product of two erf
    // steps along u and v, and a pixel averages that smooth picture over its square (4 x 4 points).
    // Blurring the sampled picture instead would keep the aliasing of the sharp marks' edges, which
    // no lens lets through.
    const double reach = 6.0 * sigma;
    const ErfStep step(sigma, reach);
    const double longest = std::max({scene.shortLength, scene.fifthLength, scene.tenthLength}) * p;
    for (int y = 0; y < height_; ++y) {
      float* row = rowOf(y);
      for (int x = 0; x < width_; ++x) {
        double covered = 0.0;
        for (int sy = 0; sy < 4; ++sy) {
          for (int sx = 0; sx < 4; ++sx) {
            const double dx = x - 0.375 + 0.25 * sx - origin.x(), dy = y - 0.375 + 0.25 * sy - origin.y();
            const double su = dx * u.x() + dy * u.y();
            const double sv = dx * v.x() + dy * v.y();
            if (sv < -baseline - reach || sv > longest + reach) continue;
            if (baseline > 0 && sv < reach)
              covered += (step(length + halfWidth - su) - step(-halfWidth - su)) * (step(-sv) - step(-baseline - sv));
            const int kLow = std::max(0, static_cast<int>(std::ceil((su - halfWidth - reach) / p)));
            const int kHigh =
                std::min(scene.graduations - 1, static_cast<int>(std::floor((su + halfWidth + reach) / p)));
            for (int k = kLow; k <= kHigh; ++k) {
              if (removed[static_cast<size_t>(k)]) continue;
              const double d = su - k * p;
              covered += (step(halfWidth - d) - step(-halfWidth - d)) * (step(markLength(k) - sv) - step(-sv));
            }
          }
        }
        row[x] = static_cast<float>(paper + (ink - paper) * std::min(1.0, covered / 16.0));
      }
    }
  }

  if (scene.blurAfterSampling && sigma > 0) blurInPlace(picture, width_, height_, sigma);

  // Lighting: a ramp in a random direction and a broad bright or dark patch, together within +-1.
  std::mt19937 random(scene.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double rampAngle = 2.0 * std::numbers::pi * unit(random);
  const QPointF patch(unit(random) * width_, unit(random) * height_);
  const double halfDiagonal = std::hypot(width_, height_) / 2.0;
  const double patchSigma = 0.4 * 2.0 * halfDiagonal;
  std::normal_distribution<double> noise(0.0, 1.0);
  for (int y = 0; y < height_; ++y) {
    const float* row = rowOf(y);
    uint8_t* out = bytes_.data() + static_cast<size_t>(y) * stride_;
    for (int x = 0; x < width_; ++x) {
      double value = row[x];
      if (scene.illumination > 0) {
        const double ramp =
            ((x - centre.x()) * std::cos(rampAngle) + (y - centre.y()) * std::sin(rampAngle)) / halfDiagonal;
        const double d2 = (x - patch.x()) * (x - patch.x()) + (y - patch.y()) * (y - patch.y());
        const double bump = 2.0 * std::exp(-d2 / (2.0 * patchSigma * patchSigma)) - 1.0;
        value *= 1.0 + scene.illumination * (0.6 * ramp + 0.4 * bump);
      }
      if (scene.noiseSigma > 0) value += scene.noiseSigma * noise(random);
      const auto g = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
      out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = g;
    }
  }

  // Every corner of every mark that shows.
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
  for (int k = 0; k < scene.graduations; ++k) {
    if (removed[static_cast<size_t>(k)]) continue;
    const double along = k * p;
    for (double du : {-halfWidth, halfWidth})
      for (double dv : {-scene.baselineWidth * p, markLength(k)}) {
        const QPointF c = origin + (along + du) * u + dv * v;
        if (c.x() < -0.5 || c.y() < -0.5 || c.x() > width_ - 0.5 || c.y() > height_ - 0.5) continue;
        left = std::min(left, c.x());
        right = std::max(right, c.x());
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
      }
  }
  if (left <= right)
    marksBox_ = QRect(QPoint(static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top))),
                      QPoint(static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom))))
                    .intersected(QRect(0, 0, width_, height_));
}

MicrometerScene accuracyScene(double pixelsPerPeriod, double angleDegrees, uint32_t seed, bool horizontalMarks,
                              bool lightOnDark) {
  MicrometerScene scene;
  scene.pixelsPerPeriod = pixelsPerPeriod;
  scene.angleDegrees = angleDegrees;
  scene.horizontalMarks = horizontalMarks;
  scene.lightOnDark = lightOnDark;
  scene.blurSigma = 1.5;
  scene.noiseSigma = 10.0;
  scene.illumination = 0.3;
  scene.seed = seed;
  // A 1 mm scale in 10 um steps: marks 30, 45 and 60 um long.
  scene.shortLength = 3.0;
  scene.fifthLength = 4.5;
  scene.tenthLength = 6.0;
  scene.graduations = std::min(101, static_cast<int>(1500.0 / pixelsPerPeriod));
  std::mt19937 random(seed ^ 0x9e3779b9u);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  scene.shift = unit(random) * pixelsPerPeriod;
  std::uniform_int_distribution<int> inner(2, scene.graduations - 3);
  const int first = inner(random);
  int second = inner(random);
  while (second == first) second = inner(random);
  scene.removed = {first, second};
  const double a = angleDegrees * std::numbers::pi / 180.0;
  const double along = scene.graduations * pixelsPerPeriod + 60.0;
  const double across = scene.tenthLength * pixelsPerPeriod + 60.0;
  const int longSide = static_cast<int>(std::ceil(along * std::abs(std::cos(a)) + across * std::abs(std::sin(a))));
  const int shortSide = static_cast<int>(std::ceil(along * std::abs(std::sin(a)) + across * std::abs(std::cos(a))));
  scene.width = horizontalMarks ? shortSide : longSide;
  scene.height = horizontalMarks ? longSide : shortSide;
  return scene;
}

QImage MicrometerPicture::toImage() const {
  QImage image(width_, height_, QImage::Format_RGB888);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* src = bytes_.data() + static_cast<size_t>(y) * stride_;
    uchar* dst = image.scanLine(y);
    for (int x = 0; x < width_; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return image;
}

}  // namespace lumivex::detection
