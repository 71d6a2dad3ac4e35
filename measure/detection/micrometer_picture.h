#pragma once

#include "measure/detection/bgr_view.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

namespace lumivex::detection {

// A stage micrometer as a camera would see it, with every figure known: marks `pixelsPerPeriod` apart
// rising from a baseline, every fifth and tenth longer, optionally rotated, blurred, unevenly lit and
// noisy. For accuracy checks of the graduation pitch, in tests, benchmarks and from the command line.
struct MicrometerScene {
  int width = 800;
  int height = 300;
  double pixelsPerPeriod = 8.0;
  double angleDegrees = 0.0;     // counter-clockwise on screen
  bool horizontalMarks = false;  // the scale runs down the picture, marks reaching to the right
  int graduations = 101;         // marks 0 .. graduations - 1, centred in the picture
  double shift = 0.0;            // pixels the whole scale is moved along itself (sub-pixel phase)
  double markWidth = 0.2;        // in periods
  double shortLength = 1.5;      // in periods; every fifth mark 2.5, every tenth 4
  double fifthLength = 2.5;
  double tenthLength = 4.0;
  double baselineWidth = 0.2;  // in periods; 0 for none
  std::vector<int> removed;    // graduation numbers left out
  double blurSigma = 0.0;      // Gaussian optics blur, pixels
  // Blur the sampled picture instead, as a picture blurred by software after drawing: the sharp edges'
  // aliasing stays in it (a pull of the pixel grid on each mark that no lens would leave).
  bool blurAfterSampling = false;
  double noiseSigma = 0.0;    // Gaussian sensor noise, grey levels
  double illumination = 0.0;  // lighting varies by this share either way (0.3 for +-30 %)
  bool lightOnDark = false;
  uint8_t paper = 200;
  uint8_t ink = 35;
  uint32_t seed = 1;  // lighting pattern and noise
};

// The conditions of the accuracy checks: blur 1.5 pixels, noise 10 grey levels, lighting +-30 %, two marks
// removed, at most 101 graduations of a 1 mm scale in 10 um steps (marks 3, 4.5 and 6 periods long) and a
// picture just large enough to hold them (up to about 1600 pixels long). The seed picks the scale's sub-pixel phase,
// the two missing marks, the lighting pattern and the noise.
MicrometerScene accuracyScene(double pixelsPerPeriod, double angleDegrees, uint32_t seed, bool horizontalMarks = false,
                              bool lightOnDark = false);

class MicrometerPicture {
 public:
  explicit MicrometerPicture(const MicrometerScene& scene);

  int width() const { return width_; }
  int height() const { return height_; }
  // Top-down rows.
  BgrView view() const { return BgrView{bytes_.data(), width_, height_, stride_, false, 24}; }
  QImage toImage() const;
  // The smallest rectangle holding every mark that shows, as a user would drag it.
  QRect marksBox() const { return marksBox_; }

 private:
  int width_;
  int height_;
  int stride_;
  std::vector<uint8_t> bytes_;
  QRect marksBox_;
};

}  // namespace lumivex::detection
