#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

namespace lumivex {

// Picture settings of the simulated camera, in its own control units.
struct DemoPicture {
  int brightness = 0;   // -64..64, added as 2 x value levels
  int contrast = 32;    // 0..64, gain value / 32 around mid-grey
  int saturation = 64;  // 0..128, colour gain value / 64
  int sharpness = 3;    // 0..10; 3 is the optics' own, lower blurs, higher sharpens
  int gamma = 100;      // 50..300, exponent 100 / value
  int hue = 0;          // -40..40 degrees of hue rotation
};

// The synthetic specimen the simulated camera looks at. Geometry is fixed in micrometres over a field
// 800 um wide (pixel pitch 800 / width um): see docs/capture.md. render() draws one frame from a base
// picture kept per size and picture settings, adding drift, sensor noise and the picture settings.
class DemoScene {
 public:
  static constexpr double kFieldWidthUm = 800.0;

  static double pixelPitchUm(int width) { return kFieldWidthUm / width; }

  // Draws frame `index` at `timeSeconds` into dst (top-down BGR rows, dstStride apart).
  void render(std::uint8_t* dst, int dstStride, QSize size, const DemoPicture& picture, std::uint64_t index,
              double timeSeconds);

  void setDrift(bool on) { drift_ = on; }
  void setNoise(bool on) { noise_ = on; }
  // Writes the frame index (32-bit little-endian) into the first four bytes of every row.
  void setStampFrameNumber(bool on) { stamp_ = on; }

  // Drift offset in pixels at a time (documented: 4 um and 3 um sine drifts of 20 s and 31 s periods).
  static QPoint driftPixels(double timeSeconds, int width);
  // The noise-free, drift-free specimen at a size (top-down RGB32), for tests and documentation.
  static QImage specimen(QSize size, int margin = 0, int sharpness = 3);

 private:
  void prepare(QSize size, const DemoPicture& picture);

  bool drift_ = true;
  bool noise_ = true;
  bool stamp_ = false;

  QSize baseSize_;
  int baseSharpness_ = -1;
  int margin_ = 0;
  std::vector<std::uint8_t> base_;  // BGR with margin on every side
  int baseStride_ = 0;

  DemoPicture lutPicture_{};
  bool lutValid_ = false;
  std::array<std::uint8_t, 256 + 64> lut_{};  // indexed by value + 32 so noise needs no clamp
  std::array<int, 9> colour_{};               // fixed-point (x1024) saturation and hue matrix
  bool colourIdentity_ = true;

  std::vector<std::int8_t> noiseTable_;
};

}  // namespace lumivex
